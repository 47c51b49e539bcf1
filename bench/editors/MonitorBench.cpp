// One sample of a task memory monitor as its timer takes it: the texts and the whole graph redrawn
// at the graph's design size. Every open monitor pays this once per check interval.
#include "taskmanager/TaskResWindow.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

int sample = 0;

QString Name(TWindowHandle)
{
    return QStringLiteral("notepad");
}

int Sample(TWindowHandle)
{
    // A saw tooth, so that the line and its bounds change at every sample.
    sample = (sample + 7) % 300;
    return sample;
}

void MonitorSample(benchmark::State& state)
{
    auto* monitor = new TVelmoraTaskResource;
    monitor->GetNameFunc = Name;
    monitor->GetDescription = Name;
    monitor->GetValue = Sample;
    monitor->resize(541, 540);
    QApplication::processEvents();
    for (auto _ : state)
        monitor->GraphTimerTimer(nullptr);
    delete monitor;
}

} // namespace

BENCHMARK(MonitorSample)->Unit(benchmark::kMicrosecond);
