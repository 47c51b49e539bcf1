// What the memory library reads from /proc/meminfo, and the six readings the memory tick asks for.
// Pure: no file access, no allocation, so the holder process may use it after fork().
#pragma once

#include <cstdint>
#include <string_view>

namespace quillon {

// Byte counts; -1 where the text had no usable value.
struct MemInfo {
    int64_t memTotal = -1;
    int64_t memFree = -1;
    int64_t memAvailable = -1;
    int64_t buffers = -1;
    int64_t cached = -1;
    int64_t sReclaimable = -1;
    int64_t swapTotal = -1;
    int64_t swapFree = -1;
};

struct MemoryReadings {
    int64_t freePhysical = 0;
    int64_t allPhysical = 0;
    int64_t freePageFile = 0;
    int64_t allPageFile = 0;
    int64_t freeVirtual = 0;
    int64_t allVirtual = 0;

    int64_t UsedPhysical() const { return allPhysical - freePhysical; }
    int64_t UsedPageFile() const { return allPageFile - freePageFile; }
    int64_t UsedVirtual() const { return allVirtual - freeVirtual; }
};

// Reads "Key:   value kB" lines; unknown keys and malformed lines are skipped. Values that do not
// fit in 64 bits saturate.
MemInfo ParseMemInfo(std::string_view text);

// Fills the fields `primary` lacks from `fallback` (the kernel's sysinfo() figures).
MemInfo WithFallback(MemInfo primary, const MemInfo& fallback);

// Free physical is what can be had without swapping (MemAvailable; on kernels before it existed,
// free + buffers + page cache + reclaimable slab). Free never exceeds total, and total is never 0
// while any figure is known.
MemoryReadings ReadingsFrom(const MemInfo& info);

// The free physical memory alone, as ReadingsFrom computes it.
int64_t AvailablePhysical(const MemInfo& info);

int64_t SaturatingAdd(int64_t a, int64_t b);

} // namespace quillon
