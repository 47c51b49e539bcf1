#include "MemoryFixture.h"

#include "memory/MemExpert.h"
#include "memory/MemWindow.h"
#include "platform/Application.h"
#include "platform/Gauge.h"
#include "platform/Image.h"
#include "platform/RadioGroup.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSlider>

namespace {

const QString NothingFreed = QStringLiteral(
    "RAM was optimized successfully.\n\rHowever, no space was freed as\n\rthe result of optimization.\n\r");

QString Freed(const QString& amount)
{
    return QStringLiteral("RAM was optimized successfully.\n\rAdditionally, ") + amount +
           QStringLiteral(" were freed\n\ras the result of optimization.\n\r");
}

const QStringList Readings{"FreePhysicalMemory", "AllPhysicalMemory", "FreePageFile",
                           "AllPageFile",        "FreeVirtualMemory", "AllVirtualMemory"};

} // namespace

TEST_F(MemoryFixture, TickShowsUsedShareAndMegabytesOnTheMainWindow)
{
    SetReadings(4294967296 - 1000000000, 4294967296);
    Tick();
    EXPECT_EQ(VelmoraMain->MemoryBar->value(), 23);
    EXPECT_EQ(VelmoraMain->MemoryButton->text(), "Memory: 954 mB / 4096 mB used");

    VelmoraMem->AutoMemoryBar->setValue(5);
    Tick();
    EXPECT_EQ(VelmoraMain->MemoryButton->text(), "Memory: 954 mB / 4096 mB used(Optimized every 5 min)");

    // The longest caption of a large machine with the longest schedule fits the small window.
    VelmoraMain->show();
    VelmoraMem->AutoMemoryBar->setValue(360);
    SetReadings(0, 131072 * MiB);
    Tick();
    EXPECT_EQ(VelmoraMain->MemoryButton->text(),
              "Memory: 131072 mB / 131072 mB used(Optimized every 360 min)");
    EXPECT_GE(VelmoraMain->MemoryButton->width(), VelmoraMain->MemoryButton->sizeHint().width());

    // Half a percent goes to the even neighbour.
    SetReadings(875, 1000);
    Tick();
    EXPECT_EQ(VelmoraMain->MemoryBar->value(), 12);
    SetReadings(865, 1000);
    Tick();
    EXPECT_EQ(VelmoraMain->MemoryBar->value(), 14);
}

TEST_F(MemoryFixture, TickReadsTheSixFiguresInOrderAndNothingElse)
{
    Tick();
    EXPECT_EQ(TakeCalls(), Readings);
}

TEST_F(MemoryFixture, NoPhysicalTotalShowsZeroEverywhere)
{
    VelmoraMem->show();
    SetReadings(1 * MiB, 4 * MiB, 1 * MiB, 2 * MiB, 1 * MiB, 2 * MiB);
    Tick();
    ASSERT_EQ(VelmoraMain->MemoryBar->value(), 75);

    SetReadings(0, 0);
    Tick();
    EXPECT_EQ(VelmoraMain->MemoryBar->value(), 0);
    EXPECT_EQ(VelmoraMain->MemoryButton->text(), "Memory: 0 mB / 0 mB used");
    EXPECT_EQ(VelmoraMem->windowTitle(), "Velmora Memory Management 0% free RAM");
    EXPECT_EQ(VelmoraMem->FreeMemoryGauge->Progress(), 0);
    EXPECT_EQ(VelmoraMem->UsedMemoryGauge->Progress(), 0);

    // Nonsense from the library: more free than there is, a negative total.
    SetReadings(INT64_MAX, -4 * MiB, INT64_MIN, -1, INT64_MAX, 1);
    Tick();
    EXPECT_EQ(VelmoraMain->MemoryBar->value(), 0);
    EXPECT_EQ(VelmoraMem->windowTitle(), "Velmora Memory Management 0% free RAM");
    SetReadings(INT64_MAX, 1);
    Tick();
    EXPECT_EQ(VelmoraMain->MemoryBar->value(), 0);
    EXPECT_FALSE(VelmoraMem->MemoryGraph->Picture().isNull());
}

TEST_F(MemoryFixture, RunByHandCallsTheLibraryInOrderAndReportsWhatWasFreed)
{
    SetReadings(1000 * MiB, 4096 * MiB);
    SetFreedByRun(3 * MiB);
    VelmoraMemExpert->SafetyMemoryBar->setValue(4);
    VelmoraMem->OptimizeMemory->click();
    bool runningWhileWaiting = false;
    WhileWaiting = [&](int sleep) {
        if (sleep == 1)
            runningWhileWaiting = !VelmoraMem->OptimizeMemory->isEnabled() &&
                                  VelmoraMem->OptimizeMemory->text() == "Optimizing..." &&
                                  !VelmoraMemExpert->LogClear->isEnabled();
    };
    Tick();

    QStringList expected = Readings;
    expected << "SetDebugMode true" << QStringLiteral("consumeNow true %1 %2").arg(1000 * MiB).arg(4 * MiB)
             << "FreeMemory true"
             << "FreePhysicalMemory";
    EXPECT_EQ(TakeCalls(), expected);
    EXPECT_TRUE(runningWhileWaiting);
    EXPECT_EQ(sleeps, 1000);
    EXPECT_TRUE(VelmoraMem->OptimizeMemory->isEnabled());
    EXPECT_EQ(VelmoraMem->OptimizeMemory->text(), "Optimize Memory");
    EXPECT_TRUE(VelmoraMemExpert->LogClear->isEnabled());
    ASSERT_EQ(boxes.Count(), 1);
    const MessageBoxCall& box = boxes.Calls().front();
    EXPECT_EQ(box.owner, VelmoraMain);
    EXPECT_EQ(box.caption, "Sucessful Optimization");
    EXPECT_EQ(box.icon, TMsgIcon::Information);
    EXPECT_EQ(box.buttons, TMsgButtons::OK);
    EXPECT_EQ(box.text, Freed("3 Mega Bytes"));

    // The request was taken: the next tick only samples, and the report flag is left as it was.
    Tick();
    EXPECT_EQ(TakeCalls(), Readings);
    EXPECT_TRUE(OptimizeReport);
    EXPECT_EQ(PendingSafetyBytes, 0);
}

TEST_F(MemoryFixture, ResultBoxSaysMegaKiloOrBytesByStrictThresholds)
{
    const std::pair<int64_t, QString> cases[] = {
        {1048577, Freed("1 Mega Bytes")},
        {1048576, Freed("1024 Kilo Bytes")},
        {1025, Freed("1 Kilo Bytes")},
        {1024, Freed("1024 Bytes")},
        {1, Freed("1 Bytes")},
        {0, NothingFreed},
        {-1, NothingFreed},
        {1572864, Freed("2 Mega Bytes")},
        {2621440, Freed("2 Mega Bytes")},
        {1536, Freed("2 Kilo Bytes")},
        {2560, Freed("2 Kilo Bytes")},
    };
    for (const auto& [freed, text] : cases) {
        SetReadings(1000 * MiB, 4096 * MiB);
        SetFreedByRun(freed);
        VelmoraMem->OptimizeMemoryClick(nullptr);
        Tick();
        ASSERT_FALSE(boxes.Calls().isEmpty());
        EXPECT_EQ(boxes.Calls().back().text, text) << freed;
    }
    EXPECT_EQ(boxes.Count(), 11);
}

TEST_F(MemoryFixture, DebugModeFollowsTheLogOption)
{
    const std::pair<int, QString> cases[] = {
        {0, "SetDebugMode true"}, {1, "SetDebugMode true"}, {2, "SetDebugMode false"}};
    for (const auto& [option, call] : cases) {
        VelmoraMemExpert->LogErrorKeepGroup->SetItemIndex(option);
        VelmoraMem->OptimizeMemoryClick(nullptr);
        TakeCalls();
        Tick();
        EXPECT_EQ(TakeCalls().value(Readings.size()), call) << option;
    }
}

TEST_F(MemoryFixture, NoSafetySpaceStillRunsWithZeroBytes)
{
    SetReadings(1000 * MiB, 4096 * MiB);
    VelmoraMemExpert->SafetyMemoryBar->setValue(0);
    VelmoraMem->OptimizeMemory->click();
    Tick();
    EXPECT_TRUE(TakeCalls().contains(QStringLiteral("consumeNow true %1 0").arg(1000 * MiB)));
    EXPECT_EQ(boxes.Count(), 1);

    VelmoraMem->AutoMemoryBar->setValue(1);
    AutoOptimizeTicks = 60;
    Tick();
    EXPECT_TRUE(TakeCalls().contains(QStringLiteral("consumeNow false %1 0").arg(1000 * MiB)));
    EXPECT_EQ(boxes.Count(), 1);
}

TEST_F(MemoryFixture, ScheduledRunUsesItsOwnTicksSampleAndShowsNoBox)
{
    VelmoraMem->AutoMemoryBar->setValue(1);
    SetReadings(1000 * MiB, 4096 * MiB);
    for (int i = 0; i < 60; ++i)
        Tick();
    EXPECT_FALSE(TakeCalls().contains("FreeMemory false"));

    SetReadings(1234 * MiB, 4096 * MiB);
    Tick();
    QStringList expected = Readings;
    expected << "SetDebugMode true" << QStringLiteral("consumeNow false %1 %2").arg(1234 * MiB).arg(MiB)
             << "FreeMemory false"
             << "FreePhysicalMemory";
    EXPECT_EQ(TakeCalls(), expected);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(MemoryFixture, ClickThenScheduleBeforeTheTickRunsOnceWithoutABox)
{
    VelmoraMem->AutoMemoryBar->setValue(1);
    for (int i = 0; i < 60; ++i)
        Tick();
    VelmoraMem->OptimizeMemory->click();
    TakeCalls();
    Tick();
    Tick();
    EXPECT_EQ(TakeCalls().filter("consumeNow").size(), 1);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(MemoryFixture, TickInsideTheWaitSamplesButStartsNoSecondRun)
{
    SetReadings(1000 * MiB, 4096 * MiB);
    SetFreedByRun(2 * MiB);
    VelmoraMem->AutoMemoryBar->setValue(1);
    VelmoraMem->OptimizeMemory->click();
    WhileWaiting = [&](int sleep) {
        if (sleep == 10) {
            // The nested tick's schedule places a request of its own.
            AutoOptimizeTicks = 60;
            SetReadings(3000 * MiB, 4096 * MiB);
            ExpireMemoryTimer();
        }
    };
    VelmoraMain->MemoryTimer->SetEnabled(true);
    ExpireMemoryTimer();
    Application::ProcessMessages();
    WhileWaiting = nullptr;

    QStringList calls = TakeCalls();
    ASSERT_EQ(calls.filter("consumeNow").size(), 1);
    // The nested tick sampled between the run's calls and its final measurement.
    EXPECT_EQ(calls.mid(9, 6), Readings);
    EXPECT_EQ(calls.size(), 16);
    EXPECT_EQ(VelmoraMem->activity[60], 1096 * MiB);
    EXPECT_EQ(VelmoraMain->MemoryButton->text(), "Memory: 1096 mB / 4096 mB used(Optimized every 1 min)");
    // The run made by hand still reports, although the nested request was a silent one.
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls().front().text, Freed("2000 Mega Bytes"));

    // The request placed during the wait runs on the next tick.
    Tick();
    EXPECT_TRUE(TakeCalls().contains(QStringLiteral("consumeNow false %1 %2").arg(3000 * MiB).arg(MiB)));
    EXPECT_EQ(boxes.Count(), 1);
}

TEST_F(MemoryFixture, ExitInsideTheWaitEndsItAndReachesNoUnloadedLibrary)
{
    SetReadings(1000 * MiB, 4096 * MiB);
    VelmoraMem->OptimizeMemory->click();
    qsizetype callsAtExit = -1;
    WhileWaiting = [&](int sleep) {
        if (sleep == 5) {
            VelmoraMain->ExitButtonClick(VelmoraMain->ExitButton);
            callsAtExit = TakeCalls().size();
        }
    };
    Tick();
    EXPECT_TRUE(Application::Terminated());
    EXPECT_GT(callsAtExit, 0);
    EXPECT_TRUE(TakeCalls().isEmpty());
    EXPECT_EQ(sleeps, 5);
    EXPECT_EQ(boxes.Count(), 0);

    // Neither the timer nor the main window's button reaches the library any more.
    VelmoraMain->MemoryButtonClick(VelmoraMain->MemoryButton);
    EXPECT_TRUE(TakeCalls().isEmpty());
}
