#include "platform/Files.h"

#include "platform/VelmoraError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryFile>
#include <QTextStream>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

// A new file is "<name>.XXXXXX.tmp" while it is written: the ".tmp" tells it from a user's own
// "<name>.backup".
const QString TemporaryEnd = QStringLiteral(".tmp");
const QString TemporarySuffix = QStringLiteral(".XXXXXX") + TemporaryEnd;
// As many links as the system follows in one path.
constexpr int MaximumLinks = 40;

std::filesystem::path ToPath(const QString& path)
{
    return std::filesystem::path(path.toStdU16String());
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Opens for reading; errno tells why when it fails.
bool OpenForReading(QFile& file)
{
    errno = 0;
    return file.open(QIODevice::ReadOnly | QIODevice::Text);
}

} // namespace

bool FileExists(const QString& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(ToPath(path), error);
}

bool DirectoryExists(const QString& path)
{
    std::error_code error;
    return std::filesystem::is_directory(ToPath(path), error);
}

bool CreateDir(const QString& path)
{
    std::error_code error;
    return std::filesystem::create_directory(ToPath(path), error);
}

bool DeleteFile(const QString& path)
{
    std::error_code error;
    const auto target = ToPath(path);
    if (std::filesystem::is_directory(target, error))
        return false;
    return std::filesystem::remove(target, error);
}

bool MoveFile(const QString& from, const QString& to)
{
    std::error_code error;
    const auto source = ToPath(from);
    const auto target = ToPath(to);
    if (!std::filesystem::exists(source, error) || std::filesystem::exists(target, error))
        return false;
    std::filesystem::rename(source, target, error);
    return !error;
}

void CopyFile(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::copy_file(ToPath(from), ToPath(to), std::filesystem::copy_options::overwrite_existing,
                               error);
    if (error)
        throw EVelmoraError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(to, QString::fromStdString(error.message())));
}

bool MakeExecutable(const QString& path)
{
    using std::filesystem::perms;
    std::error_code error;
    const auto target = ToPath(path);
    const perms current = std::filesystem::status(target, error).permissions();
    if (error)
        return false;
    perms execute = perms::owner_exec;
    if ((current & perms::group_read) != perms::none)
        execute |= perms::group_exec;
    if ((current & perms::others_read) != perms::none)
        execute |= perms::others_exec;
    std::filesystem::permissions(target, execute, std::filesystem::perm_options::add, error);
    return !error;
}

QString ReadFirstLine(const QString& path)
{
    QFile file(path);
    if (!OpenForReading(file))
        throw EInOutError(SystemReason(errno ? errno : ENOENT));
    QTextStream stream(&file);
    const QString line = stream.readLine();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(file.errorString());
    return line;
}

QString DecodeText(QByteArray content)
{
    QStringConverter::Encoding encoding = QStringConverter::Utf8;
    if (content.startsWith("\xEF\xBB\xBF")) {
        content.remove(0, 3);
    } else if (content.startsWith("\xFF\xFE")) {
        encoding = QStringConverter::Utf16LE;
        content.remove(0, 2);
    } else if (content.startsWith("\xFE\xFF")) {
        encoding = QStringConverter::Utf16BE;
        content.remove(0, 2);
    }
    // The mark is gone; a second one is the first line's text.
    QStringDecoder decode(encoding, QStringConverter::Flag::ConvertInitialBom);
    return decode(content);
}

QStringList ReadTextLines(const QString& path)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly))
        throw EVelmoraError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, SystemReason(errno ? errno : ENOENT)));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(file.errorString());
    const QString text = DecodeText(content);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

void WriteTextLines(const QString& path, const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    // UTF-8 would lose a leading U+FEFF to the reader as a mark, and an unpaired surrogate as "?".
    if (text.startsWith(QChar::ByteOrderMark) || !text.isValidUtf16()) {
        QStringEncoder encode(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
        ReplaceFile(path, encode(text));
    } else {
        ReplaceFile(path, text.toUtf8());
    }
}

void ReplaceFile(const QString& path, const QByteArray& content)
{
    // A symbolic link stays: the file it names, at the end of its chain, is the one replaced.
    std::filesystem::path target = ToPath(path);
    std::error_code error;
    for (int links = 0; std::filesystem::is_symlink(target, error); ++links) {
        const std::filesystem::path next = std::filesystem::read_symlink(target, error);
        if (links == MaximumLinks || error)
            throw EVelmoraError(QStringLiteral("Cannot create file \"%1\". %2")
                                    .arg(path, SystemReason(error ? error.value() : ELOOP)));
        target = target.parent_path() / next;
    }
    const QString targetPath = QString::fromStdU16String(target.u16string());
    // Not QSaveFile: with buffered writes it reports success for a new file that the disk cut short.
    QTemporaryFile file(targetPath + TemporarySuffix);
    errno = 0;
    const bool written =
        file.open() && file.write(content) == content.size() && file.flush() && ::fsync(file.handle()) == 0;
    QString reason = errno != 0 ? SystemReason(errno) : file.errorString();
    if (written) {
        file.setPermissions(FileExists(targetPath)
                                ? QFile::permissions(targetPath)
                                : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        std::filesystem::rename(ToPath(file.fileName()), target, error);
        if (!error) {
            file.setAutoRemove(false);
            return;
        }
        reason = QString::fromStdString(error.message());
    }
    throw EVelmoraError(QStringLiteral("Cannot create file \"%1\". %2").arg(path, reason));
}

void RemoveStaleTemporaries(const QString& path)
{
    const QFileInfo target(path);
    const QString prefix = target.fileName() + u'.';
    const QDir folder = target.dir();
    const QStringList names =
        folder.entryList({prefix + QStringLiteral("??????") + TemporaryEnd}, QDir::Files | QDir::NoSymLinks);
    for (const QString& name : names) {
        // The writer's random part is six ASCII letters.
        const QStringView random = QStringView(name).mid(prefix.size(), 6);
        const bool letters = std::all_of(random.begin(), random.end(), [](QChar c) {
            return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        });
        if (letters)
            QFile::remove(folder.filePath(name));
    }
}
