#include "shell/MainWindow.h"

#include "memory/MemExpert.h"
#include "memory/MemWindow.h"
#include "memory/MemoryFigures.h"
#include "platform/Application.h"
#include "platform/MessageBox.h"
#include "platform/RadioGroup.h"

#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace {

QString FreedText(int64_t freed)
{
    const QString head = QStringLiteral("RAM was optimized successfully.\n\r");
    const QString tail = QStringLiteral(" were freed\n\ras the result of optimization.\n\r");
    if (freed > 1048576)
        return head +
               QStringLiteral("Additionally, %1 Mega Bytes").arg(RoundHalfEven(freed / 1024.0 / 1024.0)) +
               tail;
    if (freed > 1024)
        return head + QStringLiteral("Additionally, %1 Kilo Bytes").arg(RoundHalfEven(freed / 1024.0)) + tail;
    if (freed > 0)
        return head + QStringLiteral("Additionally, %1 Bytes").arg(freed) + tail;
    return head + QStringLiteral("However, no space was freed as\n\rthe result of optimization.\n\r");
}

// Consumes and frees memory through the library, keeps the windows alive for a second, then
// measures what the run achieved.
void RunOptimization(TVelmoraMain* owner, int64_t freeBefore)
{
    // The request is taken whole: one placed while this run waits belongs to the next run.
    const bool report = OptimizeReport;
    const int64_t safety = PendingSafetyBytes;
    OptimizePending = false;
    PendingSafetyBytes = 0;

    SetDebugMode(VelmoraMemExpert->LogErrorKeepGroup->ItemIndex() != 2);
    QPushButton* optimize = VelmoraMem->OptimizeMemory;
    QPushButton* logClear = VelmoraMemExpert->LogClear;
    optimize->setEnabled(false);
    logClear->setEnabled(false);
    optimize->setText(QStringLiteral("Optimizing..."));
    // The library holds the thread; show the running state before it does.
    optimize->repaint();
    logClear->repaint();

    consumeNow(report, freeBefore, safety);
    FreeMemory(report);
    WaitProcessingMessages(1000);

    optimize->setText(QStringLiteral("Optimize Memory"));
    logClear->setEnabled(true);
    optimize->setEnabled(true);
    // An exit inside the wait has unloaded the library.
    if (Application::Terminated())
        return;
    const int64_t freed = Difference(FreePhysicalMemory(), freeBefore);
    if (report)
        MessageBox(owner, FreedText(freed), QStringLiteral("Sucessful Optimization"), TMsgButtons::OK,
                   TMsgIcon::Information);
}

} // namespace

void TVelmoraMain::MemoryTimerTimer(QObject*)
{
    // Once the program is ending the library may already be gone.
    if (MemoryLibraryHandle == nullptr || Application::Terminated())
        return;
    const int64_t freePhys = FreePhysicalMemory();
    const int64_t allPhys = AllPhysicalMemory();
    const int64_t usedPhys = Difference(allPhys, freePhys);
    const int64_t freePag = FreePageFile();
    const int64_t allPag = AllPageFile();
    const int64_t freeVirt = FreeVirtualMemory();
    const int64_t allVirt = AllVirtualMemory();

    MemoryBar->setValue(std::clamp(Percent(usedPhys, allPhys), 0, 100));
    QString caption =
        QStringLiteral("Memory: %1 mB / %2 mB used").arg(MegaBytes(usedPhys)).arg(MegaBytes(allPhys));
    if (const int period = VelmoraMem->AutoMemoryBar->value(); period > 0)
        caption += QStringLiteral("(Optimized every %1 min)").arg(period);
    MemoryButton->setText(caption);

    VelmoraMem->memInstance(freePhys, allPhys, freePag, allPag, freeVirt, allVirt);

    // A disabled button means a run is waiting further down this stack.
    if (OptimizePending && VelmoraMem->OptimizeMemory->isEnabled())
        RunOptimization(this, freePhys);
}

void WaitProcessingMessages(int count)
{
    const Application::ProgramWait open;
    for (int i = 0; i < count && !Application::Terminated(); ++i) {
        Sleep(1);
        Application::ProcessMessages();
    }
}
