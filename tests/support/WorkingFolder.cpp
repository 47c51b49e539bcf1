#include "WorkingFolder.h"

#include <QFile>
#include <QFileInfo>
#include <stdexcept>

WorkingFolder::WorkingFolder()
    : previous_(QDir::currentPath())
{
    if (!folder_.isValid() || !QDir::setCurrent(folder_.path()))
        throw std::runtime_error("no temporary working folder");
}

WorkingFolder::~WorkingFolder()
{
    QDir::setCurrent(previous_);
}

void WorkingFolder::Write(const QString& relativePath, const QByteArray& content) const
{
    const QString path = folder_.filePath(relativePath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        throw std::runtime_error("cannot write test file");
}

QByteArray WorkingFolder::Read(const QString& relativePath) const
{
    QFile file(folder_.filePath(relativePath));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool WorkingFolder::Exists(const QString& relativePath) const
{
    return QFileInfo::exists(folder_.filePath(relativePath));
}
