#pragma once

#include "SensorDiscovery.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace sorrelin {

// The processor's sensors. Discovery is done once and kept; each reading then opens one small
// file. A sensor that vanishes (a driver unloaded) or is missing is looked for again, at most
// every few seconds, so that a driver loaded later is found too.
class Sensors {
public:
    // Below another tree than the file system root; forgets what was found.
    void SetRoot(std::string root);
    // Core `index` in the sensor's order; nothing when there is no such core or no reading.
    std::optional<double> Core(unsigned index);
    // The package reading, else the mean of the cores.
    std::optional<double> Average();

private:
    const SensorFiles& Discovered();
    std::optional<double> Read(const std::string& file);

    std::mutex mutex_;
    std::string root_;
    SensorFiles files_;
    bool discovered_ = false;
    bool stale_ = false;
    int64_t discoveredAtNs_ = 0;
};

} // namespace sorrelin
