// The task check's cost for 100 windows of 100 processes: the enumeration callback for each window, then the
// calls one check makes per window (status, parent, process id twice, memory, responding, and the task pass's
// status), through the real library.
#include "libraries/Brevant.h"

#include <benchmark/benchmark.h>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

constexpr int WindowCount = 100;

struct Library {
    TEnumWindowsAll enumWindowsAll;
    TgetStatusString getStatusString;
    TParentAppName parentAppName;
    THandleToID handleToID;
    THandleMemorySize handleMemorySize;
    THandleResponding handleResponding;
};

template <class F> F Bind(void* handle, const char* name)
{
    auto* address = ::dlsym(handle, name);
    if (address == nullptr)
        throw std::runtime_error(std::string("missing ") + name);
    return reinterpret_cast<F>(address);
}

const Library& Load()
{
    static const Library library = [] {
        void* handle = ::dlopen(BREVANT_PATH, RTLD_NOW);
        if (handle == nullptr)
            throw std::runtime_error(::dlerror());
        return Library{Bind<TEnumWindowsAll>(handle, "EnumWindowsAll"),
                       Bind<TgetStatusString>(handle, "getStatusString"),
                       Bind<TParentAppName>(handle, "ParentAppName"),
                       Bind<THandleToID>(handle, "HandleToID"),
                       Bind<THandleMemorySize>(handle, "HandleMemorySize"),
                       Bind<THandleResponding>(handle, "HandleResponding")};
    }();
    return library;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

void Sync(xcb_connection_t* c)
{
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

// One titled window in a process of its own, for each of 100 processes: the dearest case, as
// every window's process facts are read separately.
class Windows {
public:
    Windows()
    {
        for (int i = 0; i < WindowCount; ++i)
            Open(i);
    }
    ~Windows()
    {
        for (const pid_t owner : owners_)
            ::kill(owner, SIGKILL);
        for (const pid_t owner : owners_)
            ::waitpid(owner, nullptr, 0);
    }

    std::vector<uint32_t> windows;

private:
    void Open(int index)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            throw std::runtime_error("pipe");
        const pid_t owner = ::fork();
        if (owner == 0) {
            ::close(ready[0]);
            xcb_connection_t* c = xcb_connect(nullptr, nullptr);
            if (xcb_connection_has_error(c))
                ::_exit(1);
            const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
            const uint32_t pid = static_cast<uint32_t>(::getpid());
            const xcb_window_t w = xcb_generate_id(c);
            xcb_create_window(c, XCB_COPY_FROM_PARENT, w, screen->root, 0, 0, 50, 50, 0,
                              XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
            const std::string title = "Bench window " + std::to_string(index);
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"),
                                8, title.size(), title.data());
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                                title.size(), title.data());
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, 12,
                                "bench\0Bench\0");
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, Atom(c, "_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1,
                                &pid);
            xcb_map_window(c, w);
            Sync(c);
            if (::write(ready[1], &w, sizeof w) != sizeof w)
                ::_exit(1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        owners_.push_back(owner);
        uint32_t window = 0;
        const bool started = ::read(ready[0], &window, sizeof window) == sizeof window;
        ::close(ready[0]);
        if (!started)
            throw std::runtime_error("a window owner did not start (no display?)");
        windows.push_back(window);
    }

    std::vector<pid_t> owners_;
};

// Checks lie 1.5 s apart, far longer than the library keeps a process's facts: wait that out.
void NextCheck(benchmark::State& state)
{
    state.PauseTiming();
    ::usleep(60000);
    state.ResumeTiming();
}

void AddItem(void* context, const char16_t*, int32_t, BrevantWindow window)
{
    static_cast<std::vector<BrevantWindow>*>(context)->push_back(window);
}

void Check(const Library& library, const std::vector<uint32_t>& windows)
{
    std::vector<BrevantWindow> listed;
    BrevantWindowList list{&listed, AddItem, nullptr, nullptr, nullptr};
    for (const uint32_t window : windows)
        library.enumWindowsAll(window, &list);
    char16_t text[256];
    for (const BrevantWindow window : listed) {
        benchmark::DoNotOptimize(library.getStatusString(u"", 0, window, &list, text, 256));
        benchmark::DoNotOptimize(library.parentAppName(window, text, 256));
        benchmark::DoNotOptimize(library.handleToID(window));
        benchmark::DoNotOptimize(library.handleToID(window));
        benchmark::DoNotOptimize(library.handleMemorySize(window));
        benchmark::DoNotOptimize(library.handleResponding(window));
    }
    for (const BrevantWindow window : listed)
        benchmark::DoNotOptimize(library.getStatusString(u"", 0, window, &list, text, 256));
}

// Windows that did not change since the last check.
void TaskCheck100Windows(benchmark::State& state)
{
    const Library& library = Load();
    Windows owner;
    Check(library, owner.windows);
    for (auto _ : state) {
        NextCheck(state);
        Check(library, owner.windows);
    }
}
BENCHMARK(TaskCheck100Windows)->Unit(benchmark::kMicrosecond)->Iterations(40);

// Every window's title changed since the last check, so all facts are read again.
void TaskCheck100ChangedWindows(benchmark::State& state)
{
    const Library& library = Load();
    Windows owner;
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    const xcb_atom_t name = Atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
    Check(library, owner.windows);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string title = "Changed " + std::to_string(++round);
        for (const uint32_t window : owner.windows)
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, name, utf8, 8, title.size(), title.data());
        Sync(c);
        ::usleep(60000);
        state.ResumeTiming();
        Check(library, owner.windows);
    }
    xcb_disconnect(c);
}
BENCHMARK(TaskCheck100ChangedWindows)->Unit(benchmark::kMicrosecond)->Iterations(40);

} // namespace
