#pragma once

#include <cstdint>
#include <string>

namespace brevant {

// What the display says about one window at the time it was read.
struct WindowFacts {
    bool exists = false;
    bool mapped = false;
    std::u16string title;
    std::u16string windowClass;
    // Owning process; 0 when unknown.
    int32_t pid = 0;
    // The pid is only the window's own claim: the server could not name the window's client.
    bool pidClaimed = false;
    // Its program runs on another machine (WM_CLIENT_MACHINE names another host): the process
    // that holds its connection here is a relay of many programs, so it has no pid.
    bool remote = false;
    bool desktop = false;
    bool minimized = false;
    bool maximized = false;
    bool fullScreen = false;
    bool answersPing = false;
};

} // namespace brevant
