#pragma once

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

// The full path of the running executable. Tests name a file of their own, so that nothing acts on
// the test program; an empty path restores the real one.
QString ExeName();
void SetExeName(const QString& path);

} // namespace Application

// Sleeps the user-interface thread. Tests replace the sleep so that waits cost no real time.
void Sleep(int milliseconds);
void SetSleepHandler(std::function<void(int)> handler);
