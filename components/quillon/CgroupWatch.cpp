#include "CgroupWatch.h"

#include "ProcFile.h"

#include <unistd.h>

namespace quillon {

CgroupWatch::CgroupWatch()
{
    char buffer[4096];
    const CgroupPath own = MemoryCgroupPath(ReadProcFile("/proc/self/cgroup", buffer, sizeof buffer));
    if (own.path.empty() || own.path.front() != '/')
        return;
    const char* mount = own.unified ? "/sys/fs/cgroup" : "/sys/fs/cgroup/memory";
    const char* limitName = own.unified ? "/memory.max" : "/memory.limit_in_bytes";
    const char* usageName = own.unified ? "/memory.current" : "/memory.usage_in_bytes";
    // Every ancestor's limit binds too; walk up to the mount's root.
    std::string path(own.path);
    while (true) {
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        const std::string folder = std::string(mount) + (path == "/" ? "" : path);
        if (access((folder + limitName).c_str(), R_OK) == 0)
            levels_.push_back({folder + limitName, folder + usageName});
        if (path == "/")
            break;
        path.erase(path.rfind('/'));
        if (path.empty())
            path = "/";
    }
}

CgroupMemory CgroupWatch::Read() const
{
    CgroupMemory tightest;
    for (const Level& level : levels_) {
        char buffer[64];
        const int64_t limit = ParseCgroupLimit(ReadProcFile(level.limitFile.c_str(), buffer, sizeof buffer));
        if (limit < 0)
            continue;
        int64_t usage = ParseCount(ReadProcFile(level.usageFile.c_str(), buffer, sizeof buffer));
        // An unreadable usage is taken as full, so that the limit stops the run.
        if (usage < 0)
            usage = limit;
        if (tightest.limit < 0 || limit - usage < tightest.limit - tightest.usage)
            tightest = {limit, usage};
    }
    return tightest;
}

} // namespace quillon
