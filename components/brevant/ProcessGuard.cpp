#include "ProcessGuard.h"

#include "Processes.h"

#include <algorithm>
#include <csignal>
#include <unistd.h>

namespace brevant {

ProcessGuard::ProcessGuard(int32_t displayServer, int32_t windowManager)
    : protected_(SelfAndAncestors(::getpid()))
{
    protected_.push_back(::getsid(0));
    for (const int32_t pid : {displayServer, windowManager}) {
        const auto chain = SelfAndAncestors(pid);
        protected_.insert(protected_.end(), chain.begin(), chain.end());
    }
}

bool ProcessGuard::Protects(int32_t pid) const
{
    return pid <= 1 || std::find(protected_.begin(), protected_.end(), pid) != protected_.end();
}

bool ProcessGuard::Allows(int32_t pid) const
{
    return !Protects(pid) && ReadProcessStat(pid).has_value();
}

bool ProcessGuard::Signal(int32_t pid, int signal) const
{
    return Allows(pid) && ::kill(pid, signal) == 0;
}

} // namespace brevant
