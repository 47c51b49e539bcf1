#include "EditorsFixture.h"

#include "taskmanager/TaskCode.h"
#include "taskmanager/TaskResult.h"
#include "taskmanager/TaskScript.h"
#include "tasks/TaskClasses.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

QStringList Row(const QTableWidget* grid, int row)
{
    QStringList cells;
    for (int column = 0; column < 4; ++column)
        cells << grid->item(row, column)->text();
    return cells;
}

QStringList Lines(const QListWidget* list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

TCode CodeWithName(const QString& name)
{
    TCode code;
    AppendCondition(code, "String", "Name", "==", name);
    return code;
}

void Open(int number)
{
    VelmoraTaskScript->SetNumber(number);
    VelmoraTaskScript->InitNew();
    VelmoraTaskScript->show();
}

} // namespace

TEST_F(EditorsFixture, CodeEditorAddsChangesAndRefusesRelations)
{
    AddTask("notepad", 100);
    Open(0);
    VelmoraTaskScript->AddCode->click();
    TVelmoraTaskCode* editor = VelmoraTaskCode;
    EXPECT_EQ(editor->windowTitle(), "Velmora Task Code: notepad");
    EXPECT_EQ(editor->Conditions->rowCount(), 2);
    EXPECT_EQ(editor->CodeDescription->toPlainText(),
              "The following code is created:\nWhen (always) do {nothing}");

    // The preset operation needs no choice.
    Condition(1, MemoryItem, -1, CustomValue, "400");
    const TCode& code = EditedScript[0];
    EXPECT_EQ(Row(editor->Conditions, 1), QStringList({"Integer", "Memory", "==", "400"}));
    // The current row now shows the new relation: the same button changes it.
    Condition(1, MemoryItem, IsAbove, CustomValue, "500");
    Condition(2, MemoryItem, 9, LastResultValue);
    EXPECT_EQ(Row(editor->Conditions, 2), QStringList({"Integer", "Memory", "*", "Last calculation result"}));
    Condition(2, MemoryItem, 11, PreviousValue);
    EXPECT_EQ(GetCondition(code, 1).Comparative, "\\");
    EXPECT_EQ(GetCondition(code, 1).Value, "!!!Previous Variable Value!!!");

    // Refused on the empty row with a box, on an existing row silently; Esc adds nothing.
    Condition(3, MemoryItem, -1, CustomValue);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, "Velmora Code: No conditions added");
    Condition(1, NameString);
    Condition(3, MemoryItem, -1, CustomValue, "7", false);
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_EQ(ConditionCount(code), 2);
    EXPECT_EQ(GetCondition(code, 0).Value, "500");

    Action(1, RunningItem, -1, CustomValue, "False");
    Action(2, -1);
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Calls()[1].caption, "Velmora Code: No actions added");
    ASSERT_EQ(ActionCount(code), 1);
    EXPECT_EQ(Row(editor->Actions, 1), QStringList({"Perform", "Running", "=", "False"}));

    // By keys alone: Tab and Shift+Tab leave a grid for the buttons, the arrows move inside it.
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    editor->Actions->setFocus(Qt::TabFocusReason);
    QTest::keyClick(editor->Actions, Qt::Key_Up);
    EXPECT_EQ(editor->Actions->currentRow(), 1);
    QTest::keyClick(editor->Actions, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), editor->AddCondition);
    for (QWidget* next :
         std::initializer_list<QWidget*>{editor->Actions, editor->AddAction, editor->ApplyButton}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    QTest::keyClick(editor->ApplyButton, Qt::Key_Space);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(Lines(VelmoraTaskScript->CodeList), QStringList({CodeToText(EditedScript[0]), "Add code"}));
    EXPECT_EQ(editor->CodeDescription->toPlainText(),
              "The following code is created:\n" + CodeToText(EditedScript[0]));
    EXPECT_TRUE(Tasks[0].Code.isEmpty());
}

TEST_F(EditorsFixture, StatementCountsOnlyAtOkWithTheBoxAsItIsThen)
{
    // A marker chosen first, then "Custom Value" with nothing typed: no value, not the marker.
    QTimer::singleShot(0, [] {
        // Screen readers name a box by its label, the edit by its own name.
        QStringList names;
        for (QWidget* box : std::initializer_list<QWidget*>{
                 VelmoraTaskResult->ChooseVariable, VelmoraTaskResult->ChooseOperation,
                 VelmoraTaskResult->ChooseValue, VelmoraTaskResult->CustValue}) {
            QAccessibleInterface* control = QAccessible::queryAccessibleInterface(box);
            const auto labels = control->relations(QAccessible::Label);
            names << (labels.isEmpty() ? control : labels[0].first)->text(QAccessible::Name);
        }
        EXPECT_EQ(names.join(", ").toStdString(), "Variable, Operation, Value, Custom Value");
        VelmoraTaskResult->ChooseVariable->setCurrentIndex(MemoryItem);
        VelmoraTaskResult->ChooseValue->setCurrentIndex(LastResultValue);
        VelmoraTaskResult->ChooseValue->setCurrentIndex(CustomValue);
        VelmoraTaskResult->OkButton->click();
    });
    EXPECT_EQ(VelmoraTaskResult->exec(), QDialog::Accepted);
    EXPECT_EQ(ChosenValue, "");

    // A window manager's close counts as no choice.
    QTimer::singleShot(0, [] { VelmoraTaskResult->close(); });
    EXPECT_EQ(VelmoraTaskResult->exec(), QDialog::Rejected);
}

TEST_F(EditorsFixture, ScriptEditorWorksOnACopyUntilApplied)
{
    AddTask("notepad", 100);
    for (const char* name : {"A", "B", "C", "D"})
        Tasks[0].Code.append(CodeWithName(name));
    Open(0);
    EXPECT_EQ(VelmoraTaskScript->windowTitle(), "Velmora Task Script: notepad");
    QListWidget* list = VelmoraTaskScript->CodeList;
    ASSERT_EQ(list->count(), 5);
    list->setCurrentRow(4);
    VelmoraTaskScript->RemoveCode->click();
    list->setCurrentRow(1);
    VelmoraTaskScript->RemoveCode->click();
    // Indexes outside the working copy change nothing.
    VelmoraTaskScript->RemoveIndex(3);
    VelmoraTaskScript->RemoveIndex(-1);
    EXPECT_EQ(Lines(list), QStringList({CodeToText(CodeWithName("A")), CodeToText(CodeWithName("C")),
                                        CodeToText(CodeWithName("D")), "Add code"}));

    // A selected code line is changed, not added; nothing selected adds an empty code.
    list->setCurrentRow(0);
    VelmoraTaskScript->AddCode->click();
    EXPECT_EQ(VelmoraTaskCode->CodeIndex, 0);
    VelmoraTaskCode->ApplyButton->click();
    EXPECT_EQ(list->count(), 4);
    // A window manager's close box, drawn whether asked for or not, finishes the code too.
    VelmoraTaskScript->AddCode->click();
    VelmoraTaskCode->close();
    EXPECT_TRUE(VelmoraTaskScript->isVisible());
    ASSERT_EQ(list->count(), 5);
    EXPECT_EQ(list->item(3)->text(), "When (always) do {nothing}");

    // Applied as a copy: later edits of the working copy stay there.
    VelmoraTaskScript->ApplyTaskScript->click();
    EXPECT_FALSE(VelmoraTaskScript->isVisible());
    ASSERT_EQ(Tasks[0].Code.size(), 4);
    VelmoraTaskScript->RemoveIndex(0);
    EXPECT_EQ(Tasks[0].Code.size(), 4);
}

TEST_F(EditorsFixture, ARemovedOrReloadedTargetReceivesNothing)
{
    for (const char* name : {"a", "b", "c"})
        AddTask(name, 0);

    // A task before the target leaves: the editor follows its task.
    Open(2);
    ScriptTaskRemoved(0);
    Tasks.removeAt(0);
    EXPECT_EQ(VelmoraTaskScript->GetNumber(), 1);
    VelmoraTaskScript->AddCode->click();
    EXPECT_EQ(VelmoraTaskCode->windowTitle(), "Velmora Task Code: c");
    VelmoraTaskCode->ApplyButton->click();
    VelmoraTaskScript->ApplyTaskScript->click();
    EXPECT_EQ(Tasks[1].Code.size(), 1);

    // The target itself leaves while its code is being edited: a box, and no script changes.
    Open(0);
    VelmoraTaskScript->AddCode->click();
    Tasks.removeAt(0);
    ScriptTaskRemoved(0);
    Action(1, RunningItem, -1, CustomValue, "False");
    VelmoraTaskCode->ApplyButton->click();
    EXPECT_EQ(VelmoraTaskScript->windowTitle(), "Velmora Task Script: Task removed");
    VelmoraTaskScript->ApplyTaskScript->click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, "Velmora: Task removed");
    EXPECT_TRUE(EveryTask.Code.isEmpty());
    EXPECT_EQ(Tasks[0].Code.size(), 1);
    EXPECT_EQ(ActionCount(Tasks[0].Code[0]), 0);

    // A reload leaves no task target; the global script stays a target.
    Open(0);
    ScriptTasksReplaced();
    VelmoraTaskScript->ApplyTaskScript->click();
    EXPECT_EQ(boxes.Count(), 2);
    Open(-1);
    VelmoraTaskScript->AddCode->click();
    VelmoraTaskCode->ApplyButton->click();
    ScriptTasksReplaced();
    ScriptTaskRemoved(0);
    VelmoraTaskScript->ApplyTaskScript->click();
    EXPECT_EQ(EveryTask.Code.size(), 1);
    EXPECT_EQ(boxes.Count(), 2);
}

TEST_F(EditorsFixture, CodeEditorChecksItsCodeBeforeEachUse)
{
    AddTask("notepad", 100);
    Open(0);
    VelmoraTaskScript->AddCode->click();
    // The working copy is rebuilt under the open code editor.
    VelmoraTaskScript->InitNew();
    Condition(1, MemoryItem, -1, CustomValue, "1");
    EXPECT_TRUE(EditedScript.isEmpty());
    EXPECT_EQ(VelmoraTaskCode->Conditions->rowCount(), 2);
}
