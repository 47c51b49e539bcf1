#include "MemoryFixture.h"

#include "memory/MemExpert.h"
#include "memory/MemWindow.h"
#include "platform/Gauge.h"
#include "platform/Image.h"
#include "shell/MainWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <cmath>

namespace {

const QColor Lime(0, 255, 0);
const QColor Yellow(255, 255, 0);
const QColor Red(255, 0, 0);
const QColor Blue(0, 0, 255);

void Sample(int64_t freePhys, int64_t allPhys, int64_t freePag = 0, int64_t allPag = 0, int64_t freeVirt = 0,
            int64_t allVirt = 0)
{
    VelmoraMem->memInstance(freePhys, allPhys, freePag, allPag, freeVirt, allVirt);
}

} // namespace

TEST_F(MemoryFixture, WindowShowsGaugesTextsAndFreeShareWhileVisible)
{
    Sample(1024 * MiB, 4096 * MiB);
    EXPECT_EQ(VelmoraMem->FreeMemoryLabel->text(), "Free Memory");
    EXPECT_EQ(VelmoraMem->windowTitle(), "Velmora Memory Manager");
    EXPECT_EQ(VelmoraMem->activity[60], 3072 * MiB);

    VelmoraMem->show();
    Sample(1024 * MiB, 4096 * MiB, 512 * MiB, 1024 * MiB, 1536 * MiB, 6144 * MiB);
    EXPECT_EQ(VelmoraMem->FreeMemoryLabel->text(), "Free RAM Memory: 1024 mB / 4096 mB");
    EXPECT_EQ(VelmoraMem->UsedMemoryLabel->text(), "Used RAM Memory: 3072 mB / 4096 mB");
    EXPECT_EQ(VelmoraMem->PageMemoryLabel->text(), "Used Page File: 512 mB / 1024 mB");
    EXPECT_EQ(VelmoraMem->VirtualMemoryLabel->text(), "Used Virtual Memory: 4608 mB / 6144 mB");
    EXPECT_EQ(VelmoraMem->FreeMemoryGauge->Progress(), 25);
    EXPECT_EQ(VelmoraMem->UsedMemoryGauge->Progress(), 75);
    EXPECT_EQ(VelmoraMem->PageMemoryGauge->Progress(), 50);
    EXPECT_EQ(VelmoraMem->VirtualMemoryGauge->Progress(), 75);
    EXPECT_EQ(VelmoraMem->windowTitle(), "Velmora Memory Management 25% free RAM");

    // No page file and no virtual memory: their gauges fall to 0.
    Sample(1024 * MiB, 4096 * MiB, 0, 0, 0, 0);
    EXPECT_EQ(VelmoraMem->PageMemoryGauge->Progress(), 0);
    EXPECT_EQ(VelmoraMem->VirtualMemoryGauge->Progress(), 0);
}

TEST_F(MemoryFixture, UsedMegabytesDifferBetweenWindowAndMainCaption)
{
    // 1.5 MB free rounds to 2 and 10.5 MB total to 10: the window says 8 used, the caption 9.
    VelmoraMem->show();
    SetReadings(1572864, 11010048);
    Tick();
    EXPECT_EQ(VelmoraMem->UsedMemoryLabel->text(), "Used RAM Memory: 8 mB / 10 mB");
    EXPECT_EQ(VelmoraMain->MemoryButton->text(), "Memory: 9 mB / 10 mB used");
}

TEST_F(MemoryFixture, FreeGaugeColourByStrictThirds)
{
    VelmoraMem->show();
    const std::tuple<int64_t, int64_t, QColor> cases[] = {
        {667, 1000, Lime}, {666, 1000, Yellow}, {334, 1000, Yellow}, {333, 1000, Red},
        {601, 900, Lime},  {600, 900, Yellow},  {301, 900, Yellow},  {300, 900, Red},
    };
    for (const auto& [freeMB, allMB, colour] : cases) {
        Sample(freeMB * MiB, allMB * MiB);
        EXPECT_EQ(VelmoraMem->FreeMemoryGauge->ForeColor(), colour) << freeMB << " of " << allMB;
    }
}

TEST_F(MemoryFixture, ScheduleCountsSamplesAcrossPeriodChanges)
{
    VelmoraMem->AutoMemoryBar->setValue(1);
    for (int i = 0; i < 60; ++i)
        Sample(0, MiB);
    EXPECT_FALSE(OptimizePending);
    Sample(0, MiB);
    EXPECT_TRUE(OptimizePending);
    EXPECT_FALSE(OptimizeReport);
    EXPECT_EQ(PendingSafetyBytes, MiB);
    EXPECT_EQ(AutoOptimizeTicks, 0);

    // Off keeps the count; back on, it goes on from there.
    OptimizePending = false;
    for (int i = 0; i < 30; ++i)
        Sample(0, MiB);
    VelmoraMem->AutoMemoryBar->setValue(0);
    for (int i = 0; i < 100; ++i)
        Sample(0, MiB);
    EXPECT_EQ(AutoOptimizeTicks, 30);
    VelmoraMem->AutoMemoryBar->setValue(1);
    for (int i = 0; i < 30; ++i)
        Sample(0, MiB);
    EXPECT_FALSE(OptimizePending);
    Sample(0, MiB);
    EXPECT_TRUE(OptimizePending);

    // Lowering the period below the count places a request on the next sample.
    OptimizePending = false;
    VelmoraMem->AutoMemoryBar->setValue(2);
    for (int i = 0; i < 100; ++i)
        Sample(0, MiB);
    EXPECT_FALSE(OptimizePending);
    VelmoraMem->AutoMemoryBar->setValue(1);
    Sample(0, MiB);
    EXPECT_TRUE(OptimizePending);

    // The longest period: six hours of samples, then one more.
    OptimizePending = false;
    VelmoraMem->AutoMemoryBar->setValue(360);
    for (int i = 0; i < 21600; ++i)
        Sample(0, MiB);
    EXPECT_FALSE(OptimizePending);
    Sample(0, MiB);
    EXPECT_TRUE(OptimizePending);
}

TEST_F(MemoryFixture, ScheduleAndMoreLessCaptions)
{
    EXPECT_EQ(VelmoraMem->AutoMemoryLabel->text(), "Auto Optimize Memory: Disabled");
    VelmoraMem->AutoMemoryBar->setValue(400);
    EXPECT_EQ(VelmoraMem->AutoMemoryLabel->text(), "Auto Optimize Memory: Every 360 min");
    VelmoraMem->AutoMemoryBar->setValue(0);
    EXPECT_EQ(VelmoraMem->AutoMemoryLabel->text(), "Auto Optimize Memory: Disabled");

    const QWidget* extras[] = {VelmoraMem->ExtraStatisticsLabel, VelmoraMem->VirtualMemoryLabel,
                               VelmoraMem->VirtualMemoryGauge, VelmoraMem->PageMemoryLabel,
                               VelmoraMem->PageMemoryGauge};
    VelmoraMem->show();
    EXPECT_EQ(VelmoraMem->AdvancedMemory->text(), "More");
    for (const QWidget* extra : extras)
        EXPECT_FALSE(extra->isVisible()) << extra->objectName().toStdString();
    VelmoraMem->AdvancedMemory->click();
    EXPECT_EQ(VelmoraMem->AdvancedMemory->text(), "Less");
    EXPECT_TRUE(MemoryMoreShown);
    for (const QWidget* extra : extras)
        EXPECT_TRUE(extra->isVisible()) << extra->objectName().toStdString();
    VelmoraMem->AdvancedMemory->click();
    EXPECT_EQ(VelmoraMem->AdvancedMemory->text(), "More");
    for (const QWidget* extra : extras)
        EXPECT_FALSE(extra->isVisible()) << extra->objectName().toStdString();
}

TEST_F(MemoryFixture, GraphBoundsAndCoordinates)
{
    // Hidden: the bounds are the history's own minimum and maximum.
    Sample(1024 * MiB, 4096 * MiB);
    EXPECT_EQ(VelmoraMem->min_activity, 0);
    EXPECT_EQ(VelmoraMem->max_activity, 3072 * MiB);

    // Shown: the first sample plots from 0 to the maximum plus half of it.
    VelmoraMem->show();
    const int64_t v = 1000 * MiB;
    Sample(3096 * MiB, 4096 * MiB);
    EXPECT_EQ(VelmoraMem->min_activity, 0);
    EXPECT_EQ(VelmoraMem->max_activity, 3072 * MiB + 3072 * MiB / 2);

    // All samples equal: the plot runs from 0 to twice the sample, a flat line near the middle.
    for (int i = 0; i < 61; ++i)
        Sample(4096 * MiB - v, 4096 * MiB);
    EXPECT_EQ(VelmoraMem->min_activity, 0);
    EXPECT_EQ(VelmoraMem->max_activity, 2 * v);

    const QImage picture = VelmoraMem->MemoryGraph->Picture().convertToFormat(QImage::Format_RGB32);
    const int width = VelmoraMem->MemoryGraph->width();
    const int height = VelmoraMem->MemoryGraph->height();
    ASSERT_EQ(picture.size(), QSize(width, height));
    EXPECT_EQ(picture.pixelColor(0, 0), Blue);
    EXPECT_EQ(picture.pixelColor(width - 1, height - 1), Blue);
    EXPECT_EQ(picture.pixelColor(width - 10, 5), Qt::white);
    const int y = height - static_cast<int>(std::nearbyint((v + 1) * (height / (2.0 * v + 1))));
    EXPECT_EQ(picture.pixelColor(static_cast<int>(std::nearbyint(width * 0.5)), y), Blue);
    EXPECT_EQ(picture.pixelColor(static_cast<int>(std::nearbyint(width * 0.5)), y - 3), Qt::white);
    // Drawn without smoothing: only the three colours of frame, ground and text.
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column) {
            const QColor pixel = picture.pixelColor(column, row);
            ASSERT_TRUE(pixel == Blue || pixel == Qt::white || pixel == Qt::black) << column << "," << row;
        }
}

TEST_F(MemoryFixture, ShowingFromTheMainWindowAddsOneSample)
{
    SetReadings(1024 * MiB, 4096 * MiB);
    VelmoraMem->AutoMemoryBar->setValue(1);
    VelmoraMain->MemoryButtonClick(VelmoraMain->MemoryButton);
    EXPECT_TRUE(VelmoraMem->isVisible());
    EXPECT_EQ(AutoOptimizeTicks, 1);
    EXPECT_EQ(VelmoraMem->FreeMemoryLabel->text(), "Free RAM Memory: 1024 mB / 4096 mB");
    EXPECT_FALSE(VelmoraMem->MemoryGraph->Picture().isNull());

    VelmoraMem->HideMemory->click();
    EXPECT_FALSE(VelmoraMem->isVisible());
}
