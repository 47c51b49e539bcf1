// The task cycle against the real task library on a real display, with whichever window manager the
// test runs under: programs open windows, the checks make them tasks, the dialog asks and the
// answers act on the programs; a saved Dangerous task is killed at the first check that sees it.
#include "platform/Application.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskWindow.h"
#include "tests/components/brevant/BrevantSupport.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace {

// A window manager has taken the window in: it marked it as its client and lists it where it keeps
// a list. Without a manager there is nothing to wait for.
bool TakenIn(const XConnection& display, BrevantWindow window)
{
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    auto atom = [c](const char* name) {
        auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
        const uint32_t atom = reply != nullptr ? reply->atom : 0;
        std::free(reply);
        return atom;
    };
    auto* root = xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, display.Root()), nullptr);
    const bool manager =
        root != nullptr && (root->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
    std::free(root);
    const uint32_t wmState = atom("WM_STATE");
    auto* state = xcb_get_property_reply(c, xcb_get_property(c, 0, window, wmState, wmState, 0, 1), nullptr);
    const bool managed = state != nullptr && state->type != XCB_ATOM_NONE;
    std::free(state);
    const uint32_t clientList = atom("_NET_CLIENT_LIST");
    xcb_disconnect(c);
    auto holds = [](const std::vector<uint32_t>& values, uint32_t value) {
        return std::find(values.begin(), values.end(), value) != values.end();
    };
    const bool listed = !holds(display.RootProperty("_NET_SUPPORTED"), clientList) ||
                        holds(display.RootProperty("_NET_CLIENT_LIST"), window);
    return !manager || (managed && listed);
}

// The program's windows over the real library; the test runs the ticks, and `user` answers each
// notice the dialog shows, given the task's name.
class TaskRoad : public testing::Test {
protected:
    void SetUp() override
    {
        HoldClosedClientsIds();
        Application::ResetTerminated();
        ASSERT_TRUE(QDir().mkpath(QStringLiteral("Libraries")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(BREVANT_PATH), QStringLiteral("Libraries/Brevant.so")));
        SetWaitHandler([this](int) {
            if (VelmoraTaskAction->isVisible())
                user(VelmoraTaskAction->DescriptionName->text());
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

    // Ends the program and starts one with the title given. No other client comes or goes
    // meanwhile, so the server hands the new program the ended one's ids: its window has the ended
    // window's id.
    std::unique_ptr<WindowProcess> TakeOver(std::unique_ptr<WindowProcess> program, const char* title)
    {
        const BrevantWindow window = program->Window();
        program.reset();
        EXPECT_TRUE(WaitUntil([&] { return HandleToID(window) == 0; }));
        auto next = std::make_unique<WindowProcess>(std::vector<std::string>{"--title", title});
        EXPECT_TRUE(WaitUntil([&] { return TakenIn(display, next->Window()); }));
        return next;
    }

    WorkingFolder folder;
    MessageBoxRecorder boxes;
    // Opened before any program: the test's own connection never frees an id range.
    const XConnection display;
    std::function<void(const QString& task)> user = [](const QString&) {
        VelmoraTaskAction->NothingNotification->click();
    };
};

std::unique_ptr<WindowProcess> Program(const char* title)
{
    return std::make_unique<WindowProcess>(std::vector<std::string>{"--title", title});
}

TEST_F(TaskRoad, DangerousTaskIsKilledAtFirstCheckAndOwnWindowIsNew)
{
    // Known from an earlier run as Dangerous.
    auto menace = Program("KillMe");
    QStringList asked;
    user = [&](const QString& task) {
        asked << task + QStringLiteral(": ") + VelmoraTaskAction->DescriptionChange->text();
        VelmoraTaskAction->NothingNotification->click();
    };
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
        return TakenIn(display, menace->Window()) && TakenIn(display, own);
    }));

    VelmoraTask->ManagerStarted = true;
    Tick();
    ASSERT_EQ(Tasks[0].Handle, menace->Window());
    EXPECT_TRUE(Tasks[0].KillRequested);
    Tick();
    EXPECT_NE(menace->WaitForEnd(std::chrono::seconds(5)), -1) << "the Dangerous program still runs";
    EXPECT_EQ(Tasks[0].Handle, 0u);
    EXPECT_TRUE(asked.contains(QStringLiteral("Velmora: NEW TASK RUNNING")))
        << asked.join(u'\n').toStdString();
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(TaskRoad, NewWindowIsAskedAboutAndKilled)
{
    const QString title = QStringLiteral("Velmora Road Window");
    QStringList asked;
    user = [&](const QString& task) {
        asked << task + QStringLiteral(": ") + VelmoraTaskAction->DescriptionChange->text();
        (task == title ? VelmoraTaskAction->KillToRun : VelmoraTaskAction->NothingNotification)->click();
    };
    WindowProcess client({"--title", title.toStdString()});
    ASSERT_TRUE(WaitUntil([&] { return TakenIn(display, client.Window()); }));
    VelmoraTask->ManagerStarted = true;
    Tick();
    const int k = FindTask(title, client.Window());
    ASSERT_NE(k, -1);
    EXPECT_EQ(Tasks[k].Handle, client.Window());
    EXPECT_EQ(Tasks[k].ProcessId, client.Pid());
    EXPECT_EQ(Tasks[k].Notification, "NEW TASK RUNNING");

    Tick();
    EXPECT_TRUE(asked.contains(title + QStringLiteral(": NEW TASK RUNNING")));
    EXPECT_NE(client.WaitForEnd(std::chrono::seconds(5)), -1) << "the program still runs";
    EXPECT_EQ(Tasks[k].Trust, -1);
    EXPECT_EQ(Tasks[k].Handle, 0u);
    EXPECT_EQ(boxes.Count(), 0);
}

// While its notice is open the program ends and another takes its window id: "Kill" stays with
// the task and never reaches the other program.
TEST_F(TaskRoad, AnswerNeverReachesTheProgramThatTookTheWindowId)
{
    if (ManagerMixesUpReusedIds())
        GTEST_SKIP() << "weston's window manager withdraws a new window that has a closed one's id";
    auto alpha = Program("alpha");
    const BrevantWindow window = alpha->Window();
    ASSERT_TRUE(WaitUntil([&] { return TakenIn(display, window); }));
    std::unique_ptr<WindowProcess> bravo;
    user = [&](const QString& task) {
        if (task == QStringLiteral("alpha") && bravo == nullptr) {
            bravo = TakeOver(std::move(alpha), "bravo");
            VelmoraTaskAction->KillToRun->click();
        } else {
            VelmoraTaskAction->NothingNotification->click();
        }
    };
    VelmoraTask->ManagerStarted = true;
    // The notice, then the next check and bravo's own notice.
    for (int i = 0; i < 5; ++i)
        Tick();
    ASSERT_NE(bravo, nullptr);
    ASSERT_EQ(bravo->Window(), window) << "the server gave bravo another window id";
    EXPECT_EQ(bravo->WaitForEnd(std::chrono::milliseconds(0)), -1) << "bravo was killed";
    const int a = FindTask(QStringLiteral("alpha"), 0);
    const int b = FindTask(QStringLiteral("bravo"), 0);
    ASSERT_NE(a, -1);
    ASSERT_NE(b, -1);
    EXPECT_EQ(Tasks[a].Trust, -1);
    EXPECT_EQ(Tasks[a].Handle, 0u);
    EXPECT_EQ(Tasks[b].Handle, window);
    EXPECT_EQ(Tasks[b].ProcessId, bravo->Pid());
    EXPECT_EQ(Tasks[b].Trust, 0);
}

// A suspended program is ended and, before the next check, another takes its window id: that one
// is a new task, and neither the old trust nor the suspension passes to it.
TEST_F(TaskRoad, ProgramThatTookAWindowIdIsANewTask)
{
    if (ManagerMixesUpReusedIds())
        GTEST_SKIP() << "weston's window manager withdraws a new window that has a closed one's id";
    auto first = Program("First Program");
    const BrevantWindow window = first->Window();
    ASSERT_TRUE(WaitUntil([&] { return TakenIn(display, window); }));
    user = [](const QString& task) {
        (task == QStringLiteral("First Program") ? VelmoraTaskAction->SuspendRun
                                                 : VelmoraTaskAction->NothingNotification)
            ->click();
    };
    VelmoraTask->ManagerStarted = true;
    Tick();
    Tick();
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(first->Pid()) == 'T'; }));
    auto next = TakeOver(std::move(first), "Next Program");
    ASSERT_EQ(next->Window(), window) << "the server gave the next program another window id";
    // The next check.
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
}

} // namespace
