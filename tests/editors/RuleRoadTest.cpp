#include "EditorsFixture.h"

#include "taskmanager/TaskCode.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskScript.h"
#include "tests/taskmanager/TaskFixture.h"

#include <QPushButton>

namespace {

// A rule built with the editors, as a user builds it with the mouse, applied to script `number`.
void BuildRule(int number, const Statement& condition, const Statement& action)
{
    VelmoraTaskScript->SetNumber(number);
    VelmoraTaskScript->InitNew();
    VelmoraTaskScript->show();
    VelmoraTaskScript->AddCode->click();
    Condition(1, condition);
    Action(1, action);
    VelmoraTaskCode->ApplyButton->click();
    VelmoraTaskScript->ApplyTaskScript->click();
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

    BuildRule(0, {MemoryItem, IsAbove, CustomValue, "400"}, {RunningItem, -1, CustomValue, "False"});
    BuildRule(-1, {NameString, IsEqual, CustomValue, "notepad"}, {SetTrustItem, -1, CustomValue, "3"});
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

    ASSERT_TRUE(SaveTaskDatabase("Database/TaskDatabase.xml", Tasks, EveryTask));
    Tasks.clear();
    ClearTask(EveryTask);
    ASSERT_TRUE(LoadTaskDatabase("Database/TaskDatabase.xml", Tasks, EveryTask));
    ASSERT_EQ(Tasks.size(), 1);
    ASSERT_EQ(Tasks[0].Code.size(), 1);
    EXPECT_EQ(CodeToText(Tasks[0].Code[0]), taskRule);
    ASSERT_EQ(EveryTask.Code.size(), 1);
    EXPECT_EQ(CodeToText(EveryTask.Code[0]), globalRule);
}
