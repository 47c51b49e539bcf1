#include "platform/EnumWindows.h"

#include "platform/VelmoraError.h"

#include <QGuiApplication>
#include <algorithm>
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

bool Present(xcb_connection_t* c, xcb_get_property_cookie_t cookie)
{
    const auto reply = Own(xcb_get_property_reply(c, cookie, nullptr));
    return reply && reply->type != XCB_ATOM_NONE;
}

// A client window as a window manager marks it: WM_STATE, other than withdrawn (a manager that lets a
// window go may leave a withdrawn state behind).
bool Managed(xcb_connection_t* c, xcb_get_property_cookie_t cookie)
{
    constexpr uint32_t WithdrawnState = 0;
    const auto reply = Own(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->type == XCB_ATOM_NONE)
        return false;
    return xcb_get_property_value_length(reply.get()) < 4 ||
           *static_cast<const uint32_t*>(xcb_get_property_value(reply.get())) != WithdrawnState;
}

// The top-level client windows found as ICCCM tools find them, for a display whose window manager
// keeps no client list: each root child that is a client, else the first client below it
// (depth-first), so a reparenting manager's frame stands for the program's window inside it. With no
// window manager at all nothing is reparented: the clients are the root children that carry WM_STATE
// or are mapped with a title (Qt's unmapped client leader carries a title too). Each level of the
// tree costs one round trip, its requests all sent before the first reply is awaited; the storage is
// kept between calls.
class ClientSearch {
public:
    void Run(xcb_connection_t* c, uint32_t root, xcb_atom_t wmState, xcb_atom_t netName,
             std::vector<uint32_t>& windows)
    {
        windows.clear();
        nodes_.clear();
        const auto treeCookie = xcb_query_tree(c, root);
        const auto rootCookie = xcb_get_window_attributes(c, root);
        const auto tree = Own(xcb_query_tree_reply(c, treeCookie, nullptr));
        const auto rootAttributes = Own(xcb_get_window_attributes_reply(c, rootCookie, nullptr));
        if (!tree || !rootAttributes)
            return;
        // Only a window manager redirects the root's substructure.
        const bool manager = (rootAttributes->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
        Append(tree.get());
        const size_t rootChildren = nodes_.size();
        if (manager) {
            for (size_t begin = 0, end = nodes_.size(); begin < end; begin = end, end = nodes_.size())
                Descend(c, wmState, begin, end);
            for (size_t i = 0; i < rootChildren; ++i) {
                if (const uint32_t client = FirstClient(i))
                    windows.push_back(client);
            }
        } else {
            Unmanaged(c, wmState, netName, windows);
        }
    }

private:
    struct Node {
        uint32_t window;
        bool client;
        // Its children's place in nodes_.
        uint32_t first, count;
        xcb_get_property_cookie_t state;
        xcb_query_tree_cookie_t tree;
    };

    void Append(const xcb_query_tree_reply_t* tree)
    {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        const int count = xcb_query_tree_children_length(tree);
        for (int i = 0; i < count; ++i)
            nodes_.push_back(Node{children[i], false, 0, 0, {}, {}});
    }

    // One level: which nodes are clients, and the children of those that are not.
    void Descend(xcb_connection_t* c, xcb_atom_t wmState, size_t begin, size_t end)
    {
        for (size_t i = begin; i < end; ++i) {
            nodes_[i].state = xcb_get_property(c, 0, nodes_[i].window, wmState, wmState, 0, 1);
            nodes_[i].tree = xcb_query_tree(c, nodes_[i].window);
        }
        for (size_t i = begin; i < end; ++i) {
            nodes_[i].client = Managed(c, nodes_[i].state);
            const auto tree = Own(xcb_query_tree_reply(c, nodes_[i].tree, nullptr));
            // A client's own windows are not looked into.
            if (!tree || nodes_[i].client)
                continue;
            nodes_[i].first = static_cast<uint32_t>(nodes_.size());
            Append(tree.get());
            nodes_[i].count = static_cast<uint32_t>(nodes_.size()) - nodes_[i].first;
        }
    }

    uint32_t FirstClient(size_t i) const
    {
        const Node& node = nodes_[i];
        if (node.client)
            return node.window;
        for (uint32_t k = node.first; k < node.first + node.count; ++k) {
            if (const uint32_t client = FirstClient(k))
                return client;
        }
        return 0;
    }

    void Unmanaged(xcb_connection_t* c, xcb_atom_t wmState, xcb_atom_t netName,
                   std::vector<uint32_t>& windows)
    {
        cookies_.resize(nodes_.size());
        for (size_t i = 0; i < nodes_.size(); ++i) {
            const xcb_window_t w = nodes_[i].window;
            cookies_[i] = {xcb_get_property(c, 0, w, wmState, wmState, 0, 1),
                           xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                           xcb_get_property(c, 0, w, netName, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                           xcb_get_window_attributes(c, w)};
        }
        for (size_t i = 0; i < nodes_.size(); ++i) {
            const bool managed = Managed(c, cookies_[i].state);
            const bool titled = Present(c, cookies_[i].name) | Present(c, cookies_[i].netName);
            const auto attributes = Own(xcb_get_window_attributes_reply(c, cookies_[i].attributes, nullptr));
            const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            if (attributes && (managed || (mapped && titled)))
                windows.push_back(nodes_[i].window);
        }
    }

    struct Cookies {
        xcb_get_property_cookie_t state, name, netName;
        xcb_get_window_attributes_cookie_t attributes;
    };
    std::vector<Node> nodes_;
    std::vector<Cookies> cookies_;
};

// The enumeration's own connection to the display. The window manager's client list is kept
// between calls and read again only when the root says it changed or the manager's check window
// went away, so an enumeration with nothing changed costs one look at the pending events and no
// round trip; so is the finding that there is no list. Its own connection, because waiting for
// replies on the toolkit's connection also wakes the toolkit's event reader.
class DisplayWatch {
public:
    ~DisplayWatch() { Disconnect(); }

    // False when there is neither this connection nor the toolkit's. Without a client list the
    // tree is searched anew, on the toolkit's connection where there is one: for that many requests
    // it costs less there (measured).
    bool Windows(xcb_connection_t* toolkit, std::vector<uint32_t>& windows)
    {
        if (!Ready()) {
            windows.clear();
            return false;
        }
        if (source_ == Source::Unknown)
            Read();
        if (source_ == Source::ClientList)
            windows = clients_;
        else
            search_.Run(toolkit != nullptr ? toolkit : c_, root_, wmState_, netName_, windows);
        return true;
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
        const char* const names[] = {"_NET_CLIENT_LIST", "_NET_SUPPORTING_WM_CHECK", "_NET_SUPPORTED",
                                     "WM_STATE", "_NET_WM_NAME"};
        constexpr int Count = sizeof names / sizeof names[0];
        xcb_intern_atom_cookie_t cookies[Count];
        for (int i = 0; i < Count; ++i)
            cookies[i] = xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
        xcb_atom_t* targets[Count] = {&clientList_, &supportingCheck_, &supported_, &wmState_, &netName_};
        for (int i = 0; i < Count; ++i) {
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
            if ((e.window == root_ &&
                 (e.atom == clientList_ || e.atom == supportingCheck_ || e.atom == supported_)) ||
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

    // The window manager's client list, trusted only while the manager's check window still exists
    // (a manager that died leaves its list behind), and only where the manager keeps one: the root
    // holds it, or the manager names it as supported (a list not yet written is empty).
    void Read()
    {
        const uint32_t check = WindowProperty(c_, root_, supportingCheck_);
        if (check != 0 && check != check_) {
            const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(c_, check, XCB_CW_EVENT_MASK, &events);
            check_ = check;
        }
        // Until the root's properties or the check window say otherwise.
        source_ = Source::Search;
        if (check == 0 || WindowProperty(c_, check, supportingCheck_) != check)
            return;
        const auto listCookie = xcb_get_property(c_, 0, root_, clientList_, XCB_ATOM_WINDOW, 0, 1 << 16);
        const auto supportedCookie = xcb_get_property(c_, 0, root_, supported_, XCB_ATOM_ATOM, 0, 1 << 16);
        const auto list = Own(xcb_get_property_reply(c_, listCookie, nullptr));
        const auto supported = Own(xcb_get_property_reply(c_, supportedCookie, nullptr));
        if (list && list->type == XCB_ATOM_WINDOW) {
            const auto* ids = static_cast<const uint32_t*>(xcb_get_property_value(list.get()));
            clients_.assign(ids, ids + xcb_get_property_value_length(list.get()) / 4);
            source_ = Source::ClientList;
        } else if (supported && supported->type == XCB_ATOM_ATOM) {
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
            const auto* end = atoms + xcb_get_property_value_length(supported.get()) / 4;
            if (std::find(atoms, end, clientList_) != end) {
                clients_.clear();
                source_ = Source::ClientList;
            }
        }
    }

    xcb_connection_t* c_ = nullptr;
    uint32_t root_ = 0;
    xcb_atom_t clientList_ = XCB_ATOM_NONE;
    xcb_atom_t supportingCheck_ = XCB_ATOM_NONE;
    xcb_atom_t supported_ = XCB_ATOM_NONE;
    xcb_atom_t wmState_ = XCB_ATOM_NONE;
    xcb_atom_t netName_ = XCB_ATOM_NONE;
    // The check window whose changes are selected.
    uint32_t check_ = 0;
    // Where the windows come from: not known until read, then the manager's client list, or the
    // display's tree searched anew on each call when there is no list.
    enum class Source { Unknown, ClientList, Search };
    Source source_ = Source::Unknown;
    std::vector<uint32_t> clients_;
    ClientSearch search_;
};

void DisplayWindows(std::vector<uint32_t>& windows)
{
    // The toolkit's connection only where the program itself shows its windows on an X display.
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* toolkit = x11 != nullptr ? x11->connection() : nullptr;
    if (toolkit != nullptr && xcb_connection_has_error(toolkit))
        toolkit = nullptr;
    static DisplayWatch watch;
    static bool told = false;
    if (watch.Windows(toolkit, windows) || told)
        return;
    // Once: a task manager that sees no windows must not look as if it worked.
    told = true;
    throw EVelmoraError(QStringLiteral("Cannot connect to the X display: the task manager sees no windows"));
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
