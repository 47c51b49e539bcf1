#include "EditorsFixture.h"

#include "taskmanager/TaskCode.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskResWindow.h"
#include "taskmanager/TaskScript.h"
#include "taskmanager/TaskWindow.h"
#include "tests/taskmanager/TaskFixture.h"

#include "platform/Image.h"
#include "platform/Timer.h"

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <cmath>

namespace {

const QColor Blue(0, 0, 255);

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
        killed = TakeCalls().contains("HandleKillOf 7 70");
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
    SetFacts(7, 70, 10 * 1048576ull, true);
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
    const QList<QPointer<TVelmoraTaskResource>> monitors = {Monitors().value(0), Monitors().value(1)};
    ASSERT_FALSE(monitors[1].isNull());
    TVelmoraTaskResource* first = monitors[0];
    EXPECT_EQ(first->windowTitle(), "Velmora Task Manager: notepad");
    EXPECT_EQ(first->NameLabel->text(), "notepad  (10 mb)");
    EXPECT_EQ(first->GraphTimer->Interval(), 1000);

    // 60 zeros and 10: the plot runs from 0 to 16, every sample's point on the line, unsmoothed.
    EXPECT_EQ(first->maxActivity, 16);
    const QImage picture = first->Graph->Picture();
    const int width = first->Graph->width();
    ASSERT_EQ(picture.size(), QSize(width, 441));
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(picture.pixelColor(static_cast<int>(std::nearbyint(width * (i / 60.0))), 415), Blue) << i;
    EXPECT_EQ(picture.pixelColor(width / 2, 414), Qt::white);
    for (int row = 0; row < picture.height(); ++row)
        for (int column = 0; column < width; ++column) {
            const QColor pixel = picture.pixelColor(column, row);
            ASSERT_TRUE(pixel == Blue || pixel == Qt::white || pixel == Qt::black) << column << "," << row;
        }

    // From the 61st sample on the start's samples no longer count: 5s only plot from 0 to 5 + 6.
    SetFacts(7, 70, 5 * 1048576ull, true);
    for (int i = 0; i < 61; ++i)
        first->GraphTimerTimer(first->GraphTimer);
    EXPECT_EQ(first->maxActivity, 11);
    // A closed window keeps its last known name.
    CloseWindow(7);
    first->GraphTimerTimer(first->GraphTimer);
    EXPECT_EQ(first->NameLabel->text(), "notepad  (0 mb)");
    EXPECT_EQ(first->DescLabel->text(), "Inactive");

    // Each monitor has its own refresh bar and More/Less.
    first->SetRefreshRate(0);
    EXPECT_EQ(first->SpeedTaskLabel->text(), "Refresh: Every 500 ms");
    monitors[1]->SetRefreshRate(5000);
    EXPECT_EQ(monitors[1]->GraphTimer->Interval(), 3500);
    first->AdvancedMonitor->click();
    EXPECT_TRUE(first->SpeedTaskBar->isVisible());
    EXPECT_EQ(monitors[1]->AdvancedMonitor->text(), "More");
    monitors[1]->AdvancedMonitor->click();
    EXPECT_EQ(monitors[1]->AdvancedMonitor->text(), "Less");
    EXPECT_TRUE(monitors[1]->SpeedTaskBar->isVisible());

    // Closed by its button or its close box, each frees itself.
    first->CloseMonitor->click();
    EXPECT_FALSE(first->GraphTimer->Enabled());
    monitors[1]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(monitors[0].isNull());
    EXPECT_TRUE(monitors[1].isNull());
}
