#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brevant {

// What /proc/PID/stat tells about one process.
struct ProcessStat {
    char state = '?'; // R, S, D, T (stopped), t (traced), Z (zombie), X (dead), ...
    int32_t parent = 0;
    int32_t session = 0;
    // Start time in clock ticks after boot: with the pid, it names one process for good.
    uint64_t started = 0;
    uint64_t residentBytes = 0;
};

// Parses the text of /proc/PID/stat; the command name may hold blanks and parentheses, so the
// fields are read after the last ')'.
std::optional<ProcessStat> ParseProcessStat(std::string_view text);
std::optional<ProcessStat> ReadProcessStat(int32_t pid);

// /proc/PID/stat held open, so that a repeated read costs one system call instead of three. The
// open file stays bound to the process it was opened for: once that process has ended, the read
// opens the pid's file afresh and so sees whatever process has the pid now.
class ProcessStatFile {
public:
    explicit ProcessStatFile(int32_t pid);
    ~ProcessStatFile();
    ProcessStatFile(const ProcessStatFile&) = delete;
    ProcessStatFile& operator=(const ProcessStatFile&) = delete;

    std::optional<ProcessStat> Read();

private:
    int32_t pid_;
    int fd_ = -1;
};

// Stopped, zombie or dead: such a process can answer nothing.
bool IsStopped(const ProcessStat& stat);
bool IsDead(const ProcessStat& stat);

// The program's name: the executable's file name, else argv[0]'s, else the kernel's short
// command name; empty when the process does not exist.
std::string ProgramName(int32_t pid);

// The process, its parent, its parent's parent ... up to (not including) pid 0.
std::vector<int32_t> SelfAndAncestors(int32_t pid);

// The application a process belongs to: climbing through parents that run the same program to the
// topmost one, then that one and every descendant reached through processes of the same program.
std::vector<int32_t> ApplicationProcesses(int32_t pid);

} // namespace brevant
