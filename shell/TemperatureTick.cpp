#include "shell/MainWindow.h"

#include "platform/FloatToStr.h"
#include "temperature/TempWindow.h"

#include <QPushButton>
#include <array>
#include <cstdint>

void TVelmoraMain::TemperatureTimerTimer(QObject*)
{
    if (!VelmoraTemp->MonitorStarted) {
        TemperatureButton->setText(QStringLiteral("Temperature: Monitor Stopped"));
        return;
    }
    // The monitor keeps every temperature in single precision.
    const auto average = static_cast<float>(GetCoreTempAverageTemperature());
    std::array<float, 8> cores{};
    for (uint8_t index = 0; index < cores.size(); ++index)
        cores[index] = static_cast<float>(GetCoreTempTemperature(index));
    VelmoraTemp->tempInstance(average, cores[0], cores[1], cores[2], cores[3], cores[4], cores[5], cores[6],
                              cores[7]);
    // Zero, negative and not-a-number averages are no reading.
    if (average > 0)
        TemperatureButton->setText(QStringLiteral("Temperature: ") + FloatToStr(average) +
                                   QStringLiteral(" degrees"));
    else
        TemperatureButton->setText(QStringLiteral("Temperature: ") + QStringLiteral(" Undetected"));
}
