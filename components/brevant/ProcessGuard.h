#pragma once

#include <cstdint>
#include <vector>

namespace brevant {

// Decides which processes the library may signal. Never: pid 0 or 1 (or anything below), a pid
// with no process behind it, this process and its ancestors, the session leader, the display
// server and the window manager with their ancestors (the session or display manager that
// started them).
class ProcessGuard {
public:
    ProcessGuard(int32_t displayServer, int32_t windowManager);

    // Pid 1 or below, or one of the processes kept from harm, whether it exists or not.
    bool Protects(int32_t pid) const;
    bool Allows(int32_t pid) const;
    // Sends the signal when allowed; true when it was sent.
    bool Signal(int32_t pid, int signal) const;

private:
    std::vector<int32_t> protected_;
};

} // namespace brevant
