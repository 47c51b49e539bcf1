#pragma once

#include "platform/Form.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QWidget;
class TRadioGroup;

// The temperature monitor's settings. Only the scale maximum acts on the running monitor; the
// others are kept for the settings file.
class TVelmoraTempExpert : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTempExpert(QWidget* parent = nullptr);

    QTabWidget* ExpertOptionsTab = nullptr;
    QWidget* TempUpdate = nullptr;
    QLabel* SpeedTempLabel = nullptr;
    QSlider* SpeedTempBar = nullptr;
    QLabel* MaxTempLabel = nullptr;
    // The 100 % mark of the temperature gauges.
    QSlider* MaxTempBar = nullptr;
    QPlainTextEdit* TempUpdateDescription = nullptr;
    QWidget* AutoStart = nullptr;
    TRadioGroup* AutoRunEnableGroup = nullptr;
    QPlainTextEdit* CoreTempDescription = nullptr;
    QWidget* LoadOptions = nullptr;
    QCheckBox* TempSaveDataOpt = nullptr;
    QCheckBox* TempSaveUpdateOpt = nullptr;
    QCheckBox* TempSaveAutoStartOpt = nullptr;
    QPushButton* HideExpertOptions = nullptr;

    void HideExpertOptionsClick(QObject* Sender);
    void MaxTempBarChange(QObject* Sender);

private:
    void BuildForm();
};

extern TVelmoraTempExpert* VelmoraTempExpert;
