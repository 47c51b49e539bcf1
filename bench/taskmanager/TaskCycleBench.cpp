// One turn of the task tick's loop as the timer runs it, task window hidden: a turn with a check
// over the scripted library (every task runs a five-code "Every Task" script), and a turn without a
// check over the real library with 50 windows on the display, with or without a window manager
// (tests/with-xvfb.sh --wm, or --twm for one that keeps no client list). Each reports the memory
// allocations of one turn.
#include "platform/EnumWindows.h"
#include "platform/Timer.h"
#include "shell/MainWindow.h"
#include "shell/ProgramWindows.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskWindow.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QListWidget>
#include <QSlider>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

// Counts the allocations of the measured turns.
namespace {
bool counting = false;
long allocations = 0;
} // namespace

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_realloc(void* pointer, size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);

extern "C" void* malloc(size_t size)
{
    allocations += counting;
    return __libc_malloc(size);
}

extern "C" void* realloc(void* pointer, size_t size)
{
    allocations += counting;
    return __libc_realloc(pointer, size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    allocations += counting;
    return __libc_calloc(count, size);
}

namespace {

// The program's windows over a task library, in a folder of their own; the timers stay off, the
// benchmark ticks.
class Program {
public:
    explicit Program(const char* library)
    {
        if (!folder_.isValid() || !QDir::setCurrent(folder_.path()) ||
            !QDir().mkpath(QStringLiteral("Libraries")) ||
            !QFile::copy(QString::fromUtf8(library), QStringLiteral("Libraries/Brevant.so")))
            throw std::runtime_error("cannot prepare the working folder");
        CreateProgramWindows();
        if (TaskLibraryHandle == nullptr)
            throw std::runtime_error("the task library did not load");
        VelmoraMain->TaskTimer->SetEnabled(false);
        VelmoraMain->MemoryTimer->SetEnabled(false);
        VelmoraMain->TemperatureTimer->SetEnabled(false);
        VelmoraMain->FirstRunTimer->SetEnabled(false);
        VelmoraTask->ManagerStarted = true;
    }
    ~Program()
    {
        SetWindowSource({});
        UnloadLibraries();
        DestroyProgramWindows();
        QDir::setCurrent(previous_);
    }

    template <typename Function> Function Find(const char* name) const
    {
        auto function = reinterpret_cast<Function>(dlsym(TaskLibraryHandle, name));
        if (function == nullptr)
            throw std::runtime_error(name);
        return function;
    }

private:
    QString previous_ = QDir::currentPath();
    QTemporaryDir folder_;
};

void Tick()
{
    VelmoraMain->TaskTimerTimer(VelmoraMain->TaskTimer);
}

// Runs the measured turns, counting their allocations.
void MeasureTurns(benchmark::State& state, int windows)
{
    long turns = 0;
    allocations = 0;
    for (auto _ : state) {
        counting = true;
        Tick();
        counting = false;
        ++turns;
    }
    state.counters["allocations/turn"] = static_cast<double>(allocations) / static_cast<double>(turns);
    state.counters["allocations/window"] =
        static_cast<double>(allocations) / static_cast<double>(turns * windows);
}

TRelation Relation(const char* type, const char* variable, const char* comparative, const char* value)
{
    return TRelation{QString::fromUtf8(type), QString::fromUtf8(variable), QString::fromUtf8(comparative),
                     QString::fromUtf8(value)};
}

TRelation Action(const char* action, const char* value)
{
    return TRelation{ExecuteActionMarker, QString::fromUtf8(action), QStringLiteral("="),
                     QString::fromUtf8(value)};
}

// Opens `count` windows of the scripted library and makes them the windows the program enumerates.
void OpenScriptedWindows(const Program& program, int count)
{
    const auto open = program.Find<void (*)(BrevantWindow, const char*)>("FakeOpenWindow");
    const auto list = program.Find<int32_t (*)(BrevantWindow*, int32_t)>("FakeWindows");
    for (int i = 1; i <= count; ++i)
        open(static_cast<BrevantWindow>(i), ("Window " + std::to_string(i)).c_str());
    SetWindowSource([list] {
        std::vector<uint32_t> ids(4096);
        ids.resize(static_cast<size_t>(list(ids.data(), static_cast<int32_t>(ids.size()))));
        return ids;
    });
}

// Known, trusted tasks whose windows do not change, after `inactive` trusted tasks whose windows
// are gone, as a long-kept database holds them; every turn checks, with or without the global
// script.
void MeasureCheckTurns(benchmark::State& state, int windows, int inactive, bool rules = true)
{
    Program program(FAKE_BREVANT);
    OpenScriptedWindows(program, windows);
    VelmoraTaskExpert->SpeedTaskBar->setValue(1);
    for (int i = 1; i <= inactive; ++i) {
        TTask& task = Tasks.emplace_back();
        task.Name = QStringLiteral("Closed program %1").arg(i);
        task.Status = QStringLiteral("Inactive");
    }
    Tick();
    for (TTask& task : Tasks) {
        task.Trust = 4;
        task.Notification.clear();
    }
    if (rules)
        EveryTask.Code = {
            TCode{{Relation("Integer", "Memory", ">", "500")}, {Action("Notification", "big")}},
            TCode{{Relation("String", "Status", "==", "Running")}, {Action("Nothing", "running")}},
            TCode{{Relation("Integer", "Trust", "<", "0")}, {Action("Running", "false")}},
            TCode{{Relation("String", "Name", "==", "Other")}, {Action("SetTrust", "0")}},
            TCode{{Relation("Boolean", "Responding", "==", "False")}, {Action("Notification", "hung")}}};
    Tick();
    MeasureTurns(state, windows);
    if (Tasks.size() != windows + inactive)
        state.SkipWithError("the tasks are not the windows and the inactive tasks");
}

void CheckTurn(benchmark::State& state)
{
    MeasureCheckTurns(state, static_cast<int>(state.range(0)), 0);
}
BENCHMARK(CheckTurn)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// 20 windows beside thousands of tasks whose windows are gone.
void InactiveTasksCheckTurn(benchmark::State& state)
{
    MeasureCheckTurns(state, 20, static_cast<int>(state.range(0)));
}
BENCHMARK(InactiveTasksCheckTurn)->Arg(7000)->Unit(benchmark::kMicrosecond);

// The same without any rule, beside the 20 windows alone.
void InactiveTasksCheckTurnWithoutRules(benchmark::State& state)
{
    MeasureCheckTurns(state, 20, static_cast<int>(state.range(0)), false);
}
BENCHMARK(InactiveTasksCheckTurnWithoutRules)->Arg(0)->Arg(7000)->Unit(benchmark::kMicrosecond);

// The program's own cost of a turn without a check: the scripted library enumerates for free.
void ScriptedEnumerationTurn(benchmark::State& state)
{
    const int windows = static_cast<int>(state.range(0));
    Program program(FAKE_BREVANT);
    OpenScriptedWindows(program, windows);
    VelmoraTaskExpert->SpeedTaskBar->setValue(0);
    Tick();
    MeasureTurns(state, windows);
}
BENCHMARK(ScriptedEnumerationTurn)->Arg(50)->Arg(1000)->Unit(benchmark::kMicrosecond);

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

// A process of its own that shows `count` titled windows until it is killed; 0 without a display.
pid_t ShowWindows(int count)
{
    int ready[2];
    if (::pipe(ready) != 0)
        return 0;
    const pid_t owner = ::fork();
    if (owner == 0) {
        xcb_connection_t* c = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(c))
            ::_exit(1);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
        const xcb_atom_t name = Atom(c, "_NET_WM_NAME");
        const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
        for (int i = 0; i < count; ++i) {
            const xcb_window_t w = xcb_generate_id(c);
            xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 50, 50, 0,
                              XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
            const std::string title = "Bench window " + std::to_string(i);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, name, utf8, 8, title.size(), title.data());
            xcb_map_window(c, w);
        }
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
        const char done = 1;
        if (::write(ready[1], &done, 1) != 1)
            ::_exit(1);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char done = 0;
    const bool started = ::read(ready[0], &done, 1) == 1;
    ::close(ready[0]);
    if (!started) {
        ::waitpid(owner, nullptr, 0);
        return 0;
    }
    return owner;
}

// The real library with 50 windows on the display; the checks are off, so a turn enumerates only.
void EnumerationTurn(benchmark::State& state)
{
    constexpr int Windows = 50;
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        state.SkipWithError("needs a display: run under tests/with-xvfb.sh with QT_QPA_PLATFORM=xcb");
        return;
    }
    const pid_t owner = ShowWindows(Windows);
    if (owner == 0) {
        state.SkipWithError("the windows' owner did not start");
        return;
    }
    {
        Program program(BREVANT_PATH);
        VelmoraTaskExpert->SpeedTaskBar->setValue(0);
        // The windows listed; an earlier run's windows may still be listed for a moment.
        const auto listed = [] {
            return VelmoraTask->NowRunning->findItems(QStringLiteral("Bench window "), Qt::MatchStartsWith)
                .size();
        };
        Tick();
        // A window manager takes a moment to list the new windows.
        for (int wait = 0; wait < 100 && listed() < Windows; ++wait) {
            ::usleep(50000);
            Tick();
        }
        MeasureTurns(state, Windows);
        if (listed() < Windows)
            state.SkipWithError("the windows were not enumerated");
    }
    ::kill(owner, SIGKILL);
    ::waitpid(owner, nullptr, 0);
}
// A fixed count: one run, so no window manager is still taking an earlier run's windows away.
BENCHMARK(EnumerationTurn)->Unit(benchmark::kMicrosecond)->Iterations(2000);

} // namespace
