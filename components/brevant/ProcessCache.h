#pragma once

#include "Processes.h"

#include <chrono>
#include <optional>
#include <string>
#include <unordered_map>

namespace brevant {

// The process facts one check needs, read once per process and check: a check asks about each
// process several times within a few milliseconds, and /proc reads are the dearest part of it.
// A state entry lives far shorter than the 500 ms between two ticks, and the library forgets a
// process as soon as it signals it. Each process's stat file is kept open between reads. A program
// name is kept for the life of its process.
class ProcessCache {
public:
    std::optional<ProcessStat> Stat(int32_t pid);
    // The program's name; empty when the process does not exist.
    const std::string& Program(int32_t pid);
    void Forget(int32_t pid);
    void ForgetAll();

private:
    struct Entry {
        explicit Entry(int32_t pid)
            : file(pid)
        {
        }
        ProcessStatFile file;
        std::chrono::steady_clock::time_point read;
        std::optional<ProcessStat> stat;
    };
    struct ProgramEntry {
        uint64_t started = 0;
        std::string name;
    };
    const Entry& Fresh(int32_t pid);

    std::unordered_map<int32_t, Entry> entries_;
    std::unordered_map<int32_t, ProgramEntry> programs_;
};

} // namespace brevant
