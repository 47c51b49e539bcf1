#include "memory/MemWindow.h"

#include "memory/MemExpert.h"
#include "memory/MemoryFigures.h"
#include "platform/ErrorGuard.h"
#include "platform/Gauge.h"
#include "platform/Image.h"

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <vector>

TVelmoraMem* VelmoraMem = nullptr;
TFreePhysicalMemory FreePhysicalMemory = nullptr;
TAllPhysicalMemory AllPhysicalMemory = nullptr;
TUsedPhysicalMemory UsedPhysicalMemory = nullptr;
TFreePageFile FreePageFile = nullptr;
TAllPageFile AllPageFile = nullptr;
TUsedPageFile UsedPageFile = nullptr;
TFreeVirtualMemory FreeVirtualMemory = nullptr;
TAllVirtualMemory AllVirtualMemory = nullptr;
TUsedVirtualMemory UsedVirtualMemory = nullptr;
TconsumeNow consumeNow = nullptr;
TFreeMemory FreeMemory = nullptr;
TSetDebugMode SetDebugMode = nullptr;

bool OptimizePending = false;
bool OptimizeReport = false;
int64_t PendingSafetyBytes = 0;
int AutoOptimizeTicks = 0;
bool MemoryMoreShown = false;

namespace {

const QColor Lime(0, 255, 0);
const QColor Yellow(255, 255, 0);
const QColor Red(255, 0, 0);

int64_t SafetyBytes()
{
    return static_cast<int64_t>(VelmoraMemExpert->SafetyMemoryBar->value()) * 1048576;
}

} // namespace

TVelmoraMem::TVelmoraMem(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    GuardedConnect(OptimizeMemory, &QPushButton::clicked, this,
                   [this] { OptimizeMemoryClick(OptimizeMemory); });
    GuardedConnect(HideMemory, &QPushButton::clicked, this, [this] { HideMemoryClick(HideMemory); });
    GuardedConnect(AdvancedMemory, &QPushButton::clicked, this,
                   [this] { AdvancedMemoryClick(AdvancedMemory); });
    GuardedConnect(MemoryExpert, &QPushButton::clicked, this, [this] { MemoryExpertClick(MemoryExpert); });
    GuardedConnect(AutoMemoryBar, &QSlider::valueChanged, this,
                   [this] { AutoMemoryBarChange(AutoMemoryBar); });
    Guarded([this] { FormCreate(this); });
}

void TVelmoraMem::FormCreate(QObject*)
{
    OptimizePending = false;
    OptimizeReport = false;
    PendingSafetyBytes = 0;
    AutoOptimizeTicks = 0;
    MemoryMoreShown = false;
}

void TVelmoraMem::memInstance(int64_t freePhys, int64_t allPhys, int64_t freePag, int64_t allPag,
                              int64_t freeVirt, int64_t allVirt)
{
    if (isVisible())
        ShowFigures(freePhys, allPhys, freePag, allPag, freeVirt, allVirt);

    // The history goes on while the window is hidden, so that it is whole when shown.
    std::shift_left(activity.begin(), activity.end(), 1);
    activity.back() = Difference(allPhys, freePhys);
    const auto [smallest, largest] = std::minmax_element(activity.begin(), activity.end());
    min_activity = *smallest;
    max_activity = *largest;

    const int period = AutoMemoryBar->value();
    if (period > 0) {
        ++AutoOptimizeTicks;
        if (AutoOptimizeTicks > 60 * period) {
            OptimizePending = true;
            OptimizeReport = false;
            PendingSafetyBytes = SafetyBytes();
            AutoOptimizeTicks = 0;
        }
    }

    if (isVisible())
        DrawGraph();
}

void TVelmoraMem::ShowFigures(int64_t freePhys, int64_t allPhys, int64_t freePag, int64_t allPag,
                              int64_t freeVirt, int64_t allVirt)
{
    // Each total and free amount is rounded on its own; the used amount is their difference.
    const int64_t freeMB = MegaBytes(freePhys);
    const int64_t allMB = MegaBytes(allPhys);
    const int64_t usedMB = allMB - freeMB;
    const int64_t freePagMB = MegaBytes(freePag);
    const int64_t allPagMB = MegaBytes(allPag);
    const int64_t usedPagMB = allPagMB - freePagMB;
    const int64_t freeVirtMB = MegaBytes(freeVirt);
    const int64_t allVirtMB = MegaBytes(allVirt);
    const int64_t usedVirtMB = allVirtMB - freeVirtMB;

    FreeMemoryGauge->SetProgress(Percent(freeMB, allMB));
    UsedMemoryGauge->SetProgress(Percent(usedMB, allMB));
    VirtualMemoryGauge->SetProgress(Percent(usedVirtMB, allVirtMB));
    PageMemoryGauge->SetProgress(Percent(usedPagMB, allPagMB));

    setWindowTitle(QStringLiteral("Velmora Memory Management %1% free RAM").arg(Percent(freePhys, allPhys)));

    // Lime above two thirds free, yellow above one third, red below.
    const double free = static_cast<double>(freeMB);
    const double third = static_cast<double>(allMB) / 3;
    if (free / 2 > third)
        FreeMemoryGauge->SetForeColor(Lime);
    else if (free > third)
        FreeMemoryGauge->SetForeColor(Yellow);
    else
        FreeMemoryGauge->SetForeColor(Red);

    FreeMemoryLabel->setText(QStringLiteral("Free RAM Memory: %1 mB / %2 mB").arg(freeMB).arg(allMB));
    UsedMemoryLabel->setText(QStringLiteral("Used RAM Memory: %1 mB / %2 mB").arg(usedMB).arg(allMB));
    VirtualMemoryLabel->setText(
        QStringLiteral("Used Virtual Memory: %1 mB / %2 mB").arg(usedVirtMB).arg(allVirtMB));
    PageMemoryLabel->setText(QStringLiteral("Used Page File: %1 mB / %2 mB").arg(usedPagMB).arg(allPagMB));
}

void TVelmoraMem::DrawGraph()
{
    const int width = MemoryGraph->width();
    const int height = MemoryGraph->height();
    if (width <= 0 || height <= 0)
        return;
    const QString top = QStringLiteral("max = %1 mB").arg(MegaBytes(max_activity));
    const QString bottom = QStringLiteral("min = %1 mB").arg(MegaBytes(min_activity));

    // The plot spans from below the minimum (never below 0) to above the maximum by half their sum.
    const int64_t mid = Sum(min_activity, max_activity) / 2;
    min_activity = std::max<int64_t>(Difference(min_activity, mid), 0);
    max_activity = Sum(max_activity, mid);
    const int64_t span = std::max<int64_t>(Sum(Difference(max_activity, min_activity), 1), 1);
    const double scale = height / static_cast<double>(span);
    const double offset = static_cast<double>(Difference(1, min_activity)) * scale;

    std::vector<int64_t> heights;
    heights.reserve(activity.size());
    for (const int64_t sample : activity)
        heights.push_back(RoundHalfEven(sample * scale + offset));
    MemoryGraph->SetPicture(HistoryGraph(MemoryGraph->size(), top, bottom, heights));
}

void TVelmoraMem::OptimizeMemoryClick(QObject*)
{
    OptimizePending = true;
    OptimizeReport = true;
    PendingSafetyBytes = SafetyBytes();
}

void TVelmoraMem::AdvancedMemoryClick(QObject*)
{
    MemoryMoreShown = !MemoryMoreShown;
    AdvancedMemory->setText(MemoryMoreShown ? QStringLiteral("Less") : QStringLiteral("More"));
    for (QWidget* control : std::initializer_list<QWidget*>{
             ExtraStatisticsLabel, VirtualMemoryLabel, VirtualMemoryGauge, PageMemoryLabel, PageMemoryGauge})
        control->setVisible(MemoryMoreShown);
}

void TVelmoraMem::AutoMemoryBarChange(QObject*)
{
    const int period = AutoMemoryBar->value();
    AutoMemoryLabel->setText(
        QStringLiteral("Auto Optimize Memory: ") +
        (period == 0 ? QStringLiteral("Disabled") : QStringLiteral("Every %1 min").arg(period)));
}

void TVelmoraMem::MemoryExpertClick(QObject*)
{
    VelmoraMemExpert->setVisible(true);
}

void TVelmoraMem::HideMemoryClick(QObject*)
{
    setVisible(false);
}
