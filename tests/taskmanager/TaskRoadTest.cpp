// The task cycle against the real task library on a real display, with whichever window manager the
// test runs under: programs open windows, the checks make them tasks, the dialog asks and the
// answers act on the programs; a saved Dangerous task is killed at the first check that sees it, and
// a saved Distrusted one is held while it is asked about.
#include "platform/Application.h"
#include "platform/EnumWindows.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskWindow.h"
#include "tests/components/brevant/BrevantSupport.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace {

// The enumeration the checks use lists the window: a window manager, if any, has taken it in.
bool Listed(BrevantWindow window)
{
    static BrevantWindow wanted = 0;
    static bool found = false;
    wanted = window;
    found = false;
    EnumWindows(
        [](BrevantWindow each, const BrevantWindowList*) {
            found = each == wanted;
            return !found;
        },
        nullptr);
    return found;
}

// The program's windows over the real library; the test runs the ticks, and `user` gives the button
// that answers each notice the dialog shows on the screen, given the task's name, or none for no
// answer yet; `asked` holds "task: notice" of every one answered.
class TaskRoad : public testing::Test {
protected:
    void SetUp() override
    {
        HoldClosedClientsIds();
        Application::ResetTerminated();
        ASSERT_TRUE(QDir().mkpath(QStringLiteral("Libraries")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(BREVANT_PATH), QStringLiteral("Libraries/Brevant.so")));
        SetWaitHandler([this](int) {
            if (VelmoraTaskAction->Answered)
                return;
            if (!VelmoraTaskAction->isVisible()) {
                // Shown again after a turn, as in the wait's own.
                onScreen.clear();
                QTest::qWait(100);
                return;
            }
            // A turn of about 100 ms, as the wait's own; what is off the screen for 5 s is a fault.
            const bool seen = WaitUntil(
                [this] {
                    QCoreApplication::processEvents();
                    return display.Viewable(static_cast<BrevantWindow>(VelmoraTaskAction->winId()));
                },
                std::chrono::milliseconds(100));
            if (!seen)
                onScreen.clear();
            if (!seen && ++unseenTurns < 50)
                return;
            const QString task = VelmoraTaskAction->DescriptionName->text();
            EXPECT_LT(unseenTurns, 50) << task.toStdString() << " is asked about off the screen";
            unseenTurns = 0;
            const QString notice = task + QStringLiteral(": ") + VelmoraTaskAction->DescriptionChange->text();
            if (seen && notice != onScreen) {
                onScreen = notice;
                shownAt = std::chrono::steady_clock::now();
                answer = nullptr;
                // A hasty user: a key and a click before the notice could be read answer nothing.
                TypeSpace();
                QTest::mouseClick(VelmoraTaskAction->KillToRun, Qt::LeftButton);
                EXPECT_FALSE(VelmoraTaskAction->Answered) << notice.toStdString() << " answered unread";
                return;
            }
            // The user reads a notice before answering it.
            if (seen && std::chrono::steady_clock::now() - shownAt < TVelmoraTaskAction::AnswerDelay)
                return;
            if (answer == nullptr && (answer = user(task)) != nullptr)
                asked << notice;
            if (answer != nullptr && seen)
                QTest::mouseClick(answer, Qt::LeftButton);
            else if (answer != nullptr)
                answer->click();
        });
        CreateProgramWindows();
        ASSERT_NE(TaskLibraryHandle, nullptr);
        VelmoraMain->TaskTimer->SetEnabled(false);
        VelmoraMain->FirstRunTimer->SetEnabled(false);
    }

    void TearDown() override
    {
        UnloadLibraries();
        DestroyProgramWindows();
        SetWaitHandler({});
    }

    // The id ranges that the last test's ended programs (and its connection) left free are held for
    // the rest of the run: a program a test starts gets ids no window had before (weston's window
    // manager mixes up a new window with a closed one of the same id), and one that takes over an
    // ended program gets exactly that program's ids.
    static void HoldClosedClientsIds()
    {
        static std::vector<std::unique_ptr<XConnection>> held;
        for (int i = 0; i < 3; ++i)
            held.push_back(std::make_unique<XConnection>());
    }

    static bool ManagerMixesUpReusedIds() { return qEnvironmentVariableIsSet("WAYLAND_DISPLAY"); }

    static void Tick() { VelmoraMain->TaskTimerTimer(VelmoraMain->TaskTimer); }

    // A space typed while the notice has the keyboard, as when it comes up under a user typing.
    static void TypeSpace()
    {
        QWidget* focused = VelmoraTaskAction->focusWidget();
        QTest::keyClick(focused != nullptr ? focused : VelmoraTaskAction, Qt::Key_Space);
    }

    static std::unique_ptr<WindowProcess> Program(const QString& title)
    {
        return std::make_unique<WindowProcess>(std::vector<std::string>{"--title", title.toStdString()});
    }

    // Ends the program and starts one with the title given. No other client comes or goes
    // meanwhile, so the server hands the new program the ended one's ids: its window has the ended
    // window's id. The enumeration lets the ended window go first: until then a listing of that id
    // is the ended window's, and the checks may not see the new one yet.
    std::unique_ptr<WindowProcess> TakeOver(std::unique_ptr<WindowProcess> program, const QString& title)
    {
        const BrevantWindow window = program->Window();
        program.reset();
        EXPECT_TRUE(WaitUntil([&] { return HandleToID(window) == 0 && !Listed(window); }));
        auto next = Program(title);
        EXPECT_TRUE(WaitUntil([&] { return Listed(next->Window()); }));
        return next;
    }

    WorkingFolder folder;
    MessageBoxRecorder boxes;
    // Opened before any program: the test's own connection never frees an id range.
    const XConnection display;
    std::function<QPushButton*(const QString& task)> user = [](const QString&) {
        return VelmoraTaskAction->NothingNotification;
    };
    QStringList asked;
    int unseenTurns = 0;
    QString onScreen;
    std::chrono::steady_clock::time_point shownAt;
    QPushButton* answer = nullptr;
};

// A saved Dangerous program is killed at the first check that sees it; each new window, the
// program's own too, is asked about in turn, and "Kill" ends its program. Its notice is taken off
// the screen behind the program's back, as a window manager may do, then minimised, and comes back
// each time.
TEST_F(TaskRoad, DangerousIsKilledAtFirstCheckAndNewWindowIsAskedAboutAndKilled)
{
    const QString title = QStringLiteral("Velmora Road Window");
    int sightings = 0;
    std::chrono::steady_clock::time_point minimised;
    user = [&](const QString& task) -> QPushButton* {
        if (task != title)
            return VelmoraTaskAction->NothingNotification;
        const QString dialog = QString::number(VelmoraTaskAction->winId());
        switch (sightings++) {
        case 0:
            EXPECT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("windowunmap"), dialog}),
                      0);
            return nullptr;
        case 1:
            // --sync: the manager has taken it off the screen when the notice is looked at again.
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("windowminimize"), QStringLiteral("--sync"), dialog});
            minimised = std::chrono::steady_clock::now();
            return nullptr;
        default:
            // Back as soon as it is missed, and read for the answer delay.
            EXPECT_LT(std::chrono::steady_clock::now() - minimised, std::chrono::milliseconds(2500))
                << "the minimised notice stayed off the screen";
            return VelmoraTaskAction->KillToRun;
        }
    };
    auto menace = Program(QStringLiteral("KillMe"));
    auto client = Program(title);
    auto bystander = Program(QStringLiteral("Bystander"));
    Tasks.clear();
    TTask known;
    ClearTask(known);
    known.Name = QStringLiteral("KillMe");
    known.Trust = -4;
    Tasks.push_back(known);
    VelmoraMain->show();
    const auto own = static_cast<BrevantWindow>(VelmoraMain->winId());
    ASSERT_TRUE(WaitUntil([&] {
        QCoreApplication::processEvents();
        return Listed(menace->Window()) && Listed(client->Window()) && Listed(bystander->Window()) &&
               Listed(own);
    }));

    // A check at every tick: the one after the answers sees the windows as they are then.
    VelmoraTaskExpert->SpeedTaskBar->setValue(1);
    VelmoraTask->ManagerStarted = true;
    Tick();
    ASSERT_EQ(Tasks[0].Handle, menace->Window());
    EXPECT_TRUE(Tasks[0].KillRequested);
    const int k = FindTask(title, client->Window());
    ASSERT_NE(k, -1);
    EXPECT_EQ(Tasks[k].Handle, client->Window());
    EXPECT_EQ(Tasks[k].ProcessId, client->Pid());
    EXPECT_EQ(Tasks[k].Notification, "NEW TASK RUNNING");

    Tick();
    EXPECT_NE(menace->WaitForEnd(std::chrono::seconds(5)), -1) << "the Dangerous program still runs";
    EXPECT_NE(client->WaitForEnd(std::chrono::seconds(5)), -1) << "the program still runs";
    // A killed program's window may outlive it for a moment: the next check lets its task go.
    Tick();
    EXPECT_EQ(Tasks[0].Handle, 0u);
    EXPECT_EQ(Tasks[k].Trust, -1);
    EXPECT_EQ(Tasks[k].Handle, 0u);
    for (const QString& task : {title, QStringLiteral("Velmora"), QStringLiteral("Bystander")})
        EXPECT_TRUE(asked.contains(task + QStringLiteral(": NEW TASK RUNNING")))
            << asked.join(u'\n').toStdString();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(FindTask(QStringLiteral("Velmora Task Notification"), 0), -1) << "the dialog is no task";

    // Two new programs, one round: the first is killed by a double click, whose second click falls on
    // the second's notice, 200 ms later, and answers nothing; the second is answered "Safe".
    for (const QString& name : {QStringLiteral("Velmora"), QStringLiteral("Bystander")}) {
        Tasks[FindTask(name, 0)].Trust = 3;
        Tasks[FindTask(name, 0)].Notification.clear();
    }
    const QString names[] = {QStringLiteral("Road One"), QStringLiteral("Road Two")};
    const std::unique_ptr<WindowProcess> round[] = {Program(names[0]), Program(names[1])};
    ASSERT_TRUE(WaitUntil([&] { return Listed(round[0]->Window()) && Listed(round[1]->Window()); }));
    QString first;
    user = [&](const QString& task) {
        if (!first.isEmpty())
            return VelmoraTaskAction->AllowToRun;
        first = task;
        QTimer::singleShot(200, [] { QTest::mouseClick(VelmoraTaskAction->KillToRun, Qt::LeftButton); });
        return VelmoraTaskAction->KillToRun;
    };
    Tick();
    Tick();
    const int f = first == names[0] ? 0 : 1;
    EXPECT_NE(round[f]->WaitForEnd(std::chrono::seconds(5)), -1) << "the program still runs";
    EXPECT_EQ(round[1 - f]->WaitForEnd(std::chrono::milliseconds(0)), -1) << "the second click killed it";
    EXPECT_EQ(Tasks.value(FindTask(names[1 - f], 0)).Trust, 3);

    // The next round opens its notice with no answer button focused: a space typed for another
    // window answers nothing, also once the notice could be read.
    auto three = Program(QStringLiteral("Road Three"));
    ASSERT_TRUE(WaitUntil([&] { return Listed(three->Window()); }));
    user = [&](const QString&) {
        TypeSpace();
        EXPECT_FALSE(VelmoraTaskAction->Answered) << "a space typed for another window answered the notice";
        return VelmoraTaskAction->NothingNotification;
    };
    Tick();
    Tick();
    EXPECT_EQ(three->WaitForEnd(std::chrono::milliseconds(0)), -1) << "killed by input meant for others";
    EXPECT_EQ(Tasks.value(FindTask(QStringLiteral("Road Three"), 0)).Trust, 0);
}

// A suspended program ends and, before the next check, another takes its window id: that one is a
// new task, and neither the old trust nor the suspension passes to it. While its notice is open it
// ends in turn and a third takes the id: "Kill" stays with its task and never reaches the third.
TEST_F(TaskRoad, ProgramThatTookAWindowIdIsANewTaskOutOfReachOfTheOldTasks)
{
    if (ManagerMixesUpReusedIds())
        GTEST_SKIP() << "weston's window manager withdraws a new window that has a closed one's id";
    auto first = Program(QStringLiteral("First Program"));
    const BrevantWindow window = first->Window();
    ASSERT_TRUE(WaitUntil([&] { return Listed(window); }));
    std::unique_ptr<WindowProcess> next;
    std::unique_ptr<WindowProcess> third;
    user = [&](const QString& task) {
        if (task == QStringLiteral("First Program"))
            return VelmoraTaskAction->SuspendRun;
        if (task == QStringLiteral("Next Program") && third == nullptr) {
            third = TakeOver(std::move(next), QStringLiteral("Third Program"));
            return VelmoraTaskAction->KillToRun;
        }
        return VelmoraTaskAction->NothingNotification;
    };
    VelmoraTask->ManagerStarted = true;
    Tick();
    Tick();
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(first->Pid()) == 'T'; }));
    next = TakeOver(std::move(first), QStringLiteral("Next Program"));
    ASSERT_EQ(next->Window(), window) << "the server gave the next program another window id";
    // The next check lets the old task go, the one after takes the window in.
    Tick();
    Tick();
    const int a = FindTask(QStringLiteral("First Program"), 0);
    const int b = FindTask(QStringLiteral("Next Program"), 0);
    ASSERT_NE(b, -1) << "the next program took over the old task";
    EXPECT_EQ(Tasks[b].Handle, window);
    EXPECT_EQ(Tasks[b].ProcessId, next->Pid());
    EXPECT_EQ(Tasks[b].Trust, 0);
    EXPECT_FALSE(Tasks[b].Suspended);
    EXPECT_EQ(Tasks[b].Notification, "NEW TASK RUNNING");
    ASSERT_NE(a, -1);
    EXPECT_EQ(Tasks[a].Handle, 0u);
    EXPECT_EQ(Tasks[a].Status, "Inactive");
    EXPECT_EQ(Tasks[a].Trust, -1);
    EXPECT_FALSE(Tasks[a].Suspended) << "its process is gone";
    EXPECT_NE(ProcessState(next->Pid()), 'T');

    // The next program's notice, then the check that sees the third and its notice.
    for (int i = 0; i < 4; ++i)
        Tick();
    ASSERT_NE(third, nullptr);
    ASSERT_EQ(third->Window(), window) << "the server gave the third program another window id";
    EXPECT_EQ(third->WaitForEnd(std::chrono::milliseconds(0)), -1) << "the third program was killed";
    const int c = FindTask(QStringLiteral("Third Program"), 0);
    ASSERT_NE(c, -1);
    ASSERT_EQ(FindTask(QStringLiteral("Next Program"), 0), b);
    EXPECT_EQ(Tasks[b].Trust, -1);
    EXPECT_EQ(Tasks[b].Handle, 0u);
    EXPECT_EQ(Tasks[c].Handle, window);
    EXPECT_EQ(Tasks[c].ProcessId, third->Pid());
    EXPECT_EQ(Tasks[c].Trust, 0);
}

// Two programs whose windows share one title are one task, whose window changes at every check: the
// program Suspend stopped stays the task's suspension until Resume. A stopped program whose window
// is killed runs again: at the next check, or at the answer when a notice's wait stopped it.
TEST_F(TaskRoad, ProgramsStoppedForATaskAreResumedWhateverWindowItShows)
{
    auto one = Program(QStringLiteral("Twin"));
    auto two = Program(QStringLiteral("Twin"));
    ASSERT_TRUE(WaitUntil([&] { return Listed(one->Window()) && Listed(two->Window()); }));
    Tasks = {TTask()};
    Tasks[0].Name = QStringLiteral("Twin");
    Tasks[0].Trust = 3;
    VelmoraTaskExpert->SpeedTaskBar->setValue(1);
    VelmoraTask->ManagerStarted = true;
    SelectedTask = 0;
    Tick();
    pid_t held = Tasks[0].ProcessId;
    VelmoraTask->ActionTaskSuspendClick(nullptr);
    for (int i = 0; i < 3; ++i)
        Tick();
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(held) == 'T'; }));
    EXPECT_TRUE(Tasks[0].Suspended) << "no Resume offered";
    VelmoraTask->ActionTaskResumeClick(nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(held) != 'T'; }));

    // A stop an earlier run left behind is known by the task's window alone: while the task shows
    // that program it offers Resume, which wakes it.
    held = Tasks[0].ProcessId;
    ASSERT_EQ(::kill(held, SIGSTOP), 0);
    VelmoraTask->AdvancedTaskClick(nullptr);
    EXPECT_TRUE(WaitUntil([&] {
        VelmoraTask->TaskDescription(0);
        return !VelmoraTask->ActionTaskResume->isHidden();
    })) << "no Resume offered";
    VelmoraTask->ActionTaskResumeClick(nullptr);
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(held) != 'T'; }));

    held = Tasks[0].ProcessId;
    VelmoraTask->ActionTaskSuspendClick(nullptr);
    Tick();
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(held) == 'T'; }));
    // As a window manager's kill of a frozen client does.
    QProcess::execute(QStringLiteral("xkill"),
                      {QStringLiteral("-id"), QString::number((held == one->Pid() ? one : two)->Window())});
    Tick();
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(held) != 'T'; }));
    EXPECT_FALSE(Tasks[0].Suspended);

    auto frozen = Program(QStringLiteral("Frozen"));
    ASSERT_TRUE(WaitUntil([&] { return Listed(frozen->Window()); }));
    Tasks.append(TTask());
    Tasks[1].Name = QStringLiteral("Frozen");
    Tasks[1].Trust = -2;
    Tick();
    ASSERT_EQ(Tasks[1].ProcessId, frozen->Pid());
    Tasks[1].Notification = QStringLiteral("TASK CHANGED STATUS");
    user = [&](const QString&) -> QPushButton* {
        if (ProcessState(frozen->Pid()) != 'T')
            return nullptr;
        QProcess::execute(QStringLiteral("xkill"),
                          {QStringLiteral("-id"), QString::number(frozen->Window())});
        return VelmoraTaskAction->NothingNotification;
    };
    Tick();
    EXPECT_EQ(asked.size(), 1);
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(frozen->Pid()) != 'T'; }));
}

// A saved Distrusted program that runs before the manager starts is new by name to the run: the
// first check asks about it, and it stays stopped until the answer.
TEST_F(TaskRoad, SavedDistrustedProgramRunningAtStartIsHeldUntilTheAnswer)
{
    auto frozen = Program(QStringLiteral("Frozen"));
    ASSERT_TRUE(WaitUntil([&] { return Listed(frozen->Window()); }));
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("Database")));
    Tasks = {TTask()};
    Tasks[0].Name = QStringLiteral("Frozen");
    Tasks[0].Trust = -2;
    ASSERT_TRUE(VelmoraTask->DataTaskSave(TaskDatabaseFile));
    Tasks.clear();
    ASSERT_TRUE(VelmoraTask->DataTaskLoad(TaskDatabaseFile));
    bool held = false;
    int turns = 0;
    user = [&](const QString& task) -> QPushButton* {
        if (task != QStringLiteral("Frozen"))
            return VelmoraTaskAction->NothingNotification;
        held = ProcessState(frozen->Pid()) == 'T';
        return held || ++turns > 50 ? VelmoraTaskAction->NothingNotification : nullptr;
    };
    VelmoraTask->ManagerStarted = true;
    Tick();
    EXPECT_EQ(Tasks[0].Notification, "TASK CHANGED NAME ( to Frozen)");
    Tick();
    EXPECT_TRUE(asked.contains(QStringLiteral("Frozen: TASK CHANGED NAME ( to Frozen)")))
        << asked.join(u'\n').toStdString();
    EXPECT_TRUE(held) << "the program ran while it was asked about";
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(frozen->Pid()) != 'T'; }));
    EXPECT_EQ(Tasks[0].Trust, -2);
}

} // namespace
