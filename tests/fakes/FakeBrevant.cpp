// A task library whose windows, statuses and facts a test scripts, and which records the calls that
// act on processes. A killed window is gone. The checked actions act only while the window's owner
// is the process named. Plain C storage: the library unloads completely, so each test loads a fresh copy.
#define BREVANT_IMPLEMENTATION
#include "Brevant.h"
#include "tests/fakes/CallLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int MaxWindows = 4096;
constexpr int MaxText = 160;
constexpr int MaxFamily = 8;

struct Text {
    char16_t units[MaxText];
    int32_t length;
};

struct Window {
    BrevantWindow id;
    Text title, status, parent, windowClass, windowStatus;
    int32_t pid;
    uint64_t memory;
    bool responding;
    // The processes a stop of the owner's family reaches; none scripted: the owner alone.
    int32_t family[MaxFamily];
    int32_t familyCount;
};

Window windows[MaxWindows];
int windowCount = 0;
// Where a small window id sits: index + 1, 0 for none. Larger ids are searched.
constexpr BrevantWindow IndexedIds = 1 << 16;
int slots[IndexedIds];

// UTF-8 of the basic plane into UTF-16.
void SetText(Text& text, const char* utf8)
{
    text.length = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(utf8 != nullptr ? utf8 : "");
    while (*s != 0 && text.length < MaxText) {
        char32_t c = *s++;
        if (c >= 0xE0 && s[0] != 0 && s[1] != 0) {
            c = ((c & 0x0F) << 12) | ((s[0] & 0x3F) << 6) | (s[1] & 0x3F);
            s += 2;
        } else if (c >= 0xC0 && s[0] != 0) {
            c = ((c & 0x1F) << 6) | (s[0] & 0x3F);
            s += 1;
        }
        text.units[text.length++] = static_cast<char16_t>(c);
    }
}

int32_t Write(const Text& text, char16_t* buffer, int32_t capacity)
{
    if (buffer != nullptr && capacity > 0)
        std::memcpy(buffer, text.units,
                    sizeof(char16_t) * static_cast<size_t>(std::min(capacity, text.length)));
    return text.length;
}

int32_t Write(const char* ascii, char16_t* buffer, int32_t capacity)
{
    Text text;
    SetText(text, ascii);
    return Write(text, buffer, capacity);
}

Window* Find(BrevantWindow id)
{
    if (id == 0)
        return nullptr;
    if (id < IndexedIds)
        return slots[id] != 0 ? &windows[slots[id] - 1] : nullptr;
    for (int i = 0; i < windowCount; ++i)
        if (windows[i].id == id)
            return &windows[i];
    return nullptr;
}

void Reindex()
{
    std::fill(std::begin(slots), std::end(slots), 0);
    for (int i = 0; i < windowCount; ++i)
        if (windows[i].id < IndexedIds)
            slots[windows[i].id] = i + 1;
}

// The window when its owner is the process named.
Window* Owned(BrevantWindow id, int32_t pid)
{
    Window* w = Find(id);
    return w != nullptr && pid != 0 && w->pid == pid ? w : nullptr;
}

int32_t Stop(const int32_t* pids, int32_t count, int32_t* stopped, int32_t capacity)
{
    for (int32_t i = 0; i < count; ++i) {
        if (stopped != nullptr && i < capacity)
            stopped[i] = pids[i];
    }
    return count;
}

} // namespace

// ---- The test's side

FAKE_EXPORT void FakeReset()
{
    windowCount = 0;
    Reindex();
    used = 0;
    calls[0] = '\0';
}

// Opens a window, or retitles it: running, owned by process `id` of the application "fakeapp".
FAKE_EXPORT void FakeOpenWindow(BrevantWindow id, const char* title)
{
    if (Window* open = Find(id)) {
        SetText(open->title, title);
        return;
    }
    if (windowCount == MaxWindows)
        return;
    Window& w = windows[windowCount++];
    w.id = id;
    SetText(w.title, title);
    SetText(w.status, "Running");
    SetText(w.parent, "fakeapp");
    SetText(w.windowClass, "FakeClass");
    SetText(w.windowStatus, "");
    w.pid = static_cast<int32_t>(id);
    w.memory = 0;
    w.responding = true;
    w.familyCount = 0;
    if (id < IndexedIds)
        slots[id] = windowCount;
}

FAKE_EXPORT void FakeCloseWindow(BrevantWindow id)
{
    if (Window* w = Find(id)) {
        // The display's order stays.
        std::memmove(w, w + 1, sizeof(Window) * static_cast<size_t>(&windows[windowCount - 1] - w));
        --windowCount;
        Reindex();
    }
}

// `what`: "status", "parent", "class" or "windowstatus".
FAKE_EXPORT void FakeSetText(BrevantWindow id, const char* what, const char* text)
{
    Window* w = Find(id);
    if (w == nullptr)
        return;
    if (std::strcmp(what, "status") == 0)
        SetText(w->status, text);
    else if (std::strcmp(what, "parent") == 0)
        SetText(w->parent, text);
    else if (std::strcmp(what, "class") == 0)
        SetText(w->windowClass, text);
    else if (std::strcmp(what, "windowstatus") == 0)
        SetText(w->windowStatus, text);
}

FAKE_EXPORT void FakeSetFacts(BrevantWindow id, int32_t pid, uint64_t memory, bool responding)
{
    if (Window* w = Find(id)) {
        w->pid = pid;
        w->memory = memory;
        w->responding = responding;
    }
}

FAKE_EXPORT void FakeSetFamily(BrevantWindow id, const int32_t* pids, int32_t count)
{
    if (Window* w = Find(id)) {
        w->familyCount = std::clamp(count, 0, MaxFamily);
        std::copy(pids, pids + w->familyCount, w->family);
    }
}

// The open windows in the display's order; returns how many there are.
FAKE_EXPORT int32_t FakeWindows(BrevantWindow* out, int32_t capacity)
{
    for (int i = 0; i < windowCount && i < capacity; ++i)
        out[i] = windows[i].id;
    return windowCount;
}

// The calls that act on processes, one a line ("HandleKill 7", "HandleSuspendOf 3 1203"), oldest
// first.
FAKE_EXPORT const char* FakeCalls()
{
    return calls;
}

FAKE_EXPORT void FakeClearCalls()
{
    used = 0;
    calls[0] = '\0';
}

// ---- The library

bool EnumWindowsVisible(BrevantWindow window, const BrevantWindowList* list)
{
    return EnumWindowsAll(window, list);
}

bool EnumWindowsHidden(BrevantWindow, const BrevantWindowList*)
{
    return true;
}

bool EnumWindowsAll(BrevantWindow window, const BrevantWindowList* list)
{
    if (const Window* w = Find(window))
        list->add(list->context, w->title.units, w->title.length, window);
    return true;
}

int32_t HandleToName(BrevantWindow window, char16_t* buffer, int32_t capacity)
{
    const Window* w = Find(window);
    return w != nullptr ? Write(w->title, buffer, capacity) : 0;
}

int32_t HandleToID(BrevantWindow window)
{
    const Window* w = Find(window);
    return w != nullptr ? w->pid : 0;
}

int32_t HandleToClass(BrevantWindow window, char16_t* buffer, int32_t capacity)
{
    const Window* w = Find(window);
    return w != nullptr ? Write(w->windowClass, buffer, capacity) : 0;
}

int32_t ParentAppName(BrevantWindow window, char16_t* buffer, int32_t capacity)
{
    const Window* w = Find(window);
    return w != nullptr ? Write(w->parent, buffer, capacity) : Write("Desktop", buffer, capacity);
}

bool compareHWNDAndApps(BrevantWindow first, BrevantWindow second)
{
    const Window* a = Find(first);
    const Window* b = Find(second);
    return a != nullptr && b != nullptr && a->pid == b->pid;
}

bool taskInList(const char16_t* name, int32_t nameLength, const BrevantWindowList* list)
{
    char16_t title[MaxText];
    for (int32_t i = 0; i < list->count(list->context); ++i) {
        const int32_t length = list->title(list->context, i, title, MaxText);
        if (length == nameLength && std::equal(title, title + std::min(length, MaxText), name))
            return true;
    }
    return false;
}

int32_t getStatusString(const char16_t*, int32_t, BrevantWindow window, const BrevantWindowList*,
                        char16_t* buffer, int32_t capacity)
{
    const Window* w = Find(window);
    return w != nullptr ? Write(w->status, buffer, capacity) : Write("Inactive", buffer, capacity);
}

void HandleKill(BrevantWindow window)
{
    Log("HandleKill %u", window);
    FakeCloseWindow(window);
}

void HandleSuspend(BrevantWindow window)
{
    Log("HandleSuspend %u", window);
}

void HandleResume(BrevantWindow window)
{
    Log("HandleResume %u", window);
}

void HandleSuspendParent(BrevantWindow window)
{
    Log("HandleSuspendParent %u", window);
}

void HandleResumeParent(BrevantWindow window)
{
    Log("HandleResumeParent %u", window);
}

uint64_t HandleMemorySize(BrevantWindow window)
{
    const Window* w = Find(window);
    return w != nullptr ? w->memory : 0;
}

bool HandleResponding(BrevantWindow window)
{
    const Window* w = Find(window);
    return w != nullptr && w->responding;
}

int32_t GetWindowStatus(BrevantWindow window, char16_t* buffer, int32_t capacity)
{
    const Window* w = Find(window);
    return w != nullptr ? Write(w->windowStatus, buffer, capacity) : Write("Inactive", buffer, capacity);
}

void HandleKillOf(BrevantWindow window, int32_t processId)
{
    Log("HandleKillOf %u %d", window, processId);
    if (Owned(window, processId) != nullptr)
        FakeCloseWindow(window);
}

int32_t HandleSuspendOf(BrevantWindow window, int32_t processId, int32_t* stopped, int32_t capacity)
{
    Log("HandleSuspendOf %u %d", window, processId);
    return Owned(window, processId) != nullptr ? Stop(&processId, 1, stopped, capacity) : 0;
}

int32_t HandleSuspendParentOf(BrevantWindow window, int32_t processId, int32_t* stopped, int32_t capacity)
{
    Log("HandleSuspendParentOf %u %d", window, processId);
    const Window* w = Owned(window, processId);
    if (w == nullptr)
        return 0;
    return w->familyCount > 0 ? Stop(w->family, w->familyCount, stopped, capacity)
                              : Stop(&processId, 1, stopped, capacity);
}

void ProcessResume(int32_t processId)
{
    Log("ProcessResume %d", processId);
}
