// A memory library for the tests: the readings are set by the test, every call is logged with its
// arguments, and a run frees what the test says it frees.
#define QUILLON_IMPLEMENTATION
#include "Quillon.h"
#include "tests/fakes/CallLog.h"

#include <cinttypes>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int64_t freePhys = 0;
int64_t allPhys = 0;
int64_t freePag = 0;
int64_t allPag = 0;
int64_t freeVirt = 0;
int64_t allVirt = 0;
int64_t freedByRun = 0;

const char* Flag(bool on)
{
    return on ? "true" : "false";
}

} // namespace

FAKE_EXPORT void FakeSetReadings(int64_t free, int64_t all, int64_t freePage, int64_t allPage,
                                 int64_t freeVirtual, int64_t allVirtual)
{
    freePhys = free;
    allPhys = all;
    freePag = freePage;
    allPag = allPage;
    freeVirt = freeVirtual;
    allVirt = allVirtual;
}

// FreeMemory makes this many more bytes free (fewer when negative).
FAKE_EXPORT void FakeSetFreedByRun(int64_t bytes)
{
    freedByRun = bytes;
}

// One call a line, oldest first.
FAKE_EXPORT const char* FakeCalls()
{
    return calls;
}

FAKE_EXPORT void FakeClearCalls()
{
    used = 0;
    calls[0] = '\0';
}

int64_t FreePhysicalMemory(void)
{
    Log("FreePhysicalMemory");
    return freePhys;
}
int64_t AllPhysicalMemory(void)
{
    Log("AllPhysicalMemory");
    return allPhys;
}
int64_t UsedPhysicalMemory(void)
{
    Log("UsedPhysicalMemory");
    return allPhys - freePhys;
}
int64_t FreePageFile(void)
{
    Log("FreePageFile");
    return freePag;
}
int64_t AllPageFile(void)
{
    Log("AllPageFile");
    return allPag;
}
int64_t UsedPageFile(void)
{
    Log("UsedPageFile");
    return allPag - freePag;
}
int64_t FreeVirtualMemory(void)
{
    Log("FreeVirtualMemory");
    return freeVirt;
}
int64_t AllVirtualMemory(void)
{
    Log("AllVirtualMemory");
    return allVirt;
}
int64_t UsedVirtualMemory(void)
{
    Log("UsedVirtualMemory");
    return allVirt - freeVirt;
}
void consumeNow(bool report, int64_t freeBefore, int64_t safety)
{
    Log("consumeNow %s %" PRId64 " %" PRId64, Flag(report), freeBefore, safety);
}
void FreeMemory(bool report)
{
    Log("FreeMemory %s", Flag(report));
    freePhys += freedByRun;
}
void SetDebugMode(bool on)
{
    Log("SetDebugMode %s", Flag(on));
}
