// The task library: windows of the X display and the processes that own them.
#define BREVANT_IMPLEMENTATION
#include "Brevant.h"

#include "ProcessCache.h"
#include "ProcessGuard.h"
#include "Processes.h"
#include "StoppedProcesses.h"
#include "Utf16.h"
#include "XDisplay.h"

#include <algorithm>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

using namespace brevant;

namespace {

const std::u16string Inactive = u"Inactive";
const std::u16string Running = u"Running";
const std::u16string Suspended = u"Suspended";
const std::u16string NotResponding = u"Not Responding";
const std::u16string Desktop = u"Desktop";

XDisplay& Display()
{
    static XDisplay display;
    return display;
}

ProcessCache& Processes()
{
    static ProcessCache processes;
    return processes;
}

// Nothing may escape into the program: any failure gives the plain default answer.
template <class Result, class Action> Result Guarded(Result fallback, Action&& action) noexcept
{
    try {
        return action();
    } catch (...) {
        return fallback;
    }
}

template <class Action> void Guarded(Action&& action) noexcept
{
    try {
        action();
    } catch (...) {
    }
}

// How the owner of an existing window is doing, from the process table and the ping protocol;
// empty when it is running normally.
std::u16string OwnerCondition(uint32_t window, const WindowFacts& facts)
{
    if (const auto stat = Processes().Stat(facts.pid)) {
        if (IsDead(*stat))
            return NotResponding;
        if (IsStopped(*stat))
            return Suspended;
    }
    return Display().PingOverdue(window, facts.answersPing) ? NotResponding : std::u16string();
}

StoppedProcesses& Stopped()
{
    static StoppedProcesses stopped;
    return stopped;
}

ProcessGuard Guard()
{
    return ProcessGuard(Display().ServerPid(), Display().WindowManagerPid());
}

// A stop is remembered, so that the very process stopped can be continued by its id later.
bool Send(const ProcessGuard& guard, int32_t pid, int signal)
{
    if (!guard.Signal(pid, signal))
        return false;
    if (signal == SIGSTOP)
        Stopped().Add(pid);
    Processes().Forget(pid);
    return true;
}

// The window's facts read afresh, when it exists and, for a checked call, is owned by the process
// the caller saw it with: a window id the server has handed to another client reaches nothing.
std::optional<WindowFacts> Target(uint32_t window, std::optional<int32_t> expected)
{
    WindowFacts facts = Display().FreshFacts(window);
    if (!facts.exists || (expected && facts.pid != *expected))
        return std::nullopt;
    return facts;
}

// The processes signalled. Any window can claim any process, so nothing is stopped or continued
// for a claim.
std::vector<int32_t> SignalOwner(uint32_t window, int signal, std::optional<int32_t> expected)
{
    const auto facts = Target(window, expected);
    if (!facts || facts->pid <= 0 || facts->pidClaimed)
        return {};
    if (!Send(Guard(), facts->pid, signal))
        return {};
    return {facts->pid};
}

// The parent application: every process of the owner's program in its family (see
// ApplicationProcesses). The desktop is spared, and so is the family of a process that is itself
// spared.
std::vector<int32_t> SignalApplication(uint32_t window, int signal, std::optional<int32_t> expected)
{
    const auto facts = Target(window, expected);
    if (!facts || facts->pid <= 0 || facts->pidClaimed || facts->desktop)
        return {};
    const ProcessGuard guard = Guard();
    if (!guard.Allows(facts->pid))
        return {};
    std::vector<int32_t> signalled;
    for (const int32_t pid : ApplicationProcesses(facts->pid))
        if (Send(guard, pid, signal))
            signalled.push_back(pid);
    Processes().ForgetAll();
    return signalled;
}

// Without a process that may be signalled, the window's connection is ended instead; never that of
// the server, the window manager or a client with a window owned by a protected process (this
// one's own windows, and their helper windows that claim no process, share their client with
// such a window). A claim of pid 1 or of the server's pid is no sign of either.
void EndConnection(uint32_t window, const ProcessGuard& guard)
{
    const auto client = Display().ClientOf(window);
    if (!client || client->server || client->windowManager)
        return;
    const int32_t server = Display().ServerPid();
    for (const int32_t owner : client->owners)
        if (owner > 1 && owner != server && guard.Protects(owner))
            return;
    Display().KillClient(window);
}

// Ends the process at once, as a task that was killed counts as ended; a stopped process could
// not even handle a polite request. A protected owner that the server names is left alone.
void Kill(uint32_t window, std::optional<int32_t> expected)
{
    const auto facts = Target(window, expected);
    if (!facts)
        return;
    const ProcessGuard guard = Guard();
    if (facts->pid > 0 && !facts->pidClaimed &&
        (guard.Protects(facts->pid) || Send(guard, facts->pid, SIGKILL)))
        return;
    EndConnection(window, guard);
}

int32_t WriteIds(const std::vector<int32_t>& ids, int32_t* buffer, int32_t capacity)
{
    if (buffer != nullptr && capacity > 0)
        std::copy_n(ids.begin(), std::min(ids.size(), static_cast<size_t>(capacity)), buffer);
    return static_cast<int32_t>(ids.size());
}

bool AddWhen(BrevantWindow window, const BrevantWindowList* list, bool (*qualifies)(const WindowFacts&))
{
    return Guarded(true, [&] {
        if (list == nullptr || list->add == nullptr)
            return true;
        // An enumeration fills an empty list: its first window reads the display afresh.
        const bool first = list->count == nullptr || list->count(list->context) == 0;
        const WindowFacts& facts = Display().ListedFacts(window, first);
        if (!qualifies(facts))
            return true;
        // Handed on from storage kept between calls, so an unchanged display costs no allocation;
        // a copy, as the list may ask the library again, which may change the facts.
        static std::u16string title;
        title = facts.title;
        list->add(list->context, title.data(), static_cast<int32_t>(title.size()), window);
        return true;
    });
}

std::u16string ItemTitle(const BrevantWindowList* list, int32_t index)
{
    std::u16string title(256, u'\0');
    int32_t length = list->title(list->context, index, title.data(), static_cast<int32_t>(title.size()));
    if (length > static_cast<int32_t>(title.size())) {
        title.resize(static_cast<size_t>(length));
        length = list->title(list->context, index, title.data(), length);
    }
    title.resize(static_cast<size_t>(std::max(0, std::min(length, static_cast<int32_t>(title.size())))));
    return title;
}

} // namespace

extern "C" {

bool EnumWindowsVisible(BrevantWindow window, const BrevantWindowList* list)
{
    return AddWhen(window, list, [](const WindowFacts& facts) { return facts.exists && facts.mapped; });
}

bool EnumWindowsHidden(BrevantWindow window, const BrevantWindowList* list)
{
    return AddWhen(window, list, [](const WindowFacts& facts) { return facts.exists && !facts.mapped; });
}

bool EnumWindowsAll(BrevantWindow window, const BrevantWindowList* list)
{
    return AddWhen(window, list, [](const WindowFacts&) { return true; });
}

int32_t HandleToName(BrevantWindow window, char16_t* buffer, int32_t capacity)
{
    return Guarded(0, [&] { return WriteResult(Display().Facts(window).title, buffer, capacity); });
}

int32_t HandleToID(BrevantWindow window)
{
    return Guarded(0, [&] { return Display().Pid(window); });
}

int32_t HandleToClass(BrevantWindow window, char16_t* buffer, int32_t capacity)
{
    return Guarded(0, [&] { return WriteResult(Display().Facts(window).windowClass, buffer, capacity); });
}

int32_t ParentAppName(BrevantWindow window, char16_t* buffer, int32_t capacity)
{
    return Guarded(0, [&] {
        const WindowFacts facts = Display().Facts(window);
        const std::string program =
            facts.exists && !facts.desktop ? Processes().Program(facts.pid) : std::string();
        return WriteResult(program.empty() ? Desktop : FromUtf8(program), buffer, capacity);
    });
}

bool compareHWNDAndApps(BrevantWindow first, BrevantWindow second)
{
    return Guarded(false, [&] {
        const WindowFacts a = Display().Facts(first);
        const WindowFacts b = Display().Facts(second);
        if (!a.exists || !b.exists || a.pid <= 0 || b.pid <= 0)
            return false;
        if (a.pid == b.pid)
            return true;
        const std::string program = Processes().Program(a.pid);
        return !program.empty() && program == Processes().Program(b.pid);
    });
}

bool taskInList(const char16_t* name, int32_t nameLength, const BrevantWindowList* list)
{
    return Guarded(false, [&] {
        if (list == nullptr || list->count == nullptr || list->title == nullptr)
            return false;
        const std::u16string_view wanted(
            name, name != nullptr && nameLength > 0 ? static_cast<size_t>(nameLength) : 0);
        const int32_t count = list->count(list->context);
        for (int32_t i = 0; i < count; ++i)
            if (ItemTitle(list, i) == wanted)
                return true;
        return false;
    });
}

// The name and the window list are not needed: a task runs exactly while its window exists.
int32_t getStatusString(const char16_t*, int32_t, BrevantWindow window, const BrevantWindowList*,
                        char16_t* buffer, int32_t capacity)
{
    return Guarded(0, [&] {
        const WindowFacts facts = Display().Facts(window);
        if (!facts.exists)
            return WriteResult(Inactive, buffer, capacity);
        const std::u16string condition = OwnerCondition(window, facts);
        return WriteResult(condition.empty() ? Running : condition, buffer, capacity);
    });
}

void HandleKill(BrevantWindow window)
{
    Guarded([&] { Kill(window, std::nullopt); });
}

void HandleSuspend(BrevantWindow window)
{
    Guarded([&] { SignalOwner(window, SIGSTOP, std::nullopt); });
}

// Stops do not add up, so one continue undoes them all.
void HandleResume(BrevantWindow window)
{
    Guarded([&] { SignalOwner(window, SIGCONT, std::nullopt); });
}

void HandleSuspendParent(BrevantWindow window)
{
    Guarded([&] { SignalApplication(window, SIGSTOP, std::nullopt); });
}

void HandleResumeParent(BrevantWindow window)
{
    Guarded([&] { SignalApplication(window, SIGCONT, std::nullopt); });
}

uint64_t HandleMemorySize(BrevantWindow window)
{
    return Guarded(uint64_t{0}, [&] {
        const auto stat = Processes().Stat(Display().Facts(window).pid);
        return stat ? stat->residentBytes : uint64_t{0};
    });
}

bool HandleResponding(BrevantWindow window)
{
    return Guarded(false, [&] {
        const WindowFacts facts = Display().Facts(window);
        return facts.exists && OwnerCondition(window, facts).empty();
    });
}

int32_t GetWindowStatus(BrevantWindow window, char16_t* buffer, int32_t capacity)
{
    return Guarded(0, [&] {
        const WindowFacts facts = Display().Facts(window);
        if (!facts.exists)
            return WriteResult(Inactive, buffer, capacity);
        std::u16string status = OwnerCondition(window, facts);
        if (!status.empty())
            return WriteResult(status, buffer, capacity);
        if (facts.minimized)
            status = u"Minimized";
        else if (!facts.mapped)
            status = u"Hidden";
        else if (facts.fullScreen)
            status = u"Full Screen";
        else if (facts.maximized)
            status = u"Maximized";
        return WriteResult(status, buffer, capacity);
    });
}

void HandleKillOf(BrevantWindow window, int32_t processId)
{
    Guarded([&] { Kill(window, processId); });
}

int32_t HandleSuspendOf(BrevantWindow window, int32_t processId, int32_t* stopped, int32_t capacity)
{
    return Guarded(0, [&] { return WriteIds(SignalOwner(window, SIGSTOP, processId), stopped, capacity); });
}

int32_t HandleSuspendParentOf(BrevantWindow window, int32_t processId, int32_t* stopped, int32_t capacity)
{
    return Guarded(
        0, [&] { return WriteIds(SignalApplication(window, SIGSTOP, processId), stopped, capacity); });
}

void ProcessResume(int32_t processId)
{
    Guarded([&] {
        if (Stopped().Stat(processId))
            Send(Guard(), processId, SIGCONT);
    });
}
}
