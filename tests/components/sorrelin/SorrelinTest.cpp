// The built temperature library, loaded the way the program loads it, reading fixture sysfs trees.
#include "libraries/Sorrelin.h"
#include "components/sorrelin/SensorDiscovery.h"
#include "platform/Library.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Reading {
    std::string label; // empty: the input has no label file
    int millidegrees;
};

class SorrelinTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tree_.isValid());
        root_ = tree_.path().toStdString();
        library_ = LoadLibrary(SORRELIN_PATH);
        ASSERT_NE(library_, nullptr);
        core_ = reinterpret_cast<TGetCoreTempTemperature>(GetProcAddress(library_, "GetCoreTempTemperature"));
        average_ = reinterpret_cast<TGetCoreTempAverageTemperature>(
            GetProcAddress(library_, "GetCoreTempAverageTemperature"));
        started_ = reinterpret_cast<TCoreTempStarted>(GetProcAddress(library_, "CoreTempStarted"));
        setRoot_ =
            reinterpret_cast<TSetSensorRootForTests>(GetProcAddress(library_, "SetSensorRootForTests"));
        ASSERT_TRUE(core_ && average_ && started_ && setRoot_);
        setRoot_(root_.c_str());
    }
    void TearDown() override { FreeLibrary(library_); }

    void Write(const fs::path& relative, const std::string& text)
    {
        const fs::path file = fs::path(root_) / relative;
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }
    // An hwmon device: its name, then temp1.. inputs with their labels.
    void Hwmon(const std::string& device, const std::string& name, std::initializer_list<Reading> readings,
               const std::string& folder = "")
    {
        const fs::path base = fs::path("sys/class/hwmon") / device / folder;
        Write(base / "name", name + "\n");
        int number = 1;
        for (const Reading& reading : readings) {
            const std::string temp = "temp" + std::to_string(number++);
            Write(base / (temp + "_input"), std::to_string(reading.millidegrees) + "\n");
            if (!reading.label.empty())
                Write(base / (temp + "_label"), reading.label + "\n");
        }
    }
    void Zone(const std::string& zone, const std::string& type, int millidegrees)
    {
        Write(fs::path("sys/class/thermal") / zone / "type", type + "\n");
        Write(fs::path("sys/class/thermal") / zone / "temp", std::to_string(millidegrees) + "\n");
    }
    std::vector<double> Cores()
    {
        std::vector<double> cores;
        for (uint8_t index = 0; index < 8; ++index)
            cores.push_back(core_(index));
        return cores;
    }

    QTemporaryDir tree_;
    std::string root_;
    HMODULE library_ = nullptr;
    TGetCoreTempTemperature core_ = nullptr;
    TGetCoreTempAverageTemperature average_ = nullptr;
    TCoreTempStarted started_ = nullptr;
    TSetSensorRootForTests setRoot_ = nullptr;
};

} // namespace

TEST_F(SorrelinTest, CoretempWithFourCoresAndPackage)
{
    Hwmon("hwmon0", "acpitz", {{"", 30000}});
    Hwmon("hwmon1", "coretemp",
          {{"Package id 0", 50000},
           {"Core 0", 41000},
           {"Core 1", 42250},
           {"Core 2", 43000},
           {"Core 3", 44000}});
    EXPECT_TRUE(started_());
    EXPECT_DOUBLE_EQ(average_(), 50.0);
    EXPECT_EQ(Cores(), (std::vector<double>{41, 42.25, 43, 44, 0, 0, 0, 0}));
    EXPECT_EQ(core_(255), 0.0);

    // Every call reads the sensor afresh.
    Write("sys/class/hwmon/hwmon1/temp1_input", "61500\n");
    Write("sys/class/hwmon/hwmon1/temp3_input", "39000\n");
    EXPECT_DOUBLE_EQ(average_(), 61.5);
    EXPECT_DOUBLE_EQ(core_(1), 39.0);
}

TEST_F(SorrelinTest, CoretempCoresFollowCoreNumbersNotFileNames)
{
    // Twelve cores with a gap in the numbering: temp10.. sort before temp2 by name.
    Hwmon("hwmon0", "nvme", {{"Composite", 35000}});
    Hwmon("hwmon10", "coretemp",
          {{"Package id 0", 70000},
           {"Core 0", 60000},
           {"Core 1", 61000},
           {"Core 2", 62000},
           {"Core 3", 63000},
           {"Core 4", 64000},
           {"Core 5", 65000},
           {"Core 8", 68000},
           {"Core 9", 69000},
           {"Core 10", 70000},
           {"Core 11", 71000},
           {"Core 12", 72000},
           {"Core 13", 73000}});
    Hwmon("hwmon2", "amdgpu", {{"edge", 80000}});
    EXPECT_DOUBLE_EQ(average_(), 70.0);
    EXPECT_EQ(Cores(), (std::vector<double>{60, 61, 62, 63, 64, 65, 68, 69}));
}

TEST_F(SorrelinTest, CoretempWithoutPackageAveragesTheCores)
{
    // Older kernels keep the files in the device folder.
    Hwmon("hwmon0", "coretemp", {{"Core 0", 40000}, {"Core 1", 45000}}, "device");
    EXPECT_TRUE(started_());
    EXPECT_DOUBLE_EQ(average_(), 42.5);
    EXPECT_EQ(Cores(), (std::vector<double>{40, 45, 0, 0, 0, 0, 0, 0}));
}

TEST_F(SorrelinTest, AmdSensorsPreferTheDieOverTheControlReading)
{
    Hwmon("hwmon0", "k10temp", {{"Tctl", 60000}, {"Tccd1", 55000}, {"Tccd2", 57500}});
    EXPECT_DOUBLE_EQ(average_(), 60.0);
    EXPECT_EQ(Cores(), (std::vector<double>{55, 57.5, 0, 0, 0, 0, 0, 0}));

    // Tctl carries an offset on some processors; Tdie is the true one.
    Hwmon("hwmon0", "zenpower", {{"Tctl", 72000}, {"Tdie", 45000}, {"Tccd1", 44000}});
    setRoot_(root_.c_str());
    EXPECT_DOUBLE_EQ(average_(), 45.0);
    EXPECT_DOUBLE_EQ(core_(0), 44.0);
}

TEST_F(SorrelinTest, OldK10tempWithOneUnlabelledInput)
{
    Hwmon("hwmon0", "k10temp", {{"", 38125}});
    EXPECT_TRUE(started_());
    EXPECT_DOUBLE_EQ(average_(), 38.125);
    EXPECT_EQ(Cores(), std::vector<double>(8, 0.0));
}

TEST_F(SorrelinTest, ThermalZoneServesWhenNoHwmonSensorExists)
{
    Hwmon("hwmon0", "acpitz", {{"", 30000}});
    Zone("thermal_zone0", "acpitz", 30000);
    Zone("thermal_zone1", "cpu-thermal", 52000);
    Zone("thermal_zone2", "x86_pkg_temp", 47500);
    EXPECT_TRUE(started_());
    EXPECT_DOUBLE_EQ(average_(), 47.5);
    EXPECT_EQ(Cores(), std::vector<double>(8, 0.0));

    fs::remove_all(fs::path(root_) / "sys/class/thermal/thermal_zone2");
    setRoot_(root_.c_str());
    EXPECT_DOUBLE_EQ(average_(), 52.0);
}

TEST_F(SorrelinTest, NoProcessorSensorReadsZero)
{
    Zone("thermal_zone0", "acpitz", 30000);
    Hwmon("hwmon0", "nvme", {{"Composite", 35000}});
    EXPECT_FALSE(started_());
    EXPECT_EQ(average_(), 0.0);
    EXPECT_EQ(Cores(), std::vector<double>(8, 0.0));

    setRoot_((root_ + "/missing").c_str());
    EXPECT_FALSE(started_());
    EXPECT_EQ(average_(), 0.0);
}

TEST_F(SorrelinTest, UnreadableOrVanishedReadingsGiveZero)
{
    Hwmon("hwmon0", "coretemp", {{"Package id 0", 50000}, {"Core 0", 41000}, {"Core 1", 42000}});
    EXPECT_DOUBLE_EQ(core_(0), 41.0);
    Write("sys/class/hwmon/hwmon0/temp2_input", "N/A\n");
    fs::remove(fs::path(root_) / "sys/class/hwmon/hwmon0/temp3_input");
    EXPECT_EQ(core_(0), 0.0);
    EXPECT_EQ(core_(1), 0.0);
    EXPECT_DOUBLE_EQ(average_(), 50.0);

    Write("sys/class/hwmon/hwmon0/temp1_input", "");
    EXPECT_EQ(average_(), 0.0);
    EXPECT_FALSE(started_());
    // The same file answers again once the driver does.
    Write("sys/class/hwmon/hwmon0/temp3_input", "43000\n");
    EXPECT_DOUBLE_EQ(core_(1), 43.0);
}

TEST(SensorDiscoveryTest, MillidegreesAreParsedStrictly)
{
    EXPECT_EQ(sorrelin::ParseMillidegrees("45250\n"), 45.25);
    EXPECT_EQ(sorrelin::ParseMillidegrees("-5000\n"), -5.0);
    EXPECT_EQ(sorrelin::ParseMillidegrees(""), std::nullopt);
    EXPECT_EQ(sorrelin::ParseMillidegrees("45x\n"), std::nullopt);
    EXPECT_EQ(sorrelin::ParseMillidegrees("99999999999999999999999"), std::nullopt);
}
