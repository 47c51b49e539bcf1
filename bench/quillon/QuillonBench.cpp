// The memory tick's six readings, through the built library.
#include "libraries/Quillon.h"

#include <benchmark/benchmark.h>
#include <dlfcn.h>

namespace {

template <typename Entry> Entry Bind(void* library, const char* name)
{
    return reinterpret_cast<Entry>(dlsym(library, name));
}

void MemoryTick(benchmark::State& state)
{
    void* library = dlopen(QUILLON_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        state.SkipWithError("Quillon.so not loaded");
        return;
    }
    const auto freePhysical = Bind<TFreePhysicalMemory>(library, "FreePhysicalMemory");
    const auto allPhysical = Bind<TAllPhysicalMemory>(library, "AllPhysicalMemory");
    const auto freePageFile = Bind<TFreePageFile>(library, "FreePageFile");
    const auto allPageFile = Bind<TAllPageFile>(library, "AllPageFile");
    const auto freeVirtual = Bind<TFreeVirtualMemory>(library, "FreeVirtualMemory");
    const auto allVirtual = Bind<TAllVirtualMemory>(library, "AllVirtualMemory");
    for (auto _ : state) {
        benchmark::DoNotOptimize(freePhysical());
        benchmark::DoNotOptimize(allPhysical());
        benchmark::DoNotOptimize(freePageFile());
        benchmark::DoNotOptimize(allPageFile());
        benchmark::DoNotOptimize(freeVirtual());
        benchmark::DoNotOptimize(allVirtual());
    }
    dlclose(library);
}
BENCHMARK(MemoryTick);

} // namespace
