#include "Processes.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace brevant {

namespace {

// One small /proc file; procfs hands a small file over in a single read when the buffer is large
// enough, so one read usually does.
std::string ReadSmallFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    std::string text;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(chunk, static_cast<size_t>(got));
        if (static_cast<size_t>(got) < sizeof chunk || text.size() > 64 * 1024)
            break;
    }
    ::close(fd);
    return text;
}

std::string ProcPath(int32_t pid, const char* entry)
{
    return "/proc/" + std::to_string(pid) + "/" + entry;
}

std::string BaseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

long PageSize()
{
    static const long size = ::sysconf(_SC_PAGESIZE);
    return size > 0 ? size : 4096;
}

} // namespace

std::optional<ProcessStat> ParseProcessStat(std::string_view text)
{
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    // Fields after the name, counted from 3 (the state) as proc(5) numbers them.
    std::vector<std::string_view> fields;
    std::string_view rest = text;
    rest.remove_prefix(close + 1);
    while (!rest.empty() && fields.size() < 22) {
        const auto start = rest.find_first_not_of(" \n");
        if (start == std::string_view::npos)
            break;
        rest.remove_prefix(start);
        const auto end = std::min(rest.find_first_of(" \n"), rest.size());
        fields.push_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    if (fields.size() < 22 || fields[0].size() != 1)
        return std::nullopt;
    const auto number = [&](size_t field, auto& value) {
        const auto digits = fields[field - 3];
        return std::from_chars(digits.data(), digits.data() + digits.size(), value).ec == std::errc();
    };
    ProcessStat stat;
    stat.state = fields[0][0];
    int64_t pages = 0;
    if (!number(4, stat.parent) || !number(6, stat.session) || !number(22, stat.started) ||
        !number(24, pages))
        return std::nullopt;
    stat.residentBytes = pages > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(PageSize()) : 0;
    return stat;
}

std::optional<ProcessStat> ReadProcessStat(int32_t pid)
{
    if (pid <= 0)
        return std::nullopt;
    return ParseProcessStat(ReadSmallFile(ProcPath(pid, "stat")));
}

ProcessStatFile::ProcessStatFile(int32_t pid)
    : pid_(pid)
{
}

ProcessStatFile::~ProcessStatFile()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::optional<ProcessStat> ProcessStatFile::Read()
{
    const auto readOpen = [this]() -> std::optional<ProcessStat> {
        char text[4096];
        ssize_t got = -1;
        do
            got = ::pread(fd_, text, sizeof text, 0);
        while (got < 0 && errno == EINTR);
        if (got > 0)
            if (auto stat = ParseProcessStat(std::string_view(text, static_cast<size_t>(got))))
                return stat;
        ::close(fd_);
        fd_ = -1;
        return std::nullopt;
    };
    if (fd_ >= 0)
        if (auto stat = readOpen())
            return stat;
    // Not open yet, or the process it was opened for has ended.
    if (pid_ <= 0)
        return std::nullopt;
    fd_ = ::open(ProcPath(pid_, "stat").c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ >= 0 ? readOpen() : std::nullopt;
}

bool IsStopped(const ProcessStat& stat)
{
    return stat.state == 'T' || stat.state == 't';
}

bool IsDead(const ProcessStat& stat)
{
    return stat.state == 'Z' || stat.state == 'X' || stat.state == 'x';
}

std::string ProgramName(int32_t pid)
{
    if (pid <= 0)
        return {};
    char target[4096];
    const ssize_t length = ::readlink(ProcPath(pid, "exe").c_str(), target, sizeof target - 1);
    if (length > 0) {
        std::string path(target, static_cast<size_t>(length));
        // An executable replaced while running (an upgrade) still names its program.
        constexpr std::string_view deleted = " (deleted)";
        if (path.ends_with(deleted))
            path.resize(path.size() - deleted.size());
        if (!BaseName(path).empty())
            return BaseName(path);
    }
    // The executable link can be unreadable even for root (other namespaces, kernel threads).
    const std::string commandLine = ReadSmallFile(ProcPath(pid, "cmdline"));
    const std::string first = BaseName(commandLine.substr(0, commandLine.find('\0')));
    if (!first.empty())
        return first;
    std::string command = ReadSmallFile(ProcPath(pid, "comm"));
    while (!command.empty() && command.back() == '\n')
        command.pop_back();
    return command;
}

std::vector<int32_t> SelfAndAncestors(int32_t pid)
{
    std::vector<int32_t> chain;
    while (pid > 0 && chain.size() < 4096 && std::find(chain.begin(), chain.end(), pid) == chain.end()) {
        chain.push_back(pid);
        const auto stat = ReadProcessStat(pid);
        if (!stat)
            break;
        pid = stat->parent;
    }
    return chain;
}

std::vector<int32_t> ApplicationProcesses(int32_t pid)
{
    const std::string program = ProgramName(pid);
    if (program.empty())
        return {};
    int32_t top = pid;
    for (int depth = 0; depth < 4096; ++depth) {
        const auto stat = ReadProcessStat(top);
        if (!stat || stat->parent <= 1 || ProgramName(stat->parent) != program)
            break;
        top = stat->parent;
    }

    std::multimap<int32_t, int32_t> children;
    if (DIR* proc = ::opendir("/proc")) {
        while (const dirent* entry = ::readdir(proc)) {
            int32_t child = 0;
            const std::string_view name(entry->d_name);
            if (std::from_chars(name.data(), name.data() + name.size(), child).ec != std::errc() ||
                child <= 0)
                continue;
            if (const auto stat = ReadProcessStat(child))
                children.emplace(stat->parent, child);
        }
        ::closedir(proc);
    }

    std::vector<int32_t> members{top};
    for (size_t next = 0; next < members.size(); ++next) {
        const auto [first, last] = children.equal_range(members[next]);
        for (auto it = first; it != last; ++it)
            if (ProgramName(it->second) == program)
                members.push_back(it->second);
    }
    return members;
}

} // namespace brevant
