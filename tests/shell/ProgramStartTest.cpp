#include "help/HelpWindow.h"
#include "memory/MemWindow.h"
#include "platform/Application.h"
#include "platform/NotifyIcon.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskResWindow.h"
#include "taskmanager/TaskWindow.h"
#include "temperature/TempWindow.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTimer>
#include <QTimerEvent>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

namespace {

QByteArray Contents(const char* path)
{
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(path);
    return file.readAll();
}

// One run of the program in a fresh working folder.
class ProgramStartTest : public testing::Test {
protected:
    void SetUp() override { Application::ResetTerminated(); }

    void TearDown() override
    {
        if (started_ && !Application::Terminated())
            UnloadLibraries();
        DestroyProgramWindows();
        MemoryLibraryHandle = TaskLibraryHandle = TemperatureLibraryHandle = nullptr;
        // As in a fresh run: the task window tells a missing library by its entry points.
        std::apply([](auto&... entry) { ((entry = nullptr), ...); },
                   std::tie(EnumWindowsVisible, EnumWindowsHidden, EnumWindowsAll, HandleToName, HandleToID,
                            HandleToClass, ParentAppName, compareHWNDAndApps, taskInList, getStatusString,
                            HandleKill, HandleSuspend, HandleResume, HandleSuspendParent, HandleResumeParent,
                            HandleMemorySize, HandleResponding, GetWindowStatus, HandleKillOf,
                            HandleSuspendOf, HandleSuspendParentOf, ProcessResume));
        ExitProgramHandler = nullptr;
        Application::SetExeName({});
    }

    void Start()
    {
        CreateProgramWindows();
        started_ = true;
        VelmoraMain->show();
    }

    // Every loaded fake writes its name into "unload.log" when it is unloaded.
    void LogUnloading()
    {
        const QByteArray log = QFile::encodeName(folder.Path() + QStringLiteral("/unload.log"));
        for (HMODULE handle : {MemoryLibraryHandle, TaskLibraryHandle, TemperatureLibraryHandle}) {
            if (handle == nullptr)
                continue;
            auto setLog = reinterpret_cast<void (*)(const char*)>(GetProcAddress(handle, "FakeSetUnloadLog"));
            ASSERT_NE(setLog, nullptr);
            setLog(log.constData());
        }
    }

    // Handles events until the first-run step has run; the deadline only keeps a fault from hanging.
    static void WaitForFirstRun()
    {
        QDeadlineTimer deadline(10000);
        while (VelmoraMain->FirstRunTimer != nullptr && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }

    QByteArray UnloadLog() const { return folder.Read(QStringLiteral("unload.log")); }

    WorkingFolder folder;
    MessageBoxRecorder boxes;
    bool started_ = false;
};

TEST_F(ProgramStartTest, WithoutLibrariesEveryMonitorIsDisabledAndTheProgramStillWorks)
{
    Start();
    EXPECT_TRUE(folder.Exists(QStringLiteral("Libraries")));
    EXPECT_TRUE(folder.Exists(QStringLiteral("Database")));
    EXPECT_EQ(VelmoraMain->windowTitle(), QStringLiteral("Velmora"));
    EXPECT_FALSE(VelmoraMain->MemoryButton->isEnabled());
    EXPECT_FALSE(VelmoraMain->TaskButton->isEnabled());
    EXPECT_FALSE(VelmoraMain->TemperatureButton->isEnabled());
    EXPECT_EQ(VelmoraMain->MemoryButton->text(), QStringLiteral("Not found dll for memory management"));
    EXPECT_EQ(VelmoraMain->TaskButton->text(), QStringLiteral("Not found dll for task management"));
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(),
              QStringLiteral("Not found dll for temperature management"));
    EXPECT_EQ(VelmoraMain->MemoryBar->value(), 0);
    EXPECT_FALSE(VelmoraMain->MemoryTimer->Enabled());
    EXPECT_FALSE(VelmoraMain->TaskTimer->Enabled());
    EXPECT_FALSE(VelmoraMain->TemperatureTimer->Enabled());
    EXPECT_EQ(MemoryLibraryHandle, nullptr);
    EXPECT_TRUE(VelmoraMain->TrayShow->isChecked());
    EXPECT_EQ(VelmoraMain->HelpButton->text(), QStringLiteral("Help && About"));

    // The menu's window items work without libraries.
    VelmoraMain->TrayMemWinClick(nullptr);
    EXPECT_TRUE(VelmoraMem->isVisible());
    VelmoraMain->ExitButtonClick(nullptr);
    EXPECT_TRUE(Application::Terminated());
    EXPECT_FALSE(VelmoraMain->NotifyIcon()->Shown());
    EXPECT_EQ(boxes.Count(), 0);
}

// The task window is reached from the icon's menu and a database can be loaded: every command
// works on the stored tasks and none calls into the missing library.
TEST_F(ProgramStartTest, WithoutTheTaskLibraryTheTaskWindowWorksOnALoadedDatabase)
{
    Start();
    TTask mail;
    mail.Name = QStringLiteral("Mail");
    mail.Handle = 7;
    ASSERT_TRUE(SaveTaskDatabase(TaskDatabaseFile, {mail}, EveryTask));
    VelmoraMain->TrayTaskWinClick(nullptr);
    VelmoraTask->DatabaseExpert->click();
    VelmoraTaskExpert->DatabaseLoad->click();
    QTableWidget* grid = VelmoraTask->TaskList;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(0, 0)).center());
    ASSERT_EQ(SelectedTask, 0);

    VelmoraTask->AdvancedTask->click();
    EXPECT_FALSE(VelmoraTask->MonitorButton->isEnabled());
    VelmoraTask->ActionTaskSuspend->click();
    VelmoraTask->ActionTaskResume->click();
    EXPECT_FALSE(Tasks[0].Suspended);
    EXPECT_EQ(boxes.Count(), 1);
}

TEST_F(ProgramStartTest, OnlyACompleteLoadableLibraryEnablesItsMonitor)
{
    folder.Write(MemoryLibraryFile, Contents(FAKE_MEMORY_LIBRARY));
    folder.Write(TaskLibraryFile, Contents(FAKE_TASK_INCOMPLETE_LIBRARY));
    folder.Write(TemperatureLibraryFile, "this is not a library");
    Start();
    EXPECT_TRUE(VelmoraMain->MemoryButton->isEnabled());
    EXPECT_TRUE(VelmoraMain->MemoryTimer->Enabled());
    EXPECT_NE(MemoryLibraryHandle, nullptr);
    EXPECT_NE(FreePhysicalMemory, nullptr);
    EXPECT_NE(SetDebugMode, nullptr);

    EXPECT_FALSE(VelmoraMain->TaskButton->isEnabled());
    EXPECT_FALSE(VelmoraMain->TaskTimer->Enabled());
    EXPECT_EQ(TaskLibraryHandle, nullptr);
    EXPECT_EQ(VelmoraMain->TaskButton->text(), QStringLiteral("Not found dll for task management"));

    EXPECT_FALSE(VelmoraMain->TemperatureButton->isEnabled());
    EXPECT_FALSE(VelmoraMain->TemperatureTimer->Enabled());
    EXPECT_EQ(TemperatureLibraryHandle, nullptr);
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(),
              QStringLiteral("Not found dll for temperature management"));
}

TEST_F(ProgramStartTest, PendingCopiesArePutInPlaceBeforeBinding)
{
    folder.Write(TaskLibraryFile, "an old damaged library");
    folder.Write(TaskLibraryFile + QStringLiteral(".new"), Contents(FAKE_TASK_LIBRARY));
    folder.Write(TemperatureLibraryFile + QStringLiteral(".new"), Contents(FAKE_TEMPERATURE_LIBRARY));
    Start();
    EXPECT_FALSE(folder.Exists(TaskLibraryFile + QStringLiteral(".new")));
    EXPECT_FALSE(folder.Exists(TemperatureLibraryFile + QStringLiteral(".new")));
    EXPECT_TRUE(VelmoraMain->TaskButton->isEnabled());
    EXPECT_TRUE(VelmoraMain->TemperatureButton->isEnabled());
    EXPECT_NE(GetWindowStatus, nullptr);
    EXPECT_NE(ProcessResume, nullptr);
    EXPECT_NE(CoreTempStarted, nullptr);
    EXPECT_FALSE(VelmoraMain->MemoryButton->isEnabled());
}

// The bookkeeping file goes at every start; the file on its first line only when it is another
// program file beside the running one.
TEST_F(ProgramStartTest, AFinishedUpdateDeletesOnlyTheReplacedProgramBesideTheRunningOne)
{
    QTemporaryDir outside;
    const QString elsewhere = outside.path() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QFile(elsewhere).open(QIODevice::WriteOnly));
    folder.Write(QStringLiteral("velmora"), "running");
    Application::SetExeName(folder.Path() + QStringLiteral("/velmora"));
    ASSERT_TRUE(QFile::link(elsewhere, QStringLiteral("link")));
    const QString kept[] = {{},
                            QStringLiteral("velmora"),
                            QStringLiteral("./velmora"),
                            Application::ExeName(),
                            elsewhere,
                            QDir().relativeFilePath(elsewhere),
                            QStringLiteral("link"),
                            QStringLiteral("Database")};
    for (const QString& line : kept) {
        folder.Write(QStringLiteral("Version Downloaded.txt"), line.toUtf8() + "\r\n");
        Start();
        EXPECT_FALSE(folder.Exists(QStringLiteral("Version Downloaded.txt"))) << line.toStdString();
        DestroyProgramWindows();
    }
    EXPECT_TRUE(folder.Exists(QStringLiteral("velmora")));
    EXPECT_TRUE(QFile::exists(elsewhere));
    EXPECT_TRUE(QFileInfo(QStringLiteral("link")).isSymLink());
    EXPECT_TRUE(folder.Exists(QStringLiteral("Database")));

    folder.Write(QStringLiteral("old-program"), "old");
    folder.Write(QStringLiteral("other-program"), "other");
    folder.Write(QStringLiteral("Version Downloaded.txt"), "old-program\nother-program\n");
    Start();
    EXPECT_FALSE(folder.Exists(QStringLiteral("old-program")));
    EXPECT_TRUE(folder.Exists(QStringLiteral("other-program")));
    EXPECT_FALSE(folder.Exists(QStringLiteral("Version Downloaded.txt")));
    EXPECT_EQ(boxes.Count(), 0);
}

// Lets the first-run timer run out now when it is armed, as it would while a box stays open.
void ExpireArmedFirstRunClock()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* main = qobject_cast<TVelmoraMain*>(window);
        if (main == nullptr || main->FirstRunTimer == nullptr)
            continue;
        auto* clock = main->FirstRunTimer->findChild<QTimer*>();
        if (clock != nullptr && clock->isActive()) {
            QTimerEvent expiry(clock->timerId());
            QCoreApplication::sendEvent(clock, &expiry);
        }
    }
    QCoreApplication::processEvents();
}

TEST_F(ProgramStartTest, AnUnreadableBookkeepingFileIsReportedAndTheStartGoesOn)
{
    folder.Write(MemoryLibraryFile, Contents(FAKE_MEMORY_LIBRARY));
    // Opens, but reading fails: the process's own memory at address 0.
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), QStringLiteral("Version Downloaded.txt")));
    bool firstRunInsideBox = false;
    boxes.WhileOpen = [&](const MessageBoxCall&) {
        ExpireArmedFirstRunClock();
        firstRunInsideBox = ExitProgramHandler != nullptr;
    };
    Start();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].caption, QStringLiteral("Velmora"));
    EXPECT_EQ(boxes.Calls()[0].icon, TMsgIcon::Error);
    EXPECT_TRUE(boxes.Calls()[0].text.endsWith(QLatin1Char('.')));
    // The box is shown while the main window is still being created: the first-run step waits
    // for every window.
    EXPECT_FALSE(firstRunInsideBox);
    EXPECT_TRUE(VelmoraMain->MemoryButton->isEnabled());
    EXPECT_TRUE(VelmoraMain->MemoryTimer->Enabled());
    EXPECT_EQ(VelmoraMain->TaskButton->text(), QStringLiteral("Not found dll for task management"));

    WaitForFirstRun();
    EXPECT_EQ(ExitProgramHandler, &ExitProgram);
}

TEST_F(ProgramStartTest, TheFirstRunStepRunsOnceAndSetsTheExitHook)
{
    Start();
    EXPECT_EQ(ExitProgramHandler, nullptr);
    WaitForFirstRun();
    EXPECT_EQ(VelmoraMain->FirstRunTimer, nullptr);
    EXPECT_EQ(ExitProgramHandler, &ExitProgram);
}

TEST_F(ProgramStartTest, TheIconsMessagesToggleTheWindowAndOpenTheMenu)
{
    Start();
    QMenu* popped = nullptr;
    int popups = 0;
    VelmoraMain->PopupMenu = [&](QMenu* menu, QPoint) {
        popped = menu;
        ++popups;
    };
    VelmoraMain->TrayIconMessage(0x201);
    VelmoraMain->TrayIconMessage(0x202);
    VelmoraMain->TrayIconMessage(0x200);
    EXPECT_TRUE(VelmoraMain->isVisible());
    EXPECT_EQ(popups, 0);

    VelmoraMain->TrayIconMessage(WM_LBUTTONDBLCLK);
    EXPECT_FALSE(VelmoraMain->isVisible());
    EXPECT_FALSE(VelmoraMain->TrayShow->isChecked());
    VelmoraMain->TrayIconMessage(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(VelmoraMain->isVisible());
    EXPECT_TRUE(VelmoraMain->TrayShow->isChecked());

    VelmoraMain->TrayIconMessage(WM_RBUTTONDOWN);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(popped, VelmoraMain->TrayMenu);
}

TEST_F(ProgramStartTest, HideAllHidesOnlyTheMonitorsAndMarksCanBeStale)
{
    Start();
    VelmoraMain->TaskButtonClick(nullptr);
    VelmoraMain->TemperatureButtonClick(nullptr);
    VelmoraMain->HelpButtonClick(nullptr);
    VelmoraMain->TrayMemWinClick(nullptr);
    EXPECT_TRUE(VelmoraTask->isVisible());
    // The button does not tick the menu's item.
    EXPECT_FALSE(VelmoraMain->TrayTaskWin->isChecked());
    EXPECT_TRUE(VelmoraMain->TrayMemWin->isChecked());

    VelmoraMain->TrayHideAllWinClick(nullptr);
    EXPECT_FALSE(VelmoraTask->isVisible());
    EXPECT_FALSE(VelmoraMem->isVisible());
    EXPECT_FALSE(VelmoraTemp->isVisible());
    EXPECT_TRUE(VelmoraHelp->isVisible());
    EXPECT_TRUE(VelmoraMain->isVisible());
    EXPECT_FALSE(VelmoraMain->TrayMemWin->isChecked());

    // The toggle decides by the window, not by the mark.
    VelmoraMain->TaskButtonClick(nullptr);
    VelmoraMain->TrayTaskWinClick(nullptr);
    EXPECT_FALSE(VelmoraTask->isVisible());
    EXPECT_FALSE(VelmoraMain->TrayTaskWin->isChecked());
}

TEST_F(ProgramStartTest, WithoutANotificationAreaMoveToTrayKeepsTheWindowReachable)
{
    Start();
    ASSERT_FALSE(TNotifyIcon::Available());
    VelmoraMain->ToTrayButtonClick(nullptr);
    EXPECT_TRUE(VelmoraMain->isVisible());
    EXPECT_TRUE(VelmoraMain->isMinimized());
    EXPECT_TRUE(VelmoraMain->TrayShow->isChecked());
}

// A click as the window system delivers it, so that a window blocked by a box ignores it.
void UserClick(QWidget* button)
{
    QWidget* window = button->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {},
                      button->mapTo(window, button->rect().center()));
}

class ExitTest : public ProgramStartTest, public testing::WithParamInterface<int> {};

TEST_P(ExitTest, EveryRoadOutSavesOnceAndUnloadsInOrder)
{
    folder.Write(MemoryLibraryFile, Contents(FAKE_MEMORY_LIBRARY));
    folder.Write(TemperatureLibraryFile, Contents(FAKE_TEMPERATURE_LIBRARY));
    Start();
    LogUnloading();
    switch (GetParam()) {
    case 0:
        VelmoraMain->ExitButton->click();
        break;
    case 1:
        VelmoraMain->TrayExit->trigger();
        break;
    case 2:
        EXPECT_TRUE(VelmoraMain->close());
        break;
    }
    EXPECT_TRUE(Application::Terminated());
    EXPECT_FALSE(VelmoraMain->MemoryTimer->Enabled());
    EXPECT_FALSE(VelmoraMain->TemperatureTimer->Enabled());
    EXPECT_FALSE(VelmoraMain->NotifyIcon()->Shown());
    QCoreApplication::processEvents();
    EXPECT_EQ(UnloadLog(), "FakeMemory\nFakeTemperature\n");
    EXPECT_EQ(boxes.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(ByButtonMenuAndCloseBox, ExitTest, testing::Values(0, 1, 2));

// A real box is modal to its own window only. While the temperature window asks its question the
// main window still takes the user's clicks, and its Exit ends the program from inside the box's
// wait: the message loop ends with status 0, the settings are saved once and the box is gone.
TEST_F(ProgramStartTest, ABoxLeavesTheOtherWindowsUsableAndExitEndsItsWait)
{
    folder.Write(TemperatureLibraryFile, Contents(FAKE_TEMPERATURE_LIBRARY));
    Start();
    LogUnloading();
    SetMessageBoxAnswerer({});
    QPointer<QMessageBox> asked;
    QTimer user;
    user.callOnTimeout([&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box != nullptr && box->isVisible())
                asked = box;
        }
        if (asked == nullptr)
            return;
        user.stop();
        UserClick(VelmoraTemp->HideTemperature);
        EXPECT_TRUE(VelmoraTemp->isVisible()); // the box's owner waits for the answer
        UserClick(VelmoraMain->HelpButton);
        EXPECT_TRUE(VelmoraHelp->isVisible());
        UserClick(VelmoraMain->ExitButton);
    });
    user.start(10);
    VelmoraMain->TemperatureButtonClick(nullptr);
    QTimer::singleShot(0, VelmoraTemp->EnableTempMonitor, &QPushButton::click);
    QTimer fault; // only a fault waits this long
    fault.callOnTimeout([] { QCoreApplication::exit(3); });
    fault.start(10000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(Application::Terminated());
    EXPECT_EQ(asked, nullptr);
    EXPECT_EQ(UnloadLog(), "FakeTemperature\n");
}

// A screen reader names each track bar by the label beside it, as that label reads now.
TEST_F(ProgramStartTest, EveryTrackBarIsNamedByItsLabel)
{
    Start();
    // The trust bar's label, empty while no task is selected, is written once the bar moves.
    VelmoraTask->CustomTrustBar->setValue(1);
    const auto monitor = std::make_unique<TVelmoraTaskResource>();
    int bars = 0;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        for (QSlider* bar : window->findChildren<QSlider*>()) {
            QString name = bar->objectName();
            auto* label =
                window->findChild<QLabel*>(name.replace(QStringLiteral("Bar"), QStringLiteral("Label")));
            ASSERT_NE(label, nullptr) << bar->objectName().toStdString();
            label->setText(QStringLiteral("Now: ") + name);
            EXPECT_EQ(QAccessible::queryAccessibleInterface(bar)->text(QAccessible::Name), label->text());
            ++bars;
        }
    }
    EXPECT_EQ(bars, 9);
}

// A second road out taken while the program is already ending (a wait still handling events) must
// not save again: the libraries are unloaded once.
class SecondRoadTest : public ProgramStartTest, public testing::WithParamInterface<bool> {};

TEST_P(SecondRoadTest, OnceTheProgramIsEndingNoRoadOutSavesAgain)
{
    folder.Write(MemoryLibraryFile, Contents(FAKE_MEMORY_LIBRARY));
    Start();
    LogUnloading();
    // The test's own reference keeps the library mapped, so that a second unloading shows.
    const HMODULE own = LoadLibrary(MemoryLibraryFile);
    ASSERT_EQ(own, MemoryLibraryHandle);
    if (GetParam()) {
        VelmoraMain->ExitButton->click();
        EXPECT_TRUE(VelmoraMain->close());
    } else {
        EXPECT_TRUE(VelmoraMain->close());
        VelmoraMain->TrayExit->trigger();
    }
    EXPECT_TRUE(Application::Terminated());
    EXPECT_EQ(UnloadLog(), "");
    FreeLibrary(own);
    EXPECT_EQ(UnloadLog(), "FakeMemory\n");
}

INSTANTIATE_TEST_SUITE_P(ExitThenCloseAndCloseThenExit, SecondRoadTest, testing::Bool());

} // namespace
