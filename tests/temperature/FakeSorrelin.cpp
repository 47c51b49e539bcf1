// A temperature library whose readings, sensor answer and call log the test controls.
#define SORRELIN_IMPLEMENTATION
#include "Sorrelin.h"

#include <string>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
double average = 0;
double cores[8] = {};
bool started = false;
std::string calls;
} // namespace

double GetCoreTempTemperature(uint8_t index)
{
    // Spelt out by hand: std::to_string would pin the library in memory (a unique symbol), and the
    // next test's copy would share this one's state.
    calls += "GetCoreTempTemperature(";
    calls += static_cast<char>('0' + index);
    calls += ") ";
    return index < 8 ? cores[index] : 0;
}

double GetCoreTempAverageTemperature(void)
{
    calls += "GetCoreTempAverageTemperature ";
    return average;
}

bool CoreTempStarted(void)
{
    calls += "CoreTempStarted ";
    return started;
}

FAKE_EXPORT void FakeSetAverage(double value)
{
    average = value;
}

FAKE_EXPORT void FakeSetCore(uint8_t index, double value)
{
    cores[index] = value;
}

FAKE_EXPORT void FakeSetStarted(bool value)
{
    started = value;
}

// The calls since the last read, each followed by a blank; reading clears the log.
FAKE_EXPORT const char* FakeTakeCalls(void)
{
    static std::string taken;
    taken = calls;
    calls.clear();
    return taken.c_str();
}
