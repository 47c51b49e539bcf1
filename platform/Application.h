#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

// The application object's operations that the system uses.
namespace Application {

// Ends the message loop, nested loops included; Terminated() is true from then on.
void Terminate();
bool Terminated();
// Tests start each program run afresh.
void ResetTerminated();

// Handles every pending event, timer ticks included.
void ProcessMessages();
// Handles events as they come for up to `milliseconds`, and stops as soon as `done` holds once the
// events at hand are handled. The thread sleeps only while no event is pending.
void WaitForMessages(int milliseconds, const std::function<bool()>& done);

// A wait of the program that handles events (a message box, a modal dialog, the notification
// dialog, the optimization's wait) is open while one of these lives. Opening one ends the window
// enumeration's watch on the display.
class ProgramWait {
public:
    ProgramWait();
    ~ProgramWait();
    ProgramWait(const ProgramWait&) = delete;
    ProgramWait& operator=(const ProgramWait&) = delete;
};
// True inside such a wait: nothing that waits for the user may start then.
bool InsideWait();

// From now on SIGTERM, SIGHUP and SIGINT (a logout, `kill`, Ctrl+C) run `road` in the event loop,
// nested loops included, inside the error guard; a signal that comes while it runs is dropped.
void OnEndSignal(std::function<void()> road);

// Whether a display that Qt's "xcb;wayland" choice would open answers now: the X server named by
// `xDisplay`, or a Wayland compositor listening at `waylandDisplay` (empty: Qt's default name).
// The X connection stays open until EndDisplayCheck(), once Qt has its own: an X server resets when
// its last client leaves, and refuses connections meanwhile.
bool DisplayAnswers(const QByteArray& xDisplay, const QByteArray& waylandDisplay);
void EndDisplayCheck();

// The full path of the running executable. Tests name a file of their own, so that nothing acts on
// the test program; an empty path restores the real one.
QString ExeName();
void SetExeName(const QString& path);

} // namespace Application

// Sleeps the user-interface thread. Tests replace the sleep so that waits cost no real time.
void Sleep(int milliseconds);
void SetSleepHandler(std::function<void(int)> handler);
// Tests replace WaitForMessages alike: the handler gets the time, after the pending events ran.
void SetWaitHandler(std::function<void(int)> handler);
