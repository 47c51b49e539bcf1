// The task grid's refresh with 1,000 known tasks, the window shown: nothing changed, one task's
// status changed, and desktop tasks left out.
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <benchmark/benchmark.h>

namespace {

class Windows {
public:
    Windows()
    {
        VelmoraTaskExpert = new TVelmoraTaskExpert;
        VelmoraTask = new TVelmoraTask;
        for (int i = 0; i < 1000; ++i) {
            TTask task;
            task.Name = QStringLiteral("Window title of task %1").arg(i);
            task.Parrent = i % 10 == 0 ? QStringLiteral("Desktop") : QStringLiteral("application%1").arg(i);
            task.Status = QStringLiteral("Running");
            task.Trust = i % 9 - 4;
            task.Class = QStringLiteral("WindowClass");
            task.Executable = QStringLiteral("Process ID: %1").arg(1000 + i);
            if (i % 3 == 0)
                task.Code.append(TCode());
            Tasks.append(task);
        }
        VelmoraTask->show();
        VelmoraTask->updateTaskList();
        QApplication::processEvents();
    }
    ~Windows()
    {
        delete VelmoraTask;
        delete VelmoraTaskExpert;
        VelmoraTask = nullptr;
        VelmoraTaskExpert = nullptr;
        Tasks.clear();
    }
};

void Unchanged(benchmark::State& state)
{
    Windows windows;
    for (auto _ : state)
        VelmoraTask->updateTaskList();
}

void OneStatusChanged(benchmark::State& state)
{
    Windows windows;
    bool suspended = false;
    for (auto _ : state) {
        suspended = !suspended;
        Tasks[500].Suspended = suspended;
        VelmoraTask->updateTaskList();
    }
}

void DesktopTasksLeftOut(benchmark::State& state)
{
    Windows windows;
    VelmoraTaskExpert->ShowDesktopTasks->setChecked(false);
    VelmoraTask->updateTaskList();
    for (auto _ : state)
        VelmoraTask->updateTaskList();
}

// The refresh together with the repaint it causes, as the user sees it.
void OneStatusChangedAndPainted(benchmark::State& state)
{
    Windows windows;
    bool suspended = false;
    for (auto _ : state) {
        suspended = !suspended;
        Tasks[5].Suspended = suspended;
        VelmoraTask->updateTaskList();
        QApplication::processEvents();
    }
}

BENCHMARK(Unchanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneStatusChanged)->Unit(benchmark::kMicrosecond);
BENCHMARK(DesktopTasksLeftOut)->Unit(benchmark::kMicrosecond);
BENCHMARK(OneStatusChangedAndPainted)->Unit(benchmark::kMicrosecond);

} // namespace
