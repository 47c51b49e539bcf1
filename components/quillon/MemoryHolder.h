#pragma once

#include "CgroupWatch.h"
#include "ErrorLog.h"

#include <cstdint>
#include <sys/types.h>

namespace quillon {

// Holds the memory of an optimization run in a short-lived child process. The child is the
// kernel's first choice should memory ever run out (oom_score_adj 1000), it dies with this
// process, and ending it gives everything back at once.
class MemoryHolder {
public:
    explicit MemoryHolder(ErrorLog& log)
        : log_(log)
    {
    }
    ~MemoryHolder() { Release(); }
    MemoryHolder(const MemoryHolder&) = delete;
    MemoryHolder& operator=(const MemoryHolder&) = delete;

    // Takes up to `target` bytes in chunks, re-measuring before each: stops at the floor below
    // `safety`, at the deadline, on any sign of swapping or memory pressure, or when an allocation
    // fails. Returns when the child holds what it took; the bytes taken.
    int64_t Take(int64_t target, int64_t safety, const CgroupWatch& cgroup);
    // Ends the child, if any; safe to call at any time.
    void Release();

private:
    ErrorLog& log_;
    pid_t pid_ = 0;
    int pidfd_ = -1;
    int holdFd_ = -1;
};

} // namespace quillon
