#include "platform/Application.h"
#include "platform/Gauge.h"
#include "platform/Image.h"
#include "platform/Library.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "temperature/TempExpert.h"
#include "temperature/TempWindow.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>

// Readable failures.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QRgb Blue = qRgb(0, 0, 255);
const QRgb White = qRgb(255, 255, 255);
const float NaN = std::numeric_limits<float>::quiet_NaN();

// One run of the program with the fake temperature library in its folder (or none).
class TemperatureMonitorTest : public testing::Test {
protected:
    void SetUp() override { Application::ResetTerminated(); }

    void TearDown() override
    {
        if (started_)
            UnloadLibraries();
        DestroyProgramWindows();
        MemoryLibraryHandle = TaskLibraryHandle = TemperatureLibraryHandle = nullptr;
        GetCoreTempTemperature = nullptr;
        GetCoreTempAverageTemperature = nullptr;
        CoreTempStarted = nullptr;
    }

    void Start(bool withLibrary = true)
    {
        if (withLibrary) {
            QFile fake(QStringLiteral(FAKE_SORRELIN));
            folder.Write(QStringLiteral("Libraries/Sorrelin.so"),
                         fake.open(QIODevice::ReadOnly) ? fake.readAll() : "");
        }
        CreateProgramWindows();
        started_ = true;
        if (!withLibrary)
            return;
        ASSERT_NE(TemperatureLibraryHandle, nullptr);
        setAverage = Control<void (*)(double)>("FakeSetAverage");
        setCore = Control<void (*)(uint8_t, double)>("FakeSetCore");
        setStarted = Control<void (*)(bool)>("FakeSetStarted");
        takeCalls = Control<const char* (*)()>("FakeTakeCalls");
    }

    template <typename Function> Function Control(const char* name)
    {
        auto function = reinterpret_cast<Function>(GetProcAddress(TemperatureLibraryHandle, name));
        EXPECT_NE(function, nullptr) << name;
        return function;
    }

    QString Calls() { return QString::fromUtf8(takeCalls()); }

    void Tick() { VelmoraMain->TemperatureTimerTimer(VelmoraMain->TemperatureTimer); }

    void Sample(float average) { VelmoraTemp->tempInstance(average, 0, 0, 0, 0, 0, 0, 0, 0); }

    // Shows the monitor with a graph of the given size; the next sample draws at that size.
    void ShowGraph(int width, int height)
    {
        VelmoraTemp->show();
        VelmoraTemp->TempGraph->resize(width, height);
    }

    QImage Graph() const { return VelmoraTemp->TempGraph->Picture(); }

    static bool Shown(QWidget* widget) { return !widget->isHidden(); }

    WorkingFolder folder;
    MessageBoxRecorder boxes;
    bool started_ = false;
    void (*setAverage)(double) = nullptr;
    void (*setCore)(uint8_t, double) = nullptr;
    void (*setStarted)(bool) = nullptr;
    const char* (*takeCalls)() = nullptr;
};

TEST_F(TemperatureMonitorTest, WhileMonitoringIsOffTheTickOnlySaysSo)
{
    Start();
    EXPECT_TRUE(VelmoraMain->TemperatureTimer->Enabled());
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(), QStringLiteral("Temperature"));
    Tick();
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(), QStringLiteral("Temperature: Monitor Stopped"));
    EXPECT_EQ(Calls(), QString());
    EXPECT_EQ(VelmoraTemp->TempLevelLabel->text(), QStringLiteral("Average Temperature"));
}

TEST_F(TemperatureMonitorTest, ATickReadsTheAverageThenEveryCoreAndShowsThem)
{
    Start();
    // The sensor program runs: monitoring starts without a question.
    setStarted(true);
    VelmoraTemp->EnableTempMonitorClick(nullptr);
    EXPECT_EQ(boxes.Count(), 0);
    Calls();
    setAverage(45.3);
    setCore(0, 50);
    setCore(1, 47.5);
    setCore(7, 45.0 + 1.0 / 3.0);
    Tick();

    EXPECT_EQ(Calls(), QStringLiteral("GetCoreTempAverageTemperature GetCoreTempTemperature(0) "
                                      "GetCoreTempTemperature(1) GetCoreTempTemperature(2) "
                                      "GetCoreTempTemperature(3) GetCoreTempTemperature(4) "
                                      "GetCoreTempTemperature(5) GetCoreTempTemperature(6) "
                                      "GetCoreTempTemperature(7) "));
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(),
              QStringLiteral("Temperature: 45.2999992370605 degrees"));
    EXPECT_EQ(VelmoraTemp->TempLevelLabel->text(),
              QStringLiteral("Average Temperature: 45.2999992370605 degrees "));
    EXPECT_EQ(VelmoraTemp->TempLevelGauge->Progress(), 50);
    EXPECT_EQ(VelmoraTemp->TempCore1Label->text(), QStringLiteral("Core 1 temperature: 50 degrees"));
    EXPECT_EQ(VelmoraTemp->TempCore2Label->text(), QStringLiteral("Core 2 temperature: 47.5 degrees"));
    EXPECT_EQ(VelmoraTemp->TempCore8Label->text(),
              QStringLiteral("Core 8 temperature: 45.3333320617676 degrees"));
    EXPECT_EQ(VelmoraTemp->TempCore1Bar->Progress(), 56);
    EXPECT_EQ(VelmoraTemp->TempCore2Bar->Progress(), 53);
    EXPECT_TRUE(Shown(VelmoraTemp->TempCore1Label) && Shown(VelmoraTemp->TempCore1Bar));
    EXPECT_TRUE(Shown(VelmoraTemp->TempCore8Label) && Shown(VelmoraTemp->TempCore8Bar));
    EXPECT_FALSE(Shown(VelmoraTemp->TempCore3Label) || Shown(VelmoraTemp->TempCore3Bar));
    EXPECT_EQ(VelmoraTemp->TempCore3Label->text(), QStringLiteral("Core 3 temperature"));
    EXPECT_EQ(VelmoraTemp->Activity().back(), 45.3f);
}

TEST_F(TemperatureMonitorTest, NoReadingIsUndetectedWhileANegativeOneIsShownWithAnEmptyGauge)
{
    Start();
    setStarted(true);
    VelmoraTemp->EnableTempMonitorClick(nullptr);

    setAverage(0);
    Tick();
    EXPECT_EQ(VelmoraTemp->TempLevelLabel->text(), QStringLiteral("Average Temperature: Undetected"));
    EXPECT_EQ(VelmoraTemp->TempLevelGauge->Progress(), 0);
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(), QStringLiteral("Temperature:  Undetected"));

    setAverage(-5);
    Tick();
    EXPECT_EQ(VelmoraTemp->TempLevelLabel->text(), QStringLiteral("Average Temperature: -5 degrees "));
    EXPECT_EQ(VelmoraTemp->TempLevelGauge->Progress(), 0);
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(), QStringLiteral("Temperature:  Undetected"));

    setAverage(std::numeric_limits<double>::quiet_NaN());
    setCore(2, std::numeric_limits<double>::quiet_NaN());
    Tick();
    EXPECT_EQ(VelmoraTemp->TempLevelLabel->text(), QStringLiteral("Average Temperature: Undetected"));
    EXPECT_EQ(VelmoraTemp->TempLevelGauge->Progress(), 0);
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(), QStringLiteral("Temperature:  Undetected"));
    EXPECT_FALSE(Shown(VelmoraTemp->TempCore3Label));
    // A not-a-number average enters the history as no reading.
    EXPECT_EQ(VelmoraTemp->Activity().back(), 0.0f);
    EXPECT_EQ(VelmoraTemp->Activity()[59], -5.0f);
}

TEST_F(TemperatureMonitorTest, GaugesAreAShareOfTheScaleMaximumRoundedHalfToEven)
{
    Start();
    const auto progress = [](float reading) {
        VelmoraTemp->tempInstance(reading, reading, 0, 0, 0, 0, 0, 0, 0);
        EXPECT_EQ(VelmoraTemp->TempCore1Bar->Progress(), VelmoraTemp->TempLevelGauge->Progress());
        return VelmoraTemp->TempLevelGauge->Progress();
    };
    EXPECT_EQ(progress(45), 50);
    EXPECT_EQ(progress(20.25f), 22);
    EXPECT_EQ(progress(60.75f), 68);
    EXPECT_EQ(progress(200), 100);
    EXPECT_EQ(progress(std::numeric_limits<float>::infinity()), 100);
    EXPECT_EQ(progress(-std::numeric_limits<float>::infinity()), 0);

    // The scale maximum is read afresh for every sample, and held to its range.
    VelmoraTempExpert->MaxTempBar->setValue(60);
    EXPECT_EQ(VelmoraTempExpert->MaxTempLabel->text(), QStringLiteral("Maximum Temperature: 60 degrees"));
    EXPECT_EQ(progress(45), 75);
    VelmoraTempExpert->MaxTempBar->setValue(5);
    EXPECT_EQ(VelmoraTempExpert->MaxTempBar->value(), 20);
    EXPECT_EQ(progress(10), 50);
    VelmoraTempExpert->MaxTempBar->setValue(300);
    EXPECT_EQ(VelmoraTempExpert->MaxTempBar->value(), 260);
    EXPECT_EQ(VelmoraTempExpert->MaxTempLabel->text(), QStringLiteral("Maximum Temperature: 260 degrees"));
}

TEST_F(TemperatureMonitorTest, ACoreWithoutAReadingDisappearsAndComesBackWithItsNewText)
{
    Start();
    VelmoraTemp->tempInstance(40, 0, 0, 0, 0, 0, 0, 0, 50);
    EXPECT_TRUE(Shown(VelmoraTemp->TempCore8Label));
    VelmoraTemp->tempInstance(40, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_FALSE(Shown(VelmoraTemp->TempCore8Label) || Shown(VelmoraTemp->TempCore8Bar));
    EXPECT_EQ(VelmoraTemp->TempCore8Label->text(), QStringLiteral("Core 8 temperature: 50 degrees"));
    EXPECT_EQ(VelmoraTemp->TempCore8Bar->Progress(), 56);
    VelmoraTemp->tempInstance(40, 0, 0, 0, 0, 0, 0, 0, 63);
    EXPECT_TRUE(Shown(VelmoraTemp->TempCore8Label) && Shown(VelmoraTemp->TempCore8Bar));
    EXPECT_EQ(VelmoraTemp->TempCore8Label->text(), QStringLiteral("Core 8 temperature: 63 degrees"));
    EXPECT_EQ(VelmoraTemp->TempCore8Bar->Progress(), 70);
}

TEST_F(TemperatureMonitorTest, TheHistoryKeepsTheLast61AveragesAlsoWhileTheWindowIsHidden)
{
    Start();
    for (int i = 1; i <= 70; ++i)
        Sample(static_cast<float>(i));
    EXPECT_FALSE(VelmoraTemp->isVisible());
    EXPECT_TRUE(Graph().isNull());
    EXPECT_EQ(VelmoraTemp->Activity().front(), 10.0f);
    EXPECT_EQ(VelmoraTemp->Activity().back(), 70.0f);
    EXPECT_EQ(VelmoraTemp->Activity()[30], 40.0f);
}

// The graph shows `text` at `at` exactly as it writes it: black in the default font on white.
bool Written(const QImage& graph, QPoint at, const QString& text)
{
    QImage expected(graph.size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    QPainter painter(&expected);
    painter.setPen(Qt::black);
    painter.drawText(at.x(), at.y() + painter.fontMetrics().ascent(), text);
    const QRect area(at,
                     QSize(painter.fontMetrics().horizontalAdvance(text), painter.fontMetrics().height()));
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (graph.pixel(x, y) != expected.pixel(x, y))
                return false;
        }
    }
    return true;
}

TEST_F(TemperatureMonitorTest, TheFirstSampleIsDrawnAgainstSixtyZerosWithTheTrueBoundsWritten)
{
    Start();
    const int W = 435, H = 300;
    ShowGraph(W, H);
    Sample(40);
    const QImage graph = Graph();
    ASSERT_EQ(graph.size(), QSize(W, H));

    // A blue border around a white area.
    EXPECT_EQ(graph.pixel(0, 0), Blue);
    EXPECT_EQ(graph.pixel(W - 1, H - 1), Blue);
    EXPECT_EQ(graph.pixel(W / 2, 1), White);

    // Bounds 0 and 60: the zeros lie at H - Round(H / 61), the new sample at H - Round(41 H / 61).
    const int zeroY = H - static_cast<int>(std::nearbyint(H / 61.0));
    const int lastY = H - static_cast<int>(std::nearbyint(41 * H / 61.0));
    EXPECT_EQ(graph.pixel(W / 2, zeroY), Blue);
    EXPECT_EQ(graph.pixel(W / 2, zeroY - 1), White);
    EXPECT_EQ(graph.pixel(W - 1, lastY + 1), Blue);

    EXPECT_TRUE(Written(graph, {20, 20}, QStringLiteral("max = 40 degrees")));
    EXPECT_TRUE(Written(graph, {20, H - 35}, QStringLiteral("min = 0 degrees")));
}

TEST_F(TemperatureMonitorTest, AFlatHistoryIsAFlatLineWithEqualBounds)
{
    Start();
    const int W = 500, H = 250;
    const float m = 30;
    for (int i = 0; i < 60; ++i)
        Sample(m);
    ShowGraph(W, H);
    Sample(m);
    const QImage graph = Graph();
    ASSERT_EQ(graph.size(), QSize(W, H));
    const int y = H - static_cast<int>(std::nearbyint(H * (m + 1) / (2 * m + 1)));
    for (int x = 1; x < W - 1; ++x)
        ASSERT_EQ(graph.pixel(x, y), Blue) << x;
    EXPECT_EQ(graph.pixel(W / 2, y - 1), White);
    EXPECT_EQ(graph.pixel(W / 2, y + 1), White);

    EXPECT_TRUE(Written(graph, {20, 20}, QStringLiteral("max = 30 degrees")));
    EXPECT_TRUE(Written(graph, {20, H - 35}, QStringLiteral("min = 30 degrees")));
}

TEST_F(TemperatureMonitorTest, SamplesArePlacedAcrossTheWidthRoundedHalfToEven)
{
    Start();
    const int W = 435, H = 300;
    // Zeros but for a peak at the third sample: the peak's x is Round(435 * 2 / 60) = Round(14.5) = 14.
    Sample(0);
    Sample(0);
    Sample(100);
    for (int i = 0; i < 57; ++i)
        Sample(0);
    ShowGraph(W, H);
    Sample(0);
    const QImage graph = Graph();
    const double scale = H / 151.0;
    const int peakY = H - static_cast<int>(std::nearbyint(scale * 100 + scale));
    EXPECT_EQ(graph.pixel(14, peakY), Blue);
    EXPECT_EQ(graph.pixel(13, peakY), White);
    EXPECT_EQ(graph.pixel(15, peakY), White);
    EXPECT_EQ(graph.pixel(14, peakY - 1), White);
}

TEST_F(TemperatureMonitorTest, EverySampleLiesOnTheLineAlsoAtTheFootOfASteepRise)
{
    Start();
    // Bounds 0 and 150, so with H = 302 the scale is 2: a sample a lies at y = 300 - 2a, and with
    // W = 600 sample i at x = 10 i. The line sinks one pixel into sample 14, then climbs to the peak.
    const int W = 600, H = 302;
    std::array<float, 61> history{};
    history[13] = 0.5f;
    history[15] = 100;
    for (int i = 0; i < 60; ++i)
        Sample(history[i]);
    ShowGraph(W, H);
    Sample(history[60]);
    const QImage graph = Graph();
    ASSERT_EQ(graph.size(), QSize(W, H));
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(graph.pixel(10 * i, static_cast<int>(300 - 2 * history[i])), Blue) << i;
}

TEST_F(TemperatureMonitorTest, WildReadingsNeitherBreakTheGraphNorLeaveTheGauges)
{
    Start();
    ShowGraph(300, 200);
    // Readings of -0.5 throughout make the plot's span zero.
    for (int i = 0; i < 61; ++i)
        Sample(-0.5f);
    EXPECT_EQ(Graph().size(), QSize(300, 200));
    EXPECT_EQ(Graph().pixel(150, 100), White);
    VelmoraTemp->tempInstance(std::numeric_limits<float>::infinity(), NaN, 0, 0, 0, 0, 0, 0,
                              -std::numeric_limits<float>::infinity());
    EXPECT_EQ(VelmoraTemp->TempLevelLabel->text(), QStringLiteral("Average Temperature: INF degrees "));
    EXPECT_EQ(VelmoraTemp->TempLevelGauge->Progress(), 100);
    EXPECT_FALSE(Shown(VelmoraTemp->TempCore1Label));
    EXPECT_EQ(VelmoraTemp->TempCore8Bar->Progress(), 0);
    // A core line that appears lays the window out anew; the graph follows at its new size.
    Sample(-std::numeric_limits<float>::infinity());
    EXPECT_EQ(Graph().size(), VelmoraTemp->TempGraph->size());
}

TEST_F(TemperatureMonitorTest, StartingAsksWhenTheSensorProgramIsNotRunningAndStartsWhateverTheAnswer)
{
    Start();
    setStarted(false);
    boxes.Answer(IDNO);
    // Ticks go on while the question is open, with monitoring still off.
    QString captionWhileAsked;
    boxes.WhileOpen = [&](const MessageBoxCall&) {
        VelmoraMain->TemperatureTimerTimer(nullptr);
        captionWhileAsked = VelmoraMain->TemperatureButton->text();
    };
    VelmoraTemp->EnableTempMonitorClick(nullptr);
    ASSERT_EQ(boxes.Count(), 1);
    const MessageBoxCall& box = boxes.Calls()[0];
    EXPECT_EQ(box.owner, VelmoraTemp);
    EXPECT_EQ(box.caption, QStringLiteral("Starting Temperature Monitor"));
    EXPECT_EQ(box.text,
              QStringLiteral("Before starting the Temperature Monitor, it is\n\rdetected that \"CoreTemp\" "
                             "is not running and\n\rtherefore cannot retrieve desired "
                             "information.\n\r\n\rRun \"CoreTemp\" now?"));
    EXPECT_EQ(box.buttons, TMsgButtons::YesNo);
    EXPECT_EQ(box.icon, TMsgIcon::Question);
    EXPECT_EQ(captionWhileAsked, QStringLiteral("Temperature: Monitor Stopped"));
    EXPECT_TRUE(VelmoraTemp->MonitorStarted);
    EXPECT_EQ(VelmoraTemp->EnableTempMonitor->text(),
              QStringLiteral("Temperature Monitor Started (click to stop)"));
    EXPECT_EQ(Calls(), QStringLiteral("CoreTempStarted "));

    // Stopping asks nothing and leaves the window as it was.
    boxes.WhileOpen = nullptr;
    setAverage(50);
    Tick();
    VelmoraTemp->EnableTempMonitorClick(nullptr);
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_FALSE(VelmoraTemp->MonitorStarted);
    EXPECT_EQ(VelmoraTemp->EnableTempMonitor->text(),
              QStringLiteral("Temperature Monitor Stopped (click to start)"));
    Calls();
    Tick();
    EXPECT_EQ(Calls(), QString());
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(), QStringLiteral("Temperature: Monitor Stopped"));
    EXPECT_EQ(VelmoraTemp->TempLevelLabel->text(), QStringLiteral("Average Temperature: 50 degrees "));
}

TEST_F(TemperatureMonitorTest, AYesStartsTheSensorProgramQuietlyEvenWhereItDoesNotExist)
{
    Start();
    setStarted(false);
    boxes.Answer(IDYES);
    VelmoraTemp->EnableTempMonitorClick(nullptr);
    // The second look finds it still not running, so no second question; the failed start says nothing.
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_EQ(Calls(), QStringLiteral("CoreTempStarted CoreTempStarted "));
    EXPECT_TRUE(VelmoraTemp->MonitorStarted);

    // Asked to start it while it runs: only a Yes goes on.
    setStarted(true);
    boxes.Answer(IDNO);
    VelmoraTemp->StartCoreTemp();
    ASSERT_EQ(boxes.Count(), 2);
    const MessageBoxCall& box = boxes.Calls()[1];
    EXPECT_EQ(box.owner, VelmoraTemp);
    EXPECT_EQ(box.caption, QStringLiteral("\"CoreTemp\" already running"));
    EXPECT_EQ(
        box.text,
        QStringLiteral(
            "It is detected that \"CoreTemo\" is already\n\rrunning on this computer. Start it anyway?\n\r"));
    EXPECT_EQ(box.buttons, TMsgButtons::YesNo);
    EXPECT_EQ(box.icon, TMsgIcon::Question);
}

TEST_F(TemperatureMonitorTest, WithoutTheLibraryTheStartButtonOnlySwitchesAndNothingIsRead)
{
    Start(false);
    EXPECT_FALSE(VelmoraMain->TemperatureTimer->Enabled());
    EXPECT_FALSE(VelmoraMain->TemperatureButton->isEnabled());
    EXPECT_EQ(CoreTempStarted, nullptr);
    VelmoraTemp->EnableTempMonitorClick(nullptr);
    EXPECT_EQ(boxes.Count(), 0);
    EXPECT_TRUE(VelmoraTemp->MonitorStarted);
    EXPECT_EQ(VelmoraTemp->EnableTempMonitor->text(),
              QStringLiteral("Temperature Monitor Started (click to stop)"));
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(),
              QStringLiteral("Not found dll for temperature management"));
    VelmoraTemp->EnableTempMonitorClick(nullptr);
    EXPECT_FALSE(VelmoraTemp->MonitorStarted);
}

TEST_F(TemperatureMonitorTest, MoreTogglesOnlyItsCaptionAndHidingLeavesMonitoringOn)
{
    Start();
    VelmoraTemp->show();
    VelmoraTemp->AdvancedTemp->click();
    EXPECT_EQ(VelmoraTemp->AdvancedTemp->text(), QStringLiteral("Less"));
    VelmoraTemp->AdvancedTemp->click();
    EXPECT_EQ(VelmoraTemp->AdvancedTemp->text(), QStringLiteral("More"));

    setStarted(true);
    VelmoraTemp->EnableTempMonitor->click();
    VelmoraTemp->HideTemperature->click();
    EXPECT_FALSE(VelmoraTemp->isVisible());
    setAverage(47.5);
    Tick();
    EXPECT_EQ(VelmoraMain->TemperatureButton->text(), QStringLiteral("Temperature: 47.5 degrees"));
}

} // namespace
