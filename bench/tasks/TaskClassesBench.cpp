#include "tasks/TaskClasses.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString Perform = ExecuteActionMarker;

TTask SampleTask(int i)
{
    TTask task;
    task.Name = QStringLiteral("Document %1 - Text Editor").arg(i);
    task.Handle = TWindowHandle(0x2400000 + i);
    task.Trust = i % 9 - 4;
    task.Parrent = QStringLiteral("texteditor");
    task.Class = QStringLiteral("texteditor.TextEditor");
    task.ProcessId = 1000 + i;
    task.Executable = QStringLiteral("Process ID: %1").arg(task.ProcessId);
    task.Status = QStringLiteral("Running");
    task.Memory = 120;
    RememberTaskValues(task);
    task.Memory = 125;
    return task;
}

// A script of one code whose conditions are all the same relation; each one is evaluated.
void RunRelations(benchmark::State& state, const TRelation& relation)
{
    constexpr int count = 100;
    TTask task = SampleTask(1);
    task.Code = {TCode{TCodeRelation(count, relation), {}}};
    for (auto _ : state) {
        RunTaskScript(task);
        benchmark::DoNotOptimize(LastCalculationResult);
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_Comparison(benchmark::State& state)
{
    RunRelations(state, {"Integer", "Trust", ">", "-5"});
}
BENCHMARK(BM_Comparison);

void BM_StringComparison(benchmark::State& state)
{
    RunRelations(state, {"String", "Status", "==", "running"});
}
BENCHMARK(BM_StringComparison);

void BM_Calculation(benchmark::State& state)
{
    RunRelations(state, {"Integer", "Memory", "-", PreviousVariableValueMarker});
}
BENCHMARK(BM_Calculation);

void BM_Merge(benchmark::State& state)
{
    RunRelations(state, {"String", "Name", "/", " (checked)"});
}
BENCHMARK(BM_Merge);

// The rule work of one check of 1,000 tasks: each task's own script, then the global script of five
// codes (two conditions and one action each) through the global record.
void BM_RulePassOf1000Tasks(benchmark::State& state)
{
    TTaskArray tasks;
    for (int i = 0; i < 1000; ++i) {
        tasks.append(SampleTask(i));
        tasks.back().Code = {
            TCode{{{"Integer", "Memory", ">", "1000"}}, {{Perform, "Suspended", "=", "True"}}}};
    }
    TTask every;
    every.Name = EveryTaskName;
    every.Code = {
        TCode{{{"Integer", "Trust", ">=", "-4"}, {"String", "Status", "!=", "Inactive"}},
              {{Perform, "Notification", "=", ""}}},
        TCode{{{"Integer", "Memory", "-", PreviousVariableValueMarker}, {"Integer", "Memory", "<", "1000"}},
              {{Perform, "Nothing", "=", LastCalculationResultMarker}}},
        TCode{{{"String", "Name", "/", "Editor"}, {"Boolean", "Responding", "==", "True"}},
              {{Perform, "SetStatus", "=", "Running"}}},
        TCode{{{"String", "Parrent", "==", "texteditor"}, {"Integer", "Handle", "<>", "0"}},
              {{Perform, "Running", "=", "True"}}},
        TCode{{{"String", "Class", "<>", "Desktop"}, {"Integer", "Trust", "<", "4"}},
              {{Perform, "SetTrust", "=", "1"}}},
    };
    for (auto _ : state) {
        for (qsizetype i = 0; i < tasks.size(); ++i) {
            TTask& task = tasks[i];
            RunTaskScript(task);
            AssignTaskState(every, task);
            RunTaskScript(every);
            AssignTaskState(task, every);
            RememberTaskValues(task);
        }
    }
    state.SetItemsProcessed(state.iterations() * tasks.size());
}
BENCHMARK(BM_RulePassOf1000Tasks)->Unit(benchmark::kMillisecond);

TTaskArray DatabaseTasks()
{
    TTaskArray tasks;
    for (int i = 0; i < 10000; ++i) {
        tasks.append(SampleTask(i));
        TCode code;
        AppendCondition(code, "String", "Name", "==", "notepad");
        AppendCondition(code, "Integer", "Memory", ">", "500");
        AppendAction(code, Perform, "Running", "=", "False");
        tasks.back().Code = {code};
    }
    return tasks;
}

void BM_SaveAndLoad10000Tasks(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("TaskDatabase.xml");
    const TTaskArray tasks = DatabaseTasks();
    TTask every;
    every.Name = EveryTaskName;
    TTaskArray loaded;
    for (auto _ : state) {
        SaveTaskDatabase(path, tasks, every);
        LoadTaskDatabase(path, loaded, every);
    }
    if (loaded.size() != tasks.size())
        state.SkipWithError("the database did not load back");
}
BENCHMARK(BM_SaveAndLoad10000Tasks)->Unit(benchmark::kMillisecond);

void BM_Save10000Tasks(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("TaskDatabase.xml");
    const TTaskArray tasks = DatabaseTasks();
    const TTask every;
    for (auto _ : state)
        SaveTaskDatabase(path, tasks, every);
}
BENCHMARK(BM_Save10000Tasks)->Unit(benchmark::kMillisecond);

void BM_Load10000Tasks(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("TaskDatabase.xml");
    TTask every;
    SaveTaskDatabase(path, DatabaseTasks(), every);
    TTaskArray loaded;
    for (auto _ : state)
        LoadTaskDatabase(path, loaded, every);
}
BENCHMARK(BM_Load10000Tasks)->Unit(benchmark::kMillisecond);

} // namespace
