#include "help/HelpWindow.h"
#include "memory/MemExpert.h"
#include "platform/Application.h"
#include "platform/NotifyIcon.h"
#include "platform/RadioGroup.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
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
#include <gtest/gtest.h>

namespace {

const QString OptionsFile = QStringLiteral("Database/Options.ini");

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

TEST_F(OptionsTest, AFirstStartThenExitWritesEverySectionWithItsDesignValues)
{
    Start();
    EXPECT_FALSE(folder.Exists(OptionsFile));
    ASSERT_TRUE(Exit());
    EXPECT_EQ(Options(), "[Memory]\r\nKeep Log Error=1\r\nSafety MB=1\r\n"
                         "[Temperature Save]\r\nSave Expert Options=1\r\nSave Update Options=1\r\n"
                         "Save Auto Start Options=1\r\n"
                         "[Temperature Update]\r\nRefresh *500msec=3\r\nOverheat temperature=90\r\n"
                         "[Temperature Auto Start]\r\nEnabled=1\r\n");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(OptionsTest, EverySavedSettingIsBackAfterARestart)
{
    Start();
    VelmoraMemExpert->LogErrorKeepGroup->SetItemIndex(2);
    VelmoraMemExpert->SafetyMemoryBar->setValue(9);
    VelmoraTempExpert->SpeedTempBar->setValue(7);
    VelmoraTempExpert->MaxTempBar->setValue(60);
    VelmoraTempExpert->AutoRunEnableGroup->SetItemIndex(0);
    Restart();
    EXPECT_EQ(VelmoraMemExpert->LogErrorKeepGroup->ItemIndex(), 2);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryBar->value(), 9);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryLabel->text(), QStringLiteral("Safety Memory Space: 9 mb"));
    EXPECT_EQ(VelmoraTempExpert->SpeedTempBar->value(), 7);
    EXPECT_EQ(VelmoraTempExpert->MaxTempBar->value(), 60);
    EXPECT_EQ(VelmoraTempExpert->MaxTempLabel->text(), QStringLiteral("Maximum Temperature: 60 degrees"));
    EXPECT_EQ(VelmoraTempExpert->AutoRunEnableGroup->ItemIndex(), 0);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(OptionsTest, HandWrittenValuesAreClampedByTheControlsAndGarbageKeepsThem)
{
    folder.Write(OptionsFile, "[memory]\nKeep Log Error=two\nSafety MB=40\n"
                              "[Temperature Update]\nRefresh *500msec=$A\nOverheat temperature=5\n"
                              "[Temperature Auto Start]\nEnabled=-3\n");
    Start();
    EXPECT_EQ(VelmoraMemExpert->LogErrorKeepGroup->ItemIndex(), 1);
    EXPECT_EQ(VelmoraMemExpert->SafetyMemoryBar->value(), 16);
    EXPECT_EQ(VelmoraTempExpert->SpeedTempBar->value(), 10);
    EXPECT_EQ(VelmoraTempExpert->MaxTempBar->value(), 20);
    EXPECT_EQ(VelmoraTempExpert->AutoRunEnableGroup->ItemIndex(), -1);
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
    folder.Write(MemoryLibraryFile, [] {
        QFile library(QStringLiteral(FAKE_MEMORY_LIBRARY));
        return library.open(QIODevice::ReadOnly) ? library.readAll() : QByteArray();
    }());
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
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(Options().contains("Overheat temperature=100"));
}

} // namespace
