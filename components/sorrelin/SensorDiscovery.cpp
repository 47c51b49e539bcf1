#include "SensorDiscovery.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace sorrelin {

namespace fs = std::filesystem;

namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == ' ' || text.back() == '\r' || text.back() == '\t'))
        text.remove_suffix(1);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    return text;
}

std::string ReadLine(const fs::path& file)
{
    std::ifstream stream(file);
    std::string line;
    std::getline(stream, line);
    return std::string(Trimmed(line));
}

// The number after `prefix` in names like "hwmon12" or labels like "Core 7"; -1 when there is none.
int NumberAfter(std::string_view text, std::string_view prefix)
{
    if (text.substr(0, prefix.size()) != prefix)
        return -1;
    text.remove_prefix(prefix.size());
    int number = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() ? number : -1;
}

// The entries of `folder` named prefix + number, in the kernel's numeric order.
std::vector<fs::path> NumberedEntries(const fs::path& folder, std::string_view prefix)
{
    std::vector<std::pair<int, fs::path>> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const int number = NumberAfter(it->path().filename().native(), prefix);
        if (number >= 0)
            found.emplace_back(number, it->path());
    }
    std::sort(found.begin(), found.end());
    std::vector<fs::path> paths;
    for (auto& [number, path] : found)
        paths.push_back(std::move(path));
    return paths;
}

struct Input {
    std::string label;
    fs::path file;
};

// An hwmon device's temperature inputs with their labels; older kernels keep them in device/.
std::vector<Input> TemperatureInputs(const fs::path& device)
{
    std::vector<Input> inputs;
    for (const fs::path& folder : {device, device / "device"}) {
        std::vector<std::pair<int, fs::path>> numbered;
        std::error_code error;
        for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().native();
            if (name.size() > 6 && name.compare(name.size() - 6, 6, "_input") == 0) {
                const int number = NumberAfter(std::string_view(name).substr(0, name.size() - 6), "temp");
                if (number >= 0)
                    numbered.emplace_back(number, it->path());
            }
        }
        std::sort(numbered.begin(), numbered.end());
        for (auto& [number, file] : numbered)
            inputs.push_back(
                {ReadLine(folder / ("temp" + std::to_string(number) + "_label")), std::move(file)});
        if (!inputs.empty())
            break;
    }
    return inputs;
}

struct Core {
    size_t device;
    int number;
    std::string file;
};

bool IsProcessorZone(std::string type)
{
    std::transform(type.begin(), type.end(), type.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
    return type.find("cpu") != std::string::npos;
}

} // namespace

std::optional<double> ParseMillidegrees(std::string_view text)
{
    text = Trimmed(text);
    int64_t millidegrees = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), millidegrees);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return static_cast<double>(millidegrees) / 1000.0;
}

SensorFiles DiscoverSensors(const std::string& root)
{
    const fs::path base = root.empty() ? fs::path("/") : fs::path(root);
    SensorFiles files;
    std::vector<Core> cores;
    // AMD's die reading; Tctl may carry an offset and counts only when Tdie is absent.
    std::string control;
    const std::vector<fs::path> devices = NumberedEntries(base / "sys/class/hwmon", "hwmon");
    for (size_t device = 0; device < devices.size(); ++device) {
        std::string name = ReadLine(devices[device] / "name");
        if (name.empty())
            name = ReadLine(devices[device] / "device" / "name");
        const bool intel = name == "coretemp";
        if (!intel && name != "k10temp" && name != "zenpower")
            continue;
        for (const Input& input : TemperatureInputs(devices[device])) {
            if (intel &&
                (input.label.starts_with("Package id ") || input.label.starts_with("Physical id "))) {
                if (files.package.empty())
                    files.package = input.file;
            } else if (const int core = NumberAfter(input.label, intel ? "Core " : "Tccd"); core >= 0) {
                cores.push_back({device, core, input.file});
            } else if (!intel && input.label == "Tdie") {
                if (files.package.empty())
                    files.package = input.file;
            } else if (!intel && (input.label == "Tctl" || input.label.empty()) && control.empty()) {
                control = input.file;
            }
        }
    }
    if (files.package.empty())
        files.package = control;
    std::sort(cores.begin(), cores.end(), [](const Core& a, const Core& b) {
        return std::tie(a.device, a.number) < std::tie(b.device, b.number);
    });
    for (Core& core : cores)
        files.cores.push_back(std::move(core.file));
    if (!files.Empty())
        return files;

    // No hwmon driver for the processor: its thermal zone gives the package reading alone.
    std::string anyProcessorZone;
    for (const fs::path& zone : NumberedEntries(base / "sys/class/thermal", "thermal_zone")) {
        const std::string type = ReadLine(zone / "type");
        if (type == "x86_pkg_temp") {
            files.package = zone / "temp";
            return files;
        }
        if (anyProcessorZone.empty() && IsProcessorZone(type))
            anyProcessorZone = zone / "temp";
    }
    files.package = anyProcessorZone;
    return files;
}

} // namespace sorrelin
