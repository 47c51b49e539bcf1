#include "ConsumeBudget.h"

#include <algorithm>
#include <limits>

namespace quillon {

namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
// Version 1 reports "no limit" as a page-aligned value near 2^63.
constexpr int64_t kNoLimitAbove = int64_t{1} << 60;

std::string_view NextLine(std::string_view& text)
{
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return line;
}

int64_t ParseDigits(std::string_view text)
{
    if (text.empty())
        return -1;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value > (kMax - (c - '0')) / 10 ? kMax : value * 10 + (c - '0');
    }
    return value;
}

// a - b held to the 64-bit range: a cgroup file's count can lie near 2^63, which the parser keeps.
int64_t Minus(int64_t a, int64_t b)
{
    int64_t difference = 0;
    if (__builtin_sub_overflow(a, b, &difference))
        return b > 0 ? std::numeric_limits<int64_t>::min() : kMax;
    return difference;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' || text.back() == '\n' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

} // namespace

int64_t FloorFor(int64_t allPhysical, int64_t safety)
{
    return std::max({safety, 256 * kMiB, std::max<int64_t>(allPhysical, 0) / 10});
}

int64_t CgroupMarginFor(int64_t limit)
{
    return std::max(64 * kMiB, limit / 10);
}

int64_t ConsumeBudget(const BudgetInput& input)
{
    int64_t budget = Minus(input.freePhysical, FloorFor(input.allPhysical, input.safety));
    if (input.cgroup.limit >= 0)
        budget = std::min(budget, Minus(Minus(input.cgroup.limit, input.cgroup.usage),
                                        CgroupMarginFor(input.cgroup.limit)));
    if (input.cap >= 0)
        budget = std::min(budget, input.cap);
    return std::max<int64_t>(budget, 0);
}

int64_t ParseCgroupLimit(std::string_view text)
{
    text = Trimmed(text);
    if (text == "max")
        return -1;
    const int64_t limit = ParseDigits(text);
    return limit >= kNoLimitAbove ? -1 : limit;
}

int64_t ParseCount(std::string_view text)
{
    return ParseDigits(Trimmed(text));
}

CgroupPath MemoryCgroupPath(std::string_view procSelfCgroup)
{
    CgroupPath unified;
    CgroupPath legacy;
    while (!procSelfCgroup.empty()) {
        // "hierarchy-id:controller,controller:path"
        const std::string_view line = NextLine(procSelfCgroup);
        const size_t first = line.find(':');
        const size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
        if (second == std::string_view::npos)
            continue;
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string_view path = line.substr(second + 1);
        if (line.substr(0, first) == "0" && controllers.empty()) {
            unified = {path, true};
            continue;
        }
        for (std::string_view rest = controllers; !rest.empty();) {
            const size_t comma = rest.find(',');
            if (rest.substr(0, comma) == "memory")
                legacy = {path, false};
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        }
    }
    // With a version 1 memory controller mounted, the unified line carries no memory limits.
    return legacy.path.empty() ? unified : legacy;
}

int64_t ParsePressureStall(std::string_view text)
{
    while (!text.empty()) {
        const std::string_view line = NextLine(text);
        if (line.substr(0, 5) != "some ")
            continue;
        const size_t total = line.find("total=");
        return total == std::string_view::npos ? -1 : ParseDigits(Trimmed(line.substr(total + 6)));
    }
    return -1;
}

int64_t ParseVmstat(std::string_view text, std::string_view key)
{
    while (!text.empty()) {
        const std::string_view line = NextLine(text);
        if (line.size() > key.size() && line.substr(0, key.size()) == key && line[key.size()] == ' ')
            return ParseDigits(Trimmed(line.substr(key.size() + 1)));
    }
    return -1;
}

} // namespace quillon
