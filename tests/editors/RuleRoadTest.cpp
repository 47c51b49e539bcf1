#include "EditorsFixture.h"

#include "taskmanager/TaskCode.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskResWindow.h"
#include "taskmanager/TaskScript.h"
#include "taskmanager/TaskWindow.h"
#include "tests/taskmanager/TaskFixture.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>

namespace {

// A rule built with the editors, as a user builds it with the mouse, applied to the selected task's
// script or, with no selection, to the global script.
void BuildRule(int selected, int conditionVariable, int operation, const QString& conditionValue,
               int actionVariable, const QString& actionValue)
{
    SelectedTask = selected;
    VelmoraTask->TaskScriptButton->click();
    VelmoraTaskScript->AddCode->click();
    Condition(1, conditionVariable, operation, CustomValue, conditionValue);
    Action(1, actionVariable, -1, CustomValue, actionValue);
    VelmoraTaskCode->ApplyButton->click();
    VelmoraTaskScript->ApplyTaskScript->click();
}

QList<TVelmoraTaskResource*> Monitors()
{
    QList<TVelmoraTaskResource*> monitors;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* monitor = qobject_cast<TVelmoraTaskResource*>(window);
            monitor != nullptr && monitor->isVisible())
            monitors.append(monitor);
    return monitors;
}

} // namespace

// A kill on too much memory for one task and a trust for a name in the global script: built in the
// editors, run by the task cycle, kept through a database save and load.
TEST_F(TaskFixture, RulesBuiltInTheEditorsRunAndSurviveTheDatabase)
{
    OpenWindow(7, "notepad");
    SetFacts(7, 70, 500 * 1048576ull, true);
    StartManager();
    Tick();
    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    Tick();
    ASSERT_EQ(Tasks.size(), 1);

    BuildRule(0, MemoryItem, IsAbove, "400", RunningItem, "False");
    BuildRule(-1, NameString, IsEqual, "notepad", SetTrustItem, "3");
    const QString taskRule = QStringLiteral("When (Memory > \"400\") do { Running = \"False\"; }");
    const QString globalRule = QStringLiteral("When (Name == \"notepad\") do { SetTrust = \"3\"; }");
    ASSERT_EQ(Tasks[0].Code.size(), 1);
    EXPECT_EQ(CodeToText(Tasks[0].Code[0]), taskRule);
    ASSERT_EQ(EveryTask.Code.size(), 1);
    EXPECT_EQ(CodeToText(EveryTask.Code[0]), globalRule);
    EXPECT_EQ(boxes.Count(), 0);

    // The next check runs both scripts; the request pass after it kills the window.
    TakeCalls();
    bool killed = false;
    for (int tick = 0; tick < 8 && !killed; ++tick) {
        Tick();
        killed = TakeCalls().contains("HandleKill 7");
    }
    EXPECT_TRUE(killed);
    EXPECT_EQ(Tasks[0].Trust, 3);

    // Saved, then loaded into a task manager as fresh as after a restart.
    ASSERT_TRUE(VelmoraTask->DataTaskSave(TaskDatabaseFile));
    VelmoraTask->FormCreate(VelmoraTask);
    ASSERT_TRUE(Tasks.isEmpty());
    ASSERT_TRUE(VelmoraTask->DataTaskLoad(TaskDatabaseFile));
    ASSERT_EQ(Tasks.size(), 1);
    ASSERT_EQ(Tasks[0].Code.size(), 1);
    EXPECT_EQ(CodeToText(Tasks[0].Code[0]), taskRule);
    ASSERT_EQ(EveryTask.Code.size(), 1);
    EXPECT_EQ(CodeToText(EveryTask.Code[0]), globalRule);
}

TEST_F(TaskFixture, CommandsOpenTheEditorAndMonitorsOfTheSelectedTask)
{
    OpenWindow(7, "notepad");
    SetFacts(7, 70, 300 * 1048576ull, true);
    StartManager();
    Tick();
    ASSERT_EQ(Tasks.size(), 1);
    Tasks[0].Code.append(TCode{});

    // "Scripting" on an open editor shows the new target's script at once.
    SelectedTask = 0;
    VelmoraTask->TaskScriptButton->click();
    EXPECT_EQ(VelmoraTaskScript->windowTitle(), "Velmora Task Script: notepad");
    EXPECT_EQ(VelmoraTaskScript->CodeList->count(), 2);
    SelectedTask = 5;
    VelmoraTask->TaskScriptButton->click();
    EXPECT_EQ(VelmoraTaskScript->windowTitle(), "Velmora Task Script: Every task");
    EXPECT_EQ(VelmoraTaskScript->CodeList->count(), 1);

    VelmoraTask->MonitorButtonClick(VelmoraTask->MonitorButton);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, "Velmora: Nothing Selected");
    EXPECT_TRUE(Monitors().isEmpty());

    // Two monitors of one task, each with the check interval as its refresh.
    SelectedTask = 0;
    VelmoraTaskExpert->SpeedTaskBar->setValue(2);
    VelmoraTask->MonitorButtonClick(VelmoraTask->MonitorButton);
    VelmoraTask->MonitorButtonClick(VelmoraTask->MonitorButton);
    const QList<TVelmoraTaskResource*> monitors = Monitors();
    ASSERT_EQ(monitors.size(), 2);
    for (TVelmoraTaskResource* monitor : monitors) {
        EXPECT_EQ(monitor->windowTitle(), "Velmora Task Manager: notepad");
        EXPECT_EQ(monitor->NameLabel->text(), "notepad  (300 mb)");
        EXPECT_EQ(monitor->SpeedTaskBar->value(), 1000);
    }
    for (TVelmoraTaskResource* monitor : monitors)
        delete monitor;
}
