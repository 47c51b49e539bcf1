// A test-owned X client: one titled top-level window with the properties a test asks for. It
// prints "window <id>" once the window is on the server, then obeys commands on standard input
// ("title <text>", "destroy", "second": one more window, unmapped and claiming no process, as a
// toolkit's helper window) until it ends. Like a real program it names its machine by the host
// name; --host gives it a host name of its own, as a program on another machine has. Probe modes
// load the task library and aim its signalling entry points at this process, its ancestors and its
// session leader, so that a broken safety rule hits a helper and never the test runner. --relay
// carries X connections on to the display, as a remote login's forwarding does (prints
// "relay :<number>").
#include "libraries/Brevant.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <poll.h>
#include <sched.h>
#include <spawn.h>
#include <string>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>
#include <xcb/xcb.h>

extern char** environ;

namespace {

struct Options {
    std::string title = "Brevant Test Window";
    bool legacyTitle = false; // WM_NAME only, Latin-1
    std::string windowClass = "BrevantTest";
    std::string pid = "self"; // self, none or a number
    std::string machine;      // WM_CLIENT_MACHINE; the host name when not given
    std::string host;
    std::string display;
    bool desktop = false;
    std::string ping; // empty, answer or ignore
    bool unmapped = false;
    bool family = false;
    std::string probeLibrary; // --probe, --spawn-probe, --orphan-probe
    std::string mode;
    std::vector<uint32_t> targets;
};

xcb_connection_t* connection = nullptr;
xcb_window_t root = 0;
xcb_window_t window = 0;

xcb_atom_t Atom(const char* name)
{
    auto* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

void Sync()
{
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void SetText(xcb_atom_t property, xcb_atom_t type, const std::string& text)
{
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 8, text.size(),
                        text.data());
}

void SetTitle(const Options& options, const std::string& title)
{
    if (!options.legacyTitle)
        SetText(Atom("_NET_WM_NAME"), Atom("UTF8_STRING"), title);
    SetText(XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title);
}

void OpenWindow(const Options& options)
{
    int screenNumber = 0;
    connection = xcb_connect(options.display.empty() ? nullptr : options.display.c_str(), &screenNumber);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "TestWindow: no display\n");
        std::exit(2);
    }
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    root = screens.data->root;
    window = xcb_generate_id(connection);
    const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, root, 10, 10, 200, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screens.data->root_visual, XCB_CW_EVENT_MASK, &events);
    SetTitle(options, options.title);
    const std::string classes = options.windowClass + "-instance" + '\0' + options.windowClass + '\0';
    SetText(XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, classes);
    if (options.pid != "none") {
        const uint32_t pid = options.pid == "self" ? static_cast<uint32_t>(::getpid())
                                                   : static_cast<uint32_t>(std::stoul(options.pid));
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL,
                            32, 1, &pid);
    }
    std::string machine = options.machine;
    if (machine.empty()) {
        char name[256] = {};
        ::gethostname(name, sizeof name - 1);
        machine = name;
    }
    SetText(XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, machine);
    if (options.desktop) {
        const xcb_atom_t type = Atom("_NET_WM_WINDOW_TYPE_DESKTOP");
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom("_NET_WM_WINDOW_TYPE"),
                            XCB_ATOM_ATOM, 32, 1, &type);
    }
    if (!options.ping.empty()) {
        const xcb_atom_t protocols[] = {Atom("WM_DELETE_WINDOW"), Atom("_NET_WM_PING")};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom("WM_PROTOCOLS"), XCB_ATOM_ATOM,
                            32, 2, protocols);
    }
    if (!options.unmapped)
        xcb_map_window(connection, window);
    Sync();
}

pid_t Spawn(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

std::vector<std::string> ProbeArguments(const Options& options)
{
    char self[4096] = {};
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    return {std::string(self, length > 0 ? static_cast<size_t>(length) : 0),
            "--probe",
            options.probeLibrary,
            "--target",
            std::to_string(window),
            "--pid",
            options.pid};
}

// Loads the library and aims every signalling entry point at the targets and at this probe's own
// window, then at windows that must be plain no-ops. It says "probe done" only if it survived.
int Probe(Options options)
{
    // A group of its own: a signal to "the caller's process group" would land here.
    ::setpgid(0, 0);
    // The test ends it by this pid should a broken rule leave it stopped.
    Say("probe pid " + std::to_string(::getpid()));
    options.title = "Brevant Probe";
    OpenWindow(options);
    void* library = ::dlopen(options.probeLibrary.c_str(), RTLD_NOW);
    if (library == nullptr) {
        Say(std::string("probe no library: ") + ::dlerror());
        return 3;
    }
    const auto suspend = reinterpret_cast<THandleSuspend>(::dlsym(library, "HandleSuspend"));
    const auto suspendParent =
        reinterpret_cast<THandleSuspendParent>(::dlsym(library, "HandleSuspendParent"));
    const auto kill = reinterpret_cast<THandleKill>(::dlsym(library, "HandleKill"));
    const auto resume = reinterpret_cast<THandleResume>(::dlsym(library, "HandleResume"));
    std::vector<uint32_t> targets = options.targets;
    targets.push_back(window);
    targets.push_back(0);
    for (const uint32_t target : targets) {
        suspend(target);
        suspendParent(target);
        kill(target);
        resume(target);
    }
    Say("probe done");
    return 0;
}

// Runs the probe as a child and tells how it ended.
void SpawnProbe(const Options& options)
{
    const pid_t probe = Spawn(ProbeArguments(options));
    int status = 0;
    for (int waited = 0;; waited += 10) {
        const pid_t done = ::waitpid(probe, &status, WNOHANG | WUNTRACED);
        if (done == probe)
            break;
        if (waited > 10000) {
            ::kill(probe, SIGKILL);
            ::waitpid(probe, &status, 0);
            Say("probe hung");
            return;
        }
        ::usleep(10000);
    }
    if (WIFSTOPPED(status)) {
        ::kill(probe, SIGKILL);
        ::waitpid(probe, &status, 0);
        Say("probe stopped");
    } else if (WIFSIGNALED(status)) {
        Say("probe killed " + std::to_string(WTERMSIG(status)));
    } else {
        Say("probe exited " + std::to_string(WEXITSTATUS(status)));
    }
}

// Leaves the probe without this process as an ancestor: only the session rule protects it then.
void OrphanProbe(const Options& options)
{
    const pid_t middle = ::fork();
    if (middle == 0) {
        Spawn(ProbeArguments(options));
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(middle, &status, 0);
}

void StartFamily()
{
    // One more process of the same program, and one of another program.
    const pid_t same = ::fork();
    if (same == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        for (;;)
            ::pause();
    }
    const pid_t other = Spawn({"sleep", "300"});
    Say("family " + std::to_string(same) + " " + std::to_string(other));
}

// Outside root, a user namespace of its own lets it name its host.
bool SetHostName(const std::string& host)
{
    if (::unshare(CLONE_NEWUTS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWUTS) != 0)
        return false;
    return ::sethostname(host.data(), host.size()) == 0;
}

// A display's abstract socket, which clients try first.
std::pair<sockaddr_un, socklen_t> DisplayAddress(int number)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = "/tmp/.X11-unix/X" + std::to_string(number);
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    return {address, static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size())};
}

// One process carries every connection made to a free display number on to this display.
int Relay()
{
    const char* display = std::getenv("DISPLAY");
    const int target = display != nullptr ? std::atoi(std::strchr(display, ':') + 1) : 0;
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int number = 1000 + ::getpid() % 4000;
    for (auto [address, length] = DisplayAddress(number);
         ::bind(listener, reinterpret_cast<const sockaddr*>(&address), length) != 0;) {
        if (++number > 9999)
            return 5;
        std::tie(address, length) = DisplayAddress(number);
    }
    ::listen(listener, 16);
    Say("relay :" + std::to_string(number));
    std::map<int, int> peers;
    for (;;) {
        std::vector<pollfd> fds{{listener, POLLIN, 0}};
        for (const auto& each : peers)
            fds.push_back({each.first, POLLIN, 0});
        ::poll(fds.data(), fds.size(), -1);
        if (fds[0].revents != 0) {
            const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            const auto [address, length] = DisplayAddress(target);
            // A failure ends the pair at its first read.
            ::connect(server, reinterpret_cast<const sockaddr*>(&address), length);
            peers[client] = server;
            peers[server] = client;
        }
        for (size_t i = 1; i < fds.size(); ++i) {
            const auto pair = peers.find(fds[i].fd);
            if (fds[i].revents == 0 || pair == peers.end())
                continue;
            const auto [from, to] = *pair;
            char chunk[65536];
            const ssize_t got = ::read(from, chunk, sizeof chunk);
            if (got <= 0 || ::send(to, chunk, static_cast<size_t>(got), MSG_NOSIGNAL) != got) {
                ::close(from);
                ::close(to);
                peers.erase(from);
                peers.erase(to);
            }
        }
    }
}

void AnswerPing(const xcb_client_message_event_t& message)
{
    xcb_client_message_event_t reply = message;
    reply.window = root;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char*>(&reply));
    xcb_flush(connection);
}

void Serve(const Options& options)
{
    const xcb_atom_t protocols = Atom("WM_PROTOCOLS");
    const xcb_atom_t ping = Atom("_NET_WM_PING");
    std::string pending;
    for (;;) {
        // Replies awaited earlier may have pulled events into the queue: answer those before
        // sleeping on the socket.
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const auto& message = *reinterpret_cast<const xcb_client_message_event_t*>(event);
            if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE && message.type == protocols &&
                message.data.data32[0] == ping && options.ping == "answer")
                AnswerPing(message);
            std::free(event);
        }
        if (xcb_connection_has_error(connection))
            return;
        pollfd fds[] = {{0, POLLIN, 0}, {xcb_get_file_descriptor(connection), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if ((fds[0].revents & (POLLIN | POLLHUP)) == 0)
            continue;
        char chunk[256];
        const ssize_t got = ::read(0, chunk, sizeof chunk);
        if (got <= 0)
            return;
        pending.append(chunk, static_cast<size_t>(got));
        for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
            const std::string command = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (command == "destroy") {
                xcb_destroy_window(connection, window);
                Sync();
                Say("destroyed");
            } else if (command == "second") {
                const xcb_window_t second = xcb_generate_id(connection);
                xcb_create_window(connection, XCB_COPY_FROM_PARENT, second, root, 0, 0, 1, 1, 0,
                                  XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
                Sync();
                Say("window " + std::to_string(second));
            } else if (command.starts_with("title ")) {
                SetTitle(options, command.substr(6));
                Sync();
                Say("ok");
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const auto value = [&] { return i + 1 < argc ? std::string(argv[++i]) : std::string(); };
        if (argument == "--title")
            options.title = value();
        else if (argument == "--legacy-title")
            options.title = value(), options.legacyTitle = true;
        else if (argument == "--class")
            options.windowClass = value();
        else if (argument == "--pid")
            options.pid = value();
        else if (argument == "--machine")
            options.machine = value();
        else if (argument == "--host")
            options.host = value();
        else if (argument == "--display")
            options.display = value();
        else if (argument == "--relay")
            options.mode = argument;
        else if (argument == "--desktop")
            options.desktop = true;
        else if (argument == "--ping")
            options.ping = value();
        else if (argument == "--unmapped")
            options.unmapped = true;
        else if (argument == "--family")
            options.family = true;
        else if (argument == "--probe" || argument == "--spawn-probe" || argument == "--orphan-probe")
            options.mode = argument, options.probeLibrary = value();
        else if (argument == "--target")
            options.targets.push_back(static_cast<uint32_t>(std::stoul(value())));
    }
    if (options.mode == "--probe")
        return Probe(options);
    if (options.mode == "--relay")
        return Relay();
    if (!options.host.empty() && !SetHostName(options.host)) {
        Say("no host name");
        return 7;
    }
    if (options.mode == "--orphan-probe" && ::setsid() < 0) {
        Say("no session");
        return 4;
    }
    if (options.family)
        StartFamily();
    OpenWindow(options);
    Say("window " + std::to_string(window));
    if (options.mode == "--spawn-probe")
        SpawnProbe(options);
    else if (options.mode == "--orphan-probe")
        OrphanProbe(options);
    Serve(options);
    return 0;
}
