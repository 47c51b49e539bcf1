// How much an optimization run may take, and the signs that make it stop. Pure and free of
// allocation, so the holder process may use it after fork().
#pragma once

#include <cstdint>
#include <string_view>

namespace quillon {

constexpr int64_t kMiB = 1024 * 1024;

// The tightest memory limit of the library's own cgroup and its ancestors; limit -1 when none.
struct CgroupMemory {
    int64_t limit = -1;
    int64_t usage = 0;
};

struct BudgetInput {
    int64_t freePhysical = 0; // what can be had without swapping, now
    int64_t allPhysical = 0;
    int64_t safety = 0; // what the user asked to leave untouched
    CgroupMemory cgroup;
    int64_t cap = -1; // most a run may take; -1 when uncapped
};

// Free memory a run never goes below: far above the user's tiny safety amount, so that the rest
// of the machine never runs short while a run holds its memory.
int64_t FloorFor(int64_t allPhysical, int64_t safety);
// Room a run leaves below a cgroup limit, so that the cgroup never reclaims hard or kills.
int64_t CgroupMarginFor(int64_t limit);
// Bytes a run may take at this moment; 0 when it must take nothing.
int64_t ConsumeBudget(const BudgetInput& input);

// A cgroup file's limit ("max", or version 1's huge "unlimited" value, give -1).
int64_t ParseCgroupLimit(std::string_view text);
// A plain decimal count in a file; -1 when there is none.
int64_t ParseCount(std::string_view text);

// The memory cgroup of /proc/self/cgroup: version 2's unified path, else version 1's memory path.
struct CgroupPath {
    std::string_view path;
    bool unified = false;
};
CgroupPath MemoryCgroupPath(std::string_view procSelfCgroup);

// "total=" of the "some" line of /proc/pressure/memory: microseconds tasks stalled on memory.
int64_t ParsePressureStall(std::string_view text);
// A counter of /proc/vmstat, e.g. "pswpout"; -1 when absent.
int64_t ParseVmstat(std::string_view text, std::string_view key);

} // namespace quillon
