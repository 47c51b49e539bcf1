#pragma once

#include "libraries/Brevant.h"

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

// The task library as the program binds it: every entry point looked up by name in the real
// shared object.
struct BrevantApi {
    void* handle = nullptr;
    TEnumWindowsVisible EnumWindowsVisible = nullptr;
    TEnumWindowsHidden EnumWindowsHidden = nullptr;
    TEnumWindowsAll EnumWindowsAll = nullptr;
    THandleToName HandleToName = nullptr;
    THandleToID HandleToID = nullptr;
    THandleToClass HandleToClass = nullptr;
    TParentAppName ParentAppName = nullptr;
    TcompareHWNDAndApps compareHWNDAndApps = nullptr;
    TtaskInList taskInList = nullptr;
    TgetStatusString getStatusString = nullptr;
    THandleKill HandleKill = nullptr;
    THandleSuspend HandleSuspend = nullptr;
    THandleResume HandleResume = nullptr;
    THandleSuspendParent HandleSuspendParent = nullptr;
    THandleResumeParent HandleResumeParent = nullptr;
    THandleMemorySize HandleMemorySize = nullptr;
    THandleResponding HandleResponding = nullptr;
    TGetWindowStatus GetWindowStatus = nullptr;
    THandleKillOf HandleKillOf = nullptr;
    THandleSuspendOf HandleSuspendOf = nullptr;
    THandleSuspendParentOf HandleSuspendParentOf = nullptr;
    TProcessResume ProcessResume = nullptr;

    // Loads BREVANT_PATH once per test program; fails the calling test when a name is missing.
    static const BrevantApi& Get();

    std::u16string Name(BrevantWindow window) const;
    std::u16string Class(BrevantWindow window) const;
    std::u16string Parent(BrevantWindow window) const;
    std::u16string Status(BrevantWindow window) const;
    std::u16string WindowStatus(BrevantWindow window) const;
};

// The program's window list, as the library sees it through its callbacks.
class TestWindowList {
public:
    TestWindowList();
    const BrevantWindowList* List() const { return &list_; }
    std::vector<std::pair<std::u16string, BrevantWindow>> items;

private:
    BrevantWindowList list_{};
};

// A test-owned X client (the TestWindow helper) talking over pipes.
class WindowProcess {
public:
    explicit WindowProcess(const std::vector<std::string>& arguments);
    ~WindowProcess();
    WindowProcess(const WindowProcess&) = delete;
    WindowProcess& operator=(const WindowProcess&) = delete;

    // The next line it printed; empty after the timeout or at its end.
    std::string ReadLine(std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Sends a command and waits for its one-line answer.
    std::string Command(const std::string& command);
    pid_t Pid() const { return pid_; }
    BrevantWindow Window() const { return window_; }
    // With --relay: the display through which it carries connections on to the real one.
    const std::string& Display() const { return display_; }
    // With --family: its other process of the same program, then one of another program; then
    // any probe it started. All are ended with it.
    const std::vector<pid_t>& Family() const { return family_; }
    // Exit status as waitpid gives it, waiting at most the timeout; -1 while it still runs.
    int WaitForEnd(std::chrono::milliseconds timeout);

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
    std::string buffered_;
    BrevantWindow window_ = 0;
    std::string display_;
    std::vector<pid_t> family_;
    bool ended_ = false;
};

// The test's own view of the display.
class XConnection {
public:
    XConnection();
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    BrevantWindow Root() const { return root_; }
    std::vector<BrevantWindow> RootChildren() const;
    // A 32-bit list property of the root (window lists, the manager's check window).
    std::vector<uint32_t> RootProperty(const std::string& name) const;
    pid_t ServerPid() const;
    // An id of this connection's range that names no window.
    BrevantWindow UnusedWindowId() const;
    // One round trip: false when the server is gone.
    bool Alive() const;
    // The server shows the window: mapped, its ancestors too.
    bool Viewable(BrevantWindow window) const;

private:
    struct xcb_connection_t* connection_ = nullptr;
    BrevantWindow root_ = 0;
};

// State letter of /proc/PID/stat ('T' stopped); 0 when the process is gone.
char ProcessState(pid_t pid);
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(5));
// Resident bytes as the kernel reports them now.
uint64_t ResidentBytes(pid_t pid);
std::u16string U16(const std::string& utf8);
// Full path of the TestWindow helper.
std::string TestWindowPath();
