#include "platform/EnumWindows.h"

#include "platform/VelmoraError.h"

#include <QtGui/qtguiglobal.h>
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

EnumerationWork& Work()
{
    static EnumerationWork work;
    return work;
}

#if QT_CONFIG(xcb)

// Any client may nest windows without limit or write any ids into the root's client list: the work
// one enumeration does on that is bounded. A manager's frame holds its client two or three levels
// down in a dozen windows or fewer, so real desktops stay well inside these bounds.
constexpr int MaxDepth = 8;                 // levels looked into below a root child
constexpr uint32_t MaxBelowRootChild = 256; // windows looked at below one root child
constexpr size_t MaxVisited = 8192;         // windows one search looks at
constexpr uint32_t MaxListed = 4096;        // ids taken from the client list

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply> Owned<Reply> Own(Reply* reply)
{
    return Owned<Reply>(reply, &std::free);
}

void Select(xcb_connection_t* c, uint32_t window, uint32_t events)
{
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &events);
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
// tree costs two round trips, its requests all sent before the first reply is awaited. Every window
// looked at reports on the caller's connection what would change the result (each is selected
// before it is read, so no change slips in between); the storage is kept between calls.
class ClientSearch {
public:
    // Returns whether the windows' titles counted: only where no window manager runs.
    bool Run(xcb_connection_t* c, uint32_t root, xcb_atom_t wmState, xcb_atom_t netName,
             std::vector<uint32_t>& windows)
    {
        ++Work().searches;
        windows.clear();
        nodes_.clear();
        const auto treeCookie = xcb_query_tree(c, root);
        const auto rootCookie = xcb_get_window_attributes(c, root);
        const auto tree = Own(xcb_query_tree_reply(c, treeCookie, nullptr));
        const auto rootAttributes = Own(xcb_get_window_attributes_reply(c, rootCookie, nullptr));
        if (!tree || !rootAttributes)
            return true;
        // Only a window manager redirects the root's substructure.
        const bool manager = (rootAttributes->all_event_masks & XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT) != 0;
        Append(tree.get(), Node::None);
        const size_t rootChildren = nodes_.size();
        if (manager) {
            below_.assign(rootChildren, 0);
            size_t begin = 0;
            for (int depth = 0; begin < nodes_.size(); ++depth) {
                const size_t end = nodes_.size();
                Descend(c, wmState, begin, end, depth < MaxDepth);
                begin = end;
            }
            FirstClients();
            for (size_t i = 0; i < rootChildren; ++i) {
                if (nodes_[i].found != 0)
                    windows.push_back(nodes_[i].found);
            }
        } else {
            Unmanaged(c, wmState, netName, windows);
        }
        Work().visited += nodes_.size();
        return !manager;
    }

private:
    struct Node {
        static constexpr uint32_t None = UINT32_MAX;
        uint32_t window;
        // The root child it lies below (its own place for a root child).
        uint32_t top;
        bool client;
        // Its children's place in nodes_.
        uint32_t first, count;
        // The first client at or below it.
        uint32_t found;
        xcb_get_property_cookie_t state;
        xcb_query_tree_cookie_t tree;
    };

    // The children of a window below root child `top` (None for the root's own), as far as the
    // bounds allow.
    void Append(const xcb_query_tree_reply_t* tree, uint32_t top)
    {
        const xcb_window_t* children = xcb_query_tree_children(tree);
        const int count = xcb_query_tree_children_length(tree);
        for (int i = 0; i < count && nodes_.size() < MaxVisited; ++i) {
            if (top != Node::None) {
                if (below_[top] == MaxBelowRootChild)
                    break;
                ++below_[top];
            }
            const auto place = static_cast<uint32_t>(nodes_.size());
            nodes_.push_back(Node{children[i], top == Node::None ? place : top, false, 0, 0, 0, {}, {}});
        }
    }

    // One level: which nodes are clients, then the children of those that are not. A client's own
    // windows are not looked into, so it reports only its properties.
    void Descend(xcb_connection_t* c, xcb_atom_t wmState, size_t begin, size_t end, bool deeper)
    {
        for (size_t i = begin; i < end; ++i) {
            Select(c, nodes_[i].window, XCB_EVENT_MASK_PROPERTY_CHANGE);
            nodes_[i].state = xcb_get_property(c, 0, nodes_[i].window, wmState, wmState, 0, 1);
        }
        for (size_t i = begin; i < end; ++i)
            nodes_[i].client = Managed(c, nodes_[i].state);
        if (!deeper)
            return;
        for (size_t i = begin; i < end; ++i) {
            if (nodes_[i].client)
                continue;
            Select(c, nodes_[i].window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
            nodes_[i].tree = xcb_query_tree(c, nodes_[i].window);
        }
        for (size_t i = begin; i < end; ++i) {
            if (nodes_[i].client)
                continue;
            const auto tree = Own(xcb_query_tree_reply(c, nodes_[i].tree, nullptr));
            if (!tree)
                continue;
            nodes_[i].first = static_cast<uint32_t>(nodes_.size());
            Append(tree.get(), nodes_[i].top);
            nodes_[i].count = static_cast<uint32_t>(nodes_.size()) - nodes_[i].first;
        }
    }

    // Children lie after their parent in nodes_, so one pass from the end finds each node's first
    // client depth-first.
    void FirstClients()
    {
        for (size_t i = nodes_.size(); i-- > 0;) {
            Node& node = nodes_[i];
            node.found = node.client ? node.window : 0;
            for (uint32_t k = node.first; k < node.first + node.count && node.found == 0; ++k)
                node.found = nodes_[k].found;
        }
    }

    void Unmanaged(xcb_connection_t* c, xcb_atom_t wmState, xcb_atom_t netName,
                   std::vector<uint32_t>& windows)
    {
        cookies_.resize(nodes_.size());
        for (size_t i = 0; i < nodes_.size(); ++i) {
            const xcb_window_t w = nodes_[i].window;
            Select(c, w, XCB_EVENT_MASK_PROPERTY_CHANGE);
            cookies_[i] = {xcb_get_property(c, 0, w, wmState, wmState, 0, 1),
                           xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                           xcb_get_property(c, 0, w, netName, XCB_GET_PROPERTY_TYPE_ANY, 0, 0),
                           xcb_get_window_attributes(c, w)};
        }
        for (size_t i = 0; i < nodes_.size(); ++i) {
            const bool managed = Managed(c, cookies_[i].state);
            // Both replies are read, or the second would stay queued on the connection.
            const bool named = Present(c, cookies_[i].name);
            const bool netNamed = Present(c, cookies_[i].netName);
            const bool titled = named || netNamed;
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
    // The windows looked at below each root child.
    std::vector<uint32_t> below_;
    std::vector<Cookies> cookies_;
};

// The enumeration's own connection to the display. What it found is kept between calls and looked
// for again only when the display reported a change: the manager's client list when the root says
// it changed or the manager's check window went away, the tree when a window the search looked at
// changed its children, its client mark or its title. An enumeration with nothing changed costs one
// look at the pending events and no round trip. Its own connection, because waiting for replies on
// the toolkit's connection also wakes the toolkit's event reader.
class DisplayWatch {
public:
    ~DisplayWatch() { Disconnect(); }

    // The changes it listens to would pile up on the connection while nobody enumerates.
    void Disconnect()
    {
        if (c_ != nullptr)
            xcb_disconnect(c_);
        c_ = nullptr;
        source_ = Source::Unknown;
        check_ = 0;
    }

    // False without a connection.
    bool Windows(std::vector<uint32_t>& windows)
    {
        if (!Ready()) {
            windows.clear();
            return false;
        }
        if (source_ == Source::Unknown) {
            Read();
            // Only the tree search needs to hear of the root's children.
            Select(c_, root_,
                   XCB_EVENT_MASK_PROPERTY_CHANGE |
                       (source_ == Source::Search ? XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY : 0));
        }
        if (source_ == Source::Search && !searched_) {
            titled_ = search_.Run(c_, root_, wmState_, netName_, clients_);
            searched_ = true;
        }
        windows = clients_;
        return true;
    }

private:
    bool Ready()
    {
        if (c_ != nullptr) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(c_)) {
                ++Work().heard;
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
        Select(c_, root_, XCB_EVENT_MASK_PROPERTY_CHANGE);
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

    void Handle(const xcb_generic_event_t& event)
    {
        switch (event.response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY: {
            const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            if ((e.window == root_ &&
                 (e.atom == clientList_ || e.atom == supportingCheck_ || e.atom == supported_)) ||
                (e.window == check_ && e.atom == supportingCheck_))
                source_ = Source::Unknown;
            if (e.atom == wmState_ || (titled_ && (e.atom == XCB_ATOM_WM_NAME || e.atom == netName_)))
                searched_ = false;
            break;
        }
        case XCB_DESTROY_NOTIFY:
            if (reinterpret_cast<const xcb_destroy_notify_event_t&>(event).window == check_)
                source_ = Source::Unknown;
            searched_ = false;
            break;
        // Windows came, went, moved between parents, were shown, hidden or restacked.
        case XCB_CREATE_NOTIFY:
        case XCB_REPARENT_NOTIFY:
        case XCB_MAP_NOTIFY:
        case XCB_UNMAP_NOTIFY:
        case XCB_CONFIGURE_NOTIFY:
        case XCB_GRAVITY_NOTIFY:
        case XCB_CIRCULATE_NOTIFY:
            searched_ = false;
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
        searched_ = false;
        const uint32_t check = WindowProperty(c_, root_, supportingCheck_);
        if (check != 0 && check != check_) {
            Select(c_, check, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
            check_ = check;
        }
        // Until the root's properties or the check window say otherwise.
        source_ = Source::Search;
        if (check == 0 || WindowProperty(c_, check, supportingCheck_) != check)
            return;
        const auto listCookie = xcb_get_property(c_, 0, root_, clientList_, XCB_ATOM_WINDOW, 0, MaxListed);
        const auto supportedCookie = xcb_get_property(c_, 0, root_, supported_, XCB_ATOM_ATOM, 0, 1 << 16);
        const auto list = Own(xcb_get_property_reply(c_, listCookie, nullptr));
        const auto supported = Own(xcb_get_property_reply(c_, supportedCookie, nullptr));
        if (list && list->type == XCB_ATOM_WINDOW) {
            const auto* ids = static_cast<const uint32_t*>(xcb_get_property_value(list.get()));
            Existing(ids, xcb_get_property_value_length(list.get()) / 4);
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

    // The listed windows that exist: any client may write ids into the list, and an id found gone
    // here costs the checks nothing until the list changes.
    void Existing(const uint32_t* ids, int count)
    {
        Work().listed += static_cast<uint64_t>(count);
        lookups_.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i)
            lookups_[i] = xcb_get_window_attributes(c_, ids[i]);
        clients_.clear();
        for (int i = 0; i < count; ++i) {
            xcb_generic_error_t* error = nullptr;
            const auto attributes = Own(xcb_get_window_attributes_reply(c_, lookups_[i], &error));
            std::free(error);
            if (attributes)
                clients_.push_back(ids[i]);
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
    // display's tree searched when there is no list.
    enum class Source { Unknown, ClientList, Search };
    Source source_ = Source::Unknown;
    // Whether clients_ holds the tree's clients as they are now, and whether titles decided them.
    bool searched_ = false;
    bool titled_ = true;
    std::vector<uint32_t> clients_;
    std::vector<xcb_get_window_attributes_cookie_t> lookups_;
    ClientSearch search_;
};

DisplayWatch& Watch()
{
    static DisplayWatch watch;
    return watch;
}

void DisplayWindows(std::vector<uint32_t>& windows)
{
    static bool told = false;
    if (Watch().Windows(windows) || told)
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

void EndWindowWatch()
{
#if QT_CONFIG(xcb)
    Watch().Disconnect();
#endif
}

void SetWindowSource(WindowSource source)
{
    Source() = std::move(source);
}

EnumerationWork EnumerationWorkDone()
{
    return Work();
}
