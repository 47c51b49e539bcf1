#include "StoppedProcesses.h"

namespace brevant {

void StoppedProcesses::Add(int32_t pid)
{
    std::erase_if(started_, [this](const auto& entry) { return !Stat(entry.first); });
    if (const auto stat = ReadProcessStat(pid))
        started_[pid] = stat->started;
}

std::optional<ProcessStat> StoppedProcesses::Stat(int32_t pid) const
{
    const auto found = started_.find(pid);
    if (found == started_.end())
        return std::nullopt;
    auto stat = ReadProcessStat(pid);
    if (!stat || stat->started != found->second || IsDead(*stat))
        return std::nullopt;
    return stat;
}

} // namespace brevant
