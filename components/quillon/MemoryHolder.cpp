#include "MemoryHolder.h"

#include "CgroupWatch.h"
#include "ConsumeBudget.h"
#include "MemorySampler.h"
#include "ProcFile.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillon {

namespace {

constexpr int64_t kChunk = 16 * kMiB;
constexpr int64_t kDeadlineNs = 2'000'000'000;
// The child's answer is awaited a little longer than its own deadline.
constexpr int kAnswerWaitMs = 3500;

enum class Stop : int32_t { Target, Floor, Deadline, Pressure, Swapping, AllocationFailed };

struct Report {
    int64_t taken = 0;
    Stop stop = Stop::Target;
    int32_t error = 0;
};

int64_t NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

const char* StopText(Stop stop)
{
    switch (stop) {
    case Stop::Target:
        return "target reached";
    case Stop::Floor:
        return "free memory reached the floor";
    case Stop::Deadline:
        return "time limit reached";
    case Stop::Pressure:
        return "memory pressure";
    case Stop::Swapping:
        return "swapping";
    case Stop::AllocationFailed:
        return "allocation failed";
    }
    return "";
}

void CloseRange(int first, int last)
{
    if (first <= last)
        syscall(SYS_close_range, static_cast<unsigned>(first), static_cast<unsigned>(last), 0U);
}

bool WriteAll(int fd, const void* data, size_t size)
{
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = write(fd, bytes, size);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        bytes += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}

// Pages are made real by the kernel in one call where it can, else one write per page.
bool Touch(char* memory, int64_t size, int64_t pageSize)
{
    if (madvise(memory, static_cast<size_t>(size), MADV_POPULATE_WRITE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    for (int64_t offset = 0; offset < size; offset += pageSize)
        static_cast<volatile char*>(memory)[offset] = 1;
    return true;
}

// Never gives the address space more than the run may take, whatever the loop below does.
void CeilAddressSpace(int64_t target)
{
    char buffer[128];
    const std::string_view statm = ReadProcFile("/proc/self/statm", buffer, sizeof buffer);
    const int64_t pages = ParseCount(statm.substr(0, statm.find(' ')));
    if (pages < 0)
        return;
    const auto ceiling = static_cast<rlim_t>(pages * sysconf(_SC_PAGESIZE) + target + 64 * kMiB);
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) == 0 && (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > ceiling)) {
        limit.rlim_cur = ceiling;
        setrlimit(RLIMIT_AS, &limit);
    }
}

// Runs in the child after fork(): only system calls and code that allocates nothing.
Report TakeMemory(int64_t target, int64_t safety, const CgroupWatch& cgroup)
{
    static char buffer[16384];
    const int64_t pageSize = sysconf(_SC_PAGESIZE);
    const int64_t stallBefore =
        ParsePressureStall(ReadProcFile("/proc/pressure/memory", buffer, sizeof buffer));
    const int64_t swapOutBefore = ParseVmstat(ReadProcFile("/proc/vmstat", buffer, sizeof buffer), "pswpout");
    const int64_t deadline = NowNs() + kDeadlineNs;
    CeilAddressSpace(target);

    Report report;
    while (report.taken < target) {
        const MemInfo info = MemorySampler::ReadMemInfo(buffer, sizeof buffer);
        if (report.taken > 0) {
            if (NowNs() > deadline) {
                report.stop = Stop::Deadline;
                break;
            }
            const int64_t stall =
                ParsePressureStall(ReadProcFile("/proc/pressure/memory", buffer, sizeof buffer));
            if (stallBefore >= 0 && stall > stallBefore) {
                report.stop = Stop::Pressure;
                break;
            }
            const int64_t swapOut =
                ParseVmstat(ReadProcFile("/proc/vmstat", buffer, sizeof buffer), "pswpout");
            if (swapOutBefore >= 0 && swapOut > swapOutBefore) {
                report.stop = Stop::Swapping;
                break;
            }
        }
        BudgetInput now;
        now.freePhysical = AvailablePhysical(info);
        now.allPhysical = info.memTotal;
        now.safety = safety;
        now.cgroup = cgroup.Read();
        now.cap = target - report.taken;
        const int64_t chunk = std::min(kChunk, ConsumeBudget(now)) / pageSize * pageSize;
        if (chunk <= 0) {
            report.stop = Stop::Floor;
            break;
        }
        void* memory = mmap(nullptr, static_cast<size_t>(chunk), PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (memory == MAP_FAILED || !Touch(static_cast<char*>(memory), chunk, pageSize)) {
            report.stop = Stop::AllocationFailed;
            report.error = errno;
            if (memory != MAP_FAILED)
                munmap(memory, static_cast<size_t>(chunk));
            break;
        }
        report.taken += chunk;
    }
    return report;
}

[[noreturn]] void HolderMain(pid_t parent, int reportFd, int holdFd, int64_t target, int64_t safety,
                             const CgroupWatch& cgroup)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(0);
    // Nothing of the program's (its display connection, its files) stays open in the child.
    const int low = std::min(reportFd, holdFd);
    const int high = std::max(reportFd, holdFd);
    CloseRange(3, low - 1);
    CloseRange(low + 1, high - 1);
    CloseRange(high + 1, ~0U >> 1);
    const int adjust = open("/proc/self/oom_score_adj", O_WRONLY | O_CLOEXEC);
    if (adjust >= 0) {
        (void)!write(adjust, "1000", 4);
        close(adjust);
    }
    const Report report = TakeMemory(target, safety, cgroup);
    WriteAll(reportFd, &report, sizeof report);
    close(reportFd);
    // Hold until the library lets go (or goes away).
    char ignored;
    while (read(holdFd, &ignored, 1) < 0 && errno == EINTR) {
    }
    _exit(0);
}

int PidfdOpen(pid_t pid)
{
    return static_cast<int>(syscall(SYS_pidfd_open, pid, 0U));
}

enum class Answer { Given, Ended, Silent };

// Waits for the child's report, at most a little longer than the child's own deadline.
Answer AwaitReport(int fd, Report& report)
{
    const int64_t until = NowNs() + int64_t{kAnswerWaitMs} * 1'000'000;
    size_t got = 0;
    while (got < sizeof report) {
        const int64_t left = (until - NowNs()) / 1'000'000;
        if (left <= 0)
            return Answer::Silent;
        pollfd wait{fd, POLLIN, 0};
        const int ready = poll(&wait, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return Answer::Silent;
        const ssize_t done = read(fd, reinterpret_cast<char*>(&report) + got, sizeof report - got);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return Answer::Ended;
        got += static_cast<size_t>(done);
    }
    return Answer::Given;
}

} // namespace

int64_t MemoryHolder::Take(int64_t target, int64_t safety, const CgroupWatch& cgroup)
{
    Release();
    int report[2];
    int hold[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        log_.Write("consumeNow: could not start the memory holder: %s", strerror(errno));
        return 0;
    }
    if (pipe2(hold, O_CLOEXEC) != 0) {
        log_.Write("consumeNow: could not start the memory holder: %s", strerror(errno));
        close(report[0]);
        close(report[1]);
        return 0;
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0)
        HolderMain(parent, report[1], hold[0], target, safety, cgroup);
    const int forkError = errno;
    close(report[1]);
    close(hold[0]);
    if (pid < 0) {
        log_.Write("consumeNow: could not start the memory holder: %s", strerror(forkError));
        close(report[0]);
        close(hold[1]);
        return 0;
    }
    pid_ = pid;
    pidfd_ = PidfdOpen(pid);
    holdFd_ = hold[1];

    Report answer;
    const Answer given = AwaitReport(report[0], answer);
    close(report[0]);
    if (given != Answer::Given) {
        int status = 0;
        if (given == Answer::Ended && waitpid(pid_, &status, 0) == pid_) {
            pid_ = 0;
            if (WIFSIGNALED(status))
                log_.Write("consumeNow: the memory holder was ended by signal %d", WTERMSIG(status));
            else
                log_.Write("consumeNow: the memory holder ended without answering");
        } else {
            log_.Write("consumeNow: the memory holder gave no answer in time");
        }
        Release();
        return 0;
    }
    if (answer.stop == Stop::AllocationFailed)
        log_.Write("consumeNow: allocation failed after taking %lld MiB: %s",
                   static_cast<long long>(answer.taken / kMiB), strerror(answer.error));
    if (answer.taken == 0) {
        if (answer.stop != Stop::AllocationFailed)
            log_.Write("consumeNow: took nothing: %s", StopText(answer.stop));
        Release();
    }
    return answer.taken;
}

void MemoryHolder::Release()
{
    if (pid_ > 0) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            if (WIFSIGNALED(status))
                log_.Write("FreeMemory: the memory holder had already been ended by signal %d",
                           WTERMSIG(status));
        } else {
            // The pidfd names this child even if the program reaps children behind the library's back;
            // a bare pid is used only on kernels without pidfds.
            if (pidfd_ >= 0)
                syscall(SYS_pidfd_send_signal, pidfd_, SIGKILL, nullptr, 0U);
            else
                kill(pid_, SIGKILL);
            int waited = 0;
            while ((waited = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
            }
            if (waited < 0 && pidfd_ >= 0) {
                pollfd ended{pidfd_, POLLIN, 0};
                poll(&ended, 1, 2000);
            }
        }
    }
    if (holdFd_ >= 0)
        close(holdFd_);
    if (pidfd_ >= 0)
        close(pidfd_);
    pid_ = 0;
    pidfd_ = -1;
    holdFd_ = -1;
}

} // namespace quillon
