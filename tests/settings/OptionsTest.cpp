#include "help/HelpWindow.h"
#include "memory/MemExpert.h"
#include "platform/Application.h"
#include "platform/NotifyIcon.h"
#include "platform/RadioGroup.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskWindow.h"
#include "tasks/TaskClasses.h"
#include "temperature/TempExpert.h"
#include "tests/settings/FileSizeLimit.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

const QString OptionsFile = QStringLiteral("Database/Options.ini");
const QString ExcludeFile = QStringLiteral("Database/Exclude.txt");
const QString TaskDatabaseFile = QStringLiteral("Database/TaskDatabase.xml");

QByteArray Contents(const char* path)
{
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList ExcludeRows()
{
    const QTableWidget* table = VelmoraTaskExpert->ExcludeTable;
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row)
        rows.append(table->item(row, 0) != nullptr ? table->item(row, 0)->text() : QString());
    return rows;
}

TTask NamedTask(const char* name)
{
    TTask task;
    ClearTask(task);
    task.Name = QString::fromUtf8(name);
    return task;
}

// Runs of the whole program in one working folder: start, first-run step, exit, start again.
class OptionsTest : public testing::Test {
protected:
    void SetUp() override { Application::ResetTerminated(); }
    void TearDown() override { End(); }

    // The program's start up to the end of its first-run step.
    void Start()
    {
        CreateProgramWindows();
        running_ = true;
        VelmoraMain->show();
        QDeadlineTimer deadline(10000);
        while (VelmoraMain->FirstRunTimer != nullptr && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        ASSERT_EQ(VelmoraMain->FirstRunTimer, nullptr);
    }

    // "Exit Velmora"; true when the program ends.
    bool Exit()
    {
        VelmoraMain->ExitButton->click();
        return Application::Terminated();
    }

    // What follows the end of the message loop; a run that did not end unloads its libraries here.
    void End()
    {
        if (!running_)
            return;
        if (!Application::Terminated())
            UnloadLibraries();
        DestroyProgramWindows();
        MemoryLibraryHandle = TaskLibraryHandle = TemperatureLibraryHandle = nullptr;
        ExitProgramHandler = nullptr;
        Application::ResetTerminated();
        running_ = false;
    }

    void Restart()
    {
        ASSERT_TRUE(Exit());
        End();
        Start();
    }

    QByteArray Options() const { return folder.Read(OptionsFile); }

    WorkingFolder folder;
    MessageBoxRecorder boxes;

private:
    bool running_ = false;
};

TEST_F(OptionsTest, AFirstStartThenExitWritesAllTenSectionsAndOneEmptyExcludeLine)
{
    Start();
    EXPECT_FALSE(folder.Exists(OptionsFile));
    ASSERT_TRUE(Exit());
    EXPECT_EQ(Options(), "[Memory]\r\nKeep Log Error=1\r\nSafety MB=1\r\n"
                         "[Temperature Save]\r\nSave Expert Options=1\r\nSave Update Options=1\r\n"
                         "Save Auto Start Options=1\r\n"
                         "[Temperature Update]\r\nRefresh *500msec=3\r\nOverheat temperature=90\r\n"
                         "[Temperature Auto Start]\r\nEnabled=1\r\n"
                         "[Task Save]\r\nSave Expert Options=1\r\nSave Update Options=1\r\n"
                         "Save AUTO START Options=1\r\nSave AUTO STOP Options=1\r\n"
                         "Save Management Options=1\r\nSave Notification Options=1\r\n"
                         "[Task Update]\r\nRefresh *500msec=3\r\nRemember by application=0\r\n"
                         "Check for new tasks=1\r\nDisplay desktop tasks=1\r\nStrict Security=0\r\n"
                         "[Task Management]\r\nManager Started=0\r\n"
                         "[Task Notification]\r\nRepeat for unknown=1\r\nRepeat for positive=0\r\n"
                         "Repeat for negative=0\r\n"
                         "[Task AUTO START]\r\nStates=0 always, 1 ask, 2 never\r\nEnabled=1\r\n"
                         "Load Database=1\r\nAllow Unknown=1\r\n"
                         "[Task AUTO STOP]\r\nStates=0 always, 1 ask, 2 never\r\nEnabled=0\r\n"
                         "Save Database=0\r\nClear Database=1\r\n");
    EXPECT_EQ(folder.Read(ExcludeFile), "\r\n");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(OptionsTest, EverySavedSettingIsBackAfterARestart)
{
    Start();
    TVelmoraTaskExpert* task = VelmoraTaskExpert;
    TVelmoraTaskAction* notification = VelmoraTaskAction;
    VelmoraMemExpert->LogErrorKeepGroup->SetItemIndex(2);
    VelmoraMemExpert->SafetyMemoryBar->setValue(9);
    VelmoraTempExpert->SpeedTempBar->setValue(7);
    VelmoraTempExpert->MaxTempBar->setValue(60);
    VelmoraTempExpert->AutoRunEnableGroup->SetItemIndex(0);
    task->SpeedTaskBar->setValue(5);
    boxes.Answer(IDYES);
    task->RememberByApp->setChecked(true);
    task->CheckForNew->setChecked(false);
    task->ShowDesktopTasks->setChecked(false);
    task->StrictSecurity->setChecked(true);
    notification->UnknownRepeat->setChecked(false);
    notification->PositiveRepeat->setChecked(true);
    notification->NegativeRepeat->setChecked(true);
    task->AutoStartEnableGroup->SetItemIndex(2);
    task->AutoStartLoadGroup->SetItemIndex(0);
    task->AutoStartAllowGroup->SetItemIndex(-1);
    task->AutoStopEnableGroup->SetItemIndex(1);
    task->AutoStopSaveGroup->SetItemIndex(2);
    task->AutoStopClearGroup->SetItemIndex(0);
    // AUTO START is disabled: the manager starts without a question, now and at the next start.
    VelmoraTask->EnableTaskManagerClick(nullptr);
    ASSERT_TRUE(VelmoraTask->ManagerStarted);
    task->ExcludeTable->setRowCount(3);
    task->ExcludeTable->setItem(0, 0, new QTableWidgetItem(QStringLiteral("alpha")));
    task->ExcludeTable->setItem(2, 0, new QTableWidgetItem(QStringLiteral("Ünïcode  ")));
    ASSERT_EQ(boxes.Count(), 1);
    boxes.Answer(IDYES);

    Restart();
    task = VelmoraTaskExpert;
    notification = VelmoraTaskAction;
    EXPECT_EQ(VelmoraMemExpert->LogErrorKeepGroup->ItemIndex(), 2);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryBar->value(), 9);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryLabel->text(), QStringLiteral("Safety Memory Space: 9 mb"));
    EXPECT_EQ(VelmoraTempExpert->SpeedTempBar->value(), 7);
    EXPECT_EQ(VelmoraTempExpert->MaxTempBar->value(), 60);
    EXPECT_EQ(VelmoraTempExpert->MaxTempLabel->text(), QStringLiteral("Maximum Temperature: 60 degrees"));
    EXPECT_EQ(VelmoraTempExpert->AutoRunEnableGroup->ItemIndex(), 0);
    EXPECT_EQ(TaskCheckSpeed, 5);
    EXPECT_EQ(task->SpeedTaskBar->value(), 5);
    EXPECT_EQ(task->SpeedTaskLabel->text(), QStringLiteral("Check tasks: Every 2500 ms"));
    // The box asks again at the start.
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Calls()[1].caption, QStringLiteral("Rememember by application?"));
    EXPECT_TRUE(task->RememberByApp->isChecked());
    EXPECT_FALSE(task->CheckForNew->isChecked());
    EXPECT_FALSE(CheckForNewTasks);
    EXPECT_FALSE(task->ShowDesktopTasks->isChecked());
    EXPECT_TRUE(task->StrictSecurity->isChecked());
    EXPECT_FALSE(notification->UnknownRepeat->isChecked());
    EXPECT_TRUE(notification->PositiveRepeat->isChecked());
    EXPECT_TRUE(notification->NegativeRepeat->isChecked());
    EXPECT_EQ(task->AutoStartEnableGroup->ItemIndex(), 2);
    EXPECT_EQ(task->AutoStartLoadGroup->ItemIndex(), 0);
    EXPECT_EQ(task->AutoStartAllowGroup->ItemIndex(), -1);
    EXPECT_EQ(task->AutoStopEnableGroup->ItemIndex(), 1);
    EXPECT_EQ(task->AutoStopSaveGroup->ItemIndex(), 2);
    EXPECT_EQ(task->AutoStopClearGroup->ItemIndex(), 0);
    EXPECT_TRUE(VelmoraTask->ManagerStarted);
    EXPECT_EQ(VelmoraTask->EnableTaskManager->text(), QStringLiteral("Task Manager Started (click to stop)"));
    EXPECT_EQ(ExcludeRows(), QStringList({QStringLiteral("alpha"), QString(), QStringLiteral("Ünïcode  ")}));
}

TEST_F(OptionsTest, HandWrittenValuesAreClampedByTheControlsAndGarbageKeepsThem)
{
    folder.Write(OptionsFile, "[memory]\nKeep Log Error=two\nSafety MB=40\n"
                              "[Temperature Update]\nRefresh *500msec=$A\nOverheat temperature=5\n"
                              "[Temperature Auto Start]\nEnabled=-3\n"
                              "[Task Update]\nRefresh *500msec=0x5\nCheck for new tasks=maybe\n"
                              "[Task AUTO START]\nEnabled=7\n"
                              "[Task AUTO STOP]\nEnabled=-3\n");
    Start();
    EXPECT_EQ(VelmoraMemExpert->LogErrorKeepGroup->ItemIndex(), 1);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryBar->value(), 16);
    EXPECT_EQ(VelmoraTempExpert->SpeedTempBar->value(), 10);
    EXPECT_EQ(VelmoraTempExpert->MaxTempBar->value(), 20);
    EXPECT_EQ(VelmoraTempExpert->AutoRunEnableGroup->ItemIndex(), -1);
    EXPECT_EQ(TaskCheckSpeed, 5);
    EXPECT_EQ(VelmoraTaskExpert->SpeedTaskBar->value(), 5);
    EXPECT_TRUE(VelmoraTaskExpert->CheckForNew->isChecked());
    EXPECT_EQ(VelmoraTaskExpert->AutoStartEnableGroup->ItemIndex(), 2);
    EXPECT_EQ(VelmoraTaskExpert->AutoStopEnableGroup->ItemIndex(), -1);
    // [Temperature Save] is missing: its boxes keep their design values.
    EXPECT_TRUE(VelmoraTempExpert->TempSaveAutoStartOpt->isChecked());
}

TEST_F(OptionsTest, ASectionWhoseBoxIsClearedIsGoneAndItsControlsStartFromTheirDesign)
{
    Start();
    VelmoraTempExpert->AutoRunEnableGroup->SetItemIndex(2);
    VelmoraTempExpert->TempSaveAutoStartOpt->setChecked(false);
    Restart();
    EXPECT_FALSE(Options().contains("[Temperature Auto Start]"));
    EXPECT_EQ(VelmoraTempExpert->AutoRunEnableGroup->ItemIndex(), 1);
    EXPECT_FALSE(VelmoraTempExpert->TempSaveAutoStartOpt->isChecked());
}

TEST_F(OptionsTest, DeleteLogOnExitErasesTheMemoryLogAtEveryExit)
{
    folder.Write(MemoryErrorLogFile, "an error");
    Start();
    ASSERT_EQ(VelmoraMemExpert->LogErrorKeepGroup->ItemIndex(), 1);
    Restart();
    EXPECT_FALSE(folder.Exists(MemoryErrorLogFile));
    folder.Write(MemoryErrorLogFile, "another error");
    VelmoraMemExpert->LogErrorKeepGroup->SetItemIndex(0);
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(folder.Exists(MemoryErrorLogFile));
}

TEST_F(OptionsTest, AFailedWriteStopsTheExitAndKeepsTheOldFile)
{
    folder.Write(MemoryLibraryFile, Contents(FAKE_MEMORY_LIBRARY));
    const QByteArray old = "[Memory]\r\nSafety MB=3\r\n";
    folder.Write(OptionsFile, old);
    Start();
    ASSERT_EQ(VelmoraMemExpert->SafetyMemoryBar->value(), 3);
    {
        const FileSizeLimit full(64);
        VelmoraTempExpert->MaxTempBar->setValue(100);
        EXPECT_FALSE(Exit());
    }
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].text, QStringLiteral("Unable to write to Database/Options.ini."));
    EXPECT_EQ(Options(), old);
    // The program runs on as it was.
    EXPECT_NE(MemoryLibraryHandle, nullptr);
    EXPECT_TRUE(VelmoraMain->MemoryTimer->Enabled());
    EXPECT_TRUE(VelmoraMain->NotifyIcon()->Shown());

    // The settings fit, the exclude list does not: the old list stays and the exit stops again.
    folder.Write(ExcludeFile, "old\r\n");
    VelmoraTaskExpert->ExcludeTable->setRowCount(400);
    VelmoraTaskExpert->ExcludeTable->setItem(399, 0, new QTableWidgetItem(QString(4096, u'x')));
    {
        const FileSizeLimit full(4096);
        EXPECT_FALSE(Exit());
    }
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_TRUE(Options().contains("Overheat temperature=100"));
    EXPECT_EQ(folder.Read(ExcludeFile), "old\r\n");
    EXPECT_NE(MemoryLibraryHandle, nullptr);
    VelmoraTaskExpert->ExcludeTable->setRowCount(1);
    ASSERT_TRUE(Exit());
    EXPECT_EQ(folder.Read(ExcludeFile), "\r\n");
}

TEST_F(OptionsTest, TheNotificationAndAutoSectionsAreReadOnlyWhileTheirBoxesAreTicked)
{
    folder.Write(OptionsFile, "[Task Save]\nSave AUTO STOP Options=0\nSave Notification Options=0\n"
                              "[Task Notification]\nRepeat for positive=1\n"
                              "[Task AUTO START]\nEnabled=0\n"
                              "[Task AUTO STOP]\nEnabled=2\n");
    Start();
    EXPECT_FALSE(VelmoraTaskExpert->TaskSaveAutoStopOpt->isChecked());
    EXPECT_FALSE(VelmoraTaskAction->PositiveRepeat->isChecked());
    EXPECT_EQ(VelmoraTaskExpert->AutoStartEnableGroup->ItemIndex(), 0);
    EXPECT_EQ(VelmoraTaskExpert->AutoStopEnableGroup->ItemIndex(), 0);
}

TEST_F(OptionsTest, WithSaveTheSaveOptionsClearedNeitherTaskSaveNorTheDatabaseIsWritten)
{
    folder.Write(TaskLibraryFile, Contents(FAKE_TASK_LIBRARY));
    Start();
    ASSERT_NE(TaskLibraryHandle, nullptr);
    Tasks.append(NamedTask("editor"));
    VelmoraTaskExpert->TaskSaveDataOpt->setChecked(false);
    Restart();
    EXPECT_FALSE(Options().contains("[Task Save]"));
    EXPECT_FALSE(folder.Exists(TaskDatabaseFile));
    EXPECT_TRUE(VelmoraTaskExpert->TaskSaveDataOpt->isChecked());

    // Saved whether or not the manager ever ran.
    Tasks.append(NamedTask("editor"));
    ASSERT_FALSE(VelmoraTask->ManagerStarted);
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(folder.Read(TaskDatabaseFile).contains("editor"));
}

TEST_F(OptionsTest, ManagerStartedStartsTheManagerThroughAutoStart)
{
    folder.Write(OptionsFile, "[Task Management]\nManager Started=1\n");
    boxes.Answer(IDYES);
    Start();
    EXPECT_TRUE(VelmoraTask->ManagerStarted);
    // No database file: the load question is not asked.
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Calls()[0].caption, QStringLiteral("Velmora AUTO START: Enable?"));
    EXPECT_EQ(boxes.Calls()[1].caption, QStringLiteral("Velmora AUTO START: Allow all?"));
    End();

    folder.Write(OptionsFile, "[Task Management]\nManager Started=0\n");
    Start();
    EXPECT_FALSE(VelmoraTask->ManagerStarted);
    EXPECT_EQ(boxes.Count(), 2);
}

TEST_F(OptionsTest, RememberByApplicationAsksAtEveryStartAndNoClearsIt)
{
    folder.Write(OptionsFile, "[Task Update]\nRemember by application=1\n");
    boxes.Answer(IDYES);
    Start();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, QStringLiteral("Rememember by application?"));
    EXPECT_TRUE(VelmoraTaskExpert->RememberByApp->isChecked());
    Restart();
    EXPECT_EQ(boxes.Count(), 2);
    EXPECT_FALSE(VelmoraTaskExpert->RememberByApp->isChecked());
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(Options().contains("Remember by application=0\r\n"));
}

TEST_F(OptionsTest, TheExcludeListIsKeptOnlyWhileItsBoxIsTicked)
{
    folder.Write(ExcludeFile, "one\ntwo\r\nthree");
    Start();
    EXPECT_EQ(ExcludeRows(),
              QStringList({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    Restart();
    EXPECT_EQ(folder.Read(ExcludeFile), "one\r\ntwo\r\nthree\r\n");
    VelmoraTaskExpert->TaskSaveExcludeOpt->setChecked(false);
    Restart();
    EXPECT_FALSE(folder.Exists(ExcludeFile));
    EXPECT_EQ(ExcludeRows(), QStringList{QString()});
}

} // namespace
