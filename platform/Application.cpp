#include "platform/Application.h"

#include "platform/EnumWindows.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace {

bool terminated = false;
QString exeName;
int openWaits = 0;

std::function<void(int)>& SleepHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

std::function<void(int)>& WaitHandler()
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

void WaitForMessages(int milliseconds, const std::function<bool()>& done)
{
    if (WaitHandler()) {
        ProcessMessages();
        WaitHandler()(milliseconds);
        return;
    }
    if (done())
        return;
    QEventLoop wait;
    QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
    // Looked at each time the thread is about to sleep, that is once the events at hand ran.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &wait,
                     [&] {
                         if (done())
                             wait.quit();
                     });
    // The program's end ends this wait too.
    wait.exec();
}

ProgramWait::ProgramWait()
{
    ++openWaits;
    // A wait may hold the task tick up (a notice, the tick's own error box): nobody would read what
    // the enumeration's watch hears meanwhile. The next enumeration reads the display anew.
    EndWindowWatch();
}

ProgramWait::~ProgramWait()
{
    --openWaits;
}

bool InsideWait()
{
    return openWaits > 0;
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

void SetWaitHandler(std::function<void(int)> handler)
{
    WaitHandler() = std::move(handler);
}
