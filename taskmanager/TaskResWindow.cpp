#include "taskmanager/TaskResWindow.h"

#include "memory/MemoryFigures.h"
#include "platform/ErrorGuard.h"
#include "platform/Image.h"
#include "platform/Timer.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <climits>
#include <vector>

namespace {

int HeldToInt(qint64 value)
{
    return static_cast<int>(std::clamp<qint64>(value, INT_MIN, INT_MAX));
}

} // namespace

TVelmoraTaskResource::TVelmoraTaskResource(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    GraphTimer->OnTimer = [this] { GraphTimerTimer(GraphTimer); };
    GuardedConnect(SpeedTaskBar, &QSlider::valueChanged, this, [this] { SpeedTaskBarChange(SpeedTaskBar); });
    GuardedConnect(AdvancedMonitor, &QPushButton::clicked, this,
                   [this] { AdvancedMonitorClick(AdvancedMonitor); });
    GuardedConnect(CloseMonitor, &QPushButton::clicked, this, [this] { CloseMonitorClick(CloseMonitor); });
    OnHide = [this] { FormHide(this); };
    show();
}

void TVelmoraTaskResource::SetHandle(TWindowHandle value)
{
    wnd = value;
}

void TVelmoraTaskResource::SetMetric(const QString& value)
{
    metric = value;
}

void TVelmoraTaskResource::SetCaption(const QString& value)
{
    captionval = value;
}

void TVelmoraTaskResource::SetDescription(const QString& value)
{
    description = value;
}

void TVelmoraTaskResource::StartGraphing()
{
    GraphTimer->SetEnabled(true);
    name = GetNameFunc(wnd);
    NewInstance(GetValue(wnd));
}

void TVelmoraTaskResource::SetRefreshRate(int value)
{
    SpeedTaskBar->setValue(value);
    SpeedTaskBarChange(SpeedTaskBar);
}

void TVelmoraTaskResource::NewInstance(int value)
{
    std::shift_left(activity.begin(), activity.end(), 1);
    activity.back() = value;
    const auto [smallest, largest] = std::minmax_element(activity.begin(), activity.end());
    minActivity = *smallest;
    maxActivity = *largest;

    // A window whose title can no longer be read keeps its last known name.
    const QString current = GetNameFunc(wnd);
    if (!current.isEmpty())
        name = current;
    if (name.isEmpty())
        name = QStringLiteral("<Not running>");

    setWindowTitle(captionval + QStringLiteral(": ") + name);
    // One pass: a "%1" in the window's title is text, not a place for the next value.
    NameLabel->setText(QStringLiteral("%1  (%2 %3)").arg(name, QString::number(value), metric));
    DescLabel->setText(GetDescription(wnd));
    DrawGraph();
}

void TVelmoraTaskResource::DrawGraph()
{
    const int width = Graph->width();
    const int height = Graph->height();
    if (width <= 0 || height <= 0)
        return;
    const QString top = QStringLiteral("max = %1 %2").arg(maxActivity).arg(metric);
    const QString bottom = QStringLiteral("min = %1 %2").arg(minActivity).arg(metric);

    // The plot spans from below the minimum (never below 0) to above the maximum by half their sum.
    const qint64 mid = (qint64{minActivity} + maxActivity) / 2 + 1;
    minActivity = HeldToInt(std::max<qint64>(minActivity - mid, 0));
    maxActivity = HeldToInt(maxActivity + mid);
    const double scale =
        height / static_cast<double>(std::max<qint64>(qint64{maxActivity} - minActivity + 1, 1));
    const double offset = static_cast<double>(1 - qint64{minActivity}) * scale;

    std::vector<int64_t> heights;
    heights.reserve(activity.size());
    for (const int sample : activity)
        heights.push_back(RoundHalfEven(sample * scale + offset));
    Graph->SetPicture(HistoryGraph(Graph->size(), top, bottom, heights));
}

void TVelmoraTaskResource::GraphTimerTimer(QObject*)
{
    NewInstance(GetValue(wnd));
}

void TVelmoraTaskResource::SpeedTaskBarChange(QObject*)
{
    const int interval = SpeedTaskBar->value();
    SpeedTaskLabel->setText(QStringLiteral("Refresh: Every %1 ms").arg(interval));
    GraphTimer->SetInterval(interval);
}

void TVelmoraTaskResource::AdvancedMonitorClick(QObject*)
{
    MonitorAdvanced = !MonitorAdvanced;
    AdvancedMonitor->setText(MonitorAdvanced ? QStringLiteral("Less") : QStringLiteral("More"));
    SpeedTaskBar->setVisible(MonitorAdvanced);
    SpeedTaskLabel->setVisible(MonitorAdvanced);
}

void TVelmoraTaskResource::CloseMonitorClick(QObject*)
{
    setVisible(false);
}

void TVelmoraTaskResource::FormHide(QObject*)
{
    // Stopped first, so that no tick reaches a freed window.
    GraphTimer->SetEnabled(false);
    deleteLater();
}
