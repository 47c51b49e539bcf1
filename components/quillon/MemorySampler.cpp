#include "MemorySampler.h"

#include "ProcFile.h"

#include <ctime>
#include <sys/sysinfo.h>

namespace quillon {

namespace {

// Longer than the six calls of one tick take, far shorter than the tick's period.
constexpr int64_t kSameTickNs = 100'000'000;

int64_t NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

MemInfo FromSysinfo()
{
    MemInfo info;
    struct sysinfo figures {};
    if (sysinfo(&figures) != 0)
        return info;
    const auto bytes = [&](unsigned long amount) {
        return static_cast<int64_t>(amount) * static_cast<int64_t>(figures.mem_unit ? figures.mem_unit : 1);
    };
    info.memTotal = bytes(figures.totalram);
    info.memFree = bytes(figures.freeram);
    info.buffers = bytes(figures.bufferram);
    info.swapTotal = bytes(figures.totalswap);
    info.swapFree = bytes(figures.freeswap);
    return info;
}

} // namespace

MemInfo MemorySampler::ReadMemInfo(char* buffer, size_t size)
{
    MemInfo info = ParseMemInfo(ReadProcFile("/proc/meminfo", buffer, size));
    if (info.memTotal < 0 || info.swapTotal < 0 || info.swapFree < 0 ||
        (info.memAvailable < 0 && info.memFree < 0))
        info = WithFallback(info, FromSysinfo());
    return info;
}

MemoryReadings MemorySampler::ReadLocked()
{
    last_ = ReadingsFrom(ReadMemInfo(buffer_, sizeof buffer_));
    lastReadNs_ = NowNs();
    return last_;
}

MemoryReadings MemorySampler::Fresh()
{
    std::lock_guard lock(mutex_);
    return ReadLocked();
}

MemoryReadings MemorySampler::Recent()
{
    std::lock_guard lock(mutex_);
    if (lastReadNs_ < 0 || NowNs() - lastReadNs_ > kSameTickNs)
        return ReadLocked();
    return last_;
}

} // namespace quillon
