#include "TaskFixture.h"

#include "platform/RadioGroup.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskResWindow.h"
#include "taskmanager/TaskScript.h"
#include "taskmanager/TaskWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <memory>

namespace {

TTask Task(const char* name, const char* parrent, int trust = 0)
{
    TTask task;
    task.Name = QString::fromUtf8(name);
    task.Parrent = QString::fromUtf8(parrent);
    task.Trust = trust;
    task.Status = QStringLiteral("Running");
    return task;
}

QStringList Captions(const QList<MessageBoxCall>& calls)
{
    QStringList captions;
    for (const MessageBoxCall& call : calls)
        captions.append(call.caption);
    return captions;
}

QStringList Column(int column)
{
    QStringList texts;
    for (int row = 0; row < VelmoraTask->TaskList->rowCount(); ++row) {
        const QTableWidgetItem* item = VelmoraTask->TaskList->item(row, column);
        texts.append(item != nullptr ? item->text() : QString());
    }
    return texts;
}

// The task window shown, with the tasks given, as the user sees it.
class TaskWindowTest : public TaskFixture {
protected:
    void Show(const TTaskArray& tasks)
    {
        Tasks = tasks;
        VelmoraTask->show();
        VelmoraTask->updateTaskList();
        QApplication::processEvents();
    }

    // A press on a cell of the table (row 0: the first row under the header); the right button
    // chooses `choice` from the menu it opens.
    void Press(int row, Qt::MouseButton button, QAction* choice = nullptr)
    {
        menuOpened = false;
        VelmoraTask->PopupMenu = [this, choice](QMenu* menu, QPoint) {
            menuOpened = true;
            resumeEnabled = VelmoraTask->ResumeMenu->isEnabled();
            EXPECT_EQ(menu, VelmoraTask->TaskMenu);
            if (choice != nullptr)
                choice->trigger();
        };
        const QRect cell = VelmoraTask->TaskList->visualRect(VelmoraTask->TaskList->model()->index(row, 1));
        QTest::mousePress(VelmoraTask->TaskList->viewport(), button, {}, cell.center());
        QTest::mouseRelease(VelmoraTask->TaskList->viewport(), button, {}, cell.center());
    }

    bool menuOpened = false;
    bool resumeEnabled = false;
};

const QString Q1 = QStringLiteral("Velmora AUTO START: Enable?");
const QString Q2 = QStringLiteral("Velmora AUTO START: Load?");
const QString Q3 = QStringLiteral("Velmora AUTO START: Allow all?");
const QString Q4 = QStringLiteral("Velmora AUTO STOP: Enable?");
const QString Q5 = QStringLiteral("Velmora AUTO STOP: Save?");
const QString Q6 = QStringLiteral("Velmora AUTO STOP: Clear?");

// One press of the start/stop button: the three choices of its half, whether a saved database
// exists, the answers given, and what it asks and does.
struct StartStopCase {
    bool stopping;
    int enable, loadOrSave, allowOrClear;
    bool savedFile;
    QList<int> answers;
    QStringList asked;
    bool loads, allowsUnknown, saves, clears;
};

} // namespace

TEST_F(TaskWindowTest, StartAndStopAskTheirQuestionsInOrderAndActOnTheAnswers)
{
    const QList<StartStopCase> cases = {
        // Defaults with a saved file: all three questions; No to the first skips the rest.
        {false, 1, 1, 1, true, {IDYES, IDYES, IDNO}, {Q1, Q2, Q3}, true, false, false, false},
        {false, 1, 1, 1, true, {IDNO}, {Q1}, false, false, false, false},
        {false, 1, 1, 1, true, {IDYES, IDNO, IDYES}, {Q1, Q2, Q3}, false, true, false, false},
        // No saved file: the load is neither asked nor done, whatever its choice.
        {false, 1, 0, 1, false, {IDYES, IDNO}, {Q1, Q3}, false, false, false, false},
        {false, 0, 0, 0, true, {}, {}, true, true, false, false},
        // No answer selected counts as "disabled".
        {false, -1, 0, 0, true, {}, {}, false, false, false, false},
        // Stopping with the defaults asks only about the clear; the save comes first.
        {true, 0, 0, 1, true, {IDYES}, {Q6}, false, false, true, true},
        {true, 1, 0, 1, true, {IDNO}, {Q4}, false, false, false, false},
        {true, 1, 1, 1, true, {IDYES, IDNO, IDYES}, {Q4, Q5, Q6}, false, false, false, true},
    };
    TVelmoraTaskExpert* expert = VelmoraTaskExpert;
    for (int n = 0; n < cases.size(); ++n) {
        SCOPED_TRACE(n);
        const StartStopCase& c = cases[n];
        const qsizetype first = boxes.Count();
        for (int answer : c.answers)
            boxes.Answer(answer);
        // The other half's choices ask everything, so a question of the wrong half shows.
        for (TRadioGroup* group :
             {expert->AutoStartEnableGroup, expert->AutoStartLoadGroup, expert->AutoStartAllowGroup,
              expert->AutoStopEnableGroup, expert->AutoStopSaveGroup, expert->AutoStopClearGroup})
            group->SetItemIndex(1);
        (c.stopping ? expert->AutoStopEnableGroup : expert->AutoStartEnableGroup)->SetItemIndex(c.enable);
        (c.stopping ? expert->AutoStopSaveGroup : expert->AutoStartLoadGroup)->SetItemIndex(c.loadOrSave);
        (c.stopping ? expert->AutoStopClearGroup : expert->AutoStartAllowGroup)->SetItemIndex(c.allowOrClear);
        QFile::remove(TaskDatabaseFile);
        if (c.savedFile) {
            Tasks = {Task("Saved", "app", 2)};
            ASSERT_TRUE(VelmoraTask->DataTaskSave(TaskDatabaseFile));
        }
        const QByteArray before = c.savedFile ? folder.Read(TaskDatabaseFile) : QByteArray();
        Tasks = {Task("Current", "app", 1)};
        VelmoraTaskAction->actionToDo = 0;
        VelmoraTaskAction->TimeRepeatBar->setValue(0);
        VelmoraTask->ManagerStarted = c.stopping;

        VelmoraTask->EnableTaskManager->click();

        const QList<MessageBoxCall> calls = boxes.Calls().mid(first);
        EXPECT_EQ(Captions(calls), c.asked);
        for (const MessageBoxCall& call : calls) {
            EXPECT_EQ(call.buttons, TMsgButtons::YesNo);
            EXPECT_EQ(call.icon, TMsgIcon::Question);
            EXPECT_EQ(call.owner, VelmoraTask);
        }
        EXPECT_EQ(VelmoraTask->ManagerStarted, !c.stopping);
        EXPECT_EQ(VelmoraTask->EnableTaskManager->text(), c.stopping
                                                              ? "Task Manager Stopped (click to start)"
                                                              : "Task Manager Started (click to stop)");
        const bool saved = c.savedFile && folder.Read(TaskDatabaseFile) != before;
        EXPECT_EQ(saved, c.saves);
        if (c.loads) {
            ASSERT_EQ(Tasks.size(), 1);
            EXPECT_EQ(Tasks[0].Name, "Saved");
        } else {
            EXPECT_EQ(Tasks.size(), c.clears ? 0 : 1);
        }
        EXPECT_EQ(VelmoraTaskAction->actionToDo, c.allowsUnknown ? 3 : 0);
        if (c.allowsUnknown) {
            EXPECT_EQ(VelmoraTaskAction->TimerActionToDo, 3);
            EXPECT_EQ(VelmoraTaskAction->TimeRepeatBar->value(), 4);
            EXPECT_TRUE(VelmoraTaskAction->UnknownRepeat->isChecked());
            EXPECT_FALSE(VelmoraTaskAction->PositiveRepeat->isChecked());
            EXPECT_FALSE(VelmoraTaskAction->NegativeRepeat->isChecked());
        }
    }
}

TEST_F(TaskWindowTest, StopWithNothingToSaveKeepsTheSavedFile)
{
    Tasks = {Task("Saved", "app")};
    ASSERT_TRUE(VelmoraTask->DataTaskSave(TaskDatabaseFile));
    const QByteArray saved = folder.Read(TaskDatabaseFile);
    Tasks.clear();
    VelmoraTaskExpert->AutoStopClearGroup->SetItemIndex(2);
    VelmoraTask->ManagerStarted = true;
    VelmoraTask->EnableTaskManager->click();
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_EQ(folder.Read(TaskDatabaseFile), saved);
}

TEST_F(TaskWindowTest, DamagedDatabaseAtAutoStartIsReportedAndTheManagerStillStarts)
{
    folder.Write(TaskDatabaseFile, "<DataBase><Task No=\"1\"><Information Name=\"x\" Trust=\"many\"/>");
    Tasks = {Task("Kept", "app")};
    VelmoraTaskExpert->AutoStartEnableGroup->SetItemIndex(0);
    VelmoraTaskExpert->AutoStartLoadGroup->SetItemIndex(0);
    VelmoraTaskExpert->AutoStartAllowGroup->SetItemIndex(2);
    // As the settings restore calls it at program start: nothing may escape to end the restore.
    VelmoraTask->EnableTaskManagerClick(nullptr);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, "Velmora");
    EXPECT_EQ(boxes.Calls()[0].icon, TMsgIcon::Error);
    EXPECT_TRUE(VelmoraTask->ManagerStarted);
    ASSERT_EQ(Tasks.size(), 1);
    EXPECT_EQ(Tasks[0].Name, "Kept");
}

TEST_F(TaskWindowTest, DatabaseCommandsSayHowTheyWent)
{
    VelmoraTask->DatabaseExpert->click();
    ASSERT_TRUE(VelmoraTaskExpert->isVisible());
    VelmoraTaskExpert->DatabaseLoad->click();
    VelmoraTaskExpert->DatabaseSave->click();
    Show({Task("One", "app", 3), Task("Two", "app")});
    VelmoraTaskExpert->DatabaseSave->click();
    VelmoraTaskExpert->DatabaseClear->click();
    EXPECT_TRUE(Tasks.isEmpty());
    EXPECT_EQ(Column(0), QStringList{""});
    VelmoraTaskExpert->DatabaseLoad->click();
    ASSERT_EQ(boxes.Count(), 4);
    const QStringList captions = {"Velmora: Unable to load", "Velmora: Unable to save",
                                  "Velmora: Saved Successfully", "Velmora: Loaded Successfully"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(boxes.Calls()[i].caption, captions[i]);
        EXPECT_EQ(boxes.Calls()[i].icon, i < 2 ? TMsgIcon::Warning : TMsgIcon::Information);
    }
    EXPECT_EQ(Column(0), (QStringList{"One", "Two"}));
    EXPECT_EQ(Column(3), (QStringList{"3", "0"}));
    EXPECT_TRUE(VelmoraTaskExpert->isVisible());
}

TEST_F(TaskWindowTest, WithDesktopTasksHiddenOrShownEveryCommandActsOnTheSelectedTask)
{
    VelmoraTaskExpert->ShowDesktopTasks->setChecked(false);
    Show({Task("Root", "Desktop"), Task("Panel", "Desktop"), Task("Mail", "mailer"),
          Task("Shell", "desktop")});
    EXPECT_EQ(Column(0), (QStringList{"Mail", "Shell"}));

    Press(1, Qt::RightButton, VelmoraTask->Trust_3Menu);
    EXPECT_TRUE(menuOpened);
    EXPECT_EQ(SelectedTask, 3);
    EXPECT_EQ(Tasks[3].Trust, -3);
    EXPECT_EQ(VelmoraTask->DescriptionName->text(), "Shell");

    Press(0, Qt::RightButton, VelmoraTask->KillMenu);
    EXPECT_TRUE(Tasks[2].KillRequested);
    EXPECT_FALSE(Tasks[0].KillRequested);

    Press(0, Qt::LeftButton);
    EXPECT_FALSE(menuOpened);
    VelmoraTask->CustomTrustBar->setValue(4);
    VelmoraTask->CustomTrustButton->click();
    EXPECT_EQ(Tasks[2].Trust, 4);
    EXPECT_EQ(VelmoraTask->DescriptionTrust->text(), "User Trust: " + TrustDescription(4));

    Press(1, Qt::RightButton, VelmoraTask->RemoveMenu);
    ASSERT_EQ(Tasks.size(), 3);
    EXPECT_EQ(Tasks[2].Name, "Mail");
    EXPECT_EQ(SelectedTask, -1);
    EXPECT_EQ(VelmoraTask->DescriptionName->text(), "No Task Selected");
    EXPECT_TRUE(VelmoraTask->TaskList->selectedItems().isEmpty());

    // Showing the desktop tasks shifts the rows under the selection: Remove takes the panel's task.
    Press(0, Qt::LeftButton);
    VelmoraTaskExpert->ShowDesktopTasks->setChecked(true);
    VelmoraTask->updateTaskList();
    EXPECT_EQ(VelmoraTask->DescriptionName->text(), "Mail");
    VelmoraTask->DatabaseRemove->click();
    EXPECT_EQ(Column(0), (QStringList{"Root", "Panel"}));

    // A press on the header row leaves no task for the commands.
    Press(1, Qt::LeftButton);
    ASSERT_EQ(SelectedTask, 1);
    menuOpened = false;
    QHeaderView* header = VelmoraTask->TaskList->horizontalHeader();
    QTest::mousePress(header->viewport(), Qt::RightButton, {},
                      QPoint(header->sectionSize(0) / 2, header->height() / 2));
    EXPECT_FALSE(menuOpened);
    EXPECT_EQ(SelectedTask, -1);
    EXPECT_EQ(VelmoraTask->DescriptionName->text(), "No Task Selected");
    EXPECT_TRUE(VelmoraTask->TaskList->selectedItems().isEmpty());
    VelmoraTask->ActionTaskKillClick(VelmoraTask->ActionTaskKill);
    EXPECT_FALSE(Tasks[1].KillRequested);
}

// The keyboard alone: the arrows pick a task in the grid, and Tab leaves it for the commands.
TEST_F(TaskWindowTest, ArrowsPickATaskAndTabReachesItsCommands)
{
    Show({Task("One", "app"), Task("Two", "app")});
    VelmoraTask->AdvancedTask->click();
    VelmoraTask->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(VelmoraTask));
    const auto tabTo = [](QWidget* to, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        for (int step = 0; step < 12 && QApplication::focusWidget() != to; ++step)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, modifiers);
        return QApplication::focusWidget() == to;
    };
    ASSERT_TRUE(tabTo(VelmoraTask->TaskList));
    QTest::keyClick(VelmoraTask->TaskList, Qt::Key_Down);
    QTest::keyClick(VelmoraTask->TaskList, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), VelmoraTask->CustomTrustBar);
    ASSERT_TRUE(tabTo(VelmoraTask->ActionTaskKill));
    QTest::keyClick(VelmoraTask->ActionTaskKill, Qt::Key_Space);
    EXPECT_TRUE(Tasks[1].KillRequested);
    EXPECT_FALSE(Tasks[0].KillRequested);
    // Back into the grid, and out of it the other way.
    ASSERT_TRUE(tabTo(VelmoraTask->TaskList, Qt::ShiftModifier));
    QTest::keyClick(VelmoraTask->TaskList, Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), VelmoraTask->HideTaskManager);
}

TEST_F(TaskWindowTest, ResumeCancelsASuspendNotYetCarriedOut)
{
    OpenWindow(7, "Editor");
    StartManager();
    Tick();
    AnswerWith(VelmoraTaskAction->IgnoreNotification);
    Tick();
    TakeCalls();
    Show(Tasks);

    // Menu and buttons alike; Resume is offered exactly for a suspended task.
    Press(0, Qt::RightButton, VelmoraTask->SuspendMenu);
    EXPECT_FALSE(resumeEnabled);
    EXPECT_TRUE(Tasks[0].Suspended);
    Press(0, Qt::RightButton, VelmoraTask->ResumeMenu);
    EXPECT_TRUE(resumeEnabled);
    EXPECT_FALSE(Tasks[0].Suspended);
    Tick();
    EXPECT_EQ(TakeCalls(), QStringList{"HandleResume 7"});
    EXPECT_FALSE(Tasks[0].Suspended);

    VelmoraTask->AdvancedTask->click();
    VelmoraTask->ActionTaskSuspend->click();
    EXPECT_TRUE(VelmoraTask->ActionTaskResume->isVisible());
    EXPECT_FALSE(VelmoraTask->ActionTaskSuspend->isVisible());
    Tick();
    EXPECT_TRUE(Column(2)[0].endsWith(" (Suspended)"));
    EXPECT_TRUE(TakeCalls().contains("HandleSuspendOf 7 7"));
    VelmoraTask->ActionTaskResume->click();
    EXPECT_EQ(TakeCalls(), QStringList{"ProcessResume 7"});

    // A task that leaves the list takes no program's only way back with it.
    VelmoraTask->ActionTaskSuspend->click();
    Tick();
    TakeCalls();
    VelmoraTask->DatabaseRemove->click();
    EXPECT_EQ(TakeCalls(), QStringList{"ProcessResume 7"});
    // The program comes back as a new task, which the user suspends.
    const auto suspendAgain = [&] {
        Tick();
        AnswerWith(VelmoraTaskAction->IgnoreNotification);
        Tick();
        Show(Tasks);
        Press(0, Qt::RightButton, VelmoraTask->SuspendMenu);
        Tick();
        TakeCalls();
    };
    suspendAgain();
    VelmoraTask->DatabaseClear();
    EXPECT_EQ(TakeCalls(), QStringList{"ProcessResume 7"});

    // A load hands the held program to the loaded task of its name, which keeps it through the
    // checks until Resume; without a loaded task of that name the load resumes it.
    VelmoraTaskExpert->SpeedTaskBar->setValue(1);
    suspendAgain();
    ASSERT_TRUE(VelmoraTask->DataTaskSave(TaskDatabaseFile));
    VelmoraTask->DatabaseLoad();
    Tick();
    EXPECT_EQ(TakeCalls(), QStringList{});
    EXPECT_TRUE(Tasks[0].Suspended);
    Show(Tasks);
    Press(0, Qt::RightButton, VelmoraTask->ResumeMenu);
    EXPECT_EQ(TakeCalls(), QStringList{"ProcessResume 7"});
    Press(0, Qt::RightButton, VelmoraTask->SuspendMenu);
    AnswerWith(VelmoraTaskAction->NothingNotification);
    Tick();
    Tasks[0].Name = QStringLiteral("Renamed");
    TakeCalls();
    VelmoraTask->DatabaseLoad();
    EXPECT_EQ(TakeCalls(), QStringList{"ProcessResume 7"});
}

// A program an earlier run left stopped is offered Resume, which wakes it; when the task shows it
// beside a program stopped here, Resume wakes both.
TEST_F(TaskWindowTest, ProgramLeftStoppedIsOfferedResume)
{
    OpenWindow(7, "Editor");
    SetText(7, "status", "Suspended");
    Tasks = {Task("Editor", "fakeapp", 3)};
    VelmoraTaskExpert->SpeedTaskBar->setValue(1);
    StartManager();
    Tick();
    Show(Tasks);
    VelmoraTask->AdvancedTask->click();
    Press(0, Qt::LeftButton);
    EXPECT_FALSE(VelmoraTask->ActionTaskResume->isHidden());
    EXPECT_TRUE(VelmoraTask->ActionTaskSuspend->isHidden());
    Press(0, Qt::RightButton, VelmoraTask->ResumeMenu);
    EXPECT_TRUE(resumeEnabled);
    EXPECT_EQ(TakeCalls(), QStringList{"HandleResume 7"});

    SetText(7, "status", "Running");
    Press(0, Qt::RightButton, VelmoraTask->SuspendMenu);
    Tick();
    OpenWindow(9, "Editor");
    SetText(9, "status", "Suspended");
    Tick();
    ASSERT_EQ(Tasks[0].Handle, 9u);
    TakeCalls();
    VelmoraTask->ActionTaskResume->click();
    EXPECT_EQ(TakeCalls(), (QStringList{"HandleResume 9", "ProcessResume 7"}));
}

TEST_F(TaskWindowTest, ScriptEditorKeepsItsTaskWhenTheListChanges)
{
    Show({Task("A", "app"), Task("B", "app"), Task("C", "app")});
    VelmoraTaskScript->SetNumber(2);
    Press(0, Qt::LeftButton);
    VelmoraTask->AdvancedTask->click();
    VelmoraTask->DatabaseRemove->click();
    EXPECT_EQ(VelmoraTaskScript->GetNumber(), 1);
    EXPECT_FALSE(VelmoraTaskScript->TargetGone());
    Press(1, Qt::LeftButton);
    VelmoraTask->DatabaseRemove->click();
    EXPECT_TRUE(VelmoraTaskScript->TargetGone());

    Tasks = {Task("A", "app"), Task("B", "app")};
    ASSERT_TRUE(VelmoraTask->DataTaskSave(TaskDatabaseFile));
    for (void (TVelmoraTask::*command)() : {&TVelmoraTask::DatabaseLoad, &TVelmoraTask::DatabaseClear}) {
        VelmoraTaskScript->SetNumber(1);
        (VelmoraTask->*command)();
        EXPECT_TRUE(VelmoraTaskScript->TargetGone());
    }
}

TEST_F(TaskWindowTest, GridRefreshKeepsCellsSelectionAndScrollPosition)
{
    TTaskArray many;
    for (int i = 0; i < 200; ++i)
        many.append(Task(qPrintable(QStringLiteral("Task %1").arg(i)), "app"));
    Show(many);
    Press(3, Qt::LeftButton);
    VelmoraTask->TaskList->verticalScrollBar()->setValue(50);
    const QTableWidgetItem* name = VelmoraTask->TaskList->item(3, 0);
    Tasks[3].Suspended = true;
    Tasks[3].Code.append(TCode());
    Tasks[3].Trust = -2;
    VelmoraTask->updateTaskList();
    EXPECT_EQ(VelmoraTask->TaskList->item(3, 0), name);
    EXPECT_EQ(VelmoraTask->TaskList->item(3, 2)->text(), "Running (Suspended)");
    EXPECT_EQ(VelmoraTask->TaskList->item(3, 3)->text(), "-2 +Coded");
    EXPECT_EQ(VelmoraTask->TaskList->verticalScrollBar()->value(), 50);
    EXPECT_EQ(VelmoraTask->TaskList->selectedItems().size(), 6);
    EXPECT_EQ(VelmoraTask->TaskList->currentRow(), 3);
    EXPECT_EQ(SelectedTask, 3);

    // The last task removed: headers and one empty row.
    Show({Task("Only", "app")});
    Press(0, Qt::LeftButton);
    VelmoraTask->DatabaseRemove->click();
    EXPECT_EQ(Column(0), QStringList{""});
    EXPECT_EQ(VelmoraTask->DescriptionName->text(), "No Task Selected");
    EXPECT_FALSE(VelmoraTask->DatabaseRemove->isEnabled());
    EXPECT_FALSE(VelmoraTask->ActionTaskKill->isEnabled());
}

// The other expert options are walked through a restart by the settings tests.
TEST_F(TaskWindowTest, RememberByAppIsTickedOnlyWhenConfirmed)
{
    TVelmoraTaskExpert* expert = VelmoraTaskExpert;
    boxes.Answer(IDNO);
    boxes.Answer(IDYES);
    expert->RememberByApp->setChecked(true);
    EXPECT_FALSE(expert->RememberByApp->isChecked());
    expert->RememberByApp->setChecked(true);
    EXPECT_TRUE(expert->RememberByApp->isChecked());
    expert->RememberByApp->setChecked(false);
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Calls()[0].caption, "Rememember by application?");
    EXPECT_EQ(boxes.Calls()[0].icon, TMsgIcon::Warning);
    EXPECT_EQ(boxes.Calls()[0].owner, expert);
}

TEST_F(TaskWindowTest, ExcludeRowsAreAddedRemovedAndCountWhileTyped)
{
    QTableWidget* table = VelmoraTaskExpert->ExcludeTable;
    const auto rows = [table] {
        QStringList texts;
        for (int row = 0; row < table->rowCount(); ++row)
            texts.append(table->item(row, 0)->text());
        return texts;
    };
    VelmoraTaskExpert->show();
    VelmoraTaskExpert->ExpertOptionsTab->setCurrentWidget(VelmoraTaskExpert->Excludes);
    table->item(0, 0)->setText("solo");
    VelmoraTaskExpert->ExcludeRemove->click();
    EXPECT_EQ(rows(), QStringList{"solo"});

    VelmoraTaskExpert->ExcludeAdd->click();
    VelmoraTaskExpert->ExcludeAdd->click();
    table->item(1, 0)->setText("b");
    table->item(2, 0)->setText("c");
    table->item(0, 0)->setText("a");
    table->setCurrentCell(0, 0);
    VelmoraTaskExpert->ExcludeRemove->click();
    EXPECT_EQ(rows(), (QStringList{"b", "c"}));
    table->setCurrentCell(1, 0);
    VelmoraTaskExpert->ExcludeRemove->click();
    EXPECT_EQ(rows(), QStringList{"b"});
    VelmoraTaskExpert->ExcludeAdd->click();
    EXPECT_EQ(rows(), (QStringList{"b", ""}));

    // Typed but not yet committed, the text already excludes.
    table->setCurrentCell(1, 0);
    table->editItem(table->item(1, 0));
    QApplication::processEvents();
    auto* editor = table->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "edit");
    EXPECT_EQ(rows(), (QStringList{"b", "edit"}));
    // Tab ends the edit and leaves the grid, as it does when no cell is edited.
    VelmoraTaskExpert->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(VelmoraTaskExpert));
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), VelmoraTaskExpert->ExcludeAdd);
    EXPECT_EQ(rows(), (QStringList{"b", "edit"}));
    OpenWindow(7, "Editor");
    StartManager();
    Tick();
    EXPECT_TRUE(Tasks.isEmpty());
}

TEST_F(TaskWindowTest, MoreWhileMaximizedKeepsTheHeight)
{
    VelmoraTask->showMaximized();
    const int height = VelmoraTask->height();
    VelmoraTask->AdvancedTask->click();
    EXPECT_EQ(VelmoraTask->AdvancedTask->text(), "Less");
    EXPECT_EQ(VelmoraTask->height(), height);
}

// A title is shown as it is, and the monitor's sampling ends before the library goes at exit.
TEST_F(TaskWindowTest, AMonitorShowsItsWindowsTitleAndStopsBeforeTheLibraryIsUnloaded)
{
    OpenWindow(7, "Encoding 40%1 done");
    SetFacts(7, 70, 10 * 1024 * 1024, true);
    TTask task = Task("Encoding", "app");
    task.Handle = 7;
    Show({task});
    Press(0, Qt::LeftButton);
    VelmoraTask->AdvancedTask->click();
    VelmoraTask->MonitorButton->click();
    TVelmoraTaskResource* monitor = nullptr;
    for (QWidget* window : QApplication::topLevelWidgets())
        monitor = monitor != nullptr ? monitor : qobject_cast<TVelmoraTaskResource*>(window);
    ASSERT_NE(monitor, nullptr);
    const std::unique_ptr<TVelmoraTaskResource> owned(monitor);
    EXPECT_EQ(monitor->NameLabel->text(), "Encoding 40%1 done  (10 mb)");
    EXPECT_TRUE(monitor->GraphTimer->Enabled());

    VelmoraMain->ExitButtonClick(VelmoraMain->ExitButton);
    EXPECT_FALSE(monitor->GraphTimer->Enabled());
}
