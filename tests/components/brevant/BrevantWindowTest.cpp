#include "BrevantSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <malloc.h>
#include <set>
#include <sys/wait.h>

namespace {

class BrevantWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Before the library's first use: an unanswered ping then shows within the test's patience.
        ::setenv("BREVANT_PING_TIMEOUT_MS", "300", 1);
    }

    const BrevantApi& api = BrevantApi::Get();
};

TEST_F(BrevantWindowTest, EnumerationListsTheWindowWithItsFacts)
{
    const std::string title = "Brevant \xC3\x84pfel \xE2\x82\xAC \xF0\x9D\x84\x9E";
    WindowProcess child({"--title", title, "--class", "BrevantFacts"});
    const BrevantWindow window = child.Window();
    XConnection x;
    TestWindowList list;
    for (const BrevantWindow each : x.RootChildren())
        EXPECT_TRUE(api.EnumWindowsAll(each, list.List()));
    const auto item = std::find_if(list.items.begin(), list.items.end(),
                                   [&](const auto& entry) { return entry.second == window; });
    ASSERT_NE(item, list.items.end());
    EXPECT_EQ(item->first, U16(title));

    EXPECT_EQ(api.Name(window), U16(title));
    EXPECT_EQ(api.Class(window), u"BrevantFacts");
    EXPECT_EQ(api.HandleToID(window), child.Pid());
    EXPECT_EQ(api.Parent(window), u"BrevantTestWindow");
    EXPECT_EQ(api.Status(window), u"Running");
    EXPECT_TRUE(api.HandleResponding(window));
    EXPECT_EQ(api.WindowStatus(window), u"");
    const uint64_t memory = api.HandleMemorySize(window);
    const uint64_t resident = ResidentBytes(child.Pid());
    EXPECT_GT(memory, 0u);
    EXPECT_LE(std::max(memory, resident) - std::min(memory, resident), 1024u * 1024u);

    // A short buffer gets what fits; the full length tells the caller to ask again.
    char16_t buffer[3] = {};
    EXPECT_EQ(api.HandleToName(window, buffer, 3), static_cast<int32_t>(U16(title).size()));
    EXPECT_EQ(std::u16string(buffer, 3), u"Bre");
    EXPECT_EQ(api.HandleToName(window, nullptr, 0), static_cast<int32_t>(U16(title).size()));

    const std::u16string wanted = U16(title);
    EXPECT_TRUE(api.taskInList(wanted.data(), static_cast<int32_t>(wanted.size()), list.List()));
    EXPECT_FALSE(api.taskInList(u"Brevant", 7, list.List()));
}

TEST_F(BrevantWindowTest, LegacyTitleAndUnmappedWindow)
{
    WindowProcess child({"--legacy-title", "Caf\xE9", "--unmapped"});
    EXPECT_EQ(api.Name(child.Window()), u"Caf\u00E9");
    TestWindowList visible;
    TestWindowList hidden;
    EXPECT_TRUE(api.EnumWindowsVisible(child.Window(), visible.List()));
    EXPECT_TRUE(api.EnumWindowsHidden(child.Window(), hidden.List()));
    EXPECT_TRUE(visible.items.empty());
    ASSERT_EQ(hidden.items.size(), 1u);
    EXPECT_EQ(hidden.items[0].second, child.Window());
    EXPECT_EQ(api.WindowStatus(child.Window()), u"Hidden");
}

TEST_F(BrevantWindowTest, TitleChangeShowsAtOnce)
{
    WindowProcess child({"--title", "Before"});
    EXPECT_EQ(api.Name(child.Window()), u"Before");
    ASSERT_EQ(child.Command("title After"), "ok");
    EXPECT_EQ(api.Name(child.Window()), u"After");
}

TEST_F(BrevantWindowTest, DestroyedWindowIsInactiveAndActionsAreNoOps)
{
    WindowProcess child({"--title", "Short Lived"});
    const BrevantWindow window = child.Window();
    EXPECT_EQ(api.Status(window), u"Running");
    ASSERT_EQ(child.Command("destroy"), "destroyed");

    EXPECT_EQ(api.Status(window), u"Inactive");
    EXPECT_EQ(api.WindowStatus(window), u"Inactive");
    EXPECT_EQ(api.Name(window), u"");
    EXPECT_EQ(api.Class(window), u"");
    EXPECT_EQ(api.HandleToID(window), 0);
    EXPECT_EQ(api.HandleMemorySize(window), 0u);
    EXPECT_EQ(api.Parent(window), u"Desktop");
    EXPECT_FALSE(api.HandleResponding(window));

    // The owner is still connected, so the server would still name it for the old id.
    api.HandleSuspend(window);
    api.HandleSuspendParent(window);
    api.HandleKill(window);
    EXPECT_EQ(child.Command("title still here"), "ok");
}

TEST_F(BrevantWindowTest, WindowZeroAndUnknownIdsGivePlainDefaults)
{
    XConnection x;
    for (const BrevantWindow window : {BrevantWindow{0}, x.UnusedWindowId()}) {
        EXPECT_EQ(api.Status(window), u"Inactive");
        EXPECT_EQ(api.Name(window), u"");
        EXPECT_EQ(api.HandleToID(window), 0);
        EXPECT_EQ(api.Parent(window), u"Desktop");
        EXPECT_EQ(api.HandleMemorySize(window), 0u);
        EXPECT_FALSE(api.HandleResponding(window));
        EXPECT_FALSE(api.compareHWNDAndApps(window, window));
        api.HandleResume(window);
        api.HandleResumeParent(window);
    }
    EXPECT_TRUE(api.EnumWindowsAll(0, nullptr));
    EXPECT_FALSE(api.taskInList(u"x", 1, nullptr));

    // Every look at a window that is gone gets X errors back; none of them may stay behind.
    const BrevantWindow gone = x.UnusedWindowId();
    api.HandleToID(gone);
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 1000; ++i)
        api.HandleToID(gone);
    EXPECT_LT(mallinfo2().uordblks, before + 16 * 1024);
}

TEST_F(BrevantWindowTest, SuspendShowsAndOneResumeUndoesManySuspends)
{
    WindowProcess child({"--title", "Sleeper"});
    const BrevantWindow window = child.Window();
    int32_t stopped = 0;
    EXPECT_EQ(api.HandleSuspendOf(window, child.Pid(), &stopped, 1), 1);
    EXPECT_EQ(stopped, child.Pid());
    for (int i = 0; i < 2; ++i)
        api.HandleSuspend(window);
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(child.Pid()) == 'T'; }));
    EXPECT_EQ(api.Status(window), u"Suspended");
    EXPECT_EQ(api.WindowStatus(window), u"Suspended");
    EXPECT_FALSE(api.HandleResponding(window));

    api.HandleResume(window);
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(child.Pid()) != 'T'; }));
    EXPECT_EQ(api.Status(window), u"Running");
    EXPECT_TRUE(api.HandleResponding(window));
    EXPECT_EQ(child.Command("title awake"), "ok");
}

// The process's state is read from its stat file kept open: a stop and a continue from outside the
// library still show.
TEST_F(BrevantWindowTest, StopAndContinueFromOutsideShow)
{
    WindowProcess child({"--title", "Outside"});
    const BrevantWindow window = child.Window();
    EXPECT_EQ(api.Status(window), u"Running");
    ::kill(child.Pid(), SIGSTOP);
    EXPECT_TRUE(WaitUntil([&] { return api.Status(window) == u"Suspended"; }));
    ::kill(child.Pid(), SIGCONT);
    EXPECT_TRUE(WaitUntil([&] { return api.Status(window) == u"Running"; }));
    EXPECT_EQ(child.Command("title awake"), "ok");
}

TEST_F(BrevantWindowTest, ParentApplicationIsTheProgramsProcessFamily)
{
    WindowProcess child({"--title", "Family", "--family"});
    ASSERT_EQ(child.Family().size(), 2u);
    const pid_t sameProgram = child.Family()[0];
    const pid_t otherProgram = child.Family()[1];
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(otherProgram) == 'S'; }));

    int32_t stopped[4] = {};
    EXPECT_EQ(api.HandleSuspendParentOf(child.Window(), child.Pid(), stopped, 4), 2);
    EXPECT_EQ(std::set<pid_t>(stopped, stopped + 2), (std::set<pid_t>{child.Pid(), sameProgram}));
    EXPECT_TRUE(
        WaitUntil([&] { return ProcessState(child.Pid()) == 'T' && ProcessState(sameProgram) == 'T'; }));
    EXPECT_NE(ProcessState(otherProgram), 'T');
    EXPECT_EQ(api.Status(child.Window()), u"Suspended");

    // By id, only the very processes this library stopped are continued.
    api.ProcessResume(sameProgram);
    EXPECT_TRUE(WaitUntil([&] { return ProcessState(sameProgram) != 'T'; }));
    EXPECT_EQ(ProcessState(child.Pid()), 'T');
    ::kill(otherProgram, SIGSTOP);
    ASSERT_TRUE(WaitUntil([&] { return ProcessState(otherProgram) == 'T'; }));
    api.ProcessResume(otherProgram);
    EXPECT_FALSE(
        WaitUntil([&] { return ProcessState(otherProgram) != 'T'; }, std::chrono::milliseconds(200)));
    ::kill(otherProgram, SIGCONT);

    api.HandleResumeParent(child.Window());
    EXPECT_TRUE(
        WaitUntil([&] { return ProcessState(child.Pid()) != 'T' && ProcessState(sameProgram) != 'T'; }));
    EXPECT_EQ(child.Command("title awake"), "ok");

    WindowProcess sibling({"--title", "Sibling"});
    XConnection x;
    EXPECT_TRUE(api.compareHWNDAndApps(child.Window(), sibling.Window()));
    EXPECT_FALSE(api.compareHWNDAndApps(child.Window(), x.Root()));
}

TEST_F(BrevantWindowTest, DesktopWindowHasDesktopParentAndIsSparedAsParent)
{
    WindowProcess desktop({"--title", "Desktop Icons", "--desktop"});
    EXPECT_EQ(api.Parent(desktop.Window()), u"Desktop");
    EXPECT_EQ(api.HandleToID(desktop.Window()), desktop.Pid());
    api.HandleSuspendParent(desktop.Window());
    EXPECT_EQ(desktop.Command("title still drawn"), "ok");
}

// Handed another process than the window's owner, the checked calls reach nothing.
TEST_F(BrevantWindowTest, KillEndsTheOwnerOnlyWhileItIsTheProcessExpected)
{
    WindowProcess child({"--title", "Doomed"});
    int32_t stopped[4] = {};
    EXPECT_EQ(api.HandleSuspendOf(child.Window(), ::getpid(), stopped, 4), 0);
    EXPECT_EQ(api.HandleSuspendParentOf(child.Window(), ::getpid(), stopped, 4), 0);
    api.HandleKillOf(child.Window(), ::getpid());
    ASSERT_EQ(child.WaitForEnd(std::chrono::milliseconds(300)), -1);
    EXPECT_EQ(child.Command("title spared"), "ok");

    api.HandleKillOf(child.Window(), child.Pid());
    const int status = child.WaitForEnd(std::chrono::seconds(5));
    ASSERT_NE(status, -1);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_TRUE(WaitUntil([&] { return api.Status(child.Window()) == u"Inactive"; }));
}

TEST_F(BrevantWindowTest, UnansweredPingMeansNotResponding)
{
    WindowProcess deaf({"--title", "Deaf", "--ping", "ignore"});
    WindowProcess answering({"--title", "Answering", "--ping", "answer"});
    EXPECT_TRUE(api.HandleResponding(deaf.Window()));
    EXPECT_TRUE(api.HandleResponding(answering.Window()));
    EXPECT_TRUE(WaitUntil([&] { return !api.HandleResponding(deaf.Window()); }));
    EXPECT_EQ(api.Status(deaf.Window()), u"Not Responding");
    // Well past the allowed delay, the answering window never counts as hung.
    EXPECT_FALSE(WaitUntil([&] { return !api.HandleResponding(answering.Window()); },
                           std::chrono::milliseconds(1500)));
    EXPECT_EQ(api.Status(answering.Window()), u"Running");
}

} // namespace
