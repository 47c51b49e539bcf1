#pragma once

#include "platform/Form.h"

#include "tasks/TaskClasses.h"

#include <array>

class QLabel;
class QPushButton;
class QSlider;
class TImage;
class TTimer;

// What a monitor asks about the window it watches; its creator supplies them.
using THandleToString = QString (*)(TWindowHandle Wnd);
using TIsRunning = bool (*)(const QString& Name, TWindowHandle wnd);
using TGetValue = int (*)(TWindowHandle Wnd);

// A monitor: samples one number about one window at a fixed rate and draws the last 61 samples.
// Any number may be open; each frees itself when it is hidden.
class TVelmoraTaskResource : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskResource(QWidget* parent = nullptr);

    TImage* Graph = nullptr;
    QLabel* NameLabel = nullptr;
    QLabel* DescLabel = nullptr;
    QPushButton* AdvancedMonitor = nullptr;
    QLabel* SpeedTaskLabel = nullptr;
    QSlider* SpeedTaskBar = nullptr;
    QPushButton* CloseMonitor = nullptr;
    TTimer* GraphTimer = nullptr;

    QString metric;
    QString description;
    QString captionval;
    // Oldest sample first.
    std::array<int, 61> activity{};
    // The history's extremes; after drawing, the plot's bounds.
    int minActivity = 0;
    int maxActivity = 0;
    // Last known name of the watched window.
    QString name;
    TWindowHandle wnd = 0;
    THandleToString GetNameFunc = nullptr;
    THandleToString GetClassFunc = nullptr;
    THandleToString GetDescription = nullptr;
    TIsRunning IsRunningFunc = nullptr;
    TGetValue GetValue = nullptr;
    // Whether this monitor shows its refresh controls.
    bool MonitorAdvanced = false;

    void SetHandle(TWindowHandle value);
    void SetMetric(const QString& value);
    void SetCaption(const QString& value);
    void SetDescription(const QString& value);
    // The handle and the function fields are set first.
    void StartGraphing();
    // Milliseconds between samples, held to the refresh bar's range.
    void SetRefreshRate(int value);
    void NewInstance(int value);

    void GraphTimerTimer(QObject* Sender);
    void SpeedTaskBarChange(QObject* Sender);
    void AdvancedMonitorClick(QObject* Sender);
    void CloseMonitorClick(QObject* Sender);
    void FormHide(QObject* Sender);

private:
    void BuildForm();
    void DrawGraph();
};
