// Which files hold the processor's temperatures: found once, then read on every tick.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorrelin {

struct SensorFiles {
    // The whole processor's reading (package, die or thermal zone); empty when there is none.
    std::string package;
    // Per-core (or per-chiplet) readings in the sensor's order.
    std::vector<std::string> cores;

    bool Empty() const { return package.empty() && cores.empty(); }
};

// Looks below `root` (the file system root, or a test's tree) for a processor sensor: hwmon's
// coretemp, k10temp or zenpower, else a processor thermal zone.
SensorFiles DiscoverSensors(const std::string& root);

// A sysfs temperature ("45250\n", in thousandths of a degree) in degrees.
std::optional<double> ParseMillidegrees(std::string_view text);

} // namespace sorrelin
