#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

bool ShellExecute(const QString& file)
{
    const QUrl url(file);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        return QDesktopServices::openUrl(url);
    const QFileInfo local(file);
    if (local.isFile() && local.isExecutable())
        return QProcess::startDetached(local.absoluteFilePath(), {});
    if (local.exists())
        return QDesktopServices::openUrl(QUrl::fromLocalFile(local.absoluteFilePath()));
    const QString onPath = QStandardPaths::findExecutable(file);
    if (!onPath.isEmpty())
        return QProcess::startDetached(onPath, {});
    return false;
}

namespace {

std::function<bool(const QString&)>& StartHandler()
{
    static std::function<bool(const QString&)> handler;
    return handler;
}

} // namespace

bool StartProgram(const QString& path)
{
    if (StartHandler())
        return StartHandler()(path);
    return QProcess::startDetached(QFileInfo(path).absoluteFilePath(), {});
}

void SetStartProgramHandler(std::function<bool(const QString& path)> handler)
{
    StartHandler() = std::move(handler);
}
