#include "components/quillon/MemInfo.h"

#include <gtest/gtest.h>
#include <limits>

using namespace quillon;

namespace {

constexpr int64_t kKiB = 1024;
constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

constexpr const char* kModern = "MemTotal:       16384000 kB\n"
                                "MemFree:         2000000 kB\n"
                                "MemAvailable:    9000000 kB\n"
                                "Buffers:          100000 kB\n"
                                "Cached:          6000000 kB\n"
                                "SwapCached:            0 kB\n"
                                "SwapTotal:       2097148 kB\n"
                                "SwapFree:        1048576 kB\n"
                                "SReclaimable:     300000 kB\n"
                                "HugePages_Total:       0\n";

} // namespace

TEST(MemInfoTest, ModernKernelGivesAvailableMemoryAndSwap)
{
    const MemoryReadings readings = ReadingsFrom(ParseMemInfo(kModern));
    EXPECT_EQ(readings.allPhysical, 16384000 * kKiB);
    EXPECT_EQ(readings.freePhysical, 9000000 * kKiB);
    EXPECT_EQ(readings.UsedPhysical(), 7384000 * kKiB);
    EXPECT_EQ(readings.allPageFile, 2097148 * kKiB);
    EXPECT_EQ(readings.freePageFile, 1048576 * kKiB);
    EXPECT_EQ(readings.allVirtual, (16384000 + 2097148) * kKiB);
    EXPECT_EQ(readings.freeVirtual, (9000000 + 1048576) * kKiB);
}

TEST(MemInfoTest, OldKernelWithoutMemAvailableCountsReclaimableMemory)
{
    const MemoryReadings readings =
        ReadingsFrom(ParseMemInfo("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 10 kB\n"
                                  "Cached: 200 kB\nSReclaimable: 5 kB\n"
                                  "SwapTotal: 0 kB\nSwapFree: 0 kB\n"));
    EXPECT_EQ(readings.freePhysical, 315 * kKiB);
    // Without the slab line either, the classic free + buffers + cache.
    EXPECT_EQ(
        ReadingsFrom(ParseMemInfo("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 10 kB\nCached: 200 kB\n"))
            .freePhysical,
        310 * kKiB);
}

TEST(MemInfoTest, NoSwapMeansEmptyPageFileAndVirtualEqualToPhysical)
{
    const MemoryReadings readings = ReadingsFrom(
        ParseMemInfo("MemTotal: 4096 kB\nMemAvailable: 1024 kB\nSwapTotal: 0 kB\nSwapFree: 0 kB\n"));
    EXPECT_EQ(readings.allPageFile, 0);
    EXPECT_EQ(readings.freePageFile, 0);
    EXPECT_EQ(readings.allVirtual, readings.allPhysical);
    EXPECT_EQ(readings.freeVirtual, readings.freePhysical);
}

TEST(MemInfoTest, FreeNeverExceedsTotal)
{
    const MemoryReadings readings = ReadingsFrom(
        ParseMemInfo("MemTotal: 1000 kB\nMemAvailable: 5000 kB\nSwapTotal: 10 kB\nSwapFree: 20 kB\n"));
    EXPECT_EQ(readings.freePhysical, readings.allPhysical);
    EXPECT_EQ(readings.freePageFile, readings.allPageFile);
    EXPECT_EQ(readings.UsedPhysical(), 0);
    EXPECT_EQ(readings.UsedVirtual(), 0);
}

TEST(MemInfoTest, HugeValuesSaturateInsteadOfWrapping)
{
    const MemoryReadings readings = ReadingsFrom(ParseMemInfo("MemTotal: 99999999999999999999999 kB\n"
                                                              "MemAvailable: 9007199254740993 kB\n"
                                                              "SwapTotal: 9007199254740993 kB\n"
                                                              "SwapFree: 1 kB\n"));
    EXPECT_EQ(readings.allPhysical, kMax);
    EXPECT_EQ(readings.freePhysical, kMax);
    EXPECT_EQ(readings.allPageFile, kMax);
    EXPECT_EQ(readings.allVirtual, kMax);
    EXPECT_EQ(readings.freeVirtual, kMax);
    EXPECT_GE(readings.UsedPhysical(), 0);
    EXPECT_GE(readings.UsedPageFile(), 0);
}

TEST(MemInfoTest, MalformedLinesAreIgnored)
{
    const MemInfo info = ParseMemInfo("MemTotal: abc kB\n"
                                      "MemFree 123 kB\n"
                                      "MemAvailable: 12 MB\n"
                                      "SwapTotal: -5 kB\n"
                                      "\x01\xff:\x02\n"
                                      ":::\n"
                                      "SwapFree:\n"
                                      "Buffers: 7 kB\r\n"
                                      "Cached: 8");
    EXPECT_EQ(info.memTotal, -1);
    EXPECT_EQ(info.memFree, -1);
    EXPECT_EQ(info.memAvailable, -1);
    EXPECT_EQ(info.swapTotal, -1);
    EXPECT_EQ(info.swapFree, -1);
    EXPECT_EQ(info.buffers, 7 * kKiB);
    EXPECT_EQ(info.cached, 8 * kKiB);

    const MemoryReadings nothing = ReadingsFrom(ParseMemInfo(""));
    EXPECT_EQ(nothing.allPhysical, 0);
    EXPECT_EQ(nothing.freePhysical, 0);
    EXPECT_EQ(nothing.allVirtual, 0);
}

TEST(MemInfoTest, TotalIsNeverZeroWhileFreeMemoryIsKnown)
{
    const MemoryReadings readings = ReadingsFrom(ParseMemInfo("MemAvailable: 2048 kB\n"));
    EXPECT_EQ(readings.allPhysical, 2048 * kKiB);
    EXPECT_EQ(readings.UsedPhysical(), 0);
}

TEST(MemInfoTest, FallbackFillsOnlyWhatIsMissing)
{
    MemInfo fallback;
    fallback.memTotal = 1;
    fallback.memFree = 2;
    fallback.swapTotal = 3;
    fallback.swapFree = 4;
    const MemInfo merged = WithFallback(ParseMemInfo("MemTotal: 10 kB\nMemAvailable: 5 kB\n"), fallback);
    EXPECT_EQ(merged.memTotal, 10 * kKiB);
    EXPECT_EQ(merged.memAvailable, 5 * kKiB);
    EXPECT_EQ(merged.memFree, 2);
    EXPECT_EQ(merged.swapTotal, 3);
    EXPECT_EQ(merged.swapFree, 4);
}
