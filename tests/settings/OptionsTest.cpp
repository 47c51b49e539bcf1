#include "help/HelpWindow.h"
#include "memory/MemExpert.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/NotifyIcon.h"
#include "platform/RadioGroup.h"
#include "platform/Timer.h"
#include "platform/VelmoraError.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskWindow.h"
#include "tasks/TaskClasses.h"
#include "temperature/TempExpert.h"
#include "tests/support/FullDisk.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <dlfcn.h>
#include <functional>
#include <gtest/gtest.h>

// Set: a save's rename never happens, which leaves what a kill there leaves.
static bool dropRename = false;

extern "C" int rename(const char* from, const char* to) noexcept
{
    static const auto next = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    return dropRename ? 0 : next(from, to);
}

namespace {

const QString OptionsFile = QStringLiteral("Database/Options.ini");
const QString ExcludeFile = QStringLiteral("Database/Exclude.txt");

QByteArray Contents(const char* path)
{
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The exclude table's column, top row first.
QStringList ExcludeRows()
{
    QStringList rows;
    for (int row = 0; row < VelmoraTaskExpert->ExcludeTable->rowCount(); ++row) {
        const QTableWidgetItem* cell = VelmoraTaskExpert->ExcludeTable->item(row, 0);
        rows.append(cell != nullptr ? cell->text() : QString());
    }
    return rows;
}

void KilledAtRename(const std::function<void()>& save)
{
    dropRename = true;
    save();
    dropRename = false;
}

TTask Named(const char* name)
{
    TTask task;
    task.Name = QString::fromUtf8(name);
    return task;
}

// The AUTO START and AUTO STOP choices.
std::vector<TRadioGroup*> AutoGroups()
{
    const TVelmoraTaskExpert* t = VelmoraTaskExpert;
    return {t->AutoStartEnableGroup, t->AutoStartLoadGroup, t->AutoStartAllowGroup,
            t->AutoStopEnableGroup,  t->AutoStopSaveGroup,  t->AutoStopClearGroup};
}

// Runs of the whole program in one working folder: start with its first-run step, exit, again.
class OptionsTest : public testing::Test {
protected:
    void SetUp() override { Application::ResetTerminated(); }
    void TearDown() override { End(); }

    void Start()
    {
        CreateProgramWindows();
        running_ = true;
        VelmoraMain->show();
        QDeadlineTimer deadline(10000);
        while (VelmoraMain->FirstRunTimer != nullptr && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    // "Exit Velmora"; true when the program ends.
    bool Exit()
    {
        VelmoraMain->ExitButton->click();
        return Application::Terminated();
    }

    // What follows the end of the message loop.
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
    folder.Write(MemoryErrorLogFile, "an error");
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
    // "Delete log on exit" by design.
    EXPECT_FALSE(folder.Exists(MemoryErrorLogFile));
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(OptionsTest, EverySavedSettingIsBackAfterARestart)
{
    // Kept elsewhere through a link, which stays.
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("Database")) && QDir().mkpath(QStringLiteral("Shared")));
    ASSERT_TRUE(QFile::link(QStringLiteral("../Shared/Options.ini"), OptionsFile));
    Start();
    VelmoraMemExpert->LogErrorKeepGroup->SetItemIndex(2);
    VelmoraMemExpert->SafetyMemoryBar->setValue(9);
    VelmoraTempExpert->SpeedTempBar->setValue(7);
    VelmoraTempExpert->MaxTempBar->setValue(60);
    VelmoraTempExpert->AutoRunEnableGroup->SetItemIndex(0);
    TVelmoraTaskExpert* task = VelmoraTaskExpert;
    task->SpeedTaskBar->setValue(5);
    boxes.Answer(IDYES);
    task->RememberByApp->setChecked(true);
    task->CheckForNew->setChecked(false);
    task->ShowDesktopTasks->setChecked(false);
    task->StrictSecurity->setChecked(true);
    VelmoraTaskAction->UnknownRepeat->setChecked(false);
    VelmoraTaskAction->PositiveRepeat->setChecked(true);
    VelmoraTaskAction->NegativeRepeat->setChecked(true);
    const int choices[] = {0, 2, 2, 1, 2, 0};
    for (size_t i = 0; i < std::size(choices); ++i)
        AutoGroups()[i]->SetItemIndex(choices[i]);
    // These AUTO START choices ask nothing, now and at the next start.
    VelmoraTask->EnableTaskManagerClick(nullptr);
    task->ExcludeTable->setRowCount(3);
    task->ExcludeTable->setItem(0, 0, new QTableWidgetItem(QStringLiteral("alpha")));
    task->ExcludeTable->setItem(2, 0, new QTableWidgetItem(QStringLiteral("Ünïcode  ")));
    ASSERT_EQ(boxes.Count(), 1);

    Restart();
    task = VelmoraTaskExpert;
    EXPECT_EQ(VelmoraMemExpert->LogErrorKeepGroup->ItemIndex(), 2);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryLabel->text(), QStringLiteral("Safety Memory Space: 9 mb"));
    EXPECT_EQ(VelmoraTempExpert->SpeedTempBar->value(), 7);
    EXPECT_EQ(VelmoraTempExpert->MaxTempLabel->text(), QStringLiteral("Maximum Temperature: 60 degrees"));
    EXPECT_EQ(VelmoraTempExpert->AutoRunEnableGroup->ItemIndex(), 0);
    EXPECT_EQ(TaskCheckSpeed, 5);
    EXPECT_EQ(task->SpeedTaskLabel->text(), QStringLiteral("Check tasks: Every 2500 ms"));
    EXPECT_FALSE(CheckForNewTasks);
    EXPECT_FALSE(task->ShowDesktopTasks->isChecked());
    EXPECT_TRUE(task->StrictSecurity->isChecked());
    EXPECT_FALSE(VelmoraTaskAction->UnknownRepeat->isChecked());
    EXPECT_TRUE(VelmoraTaskAction->PositiveRepeat->isChecked());
    EXPECT_TRUE(VelmoraTaskAction->NegativeRepeat->isChecked());
    for (size_t i = 0; i < std::size(choices); ++i)
        EXPECT_EQ(AutoGroups()[i]->ItemIndex(), choices[i]) << i;
    EXPECT_EQ(VelmoraTask->EnableTaskManager->text(), QStringLiteral("Task Manager Started (click to stop)"));
    EXPECT_EQ(ExcludeRows(), QStringList({QStringLiteral("alpha"), QString(), QStringLiteral("Ünïcode  ")}));
    // A ticked "Remember by application" asks at every start; "No" clears it for good.
    ASSERT_EQ(boxes.Count(), 2);
    EXPECT_EQ(boxes.Calls()[1].caption, QStringLiteral("Rememember by application?"));
    EXPECT_FALSE(task->RememberByApp->isChecked());
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(folder.Read(QStringLiteral("Shared/Options.ini")).contains("Remember by application=0\r\n"));
    EXPECT_TRUE(QFileInfo(OptionsFile).isSymLink());
}

TEST_F(OptionsTest, AHandEditedFileIsReadUnderEachSectionsConditionAndTheControlsHoldItsValues)
{
    folder.Write(OptionsFile, "\xEF\xBB\xBF; edited by hand\n"
                              "[memory]\nKeep Log Error=two\n  safety mb  =  40  \n\n"
                              "[Temperature Save]\nSave Expert Options=0x100000000\nSave Update Options=0 1\n"
                              "Save Auto Start Options=$\n"
                              "[Temperature Update]\nRefresh *500msec=$A\nOverheat temperature=5\n"
                              "[Temperature Auto Start]\nEnabled=-3\n"
                              "[Task Save]\nSave AUTO STOP Options=0\nSave Notification Options=0\n"
                              "[Task Update]\nRefresh *500msec=0x5\n"
                              "[Task Management]\nManager Started=1\n"
                              "[Task Notification]\nRepeat for positive=1\n"
                              "[Task AUTO START]\nEnabled=7\n"
                              "[Task AUTO STOP]\nEnabled=2\n");
    folder.Write(ExcludeFile, "one\ntwo\r\nthree");
    Start();
    EXPECT_EQ(VelmoraMemExpert->LogErrorKeepGroup->ItemIndex(), 1);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryBar->value(), 16);
    EXPECT_EQ(VelmoraTempExpert->SpeedTempBar->value(), 10);
    EXPECT_EQ(VelmoraTempExpert->MaxTempBar->value(), 20);
    EXPECT_EQ(VelmoraTempExpert->AutoRunEnableGroup->ItemIndex(), -1);
    EXPECT_TRUE(VelmoraTempExpert->TempSaveDataOpt->isChecked() &&
                VelmoraTempExpert->TempSaveUpdateOpt->isChecked() &&
                VelmoraTempExpert->TempSaveAutoStartOpt->isChecked());
    EXPECT_EQ(TaskCheckSpeed, 5);
    // Read only while their boxes are ticked, whatever the file holds.
    EXPECT_FALSE(VelmoraTaskAction->PositiveRepeat->isChecked());
    EXPECT_EQ(VelmoraTaskExpert->AutoStopEnableGroup->ItemIndex(), 0);
    // "Automatically disabled": the manager starts through AUTO START without asking to.
    EXPECT_EQ(VelmoraTaskExpert->AutoStartEnableGroup->ItemIndex(), 2);
    EXPECT_TRUE(VelmoraTask->ManagerStarted);
    EXPECT_EQ(ExcludeRows(),
              QStringList({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")}));
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(OptionsTest, ClearedSaveBoxesLeaveTheirPartsOutAndTheNextStartHasTheDesignValues)
{
    folder.Write(TaskLibraryFile, Contents(FAKE_TASK_LIBRARY));
    Start();
    ASSERT_NE(TaskLibraryHandle, nullptr);
    Tasks.append(TTask{});
    Tasks.back().Name = QStringLiteral("editor");
    VelmoraTempExpert->AutoRunEnableGroup->SetItemIndex(2);
    VelmoraTempExpert->TempSaveAutoStartOpt->setChecked(false);
    VelmoraTaskExpert->TaskSaveDataOpt->setChecked(false);
    VelmoraTaskExpert->TaskSaveExcludeOpt->setChecked(false);
    Restart();
    EXPECT_FALSE(Options().contains("[Temperature Auto Start]"));
    EXPECT_FALSE(Options().contains("[Task Save]"));
    EXPECT_FALSE(folder.Exists(TaskDatabaseFile));
    EXPECT_FALSE(folder.Exists(ExcludeFile));
    EXPECT_EQ(VelmoraTempExpert->AutoRunEnableGroup->ItemIndex(), 1);
    EXPECT_TRUE(VelmoraTaskExpert->TaskSaveDataOpt->isChecked());
    EXPECT_EQ(ExcludeRows(), QStringList{QString()});

    // The database is saved whether or not the manager ever ran.
    Tasks.append(TTask{});
    Tasks.back().Name = QStringLiteral("editor");
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(folder.Read(TaskDatabaseFile).contains("editor"));
}

TEST_F(OptionsTest, AFailedWriteStopsTheExitAndKeepsTheOldFile)
{
    folder.Write(MemoryLibraryFile, Contents(FAKE_MEMORY_LIBRARY));
    const QByteArray old = "[Memory]\r\nSafety MB=3\r\n";
    folder.Write(OptionsFile, old);
    Start();
    {
        const FullDisk full(64);
        EXPECT_FALSE(Exit());
    }
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].text, QStringLiteral("Unable to write to Database/Options.ini."));
    EXPECT_EQ(Options(), old);
    EXPECT_EQ(QDir(QStringLiteral("Database")).entryList(QDir::Files),
              QStringList{QStringLiteral("Options.ini")});
    EXPECT_NE(MemoryLibraryHandle, nullptr);
    EXPECT_TRUE(VelmoraMain->MemoryTimer->Enabled());
    EXPECT_TRUE(VelmoraMain->NotifyIcon()->Shown());
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(Options().startsWith("[Memory]\r\nKeep Log Error=1\r\nSafety MB=3\r\n[Temperature Save]"));
}

TEST_F(OptionsTest, AnExitInsideTheStartsQuestionsKeepsTheStoredFiles)
{
    const QByteArray options = "[Task Update]\r\nRemember by application=1\r\n"
                               "[Task Management]\r\nManager Started=1\r\n"
                               "[Task AUTO STOP]\r\nEnabled=2\r\n";
    const QByteArray exclude = "secret\r\nprivate\r\n";
    for (const QString& caption :
         {QStringLiteral("Rememember by application?"), QStringLiteral("Velmora AUTO START: Enable?")}) {
        folder.Write(OptionsFile, options);
        folder.Write(ExcludeFile, exclude);
        boxes.WhileOpen = [&](const MessageBoxCall& call) {
            if (call.caption == caption)
                Exit();
        };
        Start();
        EXPECT_TRUE(Application::Terminated()) << caption.toStdString();
        EXPECT_EQ(Options(), options) << caption.toStdString();
        EXPECT_EQ(folder.Read(ExcludeFile), exclude) << caption.toStdString();
        End();
    }
}

TEST_F(OptionsTest, ADatabaseThisRunDidNotLoadIsKeptBesideBeforeItIsReplaced)
{
    const QString backup = TaskDatabaseFile + QStringLiteral(".bak");
    folder.Write(TaskLibraryFile, Contents(FAKE_TASK_LIBRARY));
    Start();
    ASSERT_TRUE(SaveTaskDatabase(TaskDatabaseFile, {Named("trusted"), Named("ruled")}, EveryTask));
    const QByteArray taught = folder.Read(TaskDatabaseFile);
    Tasks = {Named("new")};
    VelmoraTask->DatabaseSave();
    Tasks.append(Named("newer"));
    ASSERT_TRUE(Exit());
    // The run's first save keeps the old file; its later ones replace only the run's own.
    EXPECT_EQ(folder.Read(backup), taught);
    EXPECT_TRUE(folder.Read(TaskDatabaseFile).contains("newer"));

    // A file that failed to load is kept too, in place of the older copy.
    End();
    const QByteArray damaged = "<DataBase><Task No=\"1\"><Information Name=\"x\" Trust=\"many\"/>";
    folder.Write(TaskDatabaseFile, damaged);
    Start();
    EXPECT_THROW(VelmoraTask->DatabaseLoad(), EVelmoraError);
    Tasks = {Named("after")};
    Restart();
    EXPECT_EQ(folder.Read(backup), damaged);

    // A file the user loaded is theirs to replace.
    VelmoraTask->DatabaseLoad();
    Tasks.append(Named("more"));
    ASSERT_TRUE(Exit());
    EXPECT_EQ(folder.Read(backup), damaged);
    EXPECT_TRUE(folder.Read(TaskDatabaseFile).contains("more"));
}

TEST_F(OptionsTest, WhatSavesKilledAtTheirRenameLeftIsGoneAfterTheNextExit)
{
    ASSERT_TRUE(QDir().mkpath(QStringLiteral("Database")));
    KilledAtRename([] {
        TIniFile settings(OptionsFile, TIniOpen::New);
        settings.WriteInteger(QStringLiteral("Memory"), QStringLiteral("Safety MB"), 3);
        settings.UpdateFile();
    });
    KilledAtRename([] { WriteTextLines(ExcludeFile, {QStringLiteral("secret")}); });
    KilledAtRename([] { SaveTaskDatabase(TaskDatabaseFile, {Named("editor")}, TTask{}); });
    folder.Write(QStringLiteral("Database/Exclude.txt.backup"), "the user's own");
    const QDir database(QStringLiteral("Database"));
    ASSERT_EQ(database.entryList(QDir::Files).size(), 4);
    Start();
    ASSERT_TRUE(Exit());
    EXPECT_EQ(database.entryList(QDir::Files),
              QStringList({QStringLiteral("Exclude.txt"), QStringLiteral("Exclude.txt.backup"),
                           QStringLiteral("Options.ini")}));
}

} // namespace
