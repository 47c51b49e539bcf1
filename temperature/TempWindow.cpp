#include "temperature/TempWindow.h"

#include "platform/ErrorGuard.h"
#include "platform/FloatToStr.h"
#include "platform/Gauge.h"
#include "platform/Image.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "temperature/TempExpert.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <cmath>

TVelmoraTemp* VelmoraTemp = nullptr;
TGetCoreTempTemperature GetCoreTempTemperature = nullptr;
TGetCoreTempAverageTemperature GetCoreTempAverageTemperature = nullptr;
TCoreTempStarted CoreTempStarted = nullptr;
bool TemperatureMoreShown = false;

namespace {

// Rounded half to even, as every figure on screen; not-a-number counts as 0, and the result is held
// to lo..hi so that no reading, however wild, leaves a gauge's range or the drawing's reach.
int RoundHeld(long double value, int lo, int hi)
{
    if (std::isnan(value))
        value = 0;
    return static_cast<int>(
        std::nearbyint(std::clamp(value, static_cast<long double>(lo), static_cast<long double>(hi))));
}

// A reading as a share of the scale maximum, in percent.
int GaugeProgress(float reading)
{
    const int scale = VelmoraTempExpert->MaxTempBar->value();
    return RoundHeld(static_cast<long double>(reading) / scale * 100, 0, 100);
}

// Zero, and a not-a-number reading with it, means the sensor gave nothing.
bool Detected(float reading)
{
    return reading != 0 && !std::isnan(reading);
}

// Far outside any window, yet well inside what the painter draws without overflowing.
constexpr int FarOff = 1 << 20;

} // namespace

TVelmoraTemp::TVelmoraTemp(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    GuardedConnect(EnableTempMonitor, &QPushButton::clicked, this,
                   [this] { EnableTempMonitorClick(EnableTempMonitor); });
    GuardedConnect(AdvancedTemp, &QPushButton::clicked, this, [this] { AdvancedTempClick(AdvancedTemp); });
    GuardedConnect(TemperatureExpert, &QPushButton::clicked, this,
                   [this] { TemperatureExpertClick(TemperatureExpert); });
    GuardedConnect(HideTemperature, &QPushButton::clicked, this,
                   [this] { HideTemperatureClick(HideTemperature); });
    Guarded([this] { FormCreate(this); });
}

void TVelmoraTemp::FormCreate(QObject*)
{
    activity.fill(0.0f);
    TemperatureMoreShown = false;
    MonitorStarted = false;
}

void TVelmoraTemp::tempInstance(float currentTemp, float temp1, float temp2, float temp3, float temp4,
                                float temp5, float temp6, float temp7, float temp8)
{
    if (Detected(currentTemp))
        TempLevelLabel->setText(QStringLiteral("Average Temperature: ") + FloatToStr(currentTemp) +
                                QStringLiteral(" degrees "));
    else
        TempLevelLabel->setText(QStringLiteral("Average Temperature: Undetected"));
    TempLevelGauge->SetProgress(GaugeProgress(currentTemp));

    const std::array<float, 8> cores{temp1, temp2, temp3, temp4, temp5, temp6, temp7, temp8};
    const std::array<QLabel*, 8> labels{TempCore1Label, TempCore2Label, TempCore3Label, TempCore4Label,
                                        TempCore5Label, TempCore6Label, TempCore7Label, TempCore8Label};
    const std::array<TGauge*, 8> bars{TempCore1Bar, TempCore2Bar, TempCore3Bar, TempCore4Bar,
                                      TempCore5Bar, TempCore6Bar, TempCore7Bar, TempCore8Bar};
    for (size_t k = 0; k < cores.size(); ++k) {
        const bool shown = Detected(cores[k]);
        if (shown) {
            labels[k]->setText(QStringLiteral("Core %1 temperature: ").arg(k + 1) + FloatToStr(cores[k]) +
                               QStringLiteral(" degrees"));
            bars[k]->SetProgress(GaugeProgress(cores[k]));
        }
        labels[k]->setVisible(shown);
        bars[k]->setVisible(shown);
    }

    // An undetected average enters the history as 0; a not-a-number one would spoil every bound.
    std::copy(activity.begin() + 1, activity.end(), activity.begin());
    activity.back() = std::isnan(currentTemp) ? 0.0f : currentTemp;

    // -1 marks a bound not yet set.
    min_activity = -1.0f;
    max_activity = -1.0f;
    for (const float value : activity) {
        if (min_activity == -1.0f || value < min_activity)
            min_activity = value;
        if (max_activity == -1.0f || value > max_activity)
            max_activity = value;
    }

    if (isVisible())
        DrawGraph();
}

void TVelmoraTemp::DrawGraph()
{
    const int W = TempGraph->width();
    const int H = TempGraph->height();
    QImage picture(std::max(W, 1), std::max(H, 1), QImage::Format_RGB32);
    QPainter canvas(&picture);
    const QColor blue(0, 0, 255);

    // Erases the previous drawing: white inside a blue border.
    canvas.setPen(blue);
    canvas.setBrush(Qt::white);
    canvas.drawRect(0, 0, W - 1, H - 1);

    // The texts are written in the font's own colour, opaque on the white brush.
    canvas.setBackgroundMode(Qt::OpaqueMode);
    canvas.setBackground(Qt::white);
    const auto textOut = [&](int x, int y, const QString& text) {
        const QPen pen = canvas.pen();
        canvas.setPen(Qt::black);
        canvas.drawText(x, y + canvas.fontMetrics().ascent(), text);
        canvas.setPen(pen);
    };
    textOut(20, 20, QStringLiteral("max = ") + FloatToStr(max_activity) + QStringLiteral(" degrees"));
    textOut(20, H - 35, QStringLiteral("min = ") + FloatToStr(min_activity) + QStringLiteral(" degrees"));

    // The plot bounds leave room above the highest value and start at 0 for ordinary readings.
    const float mid = (min_activity + max_activity) / 2;
    min_activity = min_activity - mid;
    max_activity = max_activity + mid;
    if (min_activity < 0 || std::isnan(min_activity))
        min_activity = 0;
    const double scale = H / (static_cast<double>(max_activity) - min_activity + 1);
    const double offset = (1 - static_cast<double>(min_activity)) * scale;

    // Segment by segment, as a pen moves: a polyline's joins may leave a sample's own pixel unlit.
    const auto y = [&](float value) { return H - RoundHeld(scale * value + offset, -FarOff, FarOff); };
    QPoint pen(0, y(activity[0]));
    for (int i = 1; i <= 60; ++i) {
        const QPoint to(RoundHeld(W * (i / 60.0), -FarOff, FarOff), y(activity[i]));
        canvas.drawLine(pen, to);
        pen = to;
    }
    canvas.end();
    TempGraph->SetPicture(picture);
}

void TVelmoraTemp::EnableTempMonitorClick(QObject*)
{
    // Without the library there is nothing to ask about; the monitor is only switched.
    if (!MonitorStarted && CoreTempStarted != nullptr && !CoreTempStarted()) {
        if (MessageBox(this,
                       QStringLiteral("Before starting the Temperature Monitor, it is\n\rdetected that "
                                      "\"CoreTemp\" is not running and\n\rtherefore cannot retrieve desired "
                                      "information.\n\r\n\rRun \"CoreTemp\" now?"),
                       QStringLiteral("Starting Temperature Monitor"), TMsgButtons::YesNo,
                       TMsgIcon::Question) == IDYES)
            StartCoreTemp();
    }
    MonitorStarted = !MonitorStarted;
    EnableTempMonitor->setText(MonitorStarted
                                   ? QStringLiteral("Temperature Monitor Started (click to stop)")
                                   : QStringLiteral("Temperature Monitor Stopped (click to start)"));
}

void TVelmoraTemp::StartCoreTemp()
{
    if (CoreTempStarted != nullptr && CoreTempStarted()) {
        if (MessageBox(this,
                       QStringLiteral("It is detected that \"CoreTemo\" is already\n\rrunning on this "
                                      "computer. Start it anyway?\n\r"),
                       QStringLiteral("\"CoreTemp\" already running"), TMsgButtons::YesNo,
                       TMsgIcon::Question) != IDYES)
            return;
    }
    // Where the program does not exist nothing is started, and nothing is said.
    ShellExecute(QStringLiteral("CoreTemp.exe"));
}

void TVelmoraTemp::AdvancedTempClick(QObject*)
{
    TemperatureMoreShown = !TemperatureMoreShown;
    AdvancedTemp->setText(TemperatureMoreShown ? QStringLiteral("Less") : QStringLiteral("More"));
}

void TVelmoraTemp::TemperatureExpertClick(QObject*)
{
    VelmoraTempExpert->setVisible(true);
}

void TVelmoraTemp::HideTemperatureClick(QObject*)
{
    setVisible(false);
}
