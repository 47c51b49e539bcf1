#include "platform/Application.h"

#include <QCoreApplication>
#include <QThread>

namespace {

bool terminated = false;
QString exeName;

std::function<void(int)>& SleepHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

} // namespace

namespace Application {

void Terminate()
{
    terminated = true;
    // exit(), not quit(): quit() would send the main window a close event and save a second time.
    QCoreApplication::exit(0);
}

bool Terminated()
{
    return terminated;
}

void ResetTerminated()
{
    terminated = false;
}

void ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

QString ExeName()
{
    return exeName.isEmpty() ? QCoreApplication::applicationFilePath() : exeName;
}

void SetExeName(const QString& path)
{
    exeName = path;
}

} // namespace Application

void Sleep(int milliseconds)
{
    if (SleepHandler())
        SleepHandler()(milliseconds);
    else
        QThread::msleep(static_cast<unsigned long>(milliseconds));
}

void SetSleepHandler(std::function<void(int)> handler)
{
    SleepHandler() = std::move(handler);
}
