#include "Sensors.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

namespace sorrelin {

namespace {

constexpr int64_t kRediscoverNs = 2'000'000'000;

int64_t NowNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

} // namespace

void Sensors::SetRoot(std::string root)
{
    std::lock_guard lock(mutex_);
    root_ = std::move(root);
    discovered_ = false;
}

const SensorFiles& Sensors::Discovered()
{
    const int64_t now = NowNs();
    if (!discovered_ || ((stale_ || files_.Empty()) && now - discoveredAtNs_ >= kRediscoverNs)) {
        files_ = DiscoverSensors(root_);
        discovered_ = true;
        stale_ = false;
        discoveredAtNs_ = now;
    }
    return files_;
}

std::optional<double> Sensors::Read(const std::string& file)
{
    char buffer[32];
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ssize_t length = -1;
    if (fd >= 0) {
        while ((length = read(fd, buffer, sizeof buffer)) < 0 && errno == EINTR) {
        }
        close(fd);
    }
    if (length < 0) {
        stale_ = true;
        return std::nullopt;
    }
    return ParseMillidegrees(std::string_view(buffer, static_cast<size_t>(length)));
}

std::optional<double> Sensors::Core(unsigned index)
{
    std::lock_guard lock(mutex_);
    const SensorFiles& files = Discovered();
    if (index >= files.cores.size())
        return std::nullopt;
    return Read(files.cores[index]);
}

std::optional<double> Sensors::Average()
{
    std::lock_guard lock(mutex_);
    const SensorFiles& files = Discovered();
    if (!files.package.empty())
        return Read(files.package);
    // Processors without a package sensor: the mean of the cores that answer.
    double sum = 0;
    int count = 0;
    for (const std::string& core : files.cores) {
        if (const std::optional<double> reading = Read(core)) {
            sum += *reading;
            ++count;
        }
    }
    if (count == 0)
        return std::nullopt;
    return sum / count;
}

} // namespace sorrelin
