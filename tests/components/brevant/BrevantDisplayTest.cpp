// Displays of the test's own: one without the X-Resource extension, where a window's own process
// id claim is all there is, one reached through a relay by programs of another machine, and one
// that goes away and comes back.
#include "BrevantSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

pid_t Spawn(std::vector<std::string> arguments)
{
    std::vector<char*> argv;
    for (auto& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGCONT);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

// An Xvfb of the test's own, made the display of this process.
class PrivateServer {
public:
    explicit PrivateServer(std::vector<std::string> extra = {}, int number = 0)
        : extra_(std::move(extra))
    {
        std::mt19937 random(static_cast<unsigned>(::getpid()));
        number_ = number;
        for (int attempt = 0; number_ == 0 && attempt < 100; ++attempt) {
            const int candidate = 100 + static_cast<int>(random() % 800);
            if (!std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(candidate)) &&
                !std::filesystem::exists("/tmp/.X" + std::to_string(candidate) + "-lock"))
                number_ = candidate;
        }
        Start();
    }
    ~PrivateServer() { Stop(pid_); }

    void Start()
    {
        std::vector<std::string> arguments{
            "Xvfb", ":" + std::to_string(number_), "-screen", "0", "640x480x24", "-nolisten", "tcp"};
        arguments.insert(arguments.end(), extra_.begin(), extra_.end());
        pid_ = Spawn(arguments);
        if (pid_ <= 0)
            throw std::runtime_error("Xvfb is not installed (Debian package xvfb); this test cannot run");
        if (!WaitUntil([&] { return std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number_)); }))
            throw std::runtime_error("Xvfb did not start");
        ::setenv("DISPLAY", (":" + std::to_string(number_)).c_str(), 1);
    }
    void Shutdown()
    {
        Stop(pid_);
        pid_ = -1;
    }

private:
    std::vector<std::string> extra_;
    int number_ = 0;
    pid_t pid_ = -1;
};

// A process that only exists to be signalled or not.
struct Sentinel {
    pid_t pid = Spawn({"sleep", "300"});
    ~Sentinel()
    {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
};

// A claim is shown, but it is no proof: the process it names is never signalled, and a kill ends
// the window's own connection instead, as it does where no process may or can be signalled. Never
// the server's connection, nor that of a client with a window owned by this process: its helper
// windows claim no process.
TEST(BrevantDisplayTest, ClaimedProcessIdCountsOnlyForThisMachineAndIsNeverSignalled)
{
    PrivateServer server({"-extension", "X-Resource"});
    const BrevantApi& api = BrevantApi::Get();
    const XConnection x;
    Sentinel sentinel;
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(sentinel.pid) == 'S'; }));
    const auto ended = [](WindowProcess& client) {
        const int status = client.WaitForEnd(std::chrono::seconds(5));
        return status != -1 && WIFEXITED(status);
    };

    WindowProcess local({"--title", "Local claim", "--pid", std::to_string(sentinel.pid)});
    ASSERT_TRUE(WaitUntil([&] { return api.HandleToID(local.Window()) == sentinel.pid; }));
    api.HandleSuspend(local.Window());
    api.HandleSuspendParent(local.Window());
    int32_t stopped[4] = {};
    EXPECT_EQ(api.HandleSuspendOf(local.Window(), sentinel.pid, stopped, 4), 0);
    api.HandleKillOf(local.Window(), ::getpid());
    ASSERT_EQ(local.WaitForEnd(std::chrono::milliseconds(300)), -1) << "killed for another process";
    api.HandleKillOf(local.Window(), sentinel.pid);
    EXPECT_TRUE(ended(local)) << "its connection ended, not its process";
    EXPECT_TRUE(WaitUntil([&] { return api.Status(local.Window()) == u"Inactive"; }));
    EXPECT_EQ(ProcessState(sentinel.pid), 'S');

    WindowProcess remote(
        {"--title", "Remote claim", "--pid", std::to_string(sentinel.pid), "--machine", "elsewhere.invalid"});
    EXPECT_EQ(api.HandleToID(remote.Window()), 0);
    EXPECT_EQ(api.Parent(remote.Window()), u"Desktop");
    api.HandleSuspend(remote.Window());
    api.HandleKill(remote.Window());
    EXPECT_TRUE(ended(remote));
    EXPECT_EQ(ProcessState(sentinel.pid), 'S');

    WindowProcess unknown({"--title", "No claim", "--pid", "none"});
    EXPECT_EQ(api.HandleToID(unknown.Window()), 0);
    EXPECT_EQ(api.Parent(unknown.Window()), u"Desktop");
    EXPECT_EQ(api.Status(unknown.Window()), u"Running");
    api.HandleKillOf(unknown.Window(), 0);
    EXPECT_TRUE(ended(unknown));

    for (const std::string& claim :
         {std::string("1"), std::to_string(x.ServerPid()), std::string("2147483647")}) {
        WindowProcess claimant({"--title", "Claims " + claim, "--pid", claim});
        api.HandleKill(claimant.Window());
        EXPECT_TRUE(ended(claimant)) << claim;
    }

    WindowProcess own({"--title", "Own claim", "--pid", std::to_string(::getpid())});
    const std::string helper = own.Command("second");
    ASSERT_TRUE(helper.starts_with("window "));
    for (const BrevantWindow window :
         {static_cast<BrevantWindow>(std::stoul(helper.substr(7))), own.Window(), x.Root()})
        api.HandleKill(window);
    ASSERT_EQ(own.WaitForEnd(std::chrono::milliseconds(300)), -1);
    EXPECT_EQ(own.Command("title alive"), "ok");
    EXPECT_TRUE(x.Alive());
}

TEST(BrevantDisplayTest, ClaimsOfProcessZeroAndOneAreNeverSignalled)
{
    PrivateServer server({"-extension", "X-Resource"});
    // kill(0, ...) would reach the probe's own process group: the probe reports only if spared.
    for (const std::string claim : {"0", "1"}) {
        WindowProcess helper({"--title", "Claims " + claim, "--pid", claim, "--spawn-probe", BREVANT_PATH});
        EXPECT_EQ(helper.ReadLine(std::chrono::seconds(20)), "probe done") << claim;
        EXPECT_EQ(helper.ReadLine(std::chrono::seconds(20)), "probe exited 0") << claim;
        // No process may be signalled for such a claim: the kill ended the helper's connection.
        const int status = helper.WaitForEnd(std::chrono::seconds(5));
        EXPECT_TRUE(status != -1 && WIFEXITED(status)) << claim;
    }
}

// The server names the relay that carries programs of another machine as the owner of all their
// windows. It is never signalled: a suspension or hold leaves them running, and a kill ends the
// one program's connection.
TEST(BrevantDisplayTest, ProgramsOfAnotherMachineAreEndedByTheirConnectionNeverThroughTheirRelay)
{
    PrivateServer server;
    const BrevantApi& api = BrevantApi::Get();
    WindowProcess relay({"--relay"});
    ASSERT_FALSE(relay.Display().empty());
    const auto relayRuns = [&] {
        const char state = ProcessState(relay.Pid());
        return state == 'S' || state == 'R';
    };
    WindowProcess killed({"--display", relay.Display(), "--host", "other", "--title", "Remote killed"});
    WindowProcess spared({"--display", relay.Display(), "--host", "other", "--title", "Remote spared"});

    const int32_t seen = api.HandleToID(killed.Window());
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(api.HandleMemorySize(killed.Window()), 0u);
    api.HandleSuspend(killed.Window());
    api.HandleSuspendParent(killed.Window());
    int32_t stopped[4] = {};
    EXPECT_EQ(api.HandleSuspendOf(killed.Window(), seen, stopped, 4), 0);
    EXPECT_EQ(api.HandleSuspendParentOf(killed.Window(), seen, stopped, 4), 0);
    EXPECT_TRUE(relayRuns());
    EXPECT_EQ(api.Status(killed.Window()), u"Running");
    // A stopped relay would hold up every step below.
    ::kill(relay.Pid(), SIGCONT);

    api.HandleKillOf(killed.Window(), seen);
    const int status = killed.WaitForEnd(std::chrono::seconds(5));
    EXPECT_TRUE(status != -1 && WIFEXITED(status)) << "its connection ended";
    EXPECT_TRUE(relayRuns());
    EXPECT_EQ(spared.Command("title alive"), "ok");

    // This machine by its full name, in capitals: a program of its own.
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    std::string named = host;
    std::transform(named.begin(), named.end(), named.begin(), ::toupper);
    WindowProcess local({"--title", "Local by full name", "--machine", named + ".example.org"});
    EXPECT_EQ(api.HandleToID(local.Window()), local.Pid());
}

TEST(BrevantDisplayTest, LostDisplayGivesDefaultsAndARestartedOneIsUsedAgain)
{
    PrivateServer server;
    const BrevantApi& api = BrevantApi::Get();
    BrevantWindow window = 0;
    {
        WindowProcess child({"--title", "First"});
        window = child.Window();
        ASSERT_TRUE(WaitUntil([&] { return api.HandleToID(window) == child.Pid(); }));
        server.Shutdown();
        EXPECT_EQ(api.Status(window), u"Inactive");
        EXPECT_EQ(api.Name(window), u"");
        EXPECT_EQ(api.HandleToID(window), 0);
        EXPECT_EQ(api.Parent(window), u"Desktop");
        TestWindowList list;
        EXPECT_TRUE(api.EnumWindowsVisible(window, list.List()));
        EXPECT_TRUE(list.items.empty());
        api.HandleKill(window);
    }
    server.Start();
    WindowProcess again({"--title", "Second"});
    EXPECT_TRUE(WaitUntil([&] { return api.HandleToID(again.Window()) == again.Pid(); }));
    EXPECT_EQ(api.Name(again.Window()), u"Second");
}

} // namespace
