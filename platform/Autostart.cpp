#include "platform/Autostart.h"

#include "platform/Files.h"
#include "platform/VelmoraError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

QString AutostartFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/autostart");
}

QString EntryPath(const QString& name)
{
    return AutostartFolder() + QLatin1Char('/') + name + QStringLiteral(".desktop");
}

// A value of the entry file: its own escapes for the backslash and the breaks.
QString EntryValue(const QString& text)
{
    QString value;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            value += QStringLiteral("\\\\");
            break;
        case '\n':
            value += QStringLiteral("\\n");
            break;
        case '\r':
            value += QStringLiteral("\\r");
            break;
        case '\t':
            value += QStringLiteral("\\t");
            break;
        default:
            value += c;
        }
    }
    return value;
}

// The entry's line that starts `program`.
QString ExecLine(const QString& program)
{
    return QStringLiteral("Exec=") + EntryValue(AutostartExecArgument(program));
}

[[noreturn]] void CannotWrite(const QString& path, const QString& reason)
{
    throw EVelmoraError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
}

} // namespace

QString AutostartExecArgument(const QString& program)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
        // A lone % would start a field code.
        if (c == QLatin1Char('%'))
            quoted += c;
    }
    return quoted + QLatin1Char('"');
}

void WriteAutostartEntry(const QString& name, const QString& program)
{
    const QString path = EntryPath(name);
    if (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).isEmpty() ||
        !QDir().mkpath(AutostartFolder()))
        CannotWrite(path, QStringLiteral("The folder cannot be created."));
    // Unbuffered, so that a write the disk cuts short is seen before the commit puts it in place.
    QSaveFile entry(path);
    if (!entry.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        CannotWrite(path, entry.errorString());
    // The program finds its libraries and data in the folder it starts in.
    const QByteArray text =
        QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\n%2\nPath=%3\n")
            .arg(EntryValue(name), ExecLine(program), EntryValue(QFileInfo(program).absolutePath()))
            .toUtf8();
    if (entry.write(text) != text.size()) {
        const QString reason = entry.errorString();
        entry.cancelWriting();
        CannotWrite(path, reason);
    }
    if (!entry.commit())
        CannotWrite(path, entry.errorString());
}

void DeleteAutostartEntry(const QString& name)
{
    const QString path = EntryPath(name);
    DeleteFile(path);
    if (FileExists(path))
        throw EVelmoraError(QStringLiteral("Cannot delete file \"%1\".").arg(path));
}

bool AutostartEntryExists(const QString& name)
{
    return FileExists(EntryPath(name));
}

bool AutostartEntryStarts(const QString& name, const QString& program)
{
    QFile entry(EntryPath(name));
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    return QString::fromUtf8(entry.readAll()).split(QLatin1Char('\n')).contains(ExecLine(program));
}
