#include "StoppedProcesses.h"

namespace brevant {

void StoppedProcesses::Add(int32_t pid)
{
    const auto stat = ReadProcessStat(pid);
    if (const auto known = started_.find(pid);
        !stat || (known != started_.end() && known->second == stat->started))
        return;
    // Only a new entry looks for ended ones: a dialog's wait stops the same family again and again.
    std::erase_if(started_, [this](const auto& entry) { return !Stat(entry.first); });
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
