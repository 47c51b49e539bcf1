// The memory component library: this machine's memory figures, and the optimization run that takes
// free memory for a moment and gives it back.
#define QUILLON_IMPLEMENTATION
#include "Quillon.h"

#include "CgroupWatch.h"
#include "ConsumeBudget.h"
#include "ErrorLog.h"
#include "MemoryHolder.h"
#include "MemorySampler.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {

using namespace quillon;

MemorySampler sampler;
ErrorLog errorLog;
// Declared after the log it writes to, so that unloading ends the holder first.
MemoryHolder holder(errorLog);
std::mutex runMutex;
std::atomic<int64_t> consumeCap = -1;

// Nothing may escape into the caller.
template <typename Reading> int64_t Guard(Reading reading) noexcept
{
    try {
        return reading();
    } catch (...) {
        return 0;
    }
}

void TakeForRun(int64_t freeBefore, int64_t safety)
{
    const MemoryReadings now = sampler.Fresh();
    const CgroupWatch cgroup;
    BudgetInput input;
    // The smaller of the caller's and our own measure: the run never counts on memory that went.
    input.freePhysical = freeBefore > 0 ? std::min(freeBefore, now.freePhysical) : now.freePhysical;
    input.allPhysical = now.allPhysical;
    input.safety = std::max<int64_t>(safety, 0);
    input.cgroup = cgroup.Read();
    input.cap = consumeCap;
    const int64_t target = ConsumeBudget(input);
    if (target == 0) {
        holder.Release();
        errorLog.Write("consumeNow: took nothing: %lld MiB free, the floor is %lld MiB, the cap %lld MiB",
                       static_cast<long long>(input.freePhysical / kMiB),
                       static_cast<long long>(FloorFor(input.allPhysical, input.safety) / kMiB),
                       static_cast<long long>(input.cap / kMiB));
        return;
    }
    holder.Take(target, input.safety, cgroup);
}

} // namespace

extern "C" {

int64_t FreePhysicalMemory(void)
{
    // The first call of every tick, and the measure after a run: always read afresh.
    return Guard([] { return sampler.Fresh().freePhysical; });
}

int64_t AllPhysicalMemory(void)
{
    return Guard([] { return sampler.Recent().allPhysical; });
}

int64_t UsedPhysicalMemory(void)
{
    return Guard([] { return sampler.Recent().UsedPhysical(); });
}

int64_t FreePageFile(void)
{
    return Guard([] { return sampler.Recent().freePageFile; });
}

int64_t AllPageFile(void)
{
    return Guard([] { return sampler.Recent().allPageFile; });
}

int64_t UsedPageFile(void)
{
    return Guard([] { return sampler.Recent().UsedPageFile(); });
}

int64_t FreeVirtualMemory(void)
{
    return Guard([] { return sampler.Recent().freeVirtual; });
}

int64_t AllVirtualMemory(void)
{
    return Guard([] { return sampler.Recent().allVirtual; });
}

int64_t UsedVirtualMemory(void)
{
    return Guard([] { return sampler.Recent().UsedVirtual(); });
}

void consumeNow(bool /*report*/, int64_t freeBefore, int64_t safety)
{
    Guard([&] {
        std::lock_guard lock(runMutex);
        TakeForRun(freeBefore, safety);
        return 0;
    });
}

void FreeMemory(bool /*report*/)
{
    Guard([] {
        std::lock_guard lock(runMutex);
        holder.Release();
        return 0;
    });
}

void SetDebugMode(bool on)
{
    errorLog.SetEnabled(on);
}

void SetConsumeCapForTests(int64_t bytes)
{
    consumeCap = bytes < 0 ? -1 : bytes;
}

} // extern "C"
