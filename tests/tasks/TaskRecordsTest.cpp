#include "tasks/TaskClasses.h"

#include <gtest/gtest.h>

namespace {

TTask NamedTask(const QString& name, TWindowHandle handle = 0)
{
    TTask task;
    ClearTask(task);
    task.Name = name;
    task.Handle = handle;
    return task;
}

TCode OneCondition(const QString& value)
{
    TCode code;
    AppendCondition(code, "String", "Name", "==", value);
    return code;
}

class TaskRecords : public testing::Test {
protected:
    void TearDown() override { Tasks.clear(); }
};

TEST_F(TaskRecords, ClearTaskGivesTheInitialValues)
{
    TTask task;
    task.PrevName = task.Name = task.Status = task.Notification = "x";
    task.Handle = task.PrevHandle = 5;
    task.Trust = task.TrustChange = task.Memory = task.ProcessId = 3;
    task.Suspended = task.KillRequested = task.SuspendRequested = task.ResumeRequested = true;
    task.Responding = task.PrevResponding = false;
    task.Code.append(OneCondition("a"));

    ClearTask(task);

    EXPECT_TRUE(task.Responding);
    EXPECT_TRUE(task.PrevResponding);
    EXPECT_FALSE(task.Suspended || task.KillRequested || task.SuspendRequested || task.ResumeRequested);
    EXPECT_EQ(task.Handle + task.PrevHandle, 0u);
    EXPECT_EQ(task.Trust | task.TrustChange | task.Memory | task.ProcessId, 0);
    EXPECT_TRUE(task.Name.isEmpty() && task.PrevName.isEmpty() && task.Status.isEmpty() &&
                task.Notification.isEmpty());
    EXPECT_TRUE(task.Code.isEmpty());
}

TEST_F(TaskRecords, ChangeTestsFollowTheirOwnRules)
{
    TTask task = NamedTask("Editor");
    EXPECT_TRUE(TaskNameChanged(task)) << "a task read from the database has no previous name";
    task.PrevName = "editor";
    EXPECT_TRUE(TaskNameChanged(task));
    task.Status = "Running";
    EXPECT_FALSE(TaskStatusChanged(task)); // no previous status yet
    RememberTaskValues(task);
    EXPECT_FALSE(TaskNameChanged(task));
    task.Status = "Inactive";
    EXPECT_TRUE(TaskStatusChanged(task));
    EXPECT_EQ(PreviousTaskStatus(task), "Running");
}

TEST_F(TaskRecords, FindTaskTestsNameThenHandleTaskByTask)
{
    Tasks = {NamedTask("A", 100), NamedTask("", 0), NamedTask("B", 0)};
    EXPECT_EQ(FindTask("B", 100), 0); // a lower task matching by handle wins
    EXPECT_EQ(FindTask("B", 0), 2);
    EXPECT_EQ(FindTask("", 0), 1);
    EXPECT_EQ(FindTask("C", 0), -1);
    EXPECT_EQ(FindTask("b", 0), -1);

    Tasks[2].Parrent = "Shell";
    EXPECT_EQ(FindTaskByParrent("Shell", 0), 2);
    EXPECT_EQ(FindTaskByParrent("Shell", 100), 0);
    Tasks.clear();
    EXPECT_EQ(FindTask("", 0), -1);
}

TEST_F(TaskRecords, RelationsOutsideTheListAreNeitherSetNorReturned)
{
    TCode code = OneCondition("a");
    AppendAction(code, ExecuteActionMarker, "SetName", "=", "b");

    SetCondition(code, "Integer", "Trust", ">", "1", ConditionCount(code));
    SetCondition(code, "Integer", "Trust", ">", "1", -1);
    SetAction(code, "Integer", "Trust", ">", "1", 1);
    EXPECT_EQ(ConditionCount(code), 1);
    EXPECT_EQ(ActionCount(code), 1);
    EXPECT_EQ(GetRelationValue(GetCondition(code, 0)), "a");
    EXPECT_EQ(GetRelationVariable(GetAction(code, 0)), "SetName");

    const TRelation none = GetAction(code, -1);
    EXPECT_TRUE(none.Type.isEmpty() && none.Variable.isEmpty() && none.Comparative.isEmpty() &&
                none.Value.isEmpty());
    EXPECT_TRUE(GetRelationType(GetCondition(code, 1)).isEmpty());

    SetCondition(code, "Integer", "Trust", ">", "1", 0);
    EXPECT_EQ(GetRelationType(GetCondition(code, 0)), "Integer");
    EXPECT_EQ(GetRelationComparative(GetCondition(code, 0)), ">");
}

TEST_F(TaskRecords, CopiesShareNothing)
{
    TScript source = {OneCondition("a"), OneCondition("b")};
    TScript copy = {OneCondition("old")};
    CopyScript(copy, source);
    ASSERT_EQ(copy.size(), 2);

    SetCondition(copy[0], "String", "Name", "==", "changed", 0);
    EXPECT_EQ(source[0].Conditions[0].Value, "a");
    SetCondition(source[1], "String", "Name", "==", "changed", 0);
    EXPECT_EQ(copy[1].Conditions[0].Value, "b");

    CopyScript(copy, TScript());
    EXPECT_TRUE(copy.isEmpty());

    TTask task = NamedTask("x");
    task.Code = source;
    TTask other = task;
    other.Code[0].Conditions[0].Value = "y";
    other.Name = "y";
    EXPECT_EQ(task.Code[0].Conditions[0].Value, "a");
    EXPECT_EQ(task.Name, "x");
}

TEST_F(TaskRecords, AssignTaskStateKeepsTheDestinationScript)
{
    TTask every = NamedTask("Every Task");
    every.Code = {OneCondition("global")};
    TTask task = NamedTask("Editor", 7);
    task.Responding = false;
    task.PrevResponding = false;
    task.Notification = "n";
    task.TrustChange = 2;
    task.KillRequested = true;
    task.Code = {OneCondition("own"), OneCondition("own")};

    AssignTaskState(every, task);
    EXPECT_EQ(every.Name, "Editor");
    EXPECT_EQ(every.Handle, 7u);
    EXPECT_FALSE(every.Responding);
    EXPECT_FALSE(every.PrevResponding);
    EXPECT_EQ(every.Notification, "n");
    EXPECT_EQ(every.TrustChange, 2);
    EXPECT_TRUE(every.KillRequested);
    ASSERT_EQ(every.Code.size(), 1);
    EXPECT_EQ(every.Code[0].Conditions[0].Value, "global");

    AssignTaskState(task, task);
    EXPECT_EQ(task.Name, "Editor");
    EXPECT_EQ(task.Code.size(), 2);
}

TEST(UpperCaseAZ, FoldsOnlyTheLettersAToZ)
{
    EXPECT_EQ(UpperCaseAZ(QString::fromUtf16(u"azAZ09 é ß ı ÿ")), QString::fromUtf16(u"AZAZ09 é ß ı ÿ"));
}

} // namespace
