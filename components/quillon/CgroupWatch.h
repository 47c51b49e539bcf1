#pragma once

#include "ConsumeBudget.h"

#include <string>
#include <vector>

namespace quillon {

// The memory limit files of the library's own cgroup and its ancestors. Found before fork();
// Read() allocates nothing, so the holder process can re-measure with it.
class CgroupWatch {
public:
    CgroupWatch();
    // The level with the least room left; limit -1 when no level has a limit.
    CgroupMemory Read() const;

private:
    struct Level {
        std::string limitFile;
        std::string usageFile;
    };
    std::vector<Level> levels_;
};

} // namespace quillon
