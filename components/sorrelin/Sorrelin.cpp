// The temperature component library: the processor's temperatures from the kernel's sensors.
#define SORRELIN_IMPLEMENTATION
#include "Sorrelin.h"

#include "Sensors.h"

namespace {

sorrelin::Sensors sensors;

} // namespace

extern "C" {

double GetCoreTempTemperature(uint8_t index)
{
    try {
        return sensors.Core(index).value_or(0.0);
    } catch (...) {
        return 0.0;
    }
}

double GetCoreTempAverageTemperature(void)
{
    try {
        return sensors.Average().value_or(0.0);
    } catch (...) {
        return 0.0;
    }
}

bool CoreTempStarted(void)
{
    try {
        return sensors.Average().has_value();
    } catch (...) {
        return false;
    }
}

void SetSensorRootForTests(const char* root)
{
    try {
        sensors.SetRoot(root != nullptr ? root : "");
    } catch (...) {
    }
}

} // extern "C"
