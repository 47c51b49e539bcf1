#include "taskmanager/TaskResWindow.h"

#include "platform/Image.h"
#include "platform/Timer.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <cmath>
#include <gtest/gtest.h>

namespace {

const QColor Blue(0, 0, 255);

// The watched window: named while `Named` holds, sampled as `Sample`.
bool Named = true;
int Sample = 0;

QString NameOf(TWindowHandle wnd)
{
    return Named && wnd == 100 ? QStringLiteral("notepad") : QString();
}

QString StatusOf(TWindowHandle)
{
    return QStringLiteral("Running");
}

int SampleOf(TWindowHandle)
{
    return Sample;
}

bool Running(const QString&, TWindowHandle)
{
    return true;
}

// A monitor set up as the task window's "Create Monitor" sets it up.
TVelmoraTaskResource* Monitor(TWindowHandle wnd)
{
    auto* monitor = new TVelmoraTaskResource;
    monitor->SetHandle(wnd);
    monitor->SetMetric("mb");
    monitor->SetCaption("Velmora Task Manager");
    monitor->GetNameFunc = NameOf;
    monitor->GetClassFunc = NameOf;
    monitor->IsRunningFunc = Running;
    monitor->GetValue = SampleOf;
    monitor->GetDescription = StatusOf;
    monitor->StartGraphing();
    return monitor;
}

void Freed()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class MonitorTest : public testing::Test {
protected:
    void SetUp() override
    {
        Named = true;
        Sample = 0;
    }
};

} // namespace

TEST_F(MonitorTest, GraphPutsEverySamplesPointOnTheLine)
{
    QPointer<TVelmoraTaskResource> monitor = Monitor(100);
    Sample = 10;
    monitor->GraphTimerTimer(monitor->GraphTimer);
    EXPECT_EQ(monitor->windowTitle(), "Velmora Task Manager: notepad");
    EXPECT_EQ(monitor->NameLabel->text(), "notepad  (10 mb)");
    EXPECT_EQ(monitor->DescLabel->text(), "Running");
    // Plot bounds 0 and 10 + 6.
    EXPECT_EQ(monitor->minActivity, 0);
    EXPECT_EQ(monitor->maxActivity, 16);

    const QImage picture = monitor->Graph->Picture();
    const int width = monitor->Graph->width();
    ASSERT_EQ(picture.size(), QSize(width, 441));
    EXPECT_EQ(picture.pixelColor(0, 0), Blue);
    EXPECT_EQ(picture.pixelColor(width / 2, 414), Qt::white);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(picture.pixelColor(static_cast<int>(std::nearbyint(width * (i / 60.0))), 415), Blue) << i;
    for (int row = 0; row < picture.height(); ++row)
        for (int column = 0; column < width; ++column) {
            const QColor pixel = picture.pixelColor(column, row);
            ASSERT_TRUE(pixel == Blue || pixel == Qt::white || pixel == Qt::black) << column << "," << row;
        }

    // Once 61 samples are in, the zeros of the start no longer count; an unreadable name stays.
    Named = false;
    Sample = 5;
    for (int i = 0; i < 60; ++i)
        monitor->GraphTimerTimer(monitor->GraphTimer);
    EXPECT_EQ(monitor->activity.front(), 10);
    EXPECT_EQ(monitor->NameLabel->text(), "notepad  (5 mb)");
    monitor->GraphTimerTimer(monitor->GraphTimer);
    EXPECT_EQ(monitor->maxActivity, 5 + 6);
    EXPECT_EQ(monitor->minActivity, 0);
    delete monitor;

    // Never named, only zeros: the line lies at half height.
    Sample = 0;
    TVelmoraTaskResource* unnamed = Monitor(0);
    EXPECT_EQ(unnamed->windowTitle(), "Velmora Task Manager: <Not running>");
    EXPECT_EQ(unnamed->Graph->Picture().pixelColor(10, 441 - 220), Blue);
    delete unnamed;
}

TEST_F(MonitorTest, RefreshRateHeldToTheBar)
{
    TVelmoraTaskResource* monitor = Monitor(100);
    EXPECT_TRUE(monitor->GraphTimer->Enabled());
    EXPECT_EQ(monitor->GraphTimer->Interval(), 1500);
    monitor->SpeedTaskLabel->setText("");
    monitor->SetRefreshRate(1500);
    EXPECT_EQ(monitor->SpeedTaskLabel->text(), "Refresh: Every 1500 ms");
    monitor->SetRefreshRate(0);
    EXPECT_EQ(monitor->SpeedTaskLabel->text(), "Refresh: Every 500 ms");
    EXPECT_EQ(monitor->GraphTimer->Interval(), 500);
    monitor->SetRefreshRate(5000);
    EXPECT_EQ(monitor->GraphTimer->Interval(), 3500);
    delete monitor;
}

TEST_F(MonitorTest, EachMonitorHasItsOwnMoreAndIsFreedWhenClosed)
{
    QPointer<TVelmoraTaskResource> first = Monitor(100);
    QPointer<TVelmoraTaskResource> second = Monitor(100);
    first->AdvancedMonitor->click();
    EXPECT_EQ(first->AdvancedMonitor->text(), "Less");
    EXPECT_TRUE(first->SpeedTaskBar->isVisible());
    EXPECT_EQ(second->AdvancedMonitor->text(), "More");
    second->AdvancedMonitor->click();
    EXPECT_EQ(second->AdvancedMonitor->text(), "Less");
    EXPECT_TRUE(second->SpeedTaskBar->isVisible());

    first->CloseMonitor->click();
    EXPECT_FALSE(first->GraphTimer->Enabled());
    second->close();
    Freed();
    EXPECT_TRUE(first.isNull());
    EXPECT_TRUE(second.isNull());
}
