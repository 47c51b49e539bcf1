// The built memory library, loaded the way the program loads it.
#include "libraries/Quillon.h"
#include "platform/Library.h"
#include "tests/support/WorkingFolder.h"

#include <QRegularExpression>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int64_t kMiB = 1024 * 1024;

std::string ReadText(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A /proc/meminfo figure in bytes.
int64_t MemInfoBytes(const std::string& key)
{
    std::istringstream lines(ReadText("/proc/meminfo"));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(key + ":", 0) == 0)
            return std::stoll(line.substr(key.size() + 1)) * 1024;
    }
    return -1;
}

// The processes whose parent is this test: the library's memory holder, when one runs.
std::vector<pid_t> Children()
{
    std::vector<pid_t> children;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string stat = ReadText(entry.path() / "stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(close + 2));
        std::string state;
        pid_t parent = 0;
        fields >> state >> parent;
        if (parent == getpid())
            children.push_back(std::stoi(name));
    }
    return children;
}

// Memory the process wrote itself, not what it shares with the test since fork().
int64_t PrivateDirtyBytes(pid_t pid)
{
    std::istringstream lines(ReadText("/proc/" + std::to_string(pid) + "/smaps_rollup"));
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Private_Dirty:", 0) == 0)
            return std::stoll(line.substr(14)) * 1024;
    }
    return -1;
}

class QuillonLibraryTest : public testing::Test {
protected:
    void SetUp() override
    {
        library_ = LoadLibrary(QUILLON_PATH);
        ASSERT_NE(library_, nullptr);
        ASSERT_TRUE(Bind(freePhysical_, "FreePhysicalMemory") && Bind(allPhysical_, "AllPhysicalMemory") &&
                    Bind(usedPhysical_, "UsedPhysicalMemory") && Bind(freePageFile_, "FreePageFile") &&
                    Bind(allPageFile_, "AllPageFile") && Bind(usedPageFile_, "UsedPageFile") &&
                    Bind(freeVirtual_, "FreeVirtualMemory") && Bind(allVirtual_, "AllVirtualMemory") &&
                    Bind(usedVirtual_, "UsedVirtualMemory") && Bind(consumeNow_, "consumeNow") &&
                    Bind(freeMemory_, "FreeMemory") && Bind(setDebugMode_, "SetDebugMode") &&
                    Bind(setCap_, "SetConsumeCapForTests"));
    }
    void TearDown() override { Unload(); }

    template <typename Entry> bool Bind(Entry& entry, const char* name)
    {
        entry = reinterpret_cast<Entry>(GetProcAddress(library_, name));
        return entry != nullptr;
    }
    void Unload()
    {
        FreeLibrary(library_);
        library_ = nullptr;
    }

    HMODULE library_ = nullptr;
    TFreePhysicalMemory freePhysical_ = nullptr;
    TAllPhysicalMemory allPhysical_ = nullptr;
    TUsedPhysicalMemory usedPhysical_ = nullptr;
    TFreePageFile freePageFile_ = nullptr;
    TAllPageFile allPageFile_ = nullptr;
    TUsedPageFile usedPageFile_ = nullptr;
    TFreeVirtualMemory freeVirtual_ = nullptr;
    TAllVirtualMemory allVirtual_ = nullptr;
    TUsedVirtualMemory usedVirtual_ = nullptr;
    TconsumeNow consumeNow_ = nullptr;
    TFreeMemory freeMemory_ = nullptr;
    TSetDebugMode setDebugMode_ = nullptr;
    TSetConsumeCapForTests setCap_ = nullptr;
};

} // namespace

TEST_F(QuillonLibraryTest, ReadingsAreThisMachinesMemory)
{
    const int64_t free = freePhysical_();
    const int64_t all = allPhysical_();
    EXPECT_EQ(all, MemInfoBytes("MemTotal"));
    EXPECT_GT(free, 0);
    EXPECT_LE(free, all);
    EXPECT_EQ(allPageFile_(), MemInfoBytes("SwapTotal"));
    EXPECT_LE(freePageFile_(), allPageFile_());
    EXPECT_EQ(allVirtual_(), all + allPageFile_());
    EXPECT_LE(freeVirtual_(), allVirtual_());
    EXPECT_GE(usedPhysical_(), 0);
    EXPECT_GE(usedPageFile_(), 0);
    EXPECT_GE(usedVirtual_(), usedPhysical_());
}

TEST_F(QuillonLibraryTest, RunHoldsMemoryInExpendableChildUntilFreed)
{
    setCap_(64 * kMiB);
    consumeNow_(true, freePhysical_(), kMiB);
    const std::vector<pid_t> holders = Children();
    ASSERT_EQ(holders.size(), 1u);
    const pid_t holder = holders.front();
    EXPECT_EQ(ReadText("/proc/" + std::to_string(holder) + "/oom_score_adj"), "1000\n");
    const int64_t held = PrivateDirtyBytes(holder);
    EXPECT_GE(held, 16 * kMiB);
    EXPECT_LE(held, 64 * kMiB + 32 * kMiB);

    freeMemory_(true);
    EXPECT_TRUE(Children().empty());
    EXPECT_FALSE(std::filesystem::exists("/proc/" + std::to_string(holder)));
    freeMemory_(true);
    EXPECT_TRUE(Children().empty());
}

TEST_F(QuillonLibraryTest, UnloadingGivesTheMemoryBack)
{
    setCap_(16 * kMiB);
    consumeNow_(false, freePhysical_(), kMiB);
    ASSERT_EQ(Children().size(), 1u);
    Unload();
    EXPECT_TRUE(Children().empty());
}

TEST_F(QuillonLibraryTest, RunTakesNothingBelowTheFloor)
{
    setCap_(16 * kMiB);
    // The caller's measure counts when it is the smaller one.
    consumeNow_(false, 100 * kMiB, kMiB);
    EXPECT_TRUE(Children().empty());
    consumeNow_(false, freePhysical_(), allPhysical_());
    EXPECT_TRUE(Children().empty());
    freeMemory_(false);
}

TEST_F(QuillonLibraryTest, DebugModeLogsRunsThatTakeNothing)
{
    WorkingFolder folder;
    ASSERT_TRUE(QDir(folder.Path()).mkdir("Database"));
    const QString log = "Database/MemoryError.txt";

    setDebugMode_(false);
    consumeNow_(false, freePhysical_(), allPhysical_());
    freeMemory_(false);
    EXPECT_FALSE(folder.Exists(log));

    setDebugMode_(true);
    consumeNow_(false, freePhysical_(), allPhysical_());
    freeMemory_(false);
    consumeNow_(false, 0, allPhysical_());
    const QStringList lines = QString::fromUtf8(folder.Read(log)).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QRegularExpression stamped("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  consumeNow: took nothing");
    EXPECT_TRUE(stamped.match(lines[0]).hasMatch()) << lines[0].toStdString();
    EXPECT_TRUE(stamped.match(lines[1]).hasMatch()) << lines[1].toStdString();

    // A run that takes memory is no error.
    setCap_(16 * kMiB);
    consumeNow_(false, freePhysical_(), kMiB);
    freeMemory_(false);
    EXPECT_EQ(QString::fromUtf8(folder.Read(log)).split('\n', Qt::SkipEmptyParts).size(), 2);
}
