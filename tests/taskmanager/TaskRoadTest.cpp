// The task cycle against the real task library on a real display, with whichever window manager the
// test runs under: a program opens a window, the next check makes it a task, the dialog asks,
// "Kill" ends the program; a saved Dangerous task is killed at the first check that sees it.
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
#include <gtest/gtest.h>
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

// The program over the real task library, in a folder of its own; the test ticks.
class TaskRoad : public testing::Test {
protected:
    void SetUp() override
    {
        Application::ResetTerminated();
        ASSERT_TRUE(QDir().mkpath(QStringLiteral("Libraries")));
        ASSERT_TRUE(QFile::copy(QStringLiteral(BREVANT_PATH), QStringLiteral("Libraries/Brevant.so")));
    }

    void TearDown() override
    {
        UnloadLibraries();
        DestroyProgramWindows();
        SetSleepHandler({});
    }

    WorkingFolder folder;
    MessageBoxRecorder boxes;
};

} // namespace

TEST_F(TaskRoad, NewWindowIsAskedAboutAndKilled)
{
    const QString title = QStringLiteral("Velmora Road Window");
    QStringList asked;
    // The user: kills the test's window, leaves anything else alone.
    SetSleepHandler([&](int) {
        if (!VelmoraTaskAction->isVisible())
            return;
        asked << VelmoraTaskAction->DescriptionName->text() + QStringLiteral(": ") +
                     VelmoraTaskAction->DescriptionChange->text();
        if (VelmoraTaskAction->DescriptionName->text() == title)
            VelmoraTaskAction->KillToRun->click();
        else
            VelmoraTaskAction->NothingNotification->click();
    });
    CreateProgramWindows();
    ASSERT_NE(TaskLibraryHandle, nullptr);
    VelmoraMain->TaskTimer->SetEnabled(false);
    VelmoraMain->FirstRunTimer->SetEnabled(false);

    WindowProcess client({"--title", title.toStdString()});
    const XConnection display;
    ASSERT_TRUE(WaitUntil([&] { return TakenIn(display, client.Window()); }));
    VelmoraTask->ManagerStarted = true;
    VelmoraMain->TaskTimerTimer(VelmoraMain->TaskTimer);
    const int k = FindTask(title, client.Window());
    ASSERT_NE(k, -1);
    EXPECT_EQ(Tasks[k].Handle, client.Window());
    EXPECT_EQ(Tasks[k].ProcessId, client.Pid());
    EXPECT_EQ(Tasks[k].Notification, "NEW TASK RUNNING");

    VelmoraMain->TaskTimerTimer(VelmoraMain->TaskTimer);
    EXPECT_TRUE(asked.contains(title + QStringLiteral(": NEW TASK RUNNING")));
    EXPECT_NE(client.WaitForEnd(std::chrono::seconds(5)), -1) << "the program still runs";
    EXPECT_EQ(Tasks[k].Trust, -1);
    EXPECT_EQ(Tasks[k].Handle, 0u);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(TaskRoad, DangerousTaskIsKilledAtFirstCheckAndOwnWindowIsNew)
{
    // Connected first, so that the program below does not take the connection of the program the
    // last test killed: weston's window manager mixes up a new window with a closed client's window
    // of the same id.
    const XConnection display;
    // Started before Velmora, and known from an earlier run as Dangerous.
    WindowProcess menace({"--title", "KillMe"});
    QStringList asked;
    SetSleepHandler([&](int) {
        if (!VelmoraTaskAction->isVisible())
            return;
        asked << VelmoraTaskAction->DescriptionName->text() + QStringLiteral(": ") +
                     VelmoraTaskAction->DescriptionChange->text();
        VelmoraTaskAction->NothingNotification->click();
    });
    CreateProgramWindows();
    ASSERT_NE(TaskLibraryHandle, nullptr);
    VelmoraMain->TaskTimer->SetEnabled(false);
    VelmoraMain->FirstRunTimer->SetEnabled(false);
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
        return TakenIn(display, menace.Window()) && TakenIn(display, own);
    }));

    VelmoraTask->ManagerStarted = true;
    VelmoraMain->TaskTimerTimer(VelmoraMain->TaskTimer);
    ASSERT_EQ(Tasks[0].Handle, menace.Window());
    EXPECT_TRUE(Tasks[0].KillRequested);
    VelmoraMain->TaskTimerTimer(VelmoraMain->TaskTimer);
    EXPECT_NE(menace.WaitForEnd(std::chrono::seconds(5)), -1) << "the Dangerous program still runs";
    EXPECT_EQ(Tasks[0].Handle, 0u);
    EXPECT_TRUE(asked.contains(QStringLiteral("Velmora: NEW TASK RUNNING")))
        << asked.join(u'\n').toStdString();
    EXPECT_EQ(boxes.Count(), 0);
}
