// A stand-in component library for the program's start and exit: built once per kind (memory,
// task, temperature), complete or lacking one entry point. It records its own unloading in a file
// that the test names.
#include <cstdio>
#include <cstring>

#if defined(FAKE_MEMORY)
#define QUILLON_IMPLEMENTATION
#include "Quillon.h"
#elif defined(FAKE_TASK)
#define BREVANT_IMPLEMENTATION
#include "Brevant.h"
#elif defined(FAKE_TEMPERATURE)
#define SORRELIN_IMPLEMENTATION
#include "Sorrelin.h"
#endif

namespace {
char unloadLog[4096];
}

extern "C" __attribute__((visibility("default"))) void FakeSetUnloadLog(const char* path)
{
    std::snprintf(unloadLog, sizeof unloadLog, "%s", path);
}

__attribute__((destructor)) static void Unloaded()
{
    if (unloadLog[0] == '\0')
        return;
    if (std::FILE* log = std::fopen(unloadLog, "a")) {
        std::fputs(FAKE_NAME "\n", log);
        std::fclose(log);
    }
}

#if defined(FAKE_MEMORY)
int64_t FreePhysicalMemory(void)
{
    return 4LL << 30;
}
int64_t AllPhysicalMemory(void)
{
    return 8LL << 30;
}
int64_t UsedPhysicalMemory(void)
{
    return 4LL << 30;
}
int64_t FreePageFile(void)
{
    return 0;
}
int64_t AllPageFile(void)
{
    return 0;
}
int64_t UsedPageFile(void)
{
    return 0;
}
int64_t FreeVirtualMemory(void)
{
    return 4LL << 30;
}
int64_t AllVirtualMemory(void)
{
    return 8LL << 30;
}
int64_t UsedVirtualMemory(void)
{
    return 4LL << 30;
}
void consumeNow(bool, int64_t, int64_t) {}
void FreeMemory(bool) {}
#if !defined(FAKE_INCOMPLETE)
void SetDebugMode(bool) {}
#endif
#elif defined(FAKE_TASK)
bool EnumWindowsVisible(BrevantWindow, const BrevantWindowList*)
{
    return true;
}
bool EnumWindowsHidden(BrevantWindow, const BrevantWindowList*)
{
    return true;
}
bool EnumWindowsAll(BrevantWindow, const BrevantWindowList*)
{
    return true;
}
int32_t HandleToName(BrevantWindow, char16_t*, int32_t)
{
    return 0;
}
int32_t HandleToID(BrevantWindow)
{
    return 0;
}
int32_t HandleToClass(BrevantWindow, char16_t*, int32_t)
{
    return 0;
}
int32_t ParentAppName(BrevantWindow, char16_t*, int32_t)
{
    return 0;
}
bool compareHWNDAndApps(BrevantWindow, BrevantWindow)
{
    return false;
}
bool taskInList(const char16_t*, int32_t, const BrevantWindowList*)
{
    return false;
}
int32_t getStatusString(const char16_t*, int32_t, BrevantWindow, const BrevantWindowList*, char16_t*, int32_t)
{
    return 0;
}
void HandleKill(BrevantWindow) {}
void HandleSuspend(BrevantWindow) {}
void HandleResume(BrevantWindow) {}
void HandleSuspendParent(BrevantWindow) {}
void HandleResumeParent(BrevantWindow) {}
uint64_t HandleMemorySize(BrevantWindow)
{
    return 0;
}
bool HandleResponding(BrevantWindow)
{
    return true;
}
#if !defined(FAKE_INCOMPLETE)
int32_t GetWindowStatus(BrevantWindow, char16_t*, int32_t)
{
    return 0;
}
#endif
void HandleKillOf(BrevantWindow, int32_t) {}
int32_t HandleSuspendOf(BrevantWindow, int32_t, int32_t*, int32_t)
{
    return 0;
}
int32_t HandleSuspendParentOf(BrevantWindow, int32_t, int32_t*, int32_t)
{
    return 0;
}
void ProcessResume(int32_t) {}
#elif defined(FAKE_TEMPERATURE)
double GetCoreTempTemperature(uint8_t)
{
    return 0;
}
double GetCoreTempAverageTemperature(void)
{
    return 0;
}
bool CoreTempStarted(void)
{
    return false;
}
#endif
