#include "shell/MainWindow.h"

#include "platform/Application.h"
#include "platform/EnumWindows.h"
#include "platform/ErrorGuard.h"
#include "platform/Timer.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskLibrary.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskWindow.h"

#include <QPushButton>
#include <QSlider>

namespace {

// Repeated answers may ask for more turns than this; the rest waits for the next tick, so the tick
// always ends.
constexpr int MaxLoopTurns = 4;

// The notification dialog is the program's own question, never a task: its round holds it up past
// the answer, and a window manager may list it a while after it was hidden.
bool EnumTaskWindows(BrevantWindow window, const BrevantWindowList* list)
{
    return window == static_cast<BrevantWindow>(VelmoraTaskAction->internalWinId()) ||
           EnumWindowsAll(window, list);
}

void RunTaskLoop()
{
    // One round for all passes: a dialog hidden by one pass and shown by the next at once may be lost.
    const NoticeRound round;
    for (int turn = 0; turn < MaxLoopTurns; ++turn) {
        RepeatAgain = false;
        ProcessTaskRequests();
        // Stopped or ended inside a notification's wait: after AUTO STOP's clear a check would
        // take every window in again, and after an exit the library is gone.
        if (Application::Terminated() || !VelmoraTask->ManagerStarted)
            return;
        BeginWindowList();
        EnumWindows(EnumTaskWindows, &NowRunningItems());
        EndWindowList(VelmoraTask->NowRunning);
        VelmoraTask->taskInstance();
        if (!RepeatAgain)
            return;
    }
}

} // namespace

void TVelmoraMain::TaskTimerTimer(QObject*)
{
    // Once the program is ending the library may already be gone.
    if (Application::Terminated())
        return;
    QString caption = QStringLiteral("Task Manager: ");
    if (VelmoraTask->ManagerStarted && TaskCheckSpeed > 0)
        caption += QStringLiteral("Started, New tasks ") +
                   (CheckForNewTasks ? QStringLiteral("enabled") : QStringLiteral("disabled"));
    else
        caption += QStringLiteral("Stopped");
    TaskButton->setText(caption);
    if (!VelmoraTask->ManagerStarted) {
        EndWindowWatch();
        return;
    }

    // The repeat window's clock.
    QSlider* repeat = VelmoraTaskAction->TimeRepeatBar;
    if (repeat->value() > 0 && !VelmoraTaskAction->isVisible())
        repeat->setValue(repeat->value() - 1);

    TaskTimer->SetEnabled(false);
    // An error ends this tick's work, not the cycle: it is shown while the timer is off, so boxes
    // never pile up, and the next tick checks again.
    Guarded(RunTaskLoop);
    for (const QString& error : TakeScriptErrors()) {
        if (Application::Terminated())
            return;
        ShowErrorBox(error);
    }
    if (!Application::Terminated())
        TaskTimer->SetEnabled(true);
}
