// The memory tick as the timer runs it once a second: the six readings, the main window's bar and
// caption, and the memory window's sample, with the window hidden and shown (texts, gauges, graph).
#include "memory/MemWindow.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// The program's windows over the library, in a folder of their own; the timers stay off, the
// benchmark ticks.
class Program {
public:
    Program()
    {
        if (!folder_.isValid() || !QDir::setCurrent(folder_.path()) ||
            !QDir().mkpath(QStringLiteral("Libraries")) ||
            !QFile::copy(QStringLiteral(MEMORY_LIBRARY), QStringLiteral("Libraries/Quillon.so")))
            throw std::runtime_error("cannot prepare the working folder");
        CreateProgramWindows();
        if (MemoryLibraryHandle == nullptr)
            throw std::runtime_error("the memory library did not load");
        VelmoraMain->MemoryTimer->SetEnabled(false);
        VelmoraMain->FirstRunTimer->SetEnabled(false);
    }
    ~Program()
    {
        UnloadLibraries();
        DestroyProgramWindows();
        QDir::setCurrent(previous_);
    }

private:
    QString previous_ = QDir::currentPath();
    QTemporaryDir folder_;
};

void Tick(benchmark::State& state, bool shown)
{
    Program program;
    VelmoraMem->setVisible(shown);
    QApplication::processEvents();
    for (auto _ : state)
        VelmoraMain->MemoryTimerTimer(VelmoraMain->MemoryTimer);
}

void TickHidden(benchmark::State& state)
{
    Tick(state, false);
}

void TickShown(benchmark::State& state)
{
    Tick(state, true);
}

BENCHMARK(TickHidden)->Unit(benchmark::kMicrosecond);
BENCHMARK(TickShown)->Unit(benchmark::kMicrosecond);

} // namespace
