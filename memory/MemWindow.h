#pragma once

#include "platform/Form.h"

#include "libraries/Quillon.h"

#include <array>
#include <cstdint>

class QLabel;
class QPushButton;
class QSlider;
class TGauge;
class TImage;

// Entry points of the memory library, bound at start.
extern TFreePhysicalMemory FreePhysicalMemory;
extern TAllPhysicalMemory AllPhysicalMemory;
extern TUsedPhysicalMemory UsedPhysicalMemory;
extern TFreePageFile FreePageFile;
extern TAllPageFile AllPageFile;
extern TUsedPageFile UsedPageFile;
extern TFreeVirtualMemory FreeVirtualMemory;
extern TAllVirtualMemory AllVirtualMemory;
extern TUsedVirtualMemory UsedVirtualMemory;
extern TconsumeNow consumeNow;
extern TFreeMemory FreeMemory;
extern TSetDebugMode SetDebugMode;

// The pending optimization request, placed here and taken by the memory tick. A request is pending
// apart from its safety amount, which may be 0.
extern bool OptimizePending;
// The pending request's result is shown in a box: made by hand, not by the schedule.
extern bool OptimizeReport;
extern int64_t PendingSafetyBytes;
// Samples counted since the last automatic request.
extern int AutoOptimizeTicks;
// Whether the page-file and virtual-memory figures are shown.
extern bool MemoryMoreShown;

// The memory window: gauges and texts of the last sample, a graph of the used physical memory over
// the last 61 samples, the auto-optimize schedule and the "Optimize Memory" request.
class TVelmoraMem : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraMem(QWidget* parent = nullptr);

    QLabel* FreeMemoryLabel = nullptr;
    TGauge* FreeMemoryGauge = nullptr;
    QLabel* UsedMemoryLabel = nullptr;
    TGauge* UsedMemoryGauge = nullptr;
    QLabel* ExtraStatisticsLabel = nullptr;
    QLabel* VirtualMemoryLabel = nullptr;
    TGauge* VirtualMemoryGauge = nullptr;
    QLabel* PageMemoryLabel = nullptr;
    TGauge* PageMemoryGauge = nullptr;
    TImage* MemoryGraph = nullptr;
    QPushButton* OptimizeMemory = nullptr;
    QPushButton* HideMemory = nullptr;
    QPushButton* AdvancedMemory = nullptr;
    QPushButton* MemoryExpert = nullptr;
    QLabel* AutoMemoryLabel = nullptr;
    QSlider* AutoMemoryBar = nullptr;

    // Used physical memory of the last 61 samples, oldest first.
    std::array<int64_t, 61> activity{};
    // Smallest and largest of `activity`; while the window is shown, then the graph's plot bounds.
    int64_t min_activity = 0;
    int64_t max_activity = 0;

    void FormCreate(QObject* Sender);
    // One sample, in bytes.
    void memInstance(int64_t freePhys, int64_t allPhys, int64_t freePag, int64_t allPag, int64_t freeVirt,
                     int64_t allVirt);

    void OptimizeMemoryClick(QObject* Sender);
    void AdvancedMemoryClick(QObject* Sender);
    void AutoMemoryBarChange(QObject* Sender);
    void MemoryExpertClick(QObject* Sender);
    void HideMemoryClick(QObject* Sender);

private:
    void BuildForm();
    void ShowFigures(int64_t freePhys, int64_t allPhys, int64_t freePag, int64_t allPag, int64_t freeVirt,
                     int64_t allVirt);
    void DrawGraph();
};

extern TVelmoraMem* VelmoraMem;
