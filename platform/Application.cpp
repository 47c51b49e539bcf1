#include "platform/Application.h"

#include "platform/ErrorGuard.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

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

// Written by the signal handler, read by the event loop.
int endSignalPipe[2] = {-1, -1};

void EndSignalHandler(int)
{
    // Only what is safe inside a signal handler: one byte into the pipe.
    const int saved = errno;
    const char byte = 1;
    const ssize_t written = ::write(endSignalPipe[1], &byte, 1);
    static_cast<void>(written);
    errno = saved;
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
}

ProgramWait::~ProgramWait()
{
    --openWaits;
}

bool InsideWait()
{
    return openWaits > 0;
}

void OnEndSignal(std::function<void()> road)
{
    // Without the pipe the signals keep ending the program at once.
    if (::pipe2(endSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier =
        new QSocketNotifier(endSignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [road = std::move(road)] {
        char bytes[64];
        while (::read(endSignalPipe[0], bytes, sizeof bytes) > 0) {
        }
        // The road may open a box (a failed save) whose wait handles the next signal.
        static bool running = false;
        if (running)
            return;
        running = true;
        const auto done = qScopeGuard([] { running = false; });
        Guarded(road);
    });
    struct sigaction action {};
    action.sa_handler = EndSignalHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
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
