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

// The window a property names, or 0.
uint32_t WindowProperty(xcb_connection_t* c, uint32_t window, xcb_atom_t property)
{
    const auto reply = Own(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, XCB_ATOM_WINDOW, 0, 1), nullptr));
    if (!reply || reply->type != XCB_ATOM_WINDOW || xcb_get_property_value_length(reply.get()) < 4)
        return 0;
    return *static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
}

// Without a window manager: the root's children that carry WM_STATE, or that are mapped and carry a
// title. Qt's unmapped client leader carries a title too, so a title alone is not enough. Every
// request is sent before the first reply is awaited.
void RootChildren(xcb_connection_t* c, uint32_t root, xcb_atom_t wmState, xcb_atom_t netName,
                  std::vector<uint32_t>& windows)
{
    windows.clear();
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
        cookies[i] = {xcb_get_property(c, 0, w, wmState, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                      xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                      xcb_get_property(c, 0, w, netName, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                      xcb_get_window_attributes(c, w)};
    }
    auto present = [c](xcb_get_property_cookie_t cookie) {
        const auto reply = Own(xcb_get_property_reply(c, cookie, nullptr));
        return reply && reply->type != XCB_ATOM_NONE;
    };
    for (int i = 0; i < count; ++i) {
        const bool managed = present(cookies[i].state);
        const bool titled = present(cookies[i].name) | present(cookies[i].netName);
        const auto attributes = Own(xcb_get_window_attributes_reply(c, cookies[i].attributes, nullptr));
        const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        if (attributes && (managed || (mapped && titled)))
            windows.push_back(children[i]);
    }
}

// The enumeration's own connection to the display. The window manager's client list is kept
// between calls and read again only when the root says it changed or the manager's check window
// went away, so an enumeration with nothing changed costs one look at the pending events and no
// round trip; so is the finding that there is no manager. Its own connection, because waiting for replies on
// the toolkit's connection also wakes the toolkit's event reader.
class ClientListWatch {
public:
    ~ClientListWatch() { Disconnect(); }

    // Without a window manager the root's children are looked at anew, on the toolkit's connection:
    // for that many requests it costs less there (measured).
    void Windows(xcb_connection_t* toolkit, std::vector<uint32_t>& windows)
    {
        if (!Ready()) {
            windows.clear();
            return;
        }
        if (source_ == Source::Unknown)
            Read();
        if (source_ == Source::ClientList)
            windows = clients_;
        else
            RootChildren(toolkit, root_, wmState_, netName_, windows);
    }

private:
    bool Ready()
    {
        if (c_ != nullptr) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
                Handle(*event);
                std::free(event);
            }
            if (xcb_connection_has_error(c_))
                Disconnect();
        }
        if (c_ == nullptr)
            Connect();
        return c_ != nullptr;
    }

    void Connect()
    {
        int screenNumber = 0;
        c_ = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(c_)) {
            Disconnect();
            return;
        }
        auto screens = xcb_setup_roots_iterator(xcb_get_setup(c_));
        for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
            xcb_screen_next(&screens);
        root_ = screens.data->root;
        // Selected before anything is read, so a change after the read cannot go unnoticed.
        const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c_, root_, XCB_CW_EVENT_MASK, &events);
        const char* const names[] = {"_NET_CLIENT_LIST", "_NET_SUPPORTING_WM_CHECK", "WM_STATE",
                                     "_NET_WM_NAME"};
        xcb_intern_atom_cookie_t cookies[4];
        for (int i = 0; i < 4; ++i)
            cookies[i] = xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
        xcb_atom_t* targets[] = {&clientList_, &supportingCheck_, &wmState_, &netName_};
        for (int i = 0; i < 4; ++i) {
            const auto reply = Own(xcb_intern_atom_reply(c_, cookies[i], nullptr));
            *targets[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        }
    }

    void Disconnect()
    {
        if (c_ != nullptr)
            xcb_disconnect(c_);
        c_ = nullptr;
        source_ = Source::Unknown;
        check_ = 0;
    }

    void Handle(const xcb_generic_event_t& event)
    {
        switch (event.response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if ((e.window == root_ && (e.atom == clientList_ || e.atom == supportingCheck_)) ||
                (e.window == check_ && e.atom == supportingCheck_))
                source_ = Source::Unknown;
            break;
        }
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == check_)
                source_ = Source::Unknown;
            break;
        default:
            break;
        }
    }

    // The window manager's client list, trusted only while the manager's check window still
    // exists (a manager that died leaves its list behind).
    void Read()
    {
        const uint32_t check = WindowProperty(c_, root_, supportingCheck_);
        if (check != 0 && check != check_) {
            const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(c_, check, XCB_CW_EVENT_MASK, &events);
            check_ = check;
        }
        // Until the root's properties or the check window say otherwise.
        source_ = Source::RootChildren;
        if (check == 0 || WindowProperty(c_, check, supportingCheck_) != check)
            return;
        const auto reply = Own(xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, root_, clientList_, XCB_ATOM_WINDOW, 0, 1 << 16), nullptr));
        if (!reply || reply->type != XCB_ATOM_WINDOW)
            return;
        const auto* ids = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        clients_.assign(ids, ids + xcb_get_property_value_length(reply.get()) / 4);
        source_ = Source::ClientList;
    }

    xcb_connection_t* c_ = nullptr;
    uint32_t root_ = 0;
    xcb_atom_t clientList_ = XCB_ATOM_NONE;
    xcb_atom_t supportingCheck_ = XCB_ATOM_NONE;
    xcb_atom_t wmState_ = XCB_ATOM_NONE;
    xcb_atom_t netName_ = XCB_ATOM_NONE;
    // The check window whose changes are selected.
    uint32_t check_ = 0;
    // Where the windows come from: not known until read, then the manager's client list, or the
    // root's children looked at anew on each call when there is no manager.
    enum class Source { Unknown, ClientList, RootChildren };
    Source source_ = Source::Unknown;
    std::vector<uint32_t> clients_;
};

void DisplayWindows(std::vector<uint32_t>& windows)
{
    // Only where the program itself shows its windows on an X display.
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* toolkit = x11 != nullptr ? x11->connection() : nullptr;
    if (toolkit == nullptr || xcb_connection_has_error(toolkit)) {
        windows.clear();
        return;
    }
    static ClientListWatch watch;
    watch.Windows(toolkit, windows);
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
