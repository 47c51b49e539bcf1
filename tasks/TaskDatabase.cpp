// The task database file: one "DataBase" root, one "Task" element for the global record and one
// per task.
//
// pugixml writes attributes in the order they were added, raw (no indentation, no declaration).
// Qt's DOM does not keep attribute order, and Qt's stream writer drops control characters.

#include "tasks/TaskClasses.h"

#include "platform/Files.h"

#include <QFile>
#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <optional>
#include <pugixml.hpp>

namespace {

// XML has no form at all for NUL, the control characters other than TAB, LF and CR, U+FFFE,
// U+FFFF and lone surrogates (a character reference to one makes the whole file unreadable to
// other XML tools), yet a window title can hold any of them. Each such UTF-16 unit is written as
// the marker followed by the unit's four upper-case hex digits, and so is the marker itself, so
// every text loads back exactly. The marker is a noncharacter that real text does not use: a
// file of ordinary texts is written as before, and older readers still load it.
constexpr char16_t EscapeMarker = 0xFDD0;

bool NeedsEscape(char16_t unit)
{
    if (unit < 0x20)
        return unit != u'\t' && unit != u'\n' && unit != u'\r';
    return unit == EscapeMarker || unit == 0xFFFE || unit == 0xFFFF || QChar::isSurrogate(unit);
}

QByteArray XmlText(const QString& text)
{
    if (std::none_of(text.cbegin(), text.cend(), [](QChar unit) { return NeedsEscape(unit.unicode()); }))
        return text.toUtf8();
    QString safe;
    safe.reserve(text.size() + 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            safe += text.mid(i, 2);
            ++i;
        } else if (NeedsEscape(unit)) {
            safe += QChar(EscapeMarker);
            safe += QStringLiteral("%1").arg(uint(unit), 4, 16, QChar(u'0')).toUpper();
        } else {
            safe += QChar(unit);
        }
    }
    return safe.toUtf8();
}

// The unit that an escape at the start of text stands for. Only what XmlText writes is an
// escape: a marker followed by anything else (in a file written before the escape existed) stays
// as it stands.
std::optional<char16_t> EscapedUnit(QStringView text)
{
    if (text.size() < 5 || text.front() != QChar(EscapeMarker))
        return std::nullopt;
    const QStringView digits = text.sliced(1, 4);
    const auto upperHex = [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); };
    if (!std::all_of(digits.begin(), digits.end(), upperHex))
        return std::nullopt;
    const auto unit = char16_t(digits.toUInt(nullptr, 16));
    if (!NeedsEscape(unit))
        return std::nullopt;
    return unit;
}

QString UnescapedText(const QString& text)
{
    if (!text.contains(QChar(EscapeMarker)))
        return text;
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (const std::optional<char16_t> unit = EscapedUnit(QStringView(text).sliced(i))) {
            plain += QChar(*unit);
            i += 4;
        } else {
            plain += text.at(i);
        }
    }
    return plain;
}

void SetText(pugi::xml_node element, const char* name, const QString& text)
{
    const QByteArray value = XmlText(text);
    element.append_attribute(name).set_value(value.constData(), size_t(value.size()));
}

void SaveRelations(pugi::xml_node code, const char* name, const TCodeRelation& relations)
{
    for (const TRelation& relation : relations) {
        if (relation.Type.isEmpty() || relation.Value.isEmpty())
            continue;
        pugi::xml_node element = code.append_child(name);
        SetText(element, "Type", relation.Type);
        SetText(element, "Variable", relation.Variable);
        SetText(element, "Comparative", relation.Comparative);
        SetText(element, "Value", relation.Value);
    }
}

// A leading U+FEFF is part of the text (a window title can start with one); QString::fromUtf8
// would drop it as a byte-order mark.
QString FromXml(const char* text)
{
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(text));
}

pugi::xml_attribute Required(pugi::xml_node element, const char* name)
{
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) {
        throw EConvertError(QStringLiteral("Element \"%1\" has no attribute \"%2\"")
                                .arg(FromXml(element.name()), FromXml(name)));
    }
    return attribute;
}

QString RequiredText(pugi::xml_node element, const char* name)
{
    return UnescapedText(FromXml(Required(element, name).value()));
}

// An optional sign and one or more decimal digits, nothing else.
bool IsSignedDecimal(const char* text)
{
    if (*text == '+' || *text == '-')
        ++text;
    if (*text == '\0')
        return false;
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

int TrustValue(pugi::xml_attribute attribute)
{
    const QString text = FromXml(attribute.value());
    if (!IsSignedDecimal(attribute.value()))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return TextToInt(text); // range check
}

// "true" or "false" in any letter case, or a number: 0 is False, any other True.
bool SuspendedValue(pugi::xml_attribute attribute)
{
    const char* text = attribute.value();
    const QString word = FromXml(text);
    if (TextIsTrue(word))
        return true;
    if (UpperCaseAZ(word) == u"FALSE")
        return false;
    if (!IsSignedDecimal(text))
        throw EConvertError(QStringLiteral("'%1' is not a valid boolean value").arg(word));
    const char* digits = text + ((*text == '+' || *text == '-') ? 1 : 0);
    return digits[std::strspn(digits, "0")] != '\0';
}

// The global record's element is numbered -1; a missing number is an ordinary task.
bool IsEveryTaskElement(pugi::xml_node element)
{
    const pugi::xml_attribute number = element.attribute("No");
    if (!number)
        return false;
    const char* text = number.value();
    if (!IsSignedDecimal(text))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(FromXml(text)));
    if (*text != '-')
        return false;
    ++text;
    text += std::strspn(text, "0");
    return std::strcmp(text, "1") == 0;
}

void LoadRelations(pugi::xml_node code, TCode& Code)
{
    for (pugi::xml_node child : code.children()) {
        const bool condition = std::strcmp(child.name(), "Condition") == 0;
        if (!condition && std::strcmp(child.name(), "Action") != 0)
            continue;
        const QString type = RequiredText(child, "Type");
        if (type.isEmpty())
            continue;
        const QString variable = RequiredText(child, "Variable");
        const QString comparative = RequiredText(child, "Comparative");
        const QString value = RequiredText(child, "Value");
        if (condition)
            AppendCondition(Code, type, variable, comparative, value);
        else
            AppendAction(Code, type, variable, comparative, value);
    }
}

// Collects pugixml's output, so the file is written in one piece whose length can be checked.
class BufferWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override
    {
        buffer.append(static_cast<const char*>(data), qsizetype(size));
    }
    QByteArray buffer;
};

} // namespace

void SaveTaskToXml(const TTask& Task, pugi::xml_node Element)
{
    pugi::xml_node information = Element.append_child("Information");
    SetText(information, "Name", Task.Name);
    information.append_attribute("Trust").set_value(Task.Trust);
    SetText(information, "Status", Task.Status);

    pugi::xml_node description = Element.append_child("Description");
    SetText(description, "Parrent", Task.Parrent);
    SetText(description, "Class", Task.Class);
    SetText(description, "Executable", Task.Executable);
    description.append_attribute("Handle").set_value(static_cast<unsigned int>(Task.Handle));
    description.append_attribute("Suspended").set_value(Task.Suspended ? "true" : "false");

    for (const TCode& code : Task.Code) {
        pugi::xml_node element = Element.append_child("Code");
        SaveRelations(element, "Condition", code.Conditions);
        SaveRelations(element, "Action", code.Actions);
    }
}

void LoadTaskFromXml(TTask& Task, pugi::xml_node Element)
{
    ClearTask(Task);
    for (pugi::xml_node child : Element.children()) {
        const char* name = child.name();
        if (std::strcmp(name, "Information") == 0) {
            Task.Name = RequiredText(child, "Name");
            Task.Trust = TrustValue(Required(child, "Trust"));
        } else if (std::strcmp(name, "Description") == 0) {
            Task.Parrent = RequiredText(child, "Parrent");
            Task.Class = RequiredText(child, "Class");
            Task.Suspended = SuspendedValue(Required(child, "Suspended"));
        } else if (std::strcmp(name, "Code") == 0) {
            TCode code;
            LoadRelations(child, code);
            Task.Code.append(std::move(code));
        }
    }
}

bool SaveTaskDatabase(const QString& Path, const TTaskArray& TaskList, const TTask& Every)
{
    if (TaskList.isEmpty())
        return false;

    pugi::xml_document document;
    pugi::xml_node root = document.append_child("DataBase");
    pugi::xml_node every = root.append_child("Task");
    every.append_attribute("No").set_value(-1);
    SaveTaskToXml(Every, every);
    for (qsizetype i = 0; i < TaskList.size(); ++i) {
        pugi::xml_node element = root.append_child("Task");
        element.append_attribute("No").set_value(static_cast<long>(i + 1));
        SaveTaskToXml(TaskList.at(i), element);
    }

    BufferWriter writer;
    document.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);

    // Written beside the old file and renamed over it: a save that fails leaves the previous
    // database whole.
    try {
        ReplaceFile(Path, writer.buffer);
    } catch (const EVelmoraError& error) {
        throw ETaskDatabaseError(error.Message());
    }
    return true;
}

bool LoadTaskDatabase(const QString& Path, TTaskArray& TaskList, TTask& Every)
{
    if (!FileExists(Path))
        return false;

    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(QFile::encodeName(Path).constData());
    if (!parsed) {
        throw ETaskDatabaseError(
            QStringLiteral("Cannot read \"%1\": %2 (offset %3)")
                .arg(Path, FromXml(parsed.description()), QString::number(parsed.offset)));
    }

    // Read into new records and hand them over only when the whole file was read: a file that
    // fails half-way must not leave a half list that the save at exit would write back.
    TTaskArray tasks;
    TTask every;
    bool everyFound = false;
    for (pugi::xml_node child : document.document_element().children()) {
        if (child.type() != pugi::node_element)
            continue;
        if (IsEveryTaskElement(child)) {
            LoadTaskFromXml(every, child);
            every.Name = EveryTaskName;
            everyFound = true;
        } else {
            tasks.append(TTask());
            LoadTaskFromXml(tasks.back(), child);
        }
    }
    TaskList = std::move(tasks);
    if (everyFound)
        Every = std::move(every);
    return true;
}
