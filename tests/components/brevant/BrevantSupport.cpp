#include "BrevantSupport.h"

#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/res.h>
#include <xcb/xcb.h>

extern char** environ;

namespace {

template <class F> void Bind(void* handle, F& slot, const char* name)
{
    slot = reinterpret_cast<F>(::dlsym(handle, name));
    EXPECT_NE(slot, nullptr) << "missing export " << name;
}

// Asks with a small buffer first, as a caller that does not know the length would.
std::u16string Text(const std::function<int32_t(char16_t*, int32_t)>& call)
{
    std::u16string text(8, u'\0');
    const int32_t length = call(text.data(), static_cast<int32_t>(text.size()));
    if (length > static_cast<int32_t>(text.size())) {
        text.resize(static_cast<size_t>(length));
        EXPECT_EQ(call(text.data(), length), length);
    }
    text.resize(static_cast<size_t>(length));
    return text;
}

} // namespace

const BrevantApi& BrevantApi::Get()
{
    static BrevantApi api = [] {
        BrevantApi loaded;
        loaded.handle = ::dlopen(BREVANT_PATH, RTLD_NOW);
        if (loaded.handle == nullptr) {
            ADD_FAILURE() << "cannot load " << BREVANT_PATH << ": " << ::dlerror();
            return loaded;
        }
        Bind(loaded.handle, loaded.EnumWindowsVisible, "EnumWindowsVisible");
        Bind(loaded.handle, loaded.EnumWindowsHidden, "EnumWindowsHidden");
        Bind(loaded.handle, loaded.EnumWindowsAll, "EnumWindowsAll");
        Bind(loaded.handle, loaded.HandleToName, "HandleToName");
        Bind(loaded.handle, loaded.HandleToID, "HandleToID");
        Bind(loaded.handle, loaded.HandleToClass, "HandleToClass");
        Bind(loaded.handle, loaded.ParentAppName, "ParentAppName");
        Bind(loaded.handle, loaded.compareHWNDAndApps, "compareHWNDAndApps");
        Bind(loaded.handle, loaded.taskInList, "taskInList");
        Bind(loaded.handle, loaded.getStatusString, "getStatusString");
        Bind(loaded.handle, loaded.HandleKill, "HandleKill");
        Bind(loaded.handle, loaded.HandleSuspend, "HandleSuspend");
        Bind(loaded.handle, loaded.HandleResume, "HandleResume");
        Bind(loaded.handle, loaded.HandleSuspendParent, "HandleSuspendParent");
        Bind(loaded.handle, loaded.HandleResumeParent, "HandleResumeParent");
        Bind(loaded.handle, loaded.HandleMemorySize, "HandleMemorySize");
        Bind(loaded.handle, loaded.HandleResponding, "HandleResponding");
        Bind(loaded.handle, loaded.GetWindowStatus, "GetWindowStatus");
        Bind(loaded.handle, loaded.HandleKillOf, "HandleKillOf");
        Bind(loaded.handle, loaded.HandleSuspendOf, "HandleSuspendOf");
        Bind(loaded.handle, loaded.HandleSuspendParentOf, "HandleSuspendParentOf");
        Bind(loaded.handle, loaded.ProcessResume, "ProcessResume");
        return loaded;
    }();
    if (api.handle == nullptr)
        throw std::runtime_error("task library not loaded");
    return api;
}

std::u16string BrevantApi::Name(BrevantWindow window) const
{
    return Text([&](char16_t* buffer, int32_t capacity) { return HandleToName(window, buffer, capacity); });
}

std::u16string BrevantApi::Class(BrevantWindow window) const
{
    return Text([&](char16_t* buffer, int32_t capacity) { return HandleToClass(window, buffer, capacity); });
}

std::u16string BrevantApi::Parent(BrevantWindow window) const
{
    return Text([&](char16_t* buffer, int32_t capacity) { return ParentAppName(window, buffer, capacity); });
}

std::u16string BrevantApi::WindowStatus(BrevantWindow window) const
{
    return Text(
        [&](char16_t* buffer, int32_t capacity) { return GetWindowStatus(window, buffer, capacity); });
}

std::u16string BrevantApi::Status(BrevantWindow window) const
{
    return Text([&](char16_t* buffer, int32_t capacity) {
        return getStatusString(u"any", 3, window, nullptr, buffer, capacity);
    });
}

TestWindowList::TestWindowList()
{
    list_.context = this;
    list_.add = [](void* context, const char16_t* title, int32_t length, BrevantWindow window) {
        static_cast<TestWindowList*>(context)->items.emplace_back(
            std::u16string(title, static_cast<size_t>(length)), window);
    };
    list_.count = [](void* context) {
        return static_cast<int32_t>(static_cast<TestWindowList*>(context)->items.size());
    };
    list_.window = [](void* context, int32_t index) {
        return static_cast<TestWindowList*>(context)->items[static_cast<size_t>(index)].second;
    };
    list_.title = [](void* context, int32_t index, char16_t* buffer, int32_t capacity) {
        const auto& title = static_cast<TestWindowList*>(context)->items[static_cast<size_t>(index)].first;
        std::copy_n(title.data(), std::min<size_t>(title.size(), static_cast<size_t>(capacity)), buffer);
        return static_cast<int32_t>(title.size());
    };
}

WindowProcess::WindowProcess(const std::vector<std::string>& arguments)
{
    // A command to a helper that has ended fails; it must not end the test.
    ::signal(SIGPIPE, SIG_IGN);
    int toChild[2];
    int fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    std::vector<std::string> all{TestWindowPath()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : all)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
    if (spawned != 0)
        throw std::runtime_error("cannot start the test window");
    std::string line = ReadLine();
    if (line.starts_with("family ")) {
        std::istringstream pids(line.substr(7));
        for (pid_t pid = 0; pids >> pid;)
            family_.push_back(pid);
        line = ReadLine();
    }
    if (line.starts_with("relay ")) {
        display_ = line.substr(6);
        return;
    }
    if (!line.starts_with("window "))
        throw std::runtime_error("test window did not open: '" + line + "'");
    window_ = static_cast<BrevantWindow>(std::stoul(line.substr(7)));
}

WindowProcess::~WindowProcess()
{
    ::close(input_);
    if (!ended_) {
        ::kill(pid_, SIGCONT);
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(output_);
    for (const pid_t member : family_) {
        ::kill(member, SIGCONT);
        ::kill(member, SIGKILL);
    }
}

std::string WindowProcess::ReadLine(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto end = buffered_.find('\n'); end != std::string::npos) {
            std::string line = buffered_.substr(0, end);
            buffered_.erase(0, end + 1);
            if (line.starts_with("probe pid ")) {
                family_.push_back(static_cast<pid_t>(std::stol(line.substr(10))));
                continue;
            }
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return {};
        pollfd fd{output_, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char chunk[256];
        const ssize_t got = ::read(output_, chunk, sizeof chunk);
        if (got <= 0)
            return {};
        buffered_.append(chunk, static_cast<size_t>(got));
    }
}

std::string WindowProcess::Command(const std::string& command)
{
    const std::string line = command + "\n";
    if (::write(input_, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
        return {};
    return ReadLine();
}

int WindowProcess::WaitForEnd(std::chrono::milliseconds timeout)
{
    int status = -1;
    const bool ended = WaitUntil([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, timeout);
    if (!ended)
        return -1;
    ended_ = true;
    return status;
}

char ProcessState(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    return close == std::string::npos || close + 2 >= text.size() ? 0 : text[close + 2];
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

uint64_t ResidentBytes(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/statm");
    uint64_t size = 0;
    uint64_t resident = 0;
    file >> size >> resident;
    return resident * static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
}

std::u16string U16(const std::string& utf8)
{
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t code = c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra > 0)
            code = c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]) & 0x3F);
        i += static_cast<size_t>(extra) + 1;
        if (code >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::string TestWindowPath()
{
    return TEST_WINDOW_PATH;
}

XConnection::XConnection()
{
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_))
        throw std::runtime_error("no X display");
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    root_ = screens.data->root;
}

XConnection::~XConnection()
{
    xcb_disconnect(connection_);
}

std::vector<BrevantWindow> XConnection::RootChildren() const
{
    auto* reply = xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr);
    std::vector<BrevantWindow> windows;
    if (reply != nullptr) {
        const auto* children = xcb_query_tree_children(reply);
        windows.assign(children, children + xcb_query_tree_children_length(reply));
    }
    std::free(reply);
    return windows;
}

std::vector<uint32_t> XConnection::RootProperty(const std::string& name) const
{
    auto* atom = xcb_intern_atom_reply(connection_,
                                       xcb_intern_atom(connection_, 0, name.size(), name.c_str()), nullptr);
    std::vector<uint32_t> values;
    if (atom != nullptr) {
        auto* reply = xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, root_, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr);
        if (reply != nullptr && reply->format == 32) {
            const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        std::free(reply);
    }
    std::free(atom);
    return values;
}

pid_t XConnection::ServerPid() const
{
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(xcb_get_file_descriptor(connection_), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0
               ? peer.pid
               : 0;
}

bool XConnection::Alive() const
{
    std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
    return xcb_connection_has_error(connection_) == 0;
}

bool XConnection::Viewable(BrevantWindow window) const
{
    auto* reply =
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr);
    const bool viewable = reply != nullptr && reply->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(reply);
    return viewable;
}

BrevantWindow XConnection::UnusedWindowId() const
{
    return xcb_generate_id(connection_);
}
