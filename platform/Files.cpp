#include "platform/Files.h"

#include "platform/VelmoraError.h"

#include <QFile>
#include <QTextStream>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

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

QStringList ReadTextLines(const QString& path)
{
    QFile file(path);
    if (!OpenForReading(file))
        throw EVelmoraError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, SystemReason(errno ? errno : ENOENT)));
    QStringList lines;
    QTextStream stream(&file);
    QString line;
    while (stream.readLineInto(&line))
        lines.append(line);
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(file.errorString());
    return lines;
}

void WriteTextLines(const QString& path, const QStringList& lines)
{
    QFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw EVelmoraError(
            QStringLiteral("Cannot create file \"%1\". %2").arg(path, SystemReason(errno ? errno : EACCES)));
    QTextStream stream(&file);
    for (const QString& line : lines)
        stream << line << '\n';
    stream.flush();
    if (stream.status() != QTextStream::Ok || !file.flush())
        throw EInOutError(file.errorString());
}
