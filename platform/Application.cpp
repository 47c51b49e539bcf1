#include "platform/Application.h"

#include "platform/EnumWindows.h"
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
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <xcb/xcb.h>

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

xcb_connection_t* displayCheck = nullptr;

bool XDisplayAnswers(const QByteArray& name)
{
    xcb_connection_t* connection = xcb_connect(name.isEmpty() ? nullptr : name.constData(), nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return false;
    }
    displayCheck = connection;
    return true;
}

// Found as libwayland finds it: an absolute path, or a name in XDG_RUNTIME_DIR.
bool WaylandDisplayAnswers(const QByteArray& name)
{
    // A connection handed down by the compositor.
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET"))
        return true;
    QByteArray path = name.isEmpty() ? QByteArrayLiteral("wayland-0") : name;
    if (!path.startsWith('/')) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty())
            return false;
        path = runtime + '/' + path;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<size_t>(path.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
        return false;
    const bool answers = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(socket);
    return answers;
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

bool DisplayAnswers(const QByteArray& xDisplay, const QByteArray& waylandDisplay)
{
    return XDisplayAnswers(xDisplay) || WaylandDisplayAnswers(waylandDisplay);
}

void EndDisplayCheck()
{
    if (displayCheck != nullptr)
        xcb_disconnect(std::exchange(displayCheck, nullptr));
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
