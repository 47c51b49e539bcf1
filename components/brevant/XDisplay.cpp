#include "XDisplay.h"

#include "Utf16.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>
#include <xcb/res.h>

namespace brevant {

namespace {

using Clock = std::chrono::steady_clock;

// A failed connection is tried again at most this often, so a call never waits on a display
// that is gone (connecting to a remote one can block).
constexpr auto RetryInterval = std::chrono::seconds(1);
// How long a window may leave a ping unanswered before it counts as not responding; a ping is
// sent again at most this often.
constexpr auto DefaultPingTimeout = std::chrono::milliseconds(5000);
constexpr auto PingInterval = std::chrono::milliseconds(1000);
// How long one read of the display's events serves the calls that follow it. Calls this close
// together are one moment of the caller (one check's questions about one window), and no other
// client's change reaches the display and comes back as an event that fast. An enumeration under
// way reuses its first window's read a little longer.
constexpr auto SameMoment = std::chrono::microseconds(50);
constexpr auto EnumerationReuse = std::chrono::milliseconds(20);
// Property reads, in 32-bit units: long enough for any sensible title.
constexpr uint32_t TextLength = 1024;
constexpr uint32_t AtomListLength = 64;
// How deep a client's windows are looked for: frames of managers nest a client's window two or
// three levels down. The number of windows looked at is bounded as well, as any client may make
// windows without limit.
constexpr int TreeDepth = 4;
constexpr size_t TreeLimit = 1 << 16;
// The ICCCM WM_STATE value of a window its manager has iconified.
constexpr uint32_t IconicState = 3;

constexpr uint32_t WindowEvents = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
// The ping answer is sent to the root with either notify mask, depending on the toolkit.
constexpr uint32_t RootEvents =
    XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using Reply = std::unique_ptr<T, FreeDeleter>;

// Takes a reply and frees the error its call filled in. The error is read here, through its
// address, because the order in which a call's arguments are evaluated is unspecified: passed by
// value it could be read before the reply call beside it has filled it.
template <class T> Reply<T> Own(T* reply, xcb_generic_error_t** error)
{
    std::free(*error);
    *error = nullptr;
    return Reply<T>(reply);
}

Reply<xcb_get_property_reply_t> PropertyReply(xcb_connection_t* c, xcb_get_property_cookie_t cookie)
{
    xcb_generic_error_t* error = nullptr;
    return Own(xcb_get_property_reply(c, cookie, &error), &error);
}

std::string_view PropertyBytes(const xcb_get_property_reply_t* reply)
{
    if (reply == nullptr || reply->format != 8)
        return {};
    std::string_view bytes(static_cast<const char*>(xcb_get_property_value(reply)),
                           static_cast<size_t>(xcb_get_property_value_length(reply)));
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.remove_suffix(1);
    return bytes;
}

std::vector<uint32_t> PropertyCards(const xcb_get_property_reply_t* reply)
{
    if (reply == nullptr || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply));
    return std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply) / 4);
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Programs name their machine by the host name, as this library reads it; one may give the full
// domain name of a short host name, or the other way round. No name keeps the window local.
bool ThisMachine(std::string_view named, std::string_view host)
{
    if (named.empty() || SameText(named, host))
        return true;
    const auto& [shorter, longer] =
        named.size() < host.size() ? std::pair(named, host) : std::pair(host, named);
    return shorter.find('.') == std::string_view::npos && longer.size() > shorter.size() &&
           longer[shorter.size()] == '.' && SameText(longer.substr(0, shorter.size()), shorter);
}

bool Contains(const std::vector<uint32_t>& values, uint32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

std::chrono::milliseconds PingTimeoutSetting()
{
    // Test-only: lets a test see an unanswered ping without waiting the full time.
    if (const char* text = std::getenv("BREVANT_PING_TIMEOUT_MS")) {
        int value = 0;
        const auto end = text + std::strlen(text);
        if (std::from_chars(text, end, value).ec == std::errc() && value > 0)
            return std::chrono::milliseconds(value);
    }
    return DefaultPingTimeout;
}

} // namespace

XDisplay::XDisplay()
    : pingTimeout_(PingTimeoutSetting())
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) == 0)
        hostName_ = name;
}

XDisplay::~XDisplay()
{
    Disconnect();
}

bool XDisplay::Ready(Clock::duration reuse)
{
    if (connection_ != nullptr) {
        // Reading the events also notices a display that went away.
        PumpEvents(Clock::now() - eventsRead_ >= reuse);
        if (xcb_connection_has_error(connection_))
            Disconnect();
    }
    if (connection_ == nullptr && (!connectFailed_ || Clock::now() - lastAttempt_ >= RetryInterval))
        Connect();
    return connection_ != nullptr;
}

void XDisplay::Connect()
{
    lastAttempt_ = Clock::now();
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
        xcb_disconnect(connection_);
        connection_ = nullptr;
        connectFailed_ = true;
        return;
    }
    connectFailed_ = false;
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    root_ = screens.data->root;

    xcb_intern_atom_cookie_t* atoms = xcb_ewmh_init_atoms(connection_, &ewmh_);
    const auto wmState = xcb_intern_atom(connection_, 0, 8, "WM_STATE");
    const auto* resources = xcb_get_extension_data(connection_, &xcb_res_id);
    // The owner query needs X-Resource 1.2.
    xcb_res_query_version_cookie_t version{};
    if (resources != nullptr && resources->present)
        version = xcb_res_query_version(connection_, 1, 2);
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &RootEvents);

    const bool ewmhReady = xcb_ewmh_init_atoms_replies(&ewmh_, atoms, nullptr) != 0;
    xcb_generic_error_t* error = nullptr;
    if (const auto atom = Own(xcb_intern_atom_reply(connection_, wmState, &error), &error))
        wmState_ = atom->atom;
    if (resources != nullptr && resources->present) {
        const auto reply = Own(xcb_res_query_version_reply(connection_, version, &error), &error);
        hasResources_ =
            reply && (reply->server_major > 1 || (reply->server_major == 1 && reply->server_minor >= 2));
    }
    if (!ewmhReady) {
        Disconnect();
        connectFailed_ = true;
        return;
    }

    ucred peer{};
    socklen_t size = sizeof peer;
    serverPid_ =
        ::getsockopt(xcb_get_file_descriptor(connection_), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0
            ? peer.pid
            : 0;
}

void XDisplay::Disconnect()
{
    if (connection_ != nullptr) {
        xcb_ewmh_connection_wipe(&ewmh_);
        xcb_disconnect(connection_);
    }
    connection_ = nullptr;
    ewmh_ = {};
    hasResources_ = false;
    serverPid_ = 0;
    mirror_.clear();
    watched_.clear();
    topLevel_.clear();
    topLevelKnown_ = false;
    pings_.clear();
}

// Handles the events already read; with `read`, first reads what the display has sent since.
void XDisplay::PumpEvents(bool read)
{
    if (read)
        eventsRead_ = Clock::now();
    while (xcb_generic_event_t* event =
               read ? xcb_poll_for_event(connection_) : xcb_poll_for_queued_event(connection_)) {
        HandleEvent(*event);
        std::free(event);
    }
}

bool XDisplay::Relevant(xcb_atom_t atom) const
{
    return atom == ewmh_._NET_WM_NAME || atom == XCB_ATOM_WM_NAME || atom == XCB_ATOM_WM_CLASS ||
           atom == ewmh_._NET_WM_PID || atom == XCB_ATOM_WM_CLIENT_MACHINE ||
           atom == ewmh_._NET_WM_WINDOW_TYPE || atom == ewmh_._NET_WM_STATE || atom == wmState_ ||
           atom == ewmh_.WM_PROTOCOLS;
}

void XDisplay::HandleEvent(const xcb_generic_event_t& event)
{
    // Errors of unchecked requests (selecting events on a window that just vanished) need nothing.
    switch (event.response_type & 0x7F) {
    case XCB_PROPERTY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_property_notify_event_t&>(event);
        if (e.window == root_) {
            if (e.atom == ewmh_._NET_CLIENT_LIST || e.atom == ewmh_._NET_SUPPORTING_WM_CHECK)
                topLevelKnown_ = false;
        } else if (Relevant(e.atom)) {
            mirror_.erase(e.window);
        }
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_destroy_notify_event_t&>(event);
        mirror_.erase(e.window);
        watched_.erase(e.window);
        pings_.erase(e.window);
        topLevelKnown_ = false;
        break;
    }
    case XCB_CREATE_NOTIFY: {
        // The id may be one that an earlier window had.
        const auto& e = reinterpret_cast<const xcb_create_notify_event_t&>(event);
        mirror_.erase(e.window);
        watched_.erase(e.window);
        pings_.erase(e.window);
        topLevelKnown_ = false;
        break;
    }
    case XCB_REPARENT_NOTIFY:
        topLevelKnown_ = false;
        break;
    case XCB_MAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_map_notify_event_t&>(event);
        if (const auto found = mirror_.find(e.window); found != mirror_.end())
            found->second.mapped = true;
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        const auto& e = reinterpret_cast<const xcb_unmap_notify_event_t&>(event);
        if (const auto found = mirror_.find(e.window); found != mirror_.end())
            found->second.mapped = false;
        break;
    }
    case XCB_CLIENT_MESSAGE: {
        const auto& e = reinterpret_cast<const xcb_client_message_event_t&>(event);
        if (e.format == 32 && e.type == ewmh_.WM_PROTOCOLS && e.data.data32[0] == ewmh_._NET_WM_PING)
            if (const auto found = pings_.find(e.data.data32[2]); found != pings_.end())
                found->second.outstanding = false;
        break;
    }
    default:
        break;
    }
}

WindowFacts XDisplay::Facts(uint32_t window)
{
    if (window == 0 || !Ready(SameMoment))
        return {};
    return MirroredFacts(window);
}

int32_t XDisplay::Pid(uint32_t window)
{
    if (window == 0 || !Ready(SameMoment))
        return 0;
    return MirroredFacts(window).pid;
}

const WindowFacts& XDisplay::ListedFacts(uint32_t window, bool first)
{
    static const WindowFacts none;
    if (window == 0 || !Ready(first ? SameMoment : EnumerationReuse))
        return none;
    return MirroredFacts(window);
}

const WindowFacts& XDisplay::MirroredFacts(uint32_t window)
{
    static const WindowFacts none;
    if (const auto found = mirror_.find(window); found != mirror_.end())
        return found->second;
    std::vector<uint32_t> missing{window};
    for (const uint32_t other : TopLevelWindows())
        if (other != window && !mirror_.contains(other))
            missing.push_back(other);
    Fetch(missing);
    const auto found = mirror_.find(window);
    return found != mirror_.end() ? found->second : none;
}

WindowFacts XDisplay::FreshFacts(uint32_t window)
{
    if (window == 0 || !Ready())
        return {};
    mirror_.erase(window);
    Fetch({window});
    const auto found = mirror_.find(window);
    return found != mirror_.end() ? found->second : WindowFacts{};
}

int32_t XDisplay::ServerPid()
{
    return Ready() ? serverPid_ : 0;
}

int32_t XDisplay::WindowManagerPid()
{
    if (!Ready())
        return 0;
    const uint32_t check = WindowManagerCheck();
    return check != 0 ? OwnerPid(check) : 0;
}

bool XDisplay::PingOverdue(uint32_t window, bool answersPing)
{
    if (window == 0 || !answersPing || !Ready(SameMoment))
        return false;
    const auto now = Clock::now();
    Ping& ping = pings_[window];
    if (ping.outstanding)
        return now - ping.sent > pingTimeout_;
    if (ping.sent == Clock::time_point() || now - ping.sent >= PingInterval) {
        // To the window's owner alone (no event mask), as the protocol asks.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = ewmh_.WM_PROTOCOLS;
        message.data.data32[0] = ewmh_._NET_WM_PING;
        message.data.data32[1] = XCB_CURRENT_TIME;
        message.data.data32[2] = window;
        xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(connection_);
        ping.sent = now;
        ping.outstanding = true;
    }
    return false;
}

// The window manager's check window, trusted only while it names itself: a manager that died
// leaves the root's property behind.
uint32_t XDisplay::WindowManagerCheck()
{
    xcb_window_t check = 0;
    if (!xcb_ewmh_get_supporting_wm_check_reply(&ewmh_, xcb_ewmh_get_supporting_wm_check(&ewmh_, root_),
                                                &check, nullptr) ||
        check == 0)
        return 0;
    xcb_window_t self = 0;
    if (!xcb_ewmh_get_supporting_wm_check_reply(&ewmh_, xcb_ewmh_get_supporting_wm_check(&ewmh_, check),
                                                &self, nullptr) ||
        self != check)
        return 0;
    return check;
}

// The owner as the server knows it from the client's connection; 0 when it cannot tell.
int32_t XDisplay::OwnerPid(uint32_t window)
{
    if (!hasResources_)
        return 0;
    const xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    xcb_generic_error_t* error = nullptr;
    const auto reply = Own(
        xcb_res_query_client_ids_reply(connection_, xcb_res_query_client_ids(connection_, 1, &spec), &error),
        &error);
    if (!reply)
        return 0;
    for (auto ids = xcb_res_query_client_ids_ids_iterator(reply.get()); ids.rem > 0;
         xcb_res_client_id_value_next(&ids))
        if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
            xcb_res_client_id_value_value_length(ids.data) == 1)
            return static_cast<int32_t>(*xcb_res_client_id_value_value(ids.data));
    return 0;
}

const std::vector<uint32_t>& XDisplay::TopLevelWindows()
{
    if (topLevelKnown_)
        return topLevel_;
    topLevel_.clear();
    const auto tree = xcb_query_tree(connection_, root_);
    const auto list = xcb_ewmh_get_client_list(&ewmh_, 0);
    const bool managed = WindowManagerCheck() != 0;
    xcb_ewmh_get_windows_reply_t clients{};
    if (xcb_ewmh_get_client_list_reply(&ewmh_, list, &clients, nullptr)) {
        if (managed)
            topLevel_.assign(clients.windows, clients.windows + clients.windows_len);
        xcb_ewmh_get_windows_reply_wipe(&clients);
    }
    xcb_generic_error_t* error = nullptr;
    if (const auto children = Own(xcb_query_tree_reply(connection_, tree, &error), &error);
        children && !managed) {
        const auto* windows = xcb_query_tree_children(children.get());
        topLevel_.assign(windows, windows + xcb_query_tree_children_length(children.get()));
    }
    topLevelKnown_ = true;
    return topLevel_;
}

void XDisplay::Fetch(const std::vector<uint32_t>& windows)
{
    struct Requests {
        xcb_get_window_attributes_cookie_t attributes;
        xcb_res_query_client_ids_cookie_t owner;
        xcb_get_property_cookie_t netName, name, windowClass, machine, type, netState, wmState, protocols;
    };
    xcb_connection_t* c = connection_;
    std::vector<Requests> requests;
    requests.reserve(windows.size());
    for (const uint32_t window : windows) {
        // Selected before anything is read, so a change after the read cannot go unnoticed.
        if (window != root_ && watched_.insert(window).second)
            xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &WindowEvents);
        Requests r{};
        r.attributes = xcb_get_window_attributes(c, window);
        if (hasResources_) {
            const xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
            r.owner = xcb_res_query_client_ids(c, 1, &spec);
        }
        r.netName = xcb_get_property(c, 0, window, ewmh_._NET_WM_NAME, ewmh_.UTF8_STRING, 0, TextLength);
        r.name = xcb_get_property(c, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, TextLength);
        r.windowClass = xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, TextLength);
        r.machine = xcb_get_property(c, 0, window, XCB_ATOM_WM_CLIENT_MACHINE, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                     TextLength);
        r.type = xcb_get_property(c, 0, window, ewmh_._NET_WM_WINDOW_TYPE, XCB_ATOM_ATOM, 0, AtomListLength);
        r.netState = xcb_get_property(c, 0, window, ewmh_._NET_WM_STATE, XCB_ATOM_ATOM, 0, AtomListLength);
        r.wmState = xcb_get_property(c, 0, window, wmState_, wmState_, 0, 2);
        r.protocols = xcb_get_property(c, 0, window, ewmh_.WM_PROTOCOLS, XCB_ATOM_ATOM, 0, AtomListLength);
        requests.push_back(r);
    }

    for (size_t i = 0; i < windows.size(); ++i) {
        const Requests& r = requests[i];
        xcb_generic_error_t* error = nullptr;
        const auto attributes = Own(xcb_get_window_attributes_reply(c, r.attributes, &error), &error);
        Reply<xcb_res_query_client_ids_reply_t> owner;
        if (hasResources_)
            owner = Own(xcb_res_query_client_ids_reply(c, r.owner, &error), &error);
        const auto netName = PropertyReply(c, r.netName);
        const auto name = PropertyReply(c, r.name);
        const auto windowClass = PropertyReply(c, r.windowClass);
        const auto machine = PropertyReply(c, r.machine);
        const auto type = PropertyReply(c, r.type);
        const auto netState = PropertyReply(c, r.netState);
        const auto wmState = PropertyReply(c, r.wmState);
        const auto protocols = PropertyReply(c, r.protocols);
        if (!attributes) {
            mirror_.erase(windows[i]);
            continue;
        }

        WindowFacts facts;
        facts.exists = true;
        facts.mapped = attributes->map_state != XCB_MAP_STATE_UNMAPPED;
        if (const auto text = PropertyBytes(netName.get()); !text.empty())
            facts.title = FromUtf8(text);
        else if (name && name->type == ewmh_.UTF8_STRING)
            facts.title = FromUtf8(PropertyBytes(name.get()));
        else
            facts.title = FromLatin1(PropertyBytes(name.get()));

        // WM_CLASS holds the instance name, then the class name.
        const auto classes = PropertyBytes(windowClass.get());
        const auto split = classes.find('\0');
        facts.windowClass = FromLatin1(split == std::string_view::npos || split + 1 >= classes.size()
                                           ? classes.substr(0, split)
                                           : classes.substr(split + 1));

        facts.remote = !ThisMachine(PropertyBytes(machine.get()), hostName_);
        if (owner && !facts.remote)
            for (auto ids = xcb_res_query_client_ids_ids_iterator(owner.get()); ids.rem > 0;
                 xcb_res_client_id_value_next(&ids))
                if ((ids.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) != 0 &&
                    xcb_res_client_id_value_value_length(ids.data) == 1)
                    facts.pid = static_cast<int32_t>(*xcb_res_client_id_value_value(ids.data));
        facts.desktop = Contains(PropertyCards(type.get()), ewmh_._NET_WM_WINDOW_TYPE_DESKTOP);
        const auto states = PropertyCards(netState.get());
        const auto iconic = PropertyCards(wmState.get());
        facts.minimized =
            Contains(states, ewmh_._NET_WM_STATE_HIDDEN) || (!iconic.empty() && iconic[0] == IconicState);
        facts.maximized = Contains(states, ewmh_._NET_WM_STATE_MAXIMIZED_VERT) &&
                          Contains(states, ewmh_._NET_WM_STATE_MAXIMIZED_HORZ);
        facts.fullScreen = Contains(states, ewmh_._NET_WM_STATE_FULLSCREEN);
        facts.answersPing = Contains(PropertyCards(protocols.get()), ewmh_._NET_WM_PING);
        mirror_[windows[i]] = std::move(facts);
    }
    ClaimedOwners(windows);
}

// A window's own claim counts only when the server cannot tell the owner, and only for a client
// of this machine: a process id from another host names some unrelated local process.
void XDisplay::ClaimedOwners(const std::vector<uint32_t>& windows)
{
    std::vector<std::pair<uint32_t, xcb_get_property_cookie_t>> claims;
    for (const uint32_t window : windows)
        if (const auto found = mirror_.find(window);
            found != mirror_.end() && found->second.pid == 0 && !found->second.remote)
            claims.emplace_back(
                window, xcb_get_property(connection_, 0, window, ewmh_._NET_WM_PID, XCB_ATOM_CARDINAL, 0, 1));
    for (const auto& [window, cookie] : claims) {
        const auto pid = PropertyCards(PropertyReply(connection_, cookie).get());
        const auto found = mirror_.find(window);
        if (found != mirror_.end() && !pid.empty() && pid[0] <= static_cast<uint32_t>(INT32_MAX)) {
            found->second.pid = static_cast<int32_t>(pid[0]);
            found->second.pidClaimed = true;
        }
    }
}

std::optional<XDisplay::Client> XDisplay::ClientOf(uint32_t window)
{
    if (window == 0 || !Ready())
        return std::nullopt;
    const uint32_t mask = xcb_get_setup(connection_)->resource_id_mask;
    const auto base = [mask](uint32_t id) { return id & ~mask; };
    Client client;
    // The server's own resources, the root among them, have the base 0.
    client.server = base(window) == 0;
    const uint32_t check = WindowManagerCheck();
    client.windowManager = check != 0 && base(check) == base(window);

    std::unordered_set<uint32_t> found{window};
    const auto add = [&](uint32_t id) {
        if (base(id) == base(window))
            found.insert(id);
    };
    for (const uint32_t id : TopLevelWindows())
        add(id);
    for (const uint32_t id : TreeWindows())
        add(id);
    for (const auto& [id, facts] : mirror_)
        add(id);
    std::vector<uint32_t> missing;
    for (const uint32_t id : found)
        if (!mirror_.contains(id))
            missing.push_back(id);
    Fetch(missing);
    for (const uint32_t id : found)
        if (const auto facts = mirror_.find(id); facts != mirror_.end())
            client.owners.push_back(facts->second.pid);
    return client;
}

// The windows below the root, level by level, each level's requests sent before any reply is read.
std::vector<uint32_t> XDisplay::TreeWindows()
{
    std::vector<uint32_t> windows;
    std::vector<uint32_t> level{root_};
    for (int depth = 0; depth < TreeDepth && !level.empty() && windows.size() < TreeLimit; ++depth) {
        std::vector<xcb_query_tree_cookie_t> cookies;
        cookies.reserve(level.size());
        for (const uint32_t parent : level)
            cookies.push_back(xcb_query_tree(connection_, parent));
        level.clear();
        for (const auto cookie : cookies) {
            xcb_generic_error_t* error = nullptr;
            const auto tree = Own(xcb_query_tree_reply(connection_, cookie, &error), &error);
            if (!tree)
                continue;
            const auto* children = xcb_query_tree_children(tree.get());
            level.insert(level.end(), children, children + xcb_query_tree_children_length(tree.get()));
        }
        if (level.size() > TreeLimit - windows.size())
            level.resize(TreeLimit - windows.size());
        windows.insert(windows.end(), level.begin(), level.end());
    }
    return windows;
}

void XDisplay::KillClient(uint32_t window)
{
    if (window == 0 || !Ready())
        return;
    xcb_generic_error_t* error = xcb_request_check(connection_, xcb_kill_client_checked(connection_, window));
    std::free(error);
}

} // namespace brevant
