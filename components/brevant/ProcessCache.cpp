#include "ProcessCache.h"

namespace brevant {

namespace {

constexpr auto Lifetime = std::chrono::milliseconds(50);
// Past this many processes the old entries are dropped at once rather than one by one; each state
// entry holds an open file, so they stay well below the usual limit of 1024 open files.
constexpr size_t MaximumEntries = 256;
constexpr size_t MaximumPrograms = 4096;

} // namespace

const ProcessCache::Entry& ProcessCache::Fresh(int32_t pid)
{
    const auto now = std::chrono::steady_clock::now();
    if (entries_.size() > MaximumEntries)
        entries_.clear();
    auto [found, added] = entries_.try_emplace(pid, pid);
    Entry& entry = found->second;
    if (added || now - entry.read > Lifetime) {
        entry.read = now;
        entry.stat = entry.file.Read();
    }
    return entry;
}

std::optional<ProcessStat> ProcessCache::Stat(int32_t pid)
{
    if (pid <= 0)
        return std::nullopt;
    return Fresh(pid).stat;
}

const std::string& ProcessCache::Program(int32_t pid)
{
    static const std::string none;
    if (pid <= 0)
        return none;
    const Entry& entry = Fresh(pid);
    if (!entry.stat)
        return none;
    if (programs_.size() > MaximumPrograms)
        programs_.clear();
    auto [found, added] = programs_.try_emplace(pid);
    if (added || found->second.started != entry.stat->started)
        found->second = ProgramEntry{entry.stat->started, ProgramName(pid)};
    return found->second.name;
}

void ProcessCache::Forget(int32_t pid)
{
    entries_.erase(pid);
}

void ProcessCache::ForgetAll()
{
    entries_.clear();
}

} // namespace brevant
