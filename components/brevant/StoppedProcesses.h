#pragma once

#include "Processes.h"

#include <cstdint>
#include <optional>
#include <unordered_map>

namespace brevant {

// The processes this library stopped, each named by its id together with its start time: a later
// process given the same id is never taken for the one that was stopped. Each stop forgets the
// processes that have ended.
class StoppedProcesses {
public:
    void Add(int32_t pid);
    // The state of the very process stopped under this id; none when it was never stopped here or
    // has ended since.
    std::optional<ProcessStat> Stat(int32_t pid) const;

private:
    std::unordered_map<int32_t, uint64_t> started_;
};

} // namespace brevant
