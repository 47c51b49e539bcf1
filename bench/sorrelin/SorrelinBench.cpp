// The temperature tick's nine readings, through the built library: against this machine's own
// sensors, and against an eight-core coretemp tree written to a temporary folder.
#include "libraries/Sorrelin.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

fs::path CoretempTree()
{
    char pattern[] = "/tmp/sorrelin-bench-XXXXXX";
    const fs::path root = mkdtemp(pattern);
    const fs::path device = root / "sys/class/hwmon/hwmon0";
    fs::create_directories(device);
    std::ofstream(device / "name") << "coretemp\n";
    std::ofstream(device / "temp1_label") << "Package id 0\n";
    std::ofstream(device / "temp1_input") << "52000\n";
    for (int core = 0; core < 8; ++core) {
        const std::string temp = "temp" + std::to_string(core + 2);
        std::ofstream(device / (temp + "_label")) << "Core " << core << "\n";
        std::ofstream(device / (temp + "_input")) << 40000 + core * 1000 << "\n";
    }
    return root;
}

void TemperatureTick(benchmark::State& state, bool fixture)
{
    void* library = dlopen(SORRELIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        state.SkipWithError("Sorrelin.so not loaded");
        return;
    }
    const auto core = reinterpret_cast<TGetCoreTempTemperature>(dlsym(library, "GetCoreTempTemperature"));
    const auto average =
        reinterpret_cast<TGetCoreTempAverageTemperature>(dlsym(library, "GetCoreTempAverageTemperature"));
    const auto setRoot = reinterpret_cast<TSetSensorRootForTests>(dlsym(library, "SetSensorRootForTests"));
    const fs::path root = fixture ? CoretempTree() : fs::path();
    setRoot(root.c_str());
    for (auto _ : state) {
        benchmark::DoNotOptimize(average());
        for (uint8_t index = 0; index < 8; ++index)
            benchmark::DoNotOptimize(core(index));
    }
    dlclose(library);
    if (fixture)
        fs::remove_all(root);
}
BENCHMARK_CAPTURE(TemperatureTick, ThisMachine, false);
BENCHMARK_CAPTURE(TemperatureTick, CoretempEightCores, true);

} // namespace
