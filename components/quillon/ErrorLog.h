#pragma once

#include <atomic>

namespace quillon {

// "Database/MemoryError.txt" below the working directory: one timestamped line per error of a run,
// written only while debug mode is on.
class ErrorLog {
public:
    void SetEnabled(bool on) { enabled_ = on; }
    bool Enabled() const { return enabled_; }
    void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

private:
    std::atomic<bool> enabled_ = false;
};

} // namespace quillon
