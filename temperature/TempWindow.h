#pragma once

#include "platform/Form.h"

#include "libraries/Sorrelin.h"

#include <array>

class QLabel;
class QPushButton;
class TGauge;
class TImage;

// Entry points of the temperature library, bound at start.
extern TGetCoreTempTemperature GetCoreTempTemperature;
extern TGetCoreTempAverageTemperature GetCoreTempAverageTemperature;
extern TCoreTempStarted CoreTempStarted;

// State of the "More"/"Less" toggle.
extern bool TemperatureMoreShown;

// The temperature monitor: the average and up to eight core temperatures with their gauges, and a
// graph of the last 61 averages.
class TVelmoraTemp : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTemp(QWidget* parent = nullptr);

    QPushButton* EnableTempMonitor = nullptr;
    QPushButton* AdvancedTemp = nullptr;
    QPushButton* TemperatureExpert = nullptr;
    QPushButton* HideTemperature = nullptr;
    QLabel* TempLevelLabel = nullptr;
    TGauge* TempLevelGauge = nullptr;
    QLabel* TempCore1Label = nullptr;
    QLabel* TempCore2Label = nullptr;
    QLabel* TempCore3Label = nullptr;
    QLabel* TempCore4Label = nullptr;
    QLabel* TempCore5Label = nullptr;
    QLabel* TempCore6Label = nullptr;
    QLabel* TempCore7Label = nullptr;
    QLabel* TempCore8Label = nullptr;
    TGauge* TempCore1Bar = nullptr;
    TGauge* TempCore2Bar = nullptr;
    TGauge* TempCore3Bar = nullptr;
    TGauge* TempCore4Bar = nullptr;
    TGauge* TempCore5Bar = nullptr;
    TGauge* TempCore6Bar = nullptr;
    TGauge* TempCore7Bar = nullptr;
    TGauge* TempCore8Bar = nullptr;
    TImage* TempGraph = nullptr;

    // Monitoring is on; every run starts with it off.
    bool MonitorStarted = false;

    // One sample: the average, then cores 1 to 8.
    void tempInstance(float currentTemp, float temp1, float temp2, float temp3, float temp4, float temp5,
                      float temp6, float temp7, float temp8);
    // Starts the outside measuring program, asking first when it already runs.
    void StartCoreTemp();

    void FormCreate(QObject* Sender);
    void EnableTempMonitorClick(QObject* Sender);
    void AdvancedTempClick(QObject* Sender);
    void TemperatureExpertClick(QObject* Sender);
    void HideTemperatureClick(QObject* Sender);

    // The average history, oldest first.
    const std::array<float, 61>& Activity() const { return activity; }

private:
    void BuildForm();
    void DrawGraph();

    std::array<float, 61> activity{};
    float min_activity = 0;
    float max_activity = 0;
};

extern TVelmoraTemp* VelmoraTemp;
