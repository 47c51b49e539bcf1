// Every signalling entry point is aimed at processes it must spare. Where a broken rule would hit
// the test program, a helper process makes the calls instead, so the runner is never at risk.
#include "BrevantSupport.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(BrevantSafetyTest, OwnProcessAndAncestorsAreSpared)
{
    // The helper starts a probe that aims at its own window and at the helper's (its parent's).
    WindowProcess helper({"--title", "Ancestor", "--spawn-probe", BREVANT_PATH});
    EXPECT_EQ(helper.ReadLine(std::chrono::seconds(20)), "probe done");
    EXPECT_EQ(helper.ReadLine(std::chrono::seconds(20)), "probe exited 0");
    EXPECT_EQ(helper.Command("title alive"), "ok");
}

TEST(BrevantSafetyTest, SessionLeaderIsSpared)
{
    // The helper leads a session of its own; the probe is in that session but not its descendant.
    WindowProcess leader({"--title", "Leader", "--orphan-probe", BREVANT_PATH});
    EXPECT_EQ(leader.ReadLine(std::chrono::seconds(20)), "probe done");
    EXPECT_EQ(leader.Command("title alive"), "ok");
}

TEST(BrevantSafetyTest, DisplayServerIsSpared)
{
    const BrevantApi& api = BrevantApi::Get();
    XConnection x;
    const pid_t server = x.ServerPid();
    ASSERT_GT(server, 1);
    // The server owns the root window.
    EXPECT_EQ(api.HandleToID(x.Root()), server);
    // A stopped server would block every later request: look after each call and let it go on.
    for (const auto suspend : {api.HandleSuspend, api.HandleSuspendParent}) {
        suspend(x.Root());
        if (WaitUntil([&] { return ProcessState(server) == 'T'; }, std::chrono::milliseconds(200))) {
            ::kill(server, SIGCONT);
            FAIL() << "the display server was stopped";
        }
    }
    api.HandleKill(x.Root());
    EXPECT_TRUE(x.Alive());
}

} // namespace
