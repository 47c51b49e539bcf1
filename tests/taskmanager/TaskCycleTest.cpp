#include "TaskFixture.h"

#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskWindow.h"

#include <QPushButton>

TEST_F(TaskFixture, NewWindowBecomesATaskAndTheAnswerBecomesItsTrust)
{
    OpenWindow(7, "Editor");
    StartManager();
    Tick();
    ASSERT_EQ(Tasks.size(), 1);
    EXPECT_EQ(Tasks[0].Name, "Editor");
    EXPECT_EQ(Tasks[0].Notification, "NEW TASK RUNNING");
    EXPECT_EQ(VelmoraMain->TaskButton->text(), "Task Manager: Started, New tasks enabled");

    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    Tick();
    EXPECT_EQ(shownNotices, QStringList{"NEW TASK RUNNING"});
    EXPECT_EQ(Tasks[0].Trust, 1);
    EXPECT_TRUE(VelmoraMain->TaskTimer->Enabled());
}
