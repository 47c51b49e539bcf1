// Under a window manager: client windows are reparented into frames and listed by the manager.
#include "BrevantSupport.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::string Command(pid_t pid)
{
    std::ifstream file("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(file, name);
    return name;
}

TEST(BrevantManagedTest, ManagedWindowKeepsItsFactsAndTheManagerIsSpared)
{
    const BrevantApi& api = BrevantApi::Get();
    XConnection x;
    // The manager names its check window before it manages anything, and a window mapped in
    // between stays unmanaged: open windows until one is listed.
    std::unique_ptr<WindowProcess> managed;
    for (int attempt = 0; attempt < 6 && !managed; ++attempt) {
        auto child = std::make_unique<WindowProcess>(
            std::vector<std::string>{"--title", "Managed", "--class", "BrevantManaged"});
        if (WaitUntil([&] {
                const auto clients = x.RootProperty("_NET_CLIENT_LIST");
                return std::find(clients.begin(), clients.end(), child->Window()) != clients.end();
            }))
            managed = std::move(child);
    }
    ASSERT_TRUE(managed) << "the window manager did not list any window";
    WindowProcess& child = *managed;

    TestWindowList list;
    for (const uint32_t window : x.RootProperty("_NET_CLIENT_LIST"))
        EXPECT_TRUE(api.EnumWindowsAll(window, list.List()));
    EXPECT_NE(std::find(list.items.begin(), list.items.end(),
                        std::make_pair(std::u16string(u"Managed"), child.Window())),
              list.items.end());
    EXPECT_EQ(api.Class(child.Window()), u"BrevantManaged");
    EXPECT_EQ(api.HandleToID(child.Window()), child.Pid());
    EXPECT_EQ(api.Status(child.Window()), u"Running");

    const auto check = x.RootProperty("_NET_SUPPORTING_WM_CHECK");
    ASSERT_EQ(check.size(), 1u);
    const pid_t manager = api.HandleToID(check[0]);
    ASSERT_GT(manager, 1);
    EXPECT_EQ(Command(manager), "openbox");
    api.HandleSuspend(check[0]);
    api.HandleSuspendParent(check[0]);
    if (WaitUntil([&] { return ProcessState(manager) == 'T'; }, std::chrono::milliseconds(200))) {
        ::kill(manager, SIGCONT);
        FAIL() << "the window manager was stopped";
    }
    api.HandleKill(check[0]);
    EXPECT_FALSE(WaitUntil([&] { return ProcessState(manager) == 0 || ProcessState(manager) == 'Z'; },
                           std::chrono::milliseconds(200)));

    ASSERT_EQ(child.Command("destroy"), "destroyed");
    EXPECT_EQ(api.Status(child.Window()), u"Inactive");
}

} // namespace
