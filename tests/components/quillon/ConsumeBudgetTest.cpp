#include "components/quillon/ConsumeBudget.h"

#include <gtest/gtest.h>
#include <limits>

using namespace quillon;

namespace {

constexpr int64_t kGiB = 1024 * kMiB;

BudgetInput Input(int64_t freePhysical, int64_t allPhysical, int64_t safety)
{
    BudgetInput input;
    input.freePhysical = freePhysical;
    input.allPhysical = allPhysical;
    input.safety = safety;
    return input;
}

} // namespace

TEST(ConsumeBudgetTest, FloorIsTheLargestOfSafetyQuarterGigabyteAndTenthOfMemory)
{
    EXPECT_EQ(FloorFor(24 * kGiB, kMiB), 24 * kGiB / 10);
    EXPECT_EQ(FloorFor(kGiB, kMiB), 256 * kMiB);
    EXPECT_EQ(FloorFor(kGiB, 0), 256 * kMiB);
    EXPECT_EQ(FloorFor(4 * kGiB, 3 * kGiB), 3 * kGiB);
}

TEST(ConsumeBudgetTest, TakesFreeMemoryDownToTheFloorOnly)
{
    EXPECT_EQ(ConsumeBudget(Input(10 * kGiB, 16 * kGiB, 16 * kMiB)), 10 * kGiB - 16 * kGiB / 10);
    EXPECT_EQ(ConsumeBudget(Input(300 * kMiB, 2 * kGiB, kMiB)), 300 * kMiB - 256 * kMiB);
    EXPECT_EQ(ConsumeBudget(Input(200 * kMiB, 2 * kGiB, kMiB)), 0);
    EXPECT_EQ(ConsumeBudget(Input(0, 0, 0)), 0);
    EXPECT_EQ(ConsumeBudget(Input(8 * kGiB, 16 * kGiB, std::numeric_limits<int64_t>::max())), 0);
    EXPECT_EQ(ConsumeBudget(Input(std::numeric_limits<int64_t>::max(), 16 * kGiB, 0)),
              std::numeric_limits<int64_t>::max() - 16 * kGiB / 10);
}

TEST(ConsumeBudgetTest, CgroupLimitAndCapBoundTheRun)
{
    BudgetInput input = Input(10 * kGiB, 16 * kGiB, kMiB);
    input.cgroup = {kGiB, 600 * kMiB};
    EXPECT_EQ(ConsumeBudget(input), kGiB - 600 * kMiB - kGiB / 10);
    input.cgroup = {256 * kMiB, 0};
    EXPECT_EQ(ConsumeBudget(input), 256 * kMiB - 64 * kMiB);
    input.cgroup = {kGiB, 2 * kGiB};
    EXPECT_EQ(ConsumeBudget(input), 0);
    // Counts the parser held at the top of the range take nothing rather than wrap round.
    input.cgroup = {kMiB, std::numeric_limits<int64_t>::max()};
    EXPECT_EQ(ConsumeBudget(input), 0);
    input.cgroup = {};
    input.freePhysical = std::numeric_limits<int64_t>::min();
    EXPECT_EQ(ConsumeBudget(input), 0);
    input.freePhysical = 10 * kGiB;

    input.cgroup = {};
    input.cap = 64 * kMiB;
    EXPECT_EQ(ConsumeBudget(input), 64 * kMiB);
    input.cap = 0;
    EXPECT_EQ(ConsumeBudget(input), 0);
}

TEST(ConsumeBudgetTest, CgroupFilesAreRead)
{
    EXPECT_EQ(ParseCgroupLimit("max\n"), -1);
    EXPECT_EQ(ParseCgroupLimit("9223372036854771712\n"), -1);
    EXPECT_EQ(ParseCgroupLimit("1073741824\n"), kGiB);
    EXPECT_EQ(ParseCount("410255360\n"), 410255360);
    EXPECT_EQ(ParseCount(""), -1);

    const CgroupPath unified = MemoryCgroupPath("0::/user.slice/session-2.scope\n");
    EXPECT_EQ(unified.path, "/user.slice/session-2.scope");
    EXPECT_TRUE(unified.unified);

    const CgroupPath legacy = MemoryCgroupPath("9:name=systemd:/\n8:pids:/\n4:memory:/jobs/a1\n"
                                               "2:cpu,cpuacct:/\n0::/\n");
    EXPECT_EQ(legacy.path, "/jobs/a1");
    EXPECT_FALSE(legacy.unified);

    EXPECT_EQ(MemoryCgroupPath("3:cpuset,memory:/x\n").path, "/x");
    EXPECT_TRUE(MemoryCgroupPath("garbage\n").path.empty());
}

TEST(ConsumeBudgetTest, PressureAndSwapCountersAreRead)
{
    EXPECT_EQ(ParsePressureStall("some avg10=0.00 avg60=0.00 avg300=0.00 total=1234\n"
                                 "full avg10=0.00 avg60=0.00 avg300=0.00 total=99\n"),
              1234);
    EXPECT_EQ(ParsePressureStall(""), -1);
    EXPECT_EQ(ParseVmstat("pswpin 5\npswpout_extra 3\npswpout 7\n", "pswpout"), 7);
    EXPECT_EQ(ParseVmstat("pswpin 5\n", "pswpout"), -1);
}
