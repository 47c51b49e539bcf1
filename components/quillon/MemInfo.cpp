#include "MemInfo.h"

#include <algorithm>
#include <limits>

namespace quillon {

namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

// Digits, then " kB" or nothing; anything else is no value.
int64_t ParseKilobytes(std::string_view value)
{
    size_t i = 0;
    while (i < value.size() && value[i] == ' ')
        ++i;
    if (i == value.size() || value[i] < '0' || value[i] > '9')
        return -1;
    int64_t kilobytes = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        const int digit = value[i] - '0';
        kilobytes = kilobytes > (kMax - digit) / 10 ? kMax : kilobytes * 10 + digit;
    }
    std::string_view unit = value.substr(i);
    while (!unit.empty() && (unit.front() == ' ' || unit.front() == '\t'))
        unit.remove_prefix(1);
    while (!unit.empty() && (unit.back() == ' ' || unit.back() == '\t' || unit.back() == '\r'))
        unit.remove_suffix(1);
    if (!unit.empty() && unit != "kB")
        return -1;
    return kilobytes > kMax / 1024 ? kMax : kilobytes * 1024;
}

struct Field {
    std::string_view key;
    int64_t MemInfo::*member;
};

constexpr Field kFields[] = {
    {"MemTotal", &MemInfo::memTotal},
    {"MemFree", &MemInfo::memFree},
    {"MemAvailable", &MemInfo::memAvailable},
    {"Buffers", &MemInfo::buffers},
    {"Cached", &MemInfo::cached},
    {"SReclaimable", &MemInfo::sReclaimable},
    {"SwapTotal", &MemInfo::swapTotal},
    {"SwapFree", &MemInfo::swapFree},
};

int64_t Known(int64_t value)
{
    return std::max<int64_t>(value, 0);
}

} // namespace

int64_t SaturatingAdd(int64_t a, int64_t b)
{
    return a > kMax - b ? kMax : a + b;
}

MemInfo ParseMemInfo(std::string_view text)
{
    MemInfo info;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, colon);
        for (const Field& field : kFields) {
            if (field.key == key && info.*field.member < 0)
                info.*field.member = ParseKilobytes(line.substr(colon + 1));
        }
    }
    return info;
}

MemInfo WithFallback(MemInfo primary, const MemInfo& fallback)
{
    for (const Field& field : kFields) {
        if (primary.*field.member < 0)
            primary.*field.member = fallback.*field.member;
    }
    return primary;
}

int64_t AvailablePhysical(const MemInfo& info)
{
    int64_t available = info.memAvailable;
    if (available < 0 && info.memFree >= 0) {
        available = SaturatingAdd(info.memFree, Known(info.buffers));
        available = SaturatingAdd(available, Known(info.cached));
        available = SaturatingAdd(available, Known(info.sReclaimable));
    }
    available = Known(available);
    return info.memTotal > 0 ? std::min(available, info.memTotal) : available;
}

MemoryReadings ReadingsFrom(const MemInfo& info)
{
    MemoryReadings readings;
    readings.freePhysical = AvailablePhysical(info);
    // A text without MemTotal still yields a total the caller may divide by.
    readings.allPhysical =
        info.memTotal > 0 ? info.memTotal : std::max(readings.freePhysical, Known(info.memFree));
    readings.allPageFile = Known(info.swapTotal);
    readings.freePageFile = std::min(Known(info.swapFree), readings.allPageFile);
    readings.allVirtual = SaturatingAdd(readings.allPhysical, readings.allPageFile);
    readings.freeVirtual = SaturatingAdd(readings.freePhysical, readings.freePageFile);
    return readings;
}

} // namespace quillon
