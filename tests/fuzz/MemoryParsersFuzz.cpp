// The memory library's readers of /proc and cgroup files take any text, and the run's budget
// taken from what they read is never negative.
#include "components/quillon/ConsumeBudget.h"
#include "components/quillon/MemInfo.h"

#include <cstdlib>

using namespace quillon;

namespace {

std::string_view Line(std::string_view text, int number)
{
    for (; number > 0 && !text.empty(); --number) {
        const size_t end = text.find('\n');
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return text.substr(0, text.find('\n'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MemoryReadings readings = ReadingsFrom(ParseMemInfo(text));
    if (readings.freePhysical > readings.allPhysical || readings.UsedPageFile() < 0 ||
        readings.UsedVirtual() < 0)
        std::abort();
    MemoryCgroupPath(text);
    ParseVmstat(text, "pswpout");

    BudgetInput input;
    input.freePhysical = readings.freePhysical;
    input.allPhysical = readings.allPhysical;
    input.cgroup = {ParseCgroupLimit(Line(text, 0)), ParseCount(Line(text, 1))};
    input.safety = ParseCount(Line(text, 2));
    input.cap = ParsePressureStall(text);
    if (ConsumeBudget(input) < 0)
        std::abort();
    return 0;
}
