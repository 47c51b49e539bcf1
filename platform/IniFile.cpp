#include "platform/IniFile.h"

#include "platform/Files.h"
#include "platform/VelmoraError.h"

#include <QFile>
#include <limits>
#include <optional>

namespace {

// Far beyond any settings file; what lies further is not read, so a huge file cannot stall the start.
constexpr qint64 MaxSettingsBytes = 1 << 20;

// Names match with the letters a to z folded, as the settings' own names are written.
bool SameName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    auto fold = [](QChar c) { return c >= u'a' && c <= u'z' ? QChar(c.unicode() - (u'a' - u'A')) : c; };
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

// Reads what the file gives up to the limit and stops at the first read error.
QByteArray ReadPrefix(const QString& fileName)
{
    QFile file(fileName);
    QByteArray content;
    if (!file.open(QIODevice::ReadOnly))
        return content;
    while (content.size() < MaxSettingsBytes) {
        const QByteArray chunk = file.read(MaxSettingsBytes - content.size());
        if (chunk.isEmpty())
            break;
        content += chunk;
    }
    return content;
}

// Decimal, or hexadecimal after "0x", "0X" or "$", with an optional sign; nullopt for anything else
// and for a number beyond the integer range.
std::optional<int> ParseInteger(QStringView text)
{
    bool negative = false;
    if (text.startsWith(u'-') || text.startsWith(u'+')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    int base = 10;
    if (text.startsWith(u'$')) {
        base = 16;
        text = text.mid(1);
    } else if (text.startsWith(u"0x") || text.startsWith(u"0X")) {
        base = 16;
        text = text.mid(2);
    }
    if (text.isEmpty())
        return std::nullopt;
    const qint64 limit =
        negative ? -qint64(std::numeric_limits<int>::min()) : std::numeric_limits<int>::max();
    qint64 value = 0;
    for (QChar c : text) {
        const int digit = c.isDigit() && c.unicode() < 128 ? c.unicode() - u'0'
                          : base == 16 && c.toLower() >= u'a' && c.toLower() <= u'f'
                              ? c.toLower().unicode() - u'a' + 10
                              : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > limit)
            return std::nullopt;
    }
    return int(negative ? -value : value);
}

} // namespace

TIniFile::TIniFile(const QString& fileName, TIniOpen open)
    : fileName_(fileName)
{
    if (open == TIniOpen::Existing)
        Parse(DecodeText(ReadPrefix(fileName)));
}

void TIniFile::Parse(const QString& text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    Section* current = nullptr;
    for (QStringView line : QStringView(lines).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype end = line.indexOf(u']');
            const QString name = line.mid(1, end < 0 ? -1 : end - 1).trimmed().toString();
            current = nullptr;
            for (Section& section : sections_) {
                if (SameName(section.name, name))
                    current = &section;
            }
            if (current == nullptr)
                current = &sections_.emplace_back(Section{name, {}});
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (current == nullptr || equals <= 0)
            continue;
        current->keys.push_back(
            Key{line.left(equals).trimmed().toString(), line.mid(equals + 1).trimmed().toString()});
    }
}

const QString* TIniFile::Find(const QString& section, const QString& ident) const
{
    for (const Section& s : sections_) {
        if (!SameName(s.name, section))
            continue;
        for (const Key& key : s.keys) {
            if (SameName(key.name, ident))
                return &key.value;
        }
    }
    return nullptr;
}

bool TIniFile::SectionExists(const QString& section) const
{
    for (const Section& s : sections_) {
        if (SameName(s.name, section) && !s.keys.empty())
            return true;
    }
    return false;
}

int TIniFile::ReadInteger(const QString& section, const QString& ident, int fallback) const
{
    const QString* value = Find(section, ident);
    if (value == nullptr)
        return fallback;
    return ParseInteger(*value).value_or(fallback);
}

bool TIniFile::ReadBool(const QString& section, const QString& ident, bool fallback) const
{
    return ReadInteger(section, ident, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteInteger(const QString& section, const QString& ident, int value)
{
    WriteString(section, ident, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& ident, bool value)
{
    WriteString(section, ident, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteString(const QString& section, const QString& ident, const QString& value)
{
    Section* target = nullptr;
    for (Section& s : sections_) {
        if (SameName(s.name, section)) {
            target = &s;
            break;
        }
    }
    if (target == nullptr)
        target = &sections_.emplace_back(Section{section, {}});
    for (Key& key : target->keys) {
        if (SameName(key.name, ident)) {
            key.value = value;
            return;
        }
    }
    target->keys.push_back(Key{ident, value});
}

void TIniFile::UpdateFile() const
{
    QString text;
    for (const Section& s : sections_) {
        if (s.keys.empty())
            continue;
        text += u'[' + s.name + QStringLiteral("]\r\n");
        for (const Key& key : s.keys)
            text += key.name + u'=' + key.value + QStringLiteral("\r\n");
    }
    try {
        ReplaceFile(fileName_, text.toUtf8());
    } catch (const EVelmoraError&) {
        throw EVelmoraError(QStringLiteral("Unable to write to %1").arg(fileName_));
    }
}
