#include "platform/EnumWindows.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace {

WindowSource& Source()
{
    static WindowSource source;
    return source;
}

#if QT_CONFIG(xcb)

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> Owned<Reply> Own(Reply* reply)
{
    return Owned<Reply>(reply, &std::free);
}

// Atoms of one connection, looked up once.
struct Atoms {
    xcb_connection_t* connection = nullptr;
    xcb_atom_t clientList = XCB_ATOM_NONE;
    xcb_atom_t supportingCheck = XCB_ATOM_NONE;
    xcb_atom_t wmState = XCB_ATOM_NONE;
    xcb_atom_t netName = XCB_ATOM_NONE;
};

const Atoms& AtomsOf(xcb_connection_t* c)
{
    static Atoms atoms;
    if (atoms.connection == c)
        return atoms;
    const char* const names[] = {"_NET_CLIENT_LIST", "_NET_SUPPORTING_WM_CHECK", "WM_STATE", "_NET_WM_NAME"};
    xcb_intern_atom_cookie_t cookies[4];
    for (int i = 0; i < 4; ++i)
        cookies[i] = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
    xcb_atom_t* targets[] = {&atoms.clientList, &atoms.supportingCheck, &atoms.wmState, &atoms.netName};
    for (int i = 0; i < 4; ++i) {
        const auto reply = Own(xcb_intern_atom_reply(c, cookies[i], nullptr));
        *targets[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    }
    atoms.connection = c;
    return atoms;
}

// The window a property names, or 0.
uint32_t WindowProperty(xcb_connection_t* c, uint32_t window, xcb_atom_t property)
{
    const auto reply = Own(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || xcb_get_property_value_length(reply.get()) < 4)
        return 0;
    return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

// The window manager's client list, trusted only while the manager's check window still exists
// (a manager that died leaves its list behind).
bool ClientList(xcb_connection_t* c, uint32_t root, const Atoms& atoms, std::vector<uint32_t>& windows)
{
    const uint32_t check = WindowProperty(c, root, atoms.supportingCheck);
    if (check == 0 || WindowProperty(c, check, atoms.supportingCheck) != check)
        return false;
    const auto reply = Own(xcb_get_property_reply(
        c, xcb_get_property(c, 0, root, atoms.clientList, XCB_ATOM_WINDOW, 0, 1 << 16), nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW)
        return false;
    const auto* ids = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    windows.assign(ids, ids + xcb_get_property_value_length(reply.get()) / 4);
    return true;
}

// Without a window manager: the root's children that carry WM_STATE, or that are mapped and carry a
// title. Qt's unmapped client leader carries a title too, so a title alone is not enough. Every
// request is sent before the first reply is awaited.
void RootChildren(xcb_connection_t* c, uint32_t root, const Atoms& atoms, std::vector<uint32_t>& windows)
{
    const auto tree = Own(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (!tree)
        return;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    struct Cookies {
        xcb_get_property_cookie_t state, name, netName;
        xcb_get_window_attributes_cookie_t attributes;
    };
    std::vector<Cookies> cookies(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const xcb_window_t w = children[i];
        cookies[i] = {xcb_get_property(c, 0, w, atoms.wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                      xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                      xcb_get_property(c, 0, w, atoms.netName, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                      xcb_get_window_attributes(c, w)};
    }
    auto present = [c](xcb_get_property_cookie_t cookie) {
        const auto reply = Own(xcb_get_property_reply(c, cookie, nullptr));
        return reply && reply->type != XCB_ATOM_NONE;
    };
    windows.clear();
    for (int i = 0; i < count; ++i) {
        const bool managed = present(cookies[i].state);
        const bool titled = present(cookies[i].name) | present(cookies[i].netName);
        const auto attributes = Own(xcb_get_window_attributes_reply(c, cookies[i].attributes, nullptr));
        const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (attributes && (managed || (mapped && titled)))
            windows.push_back(children[i]);
    }
}

void DisplayWindows(std::vector<uint32_t>& windows)
{
    windows.clear();
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 != nullptr ? x11->connection() : nullptr;
    if (c == nullptr || xcb_connection_has_error(c))
        return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    if (screen == nullptr)
        return;
    const Atoms& atoms = AtomsOf(c);
    if (!ClientList(c, screen->root, atoms, windows))
        RootChildren(c, screen->root, atoms, windows);
}

#else

void DisplayWindows(std::vector<uint32_t>& windows)
{
    windows.clear();
}

#endif

} // namespace

void EnumWindows(WNDENUMPROC callback, const BrevantWindowList* parameter)
{
    // Kept between calls: an enumeration on every tick reuses its storage.
    static std::vector<uint32_t> windows;
    if (Source())
        windows = Source()();
    else
        DisplayWindows(windows);
    for (const uint32_t window : windows) {
        if (!callback(window, parameter))
            break;
    }
}

void SetWindowSource(WindowSource source)
{
    Source() = std::move(source);
}
