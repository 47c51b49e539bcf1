#pragma once

#include "MemInfo.h"

#include <cstdint>
#include <mutex>

namespace quillon {

// The memory figures of this machine. The tick asks for six of them in a row; one read of
// /proc/meminfo serves them all.
class MemorySampler {
public:
    // Reads the kernel's figures now.
    MemoryReadings Fresh();
    // The figures of the last read while it is recent enough to belong to the same tick.
    MemoryReadings Recent();
    // The kernel's figures, with sysinfo() filling what /proc/meminfo lacks.
    static MemInfo ReadMemInfo(char* buffer, size_t size);

private:
    MemoryReadings ReadLocked();

    std::mutex mutex_;
    MemoryReadings last_;
    int64_t lastReadNs_ = -1;
    char buffer_[16384];
};

} // namespace quillon
