#pragma once

#include "WindowFacts.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

namespace brevant {

// The library's one connection to the X display, opened on first use and opened again when the
// display went away. It mirrors the facts of the windows it was asked about: each window's
// property and structure changes are selected, so a mirrored fact stays exact until an event
// says otherwise, and a check of many windows costs no round trip once they are known. Facts that
// are missing are read for all windows at once (every request sent before any reply is awaited).
// Requests that may hit a vanished window are checked, so an X error is a reply, never fatal.
// Used from one thread only.
class XDisplay {
public:
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay&) = delete;
    XDisplay& operator=(const XDisplay&) = delete;

    // Facts of a window, from the mirror or read afresh; a window that does not exist (or no
    // display) gives facts with exists false.
    WindowFacts Facts(uint32_t window);
    // The owning process from Facts, without copying the facts; 0 when unknown.
    int32_t Pid(uint32_t window);
    // Facts of the next window of an enumeration under way. The first window's call reads the
    // display's events; the windows that follow it reuse that read for a short while instead of
    // each asking the socket again. The facts stay as they are until the next call.
    const WindowFacts& ListedFacts(uint32_t window, bool first);
    // Read from the display now, for acting on the window.
    WindowFacts FreshFacts(uint32_t window);
    // The display server's process when it is local; 0 when unknown.
    int32_t ServerPid();
    // The running window manager's process; 0 when there is none or it is not known.
    int32_t WindowManagerPid();
    // The client that made a window, as far as the display tells without naming it: whether it is
    // the server itself or the window manager (the maker of its check window), and the owners, as
    // Facts gives them, of the windows it made that can be found (windows share their maker's
    // resource-id base). Nothing without a display.
    struct Client {
        bool server = false;
        bool windowManager = false;
        std::vector<int32_t> owners;
    };
    std::optional<Client> ClientOf(uint32_t window);
    // Ends the connection of the client that created the window, and so the window.
    void KillClient(uint32_t window);
    // True when a window that takes part in the ping protocol has left a ping unanswered for too
    // long. Sends a fresh ping when none is outstanding, so the answer builds up across calls.
    bool PingOverdue(uint32_t window, bool answersPing);

private:
    struct Ping {
        std::chrono::steady_clock::time_point sent;
        bool outstanding = false;
    };

    // Connects when needed and takes in the display's events, reading the socket unless that was
    // done less than `reuse` ago.
    bool Ready(std::chrono::steady_clock::duration reuse = std::chrono::steady_clock::duration::zero());
    const WindowFacts& MirroredFacts(uint32_t window);
    void Connect();
    void Disconnect();
    void PumpEvents(bool read);
    void HandleEvent(const xcb_generic_event_t& event);
    bool Relevant(xcb_atom_t atom) const;
    const std::vector<uint32_t>& TopLevelWindows();
    uint32_t WindowManagerCheck();
    int32_t OwnerPid(uint32_t window);
    void Fetch(const std::vector<uint32_t>& windows);
    void ClaimedOwners(const std::vector<uint32_t>& windows);
    std::vector<uint32_t> TreeWindows();

    xcb_connection_t* connection_ = nullptr;
    xcb_ewmh_connection_t ewmh_{};
    xcb_window_t root_ = 0;
    xcb_atom_t wmState_ = XCB_ATOM_NONE;
    bool hasResources_ = false;
    int32_t serverPid_ = 0;
    std::string hostName_;
    bool connectFailed_ = false;
    std::chrono::steady_clock::time_point lastAttempt_;
    std::chrono::milliseconds pingTimeout_;
    std::chrono::steady_clock::time_point eventsRead_;

    std::unordered_map<uint32_t, WindowFacts> mirror_;
    // Windows whose changes are already selected.
    std::unordered_set<uint32_t> watched_;
    std::vector<uint32_t> topLevel_;
    bool topLevelKnown_ = false;
    std::unordered_map<uint32_t, Ping> pings_;
};

} // namespace brevant
