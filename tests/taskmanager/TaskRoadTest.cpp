// The task cycle against the real task library on a real display: a program opens a window, the
// next check makes it a task, the dialog asks, "Kill" ends the program.
#include "platform/Application.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskWindow.h"
#include "tests/components/brevant/BrevantSupport.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <gtest/gtest.h>

TEST(TaskRoad, NewWindowIsAskedAboutAndKilled)
{
    WorkingFolder folder;
    MessageBoxRecorder boxes;
    Application::ResetTerminated();
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("Libraries")));
    ASSERT_TRUE(QFile::copy(QStringLiteral(BREVANT_PATH), QStringLiteral("Libraries/Brevant.so")));
    const QString title = QStringLiteral("Velmora Road Window");
    QStringList asked;
    // The user: kills the test's window, leaves anything else alone.
    SetWaitHandler([&](int) {
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
    // A window manager lists the window once it has taken it in.
    const XConnection display;
    ASSERT_TRUE(WaitUntil([&] {
        const std::vector<uint32_t> clients = display.RootProperty("_NET_CLIENT_LIST");
        return display.RootProperty("_NET_SUPPORTING_WM_CHECK").empty() ||
               std::find(clients.begin(), clients.end(), client.Window()) != clients.end();
    }));
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

    UnloadLibraries();
    DestroyProgramWindows();
    SetWaitHandler({});
}
