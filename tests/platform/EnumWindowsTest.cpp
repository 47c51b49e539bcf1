// The window enumeration on a real display whose window manager is this test: it redirects the
// root, announces itself with a check window, frames its clients, and keeps a client list or not;
// or there is no window manager.
#include "platform/EnumWindows.h"

#include "platform/Application.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <xcb/xcb.h>

namespace {

class Manager {
public:
    explicit Manager(bool manages = true)
    {
        c_ = xcb_connect(nullptr, nullptr);
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        root_ = screen->root;
        if (!manages)
            return;
        const uint32_t redirect = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &redirect);
        const xcb_window_t check = Window(root_);
        Set(check, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {check});
        Set(root_, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, {check});
        Set(root_, "_NET_SUPPORTED", XCB_ATOM_ATOM, {Atom("_NET_WM_STATE")});
    }
    ~Manager() { xcb_disconnect(c_); }

    // A window, mapped unless `hidden`; a client carries WM_STATE (`state` 0 is withdrawn, -1 none).
    xcb_window_t Window(xcb_window_t parent, int state = -1, const std::string& title = std::string(),
                        bool hidden = false)
    {
        const xcb_window_t w = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, parent, 0, 0, 20, 20, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        if (state >= 0)
            Set(w, "WM_STATE", Atom("WM_STATE"), {static_cast<uint32_t>(state), 0});
        if (!title.empty())
            Title(w, title);
        if (!hidden)
            xcb_map_window(c_, w);
        return w;
    }
    void Title(xcb_window_t window, const std::string& title)
    {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<uint32_t>(title.size()), title.data());
    }
    void Hide(xcb_window_t window) { xcb_unmap_window(c_, window); }

    void Set(xcb_window_t window, const char* property, xcb_atom_t type, const std::vector<uint32_t>& values)
    {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, Atom(property), type, 32,
                            static_cast<uint32_t>(values.size()), values.data());
    }
    xcb_atom_t Atom(const char* name)
    {
        auto* reply = xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, std::strlen(name), name), nullptr);
        const xcb_atom_t atom = reply->atom;
        std::free(reply);
        return atom;
    }
    void Delete(const char* property) { xcb_delete_property(c_, root_, Atom(property)); }
    // Appends `count` ids no window has to the client list.
    void AppendUnused(int count)
    {
        std::vector<uint32_t> ids(count);
        for (uint32_t& id : ids)
            id = xcb_generate_id(c_);
        xcb_change_property(c_, XCB_PROP_MODE_APPEND, root_, Atom("_NET_CLIENT_LIST"), XCB_ATOM_WINDOW, 32,
                            count, ids.data());
    }
    xcb_window_t Root() const { return root_; }
    // Returns once the server has done all the above.
    void Sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

    // What the program enumerates once the server has done all the above.
    std::vector<uint32_t> Enumerated()
    {
        Sync();
        static std::vector<uint32_t> windows;
        windows.clear();
        EnumWindows(
            [](BrevantWindow window, const BrevantWindowList*) {
                windows.push_back(window);
                return true;
            },
            nullptr);
        return windows;
    }

private:
    xcb_connection_t* c_ = nullptr;
    xcb_window_t root_ = 0;
};

} // namespace

TEST(EnumWindows, ClientsOfAManagerWithoutAClientListAreFoundInsideItsFrames)
{
    Manager manager;
    // Bottom to top: a frame with its decoration before its client, a titled frame holding its
    // client two levels down, a client the manager did not frame, a frame whose client it let go,
    // and a titled window that is no client.
    const xcb_window_t frameA = manager.Window(manager.Root());
    manager.Window(manager.Window(frameA));
    const xcb_window_t clientA = manager.Window(frameA, 1, "A");
    const xcb_window_t frameB = manager.Window(manager.Root(), -1, "frame");
    const xcb_window_t clientB = manager.Window(manager.Window(frameB), 1, "B");
    const xcb_window_t clientC = manager.Window(manager.Root(), 3, "C");
    const xcb_window_t frameD = manager.Window(manager.Root());
    const xcb_window_t withdrawn = manager.Window(frameD, 0, "withdrawn");
    manager.Window(manager.Root(), -1, "popup");
    EXPECT_EQ(manager.Enumerated(), (std::vector<uint32_t>{clientA, clientB, clientC}));

    // Nothing changed: the tree is not searched again.
    const uint64_t searches = EnumerationWorkDone().searches;
    EXPECT_EQ(manager.Enumerated(), (std::vector<uint32_t>{clientA, clientB, clientC}));
    EXPECT_EQ(EnumerationWorkDone().searches, searches);
    // A wait of the program holds the task tick up: the watch ends with it, so what the windows
    // change meanwhile is not held for it unread, and the next enumeration reads anew.
    {
        const Application::ProgramWait wait;
        for (int i = 0; i < 2000; ++i)
            manager.Title(clientA, "A" + std::to_string(i));
        manager.Sync();
    }
    const uint64_t heard = EnumerationWorkDone().heard;
    // Inside a frame a client comes, its mark goes, and a window let go is taken back.
    const xcb_window_t clientD = manager.Window(frameD, 1, "D");
    EXPECT_EQ(manager.Enumerated(), (std::vector<uint32_t>{clientA, clientB, clientC, clientD}));
    EXPECT_LT(EnumerationWorkDone().heard - heard, 100u);
    manager.Set(clientD, "WM_STATE", manager.Atom("WM_STATE"), {0, 0});
    EXPECT_EQ(manager.Enumerated(), (std::vector<uint32_t>{clientA, clientB, clientC}));
    manager.Set(withdrawn, "WM_STATE", manager.Atom("WM_STATE"), {1, 0});
    EXPECT_EQ(manager.Enumerated(), (std::vector<uint32_t>{clientA, clientB, clientC, withdrawn}));

    // Once the manager keeps a list, the list is the windows, in its order.
    manager.Set(manager.Root(), "_NET_CLIENT_LIST", XCB_ATOM_WINDOW, {clientC, clientA});
    EXPECT_EQ(manager.Enumerated(), (std::vector<uint32_t>{clientC, clientA}));
    // Ids any client appends of windows that do not exist are looked up once, and only so many.
    const EnumerationWork before = EnumerationWorkDone();
    manager.AppendUnused(60000);
    EXPECT_EQ(manager.Enumerated(), (std::vector<uint32_t>{clientC, clientA}));
    const uint64_t listed = EnumerationWorkDone().listed;
    EXPECT_LT(listed - before.listed, 10000u);
    EXPECT_EQ(manager.Enumerated(), (std::vector<uint32_t>{clientC, clientA}));
    EXPECT_EQ(EnumerationWorkDone().listed, listed);
    EXPECT_EQ(EnumerationWorkDone().searches, before.searches);
    // A manager that names the list as supported keeps one even before it writes it.
    manager.Delete("_NET_CLIENT_LIST");
    manager.Set(manager.Root(), "_NET_SUPPORTED", XCB_ATOM_ATOM,
                {manager.Atom("_NET_WM_STATE"), manager.Atom("_NET_CLIENT_LIST")});
    EXPECT_TRUE(manager.Enumerated().empty());
}

TEST(EnumWindows, DeepAndWideWindowsBoundTheSearch)
{
    Manager manager;
    // Below the frames: a chain of nested windows with a client at its end, too deep to be a
    // program's window, and a window with a crowd of children (both hidden, which spares the
    // server's work on what is shown).
    xcb_window_t chain = manager.Window(manager.Root(), -1, std::string(), true);
    for (int i = 0; i < 5000; ++i)
        chain = manager.Window(chain);
    manager.Window(chain, 1, "deep");
    const xcb_window_t crowd = manager.Window(manager.Root(), -1, std::string(), true);
    for (int i = 0; i < 5000; ++i)
        manager.Window(crowd);
    const xcb_window_t clientA = manager.Window(manager.Window(manager.Root()), 1, "A");
    const xcb_window_t clientB = manager.Window(manager.Window(manager.Window(manager.Root())), 1, "B");

    const EnumerationWork before = EnumerationWorkDone();
    EXPECT_EQ(manager.Enumerated(), (std::vector<uint32_t>{clientA, clientB}));
    EXPECT_EQ(EnumerationWorkDone().searches - before.searches, 1u);
    EXPECT_LT(EnumerationWorkDone().visited - before.visited, 1000u);
}

TEST(EnumWindows, WithoutAManagerTheRootsMarkedOrShownTitledChildrenAreFound)
{
    Manager display(false);
    const xcb_window_t titled = display.Window(display.Root(), -1, "titled");
    const xcb_window_t untitled = display.Window(display.Root());
    const xcb_window_t hidden = display.Window(display.Root(), -1, "hidden", true);
    EXPECT_EQ(display.Enumerated(), (std::vector<uint32_t>{titled}));
    // What they are told later counts.
    display.Title(untitled, "titled later");
    EXPECT_EQ(display.Enumerated(), (std::vector<uint32_t>{titled, untitled}));
    display.Set(hidden, "WM_STATE", display.Atom("WM_STATE"), {1, 0});
    EXPECT_EQ(display.Enumerated(), (std::vector<uint32_t>{titled, untitled, hidden}));
    display.Hide(titled);
    EXPECT_EQ(display.Enumerated(), (std::vector<uint32_t>{untitled, hidden}));
}
