#include "TaskFixture.h"

#include "platform/Application.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskResult.h"
#include "taskmanager/TaskWindow.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <dlfcn.h>
#include <thread>

namespace {

long textComparisons = 0;

TRelation Perform(const QString& action, const QString& value)
{
    return TRelation{ExecuteActionMarker, action, QStringLiteral("="), value};
}

// A known task as the database would hold it.
TTask& AddTask(const QString& name, int trust, TWindowHandle handle = 0, const QString& notice = QString())
{
    TTask& task = Tasks.emplace_back();
    ClearTask(task);
    task.Name = name;
    task.Trust = trust;
    task.Handle = handle;
    task.Notification = notice;
    return task;
}

} // namespace

// Counts the program's comparisons of two texts; Qt's own routine answers them.
int QtPrivate::compareStrings(QStringView lhs, QStringView rhs, Qt::CaseSensitivity cs) noexcept
{
    using Compare = int (*)(QStringView, QStringView, Qt::CaseSensitivity) noexcept;
    static const auto qt = reinterpret_cast<Compare>(
        dlsym(RTLD_NEXT, "_ZN9QtPrivate14compareStringsE11QStringViewS0_N2Qt15CaseSensitivityE"));
    ++textComparisons;
    return qt(lhs, rhs, cs);
}

// A window opens, becomes a task, is asked about, changes status, is distrusted by its own rule,
// suspended by the global rule and killed by the user's answer.
TEST_F(TaskFixture, RoadOfOneWindow)
{
    OpenWindow(7, "Editor");
    StartManager();
    Tick();
    ASSERT_EQ(Tasks.size(), 1);
    EXPECT_EQ(Tasks[0].Notification, "NEW TASK RUNNING");
    EXPECT_EQ(Tasks[0].Executable, "Process ID: 7");
    EXPECT_EQ(Tasks[0].Memory, 0);
    EXPECT_EQ(VelmoraMain->TaskButton->text(), "Task Manager: Started, New tasks enabled");

    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    Tick();
    EXPECT_EQ(Tasks[0].Trust, 1);

    SetText(7, "status", "Busy");
    SetFacts(7, 7, 3 * 1048576 / 2, true);
    Tasks[0].Code = {TCode{{TRelation{"String", "Status", "==", "Busy"}}, {Perform("SetTrust", "-2")}}};
    EveryTask.Code = {TCode{{}, {Perform("Suspended", "true")}}};
    Tick();
    EXPECT_TRUE(Tasks[0].Notification.isEmpty()) << "no check before the interval ran out";
    Tick();
    EXPECT_EQ(Tasks[0].Notification, "TASK CHANGED STATUS ( from Running to Busy)");
    EXPECT_EQ(Tasks[0].Trust, -2);
    EXPECT_EQ(Tasks[0].Memory, 2);
    EXPECT_TRUE(Tasks[0].SuspendRequested);

    // Distrusted: suspended while the dialog waits, resumed once after it.
    AnswerWith(VelmoraTaskAction->KillToRun, 2);
    Tick();
    EXPECT_EQ(TakeCalls(), (QStringList{"HandleSuspendOf 7 7", "HandleSuspendOf 7 7", "ProcessResume 7",
                                        "HandleSuspendOf 7 7", "HandleKillOf 7 7"}));
    EXPECT_EQ(Tasks[0].Trust, -3);
    EXPECT_EQ(Tasks[0].Handle, 0u);
    EXPECT_TRUE(Tasks[0].Suspended);
    // Checks need a window: one the filter leaves out will do.
    VelmoraTaskExpert->ExcludeTable->setItem(0, 0, new QTableWidgetItem("shell"));
    OpenWindow(9, "Shell");
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ(Tasks[0].Status, "Inactive");
    EXPECT_EQ(shownNotices, (QStringList{"NEW TASK RUNNING", "TASK CHANGED STATUS ( from Running to Busy)"}));
    EXPECT_TRUE(VelmoraMain->TaskTimer->Enabled());
}

TEST_F(TaskFixture, ChecksFollowTheWindowsAndTheFilter)
{
    VelmoraTaskExpert->ExcludeTable->setRowCount(3);
    VelmoraTaskExpert->ExcludeTable->setItem(0, 0, new QTableWidgetItem("aBc"));
    VelmoraTaskExpert->ExcludeTable->setItem(1, 0, new QTableWidgetItem("  "));
    VelmoraTaskExpert->ExcludeTable->setItem(2, 0, new QTableWidgetItem(QString::fromUtf8("é")));
    OpenWindow(1, "xABCx");
    OpenWindow(2, "Twin");
    OpenWindow(3, "Twin");
    OpenWindow(4, "Renamed  later");
    OpenWindow(5, "\xC3\x89T\xC3\x89");
    OpenWindow(6, "");
    AddTask("Keeper", 3);
    StartManager();
    Tick();
    QStringList names;
    for (const TTask& task : Tasks)
        names << task.Name;
    // É is no letter a to z: it does not match é.
    EXPECT_EQ(names, (QStringList{"Keeper", "Twin", "Renamed  later", QString::fromUtf8("ÉTÉ")}));
    EXPECT_EQ(Tasks[1].Handle, 3u) << "two windows of one title make one task, with the later window";
    EXPECT_EQ(Tasks[0].Status, "Inactive");

    for (TTask& task : Tasks)
        task.Notification.clear();
    Tasks[2].Trust = 1;
    OpenWindow(4, "New title");
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ(Tasks[2].Name, "Renamed  later") << "found by its window, the task keeps its name";
    EXPECT_TRUE(Tasks[2].Notification.isEmpty());
    EXPECT_EQ(Tasks[1].Notification, "TASK FOUND RUNNING");

    // Speed 0: no checks, but requests are still carried out.
    VelmoraTaskExpert->SpeedTaskBar->setValue(0);
    Tasks[2].KillRequested = true;
    AnswerWith(VelmoraTaskAction->NothingNotification);
    AnswerWith(VelmoraTaskAction->NothingNotification);
    OpenWindow(8, "Unseen");
    Tick();
    EXPECT_EQ(VelmoraMain->TaskButton->text(), "Task Manager: Stopped");
    EXPECT_EQ(TakeCalls(), QStringList{"HandleKillOf 4 4"});
    EXPECT_EQ(Tasks.size(), 4);
}

// A check updates a task that does not run through the first task of its name, also after a rule
// or a writer between checks renamed one, and compares a bounded number of names per task.
TEST_F(TaskFixture, ChecksOfTasksThatDoNotRun)
{
    VelmoraTaskExpert->ExcludeTable->setItem(0, 0, new QTableWidgetItem("shell"));
    OpenWindow(9, "Shell"); // checks need a window
    // Each run of its script raises a task's trust by one; the first task's script also renames it.
    for (const char* name : {"A", "B", "A"})
        AddTask(name, 0).Code = {TCode{{TRelation{"Integer", "Trust", "+", "1"}},
                                       {Perform("SetTrust", LastCalculationResultMarker)}}};
    Tasks[0].Code[0].Actions.append(Perform("SetName", "B"));
    StartManager();
    Tick();
    EXPECT_EQ((QList<int>{Tasks[0].Trust, Tasks[1].Trust, Tasks[2].Trust}), (QList<int>{2, 0, 1}));
    // Names written between checks (a load, Remove) decide the first task of each name anew.
    Tasks[1].Name = "A";
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ((QList<int>{Tasks[0].Trust, Tasks[1].Trust, Tasks[2].Trust}), (QList<int>{3, 2, 1}));
    Tasks.removeAt(0);
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ((QList<int>{Tasks[0].Trust, Tasks[1].Trust}), (QList<int>{4, 1}));

    // Tasks that stay inactive with nothing to change are passed over: the checks leave every task
    // as they leave it while a global script that never acts runs for each.
    OpenWindow(4, "Twin");
    const auto checked = [this](const TScript& global) {
        Tasks.clear();
        EveryTask.Code = global;
        AddTask("Loaded", 1).Status = "Running"; // as the database holds it
        TTask& held = AddTask("Held", -2);
        held.ProcessId = 12;
        held.Executable = "Process ID: 12";
        held.Memory = 3;
        held.Suspended = true;
        // The first runs; the inactive one of its name, which has nothing to change itself, makes
        // it inactive at each check.
        AddTask("Twin", 4);
        TTask& twin = AddTask("Twin", 3);
        twin.Status = "Inactive";
        twin.Executable = "Process ID: 0";
        RememberTaskValues(twin);
        AddTask("Plain", 2);
        for (int i = 0; i < 9; ++i) {
            Tick();
            if (i == 4)
                Tasks[4].Trust = 3;
        }
        return Tasks;
    };
    const TTaskArray passedOver = checked({});
    EXPECT_EQ(passedOver, checked({TCode{{TRelation{"String", "Name", "==", "Nobody"}}, {}}}));
    EXPECT_EQ(passedOver[1].Executable, "Process ID: 0");
    EXPECT_FALSE(passedOver[1].Suspended);
    EXPECT_EQ(passedOver[4].PrevTrust, 3);
    EXPECT_EQ(passedOver[2].Status, "Inactive");
    EveryTask.Code.clear();
    CloseWindow(4);

    Tasks.clear();
    for (int i = 0; i < 2000; ++i)
        AddTask(QStringLiteral("Closed %1").arg(i, 5, 10, QLatin1Char('0')), 4);
    textComparisons = 0;
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_EQ(Tasks.last().Status, "Inactive") << "no check ran";
    EXPECT_LE(textComparisons, 10 * 2000);
}

TEST_F(TaskFixture, AnswersBecomeTrustAndRequests)
{
    AddTask("Unknown", 0, 1, "n");
    AddTask("Known", 2, 2, "n");
    AddTask("Risky", -3, 3, "n");
    AddTask("Liked", 1, 4, "n");
    AddTask("Dangerous", -4, 5, "n");
    AddTask("Ruled", 9, 6, "n");
    VelmoraTaskAction->TimeRepeatBar->setValue(0);
    StartManager();
    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    AnswerWith(VelmoraTaskAction->AllowToRun);
    AnswerWith(VelmoraTaskAction->SuspendRun);
    AnswerWith(VelmoraTaskAction->KillToRun);
    AnswerWith(VelmoraTaskAction->SuspiciousRun);
    int hides = 0;
    VelmoraTaskAction->OnHide = [&, hide = VelmoraTaskAction->OnHide] {
        ++hides;
        hide();
    };
    ProcessTaskRequests();
    EXPECT_EQ(hides, 1) << "the dialog stays up from one notice of the pass to the next";
    QList<int> trusts;
    for (const TTask& task : Tasks)
        trusts << task.Trust;
    EXPECT_EQ(trusts, (QList<int>{1, 4, -4, 0, -4, 4}));
    EXPECT_EQ(shownNotices.size(), 5) << "a dangerous task is answered without the dialog";
    // Seen with no process: the library acts on none.
    EXPECT_EQ(TakeCalls(), (QStringList{"HandleSuspendParentOf 3 0", "HandleSuspendOf 3 0",
                                        "HandleKillOf 4 0", "HandleKillOf 5 0"}));

    // A custom trust replaces the computed one; the request stays.
    Tasks[0].Notification = "again";
    VelmoraTaskAction->AdvancedNotificationClick(nullptr);
    WhileWaiting = [](int) { VelmoraTaskAction->CustomTrustBar->setValue(-2); };
    AnswerWith(VelmoraTaskAction->KillToRun);
    ProcessTaskRequests();
    EXPECT_EQ(Tasks[0].Trust, -2);
    EXPECT_EQ(TakeCalls(), QStringList{"HandleKillOf 1 0"});
    EXPECT_EQ(VelmoraTaskAction->CustomTrustLabel->text(), TrustDescription(-2));

    // A close request or Esc is "Do Nothing", once the notice could be read.
    Tasks[1].Notification = "closed";
    Tasks[3].Notification = "escaped";
    WhileWaiting = [](int wait) {
        VelmoraTaskAction->close();
        QTest::keyClick(VelmoraTaskAction, Qt::Key_Escape);
        EXPECT_FALSE(VelmoraTaskAction->Answered) << "answered before the notice could be read";
        std::this_thread::sleep_for(TVelmoraTaskAction::AnswerDelay);
        if (wait % 2 == 0)
            VelmoraTaskAction->close();
        else
            QTest::keyClick(VelmoraTaskAction, Qt::Key_Escape);
    };
    ProcessTaskRequests();
    EXPECT_FALSE(VelmoraTaskAction->isVisible());
    EXPECT_EQ(Tasks[1].Trust, 4);
    EXPECT_EQ(Tasks[3].Trust, 0);
}

// An error in a rule ends only that script: the other tasks are still checked, the error is shown
// once while the timer is off, and the cycle goes on.
TEST_F(TaskFixture, ScriptErrorIsShownOnceAndTheCycleGoesOn)
{
    OpenWindow(1, "Faulty");
    OpenWindow(2, "Sound");
    AddTask("Faulty", 3).Code = {TCode{{}, {Perform("SetTrust", "high")}}};
    AddTask("Sound", 3).Code = {TCode{{}, {Perform("SetTrust", "4")}}};
    bool timerOffInBox = false;
    boxes.WhileOpen = [&](const MessageBoxCall&) { timerOffInBox = !VelmoraMain->TaskTimer->Enabled(); };
    StartManager();
    VelmoraMain->TaskTimer->SetEnabled(true);
    for (int i = 0; i < 7; ++i)
        Tick();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].text, "'high' is not a valid integer value.");
    EXPECT_EQ(boxes.Calls()[0].caption, "Velmora");
    EXPECT_TRUE(timerOffInBox);
    EXPECT_TRUE(VelmoraMain->TaskTimer->Enabled());
    EXPECT_EQ(Tasks[1].Trust, 4);

    Tasks[0].Code = {TCode{{}, {Perform("SetTrust", "low")}}};
    for (int i = 0; i < 3; ++i)
        Tick();
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Calls()[1].text, "'low' is not a valid integer value.");
}

// While the dialog waits the user may change the list: the answer follows the notified task, the
// suspension is undone on the window suspended, and nothing reaches a task that is gone.
TEST_F(TaskFixture, AnswerFollowsTheNotifiedTaskThroughTheWait)
{
    StartManager();
    VelmoraTaskAction->TimeRepeatBar->setValue(0);
    AddTask("First", 3, 1);
    AddTask("Second", 0, 2, "n");
    WhileWaiting = [](int) { Tasks.removeFirst(); };
    AnswerWith(VelmoraTaskAction->KillToRun);
    ProcessTaskRequests();
    ASSERT_EQ(Tasks.size(), 1);
    EXPECT_EQ(Tasks[0].Trust, -1);
    EXPECT_EQ(TakeCalls(), QStringList{"HandleKillOf 2 0"});

    OpenWindow(3, "Distrusted");
    OpenWindow(4, "Bystander");
    AddTask("Distrusted", -2, 3, "n").ProcessId = 3;
    AddTask("Bystander", 1, 4).ProcessId = 4;
    WhileWaiting = [](int) { Tasks.removeAt(1); };
    AnswerWith(VelmoraTaskAction->SuspendRun);
    ProcessTaskRequests();
    EXPECT_EQ(TakeCalls(), (QStringList{"HandleSuspendOf 3 3", "ProcessResume 3"}));
    ASSERT_EQ(Tasks.size(), 2);
    EXPECT_EQ(Tasks[1].Name, "Bystander");
    EXPECT_EQ(Tasks[1].Trust, 1);
    EXPECT_FALSE(Tasks[1].SuspendRequested);

    // Suspended before its dialog: the dialog's end does not resume it.
    Tasks[1].Trust = -2;
    Tasks[1].Suspended = true;
    Tasks[1].Notification = "n";
    WhileWaiting = [](int) { Tasks.clear(); };
    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    ProcessTaskRequests();
    EXPECT_EQ(TakeCalls(), QStringList{"HandleSuspendOf 4 4"});
    EXPECT_TRUE(Tasks.isEmpty());
}

// The wait resumes what it stopped and nothing the user holds stopped, in the family neither, and a
// Resume given during the wait is not undone by it.
TEST_F(TaskFixture, WaitUndoesExactlyItsOwnSuspension)
{
    StartManager();
    VelmoraTaskAction->TimeRepeatBar->setValue(0);
    OpenWindow(3, "Family");
    OpenWindow(5, "Sibling");
    SetFamily(3, {3, 5, 30});
    AddTask("Family", -3, 3).ProcessId = 3;
    AddTask("Sibling", 3, 5).ProcessId = 5;
    Tasks[0].SuspendRequested = Tasks[1].SuspendRequested = true;
    ProcessTaskRequests();
    Tasks[0].Notification = "n";
    AnswerWith(VelmoraTaskAction->NothingNotification);
    ProcessTaskRequests();
    EXPECT_EQ(TakeCalls(), (QStringList{"HandleSuspendOf 3 3", "HandleSuspendOf 5 5",
                                        "HandleSuspendParentOf 3 3", "ProcessResume 30"}));

    Tasks[0].Trust = -2;
    Tasks[0].Notification = "n";
    SelectedTask = 0;
    WhileWaiting = [](int) {
        if (Tasks[0].Suspended)
            VelmoraTask->ActionTaskResumeClick(nullptr);
    };
    AnswerWith(VelmoraTaskAction->NothingNotification, 3);
    ProcessTaskRequests();
    EXPECT_EQ(TakeCalls(), (QStringList{"HandleSuspendOf 3 3", "ProcessResume 3", "ProcessResume 3"}));
    EXPECT_FALSE(Tasks[0].Suspended);
    EXPECT_TRUE(Tasks[1].Suspended);
}

// A box or the statement dialog is answered first: a notice raised meanwhile waits for a later tick.
TEST_F(TaskFixture, NoNoticeOpensInsideAnotherWait)
{
    OpenWindow(1, "Box");
    StartManager();
    Tick();
    boxes.WhileOpen = [this](const MessageBoxCall&) { Tick(); };
    EXPECT_EQ(MessageBox(VelmoraTask, QStringLiteral("Clear?"), QStringLiteral("Velmora AUTO STOP: Clear?"),
                         TMsgButtons::YesNo, TMsgIcon::Question),
              IDNO);
    QTimer::singleShot(0, [this] {
        Tick();
        VelmoraTaskResult->OkButton->click();
    });
    EXPECT_EQ(VelmoraTaskResult->exec(), QDialog::Accepted);
    EXPECT_TRUE(shownNotices.isEmpty());
    EXPECT_EQ(Tasks[0].Notification, "NEW TASK RUNNING");
    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    Tick();
    EXPECT_EQ(shownNotices, QStringList{"NEW TASK RUNNING"});
}

// A burst of windows that are gone by their turn asks nothing, and a dangerous task is killed
// before the first notice waits.
TEST_F(TaskFixture, BurstOfGoneWindowsAsksNothingAndDangerousGoesFirst)
{
    OpenWindow(1, "Burst 1");
    OpenWindow(2, "Burst 2");
    OpenWindow(3, "Burst 3");
    StartManager();
    Tick();
    ASSERT_EQ(Tasks.size(), 3);
    OpenWindow(9, "Menace");
    TTask& menace = AddTask("Menace", -4, 9);
    menace.ProcessId = HandleToID(9);
    menace.KillRequested = true;
    QStringList callsAtFirstWait;
    WhileWaiting = [&](int) {
        if (callsAtFirstWait.isEmpty())
            callsAtFirstWait = TakeCalls();
        CloseWindow(2);
        CloseWindow(3);
    };
    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    Tick();
    EXPECT_EQ(callsAtFirstWait, QStringList{"HandleKillOf 9 9"});
    EXPECT_EQ(shownNotices.size(), 1);
}

// The dialog's wait handles events as they come: the thread does not sleep between them.
TEST_F(TaskFixture, WaitHandlesEventsWithoutSleeping)
{
    StartManager();
    VelmoraTaskAction->TimeRepeatBar->setValue(0);
    AddTask("Prompt", 0, 1, "n");
    SetWaitHandler({});
    int slept = 0;
    SetSleepHandler([&](int) { ++slept; });
    QTimer::singleShot(0, [] { VelmoraTaskAction->AllowToRun->click(); });
    ProcessTaskRequests();
    EXPECT_EQ(Tasks[0].Trust, 3);
    EXPECT_EQ(slept, 0);
}

TEST_F(TaskFixture, StopOrExitInsideTheWaitEndsTheTick)
{
    OpenWindow(1, "One");
    OpenWindow(2, "Two");
    // Every turn checks.
    VelmoraTaskExpert->SpeedTaskBar->setValue(1);
    StartManager();
    Tick();
    ASSERT_EQ(Tasks.size(), 2);
    // AUTO STOP inside the wait: the cleared list is not filled again in this tick.
    WhileWaiting = [](int) {
        VelmoraTask->ManagerStarted = false;
        Tasks.clear();
    };
    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    Tick();
    EXPECT_TRUE(Tasks.isEmpty());
    EXPECT_TRUE(VelmoraMain->TaskTimer->Enabled());

    StartManager();
    Tick();
    ASSERT_EQ(Tasks.size(), 2);
    Tasks[0].Trust = -2;
    Tasks[0].Notification = "n";
    Tasks[1].KillRequested = true;
    WhileWaiting = [this](int) {
        CloseWindow(1);
        ExitProgram();
    };
    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    const int waitsBefore = waits;
    Tick();
    EXPECT_EQ(waits, waitsBefore + 1);
    EXPECT_EQ(TakeCalls(), (QStringList{"HandleSuspendOf 1 1", "ProcessResume 1"}))
        << "resumed before the library goes, window or not, no call after it";
    EXPECT_FALSE(VelmoraMain->TaskTimer->Enabled());
}

// Speed 1 with "Do Nothing" repeated for unknown tasks: every turn raises a notice that is answered
// at once; the tick still ends.
TEST_F(TaskFixture, RepeatedAnswersCannotKeepTheTickTurning)
{
    OpenWindow(1, "Chatty");
    VelmoraTaskExpert->SpeedTaskBar->setValue(1);
    StartManager();
    Tick();
    WhileWaiting = [](int) { VelmoraTaskAction->TimeRepeatBar->setValue(10); };
    AnswerWith(VelmoraTaskAction->NothingNotification);
    Tick();
    EXPECT_EQ(VelmoraTaskAction->TimeRepeatLabel->text(), "Repeat: 5 sec");
    WhileWaiting = nullptr;
    Tick();
    EXPECT_EQ(Tasks[0].Notification, "TASK FOUND RUNNING");
    EXPECT_EQ(Tasks[0].Trust, 0);
    EXPECT_TRUE(VelmoraMain->TaskTimer->Enabled());
}

// Saved tasks found running at the first check: the dangerous one is killed, and the distrusted one,
// which has no previous name, is asked about and held stopped until the answer.
TEST_F(TaskFixture, SavedTasksSeenRunning)
{
    OpenWindow(1, "Menace");
    OpenWindow(2, "Distrusted");
    AddTask("Menace", -4);
    AddTask("Distrusted", -2);
    StartManager();
    Tick();
    EXPECT_TRUE(Tasks[0].KillRequested);
    EXPECT_TRUE(Tasks[0].Notification.isEmpty());
    EXPECT_EQ(Tasks[1].Notification, "TASK CHANGED NAME ( to Distrusted)");
    AnswerWith(VelmoraTaskAction->NothingNotification);
    Tick();
    EXPECT_EQ(shownNotices, QStringList{"TASK CHANGED NAME ( to Distrusted)"});
    EXPECT_EQ(TakeCalls(), (QStringList{"HandleKillOf 1 1", "HandleSuspendOf 2 2", "ProcessResume 2"}));
    EXPECT_EQ(Tasks[0].Handle, 0u);
}

TEST_F(TaskFixture, RepeatWindowAnswersItsClassAndLocksTheDialogForOthers)
{
    StartManager();
    VelmoraTaskAction->TimeRepeatBar->setValue(0);
    AddTask("Chosen", 0, 1, "n");
    WhileWaiting = [](int) { VelmoraTaskAction->TimeRepeatBar->setValue(10); };
    AnswerWith(VelmoraTaskAction->AllowToRun);
    ProcessTaskRequests();
    WhileWaiting = nullptr;

    AddTask("Unknown", 0, 2, "n");
    AddTask("Briefly", 1, 3, "n");
    bool locked = false;
    WhileWaiting = [&](int) {
        locked =
            !VelmoraTaskAction->TimeRepeatBar->isEnabled() && VelmoraTaskAction->StopTimerButton->isEnabled();
    };
    AnswerWith(VelmoraTaskAction->KillToRun);
    RepeatAgain = false;
    ProcessTaskRequests();
    EXPECT_TRUE(RepeatAgain);
    EXPECT_EQ(Tasks[1].Trust, 3) << "answered Safe without the dialog";
    EXPECT_EQ(Tasks[2].Trust, 0);
    EXPECT_TRUE(locked);
    EXPECT_EQ(VelmoraTaskAction->TimerActionToDo, 3) << "a locked dialog's answer is not repeated";
    EXPECT_EQ(shownNotices.size(), 2);

    Tasks[2].Trust = 1;
    Tasks[2].Notification = "n";
    WhileWaiting = [](int) { VelmoraTaskAction->StopTimerButton->click(); };
    AnswerWith(VelmoraTaskAction->NothingNotification);
    ProcessTaskRequests();
    EXPECT_EQ(VelmoraTaskAction->TimeRepeatBar->value(), 0);
    EXPECT_EQ(VelmoraTaskAction->TimeRepeatLabel->text(), "Repeat: Disabled");
}

TEST_F(TaskFixture, LibraryWrappers)
{
    OpenWindow(1, "Big");
    const std::pair<uint64_t, int> sizes[] = {
        {3 * 1048576 / 2, 2}, {5 * 1048576 / 2, 2}, {4294967295u, 4096}};
    for (const auto& [bytes, megabytes] : sizes) {
        SetFacts(1, 1, bytes, true);
        EXPECT_EQ(TaskMemoryMB(1), megabytes) << bytes;
    }
    EXPECT_EQ(TaskWindowStatus(0), "Inactive");
    EXPECT_EQ(TaskWindowStatus(1), "No special status");
    SetText(1, "windowstatus", "Maximized");
    EXPECT_EQ(TaskWindowStatus(1), "Maximized");
}

// While a distrusted task's dialog waits, its window goes and another process gets the window id:
// neither the wait's suspension nor the answer reach that process, and the stopped one is resumed.
TEST_F(TaskFixture, WindowIdTakenDuringTheWaitIsLeftAlone)
{
    OpenWindow(3, "Distrusted");
    StartManager();
    Tick();
    Tasks[0].Trust = -2;
    WhileWaiting = [this](int) { SetFacts(3, 30, 0, true); };
    AnswerWith(VelmoraTaskAction->KillToRun, 2);
    Tick();
    EXPECT_EQ(TakeCalls(), (QStringList{"HandleSuspendOf 3 3", "HandleSuspendOf 3 3", "ProcessResume 3"}));
    EXPECT_EQ(Tasks[0].Handle, 0u);
    EXPECT_TRUE(Tasks[0].KillRequested) << "the request waits for the task";
}
