#pragma once

#include "platform/Form.h"

class QCheckBox;
class QLabel;
class QSlider;
class QTableWidget;

// Loop turns of 500 ms between two task checks; 0: no checks.
extern int TaskCheckSpeed;
// Mirrors "Check for new tasks"; only chooses a word of the main window's task caption.
extern bool CheckForNewTasks;

// The task manager's expert options.
class TVelmoraTaskExpert : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskExpert(QWidget* parent = nullptr);

    QLabel* SpeedTaskLabel = nullptr;
    // The check interval in ticks of 500 ms, 0 to 10.
    QSlider* SpeedTaskBar = nullptr;
    QCheckBox* ShowDesktopTasks = nullptr;
    // The exclude filter: one name fragment per row, in the one column.
    QTableWidget* ExcludeTable = nullptr;

    void SpeedTaskBarChange(QObject* Sender);

private:
    void BuildForm();
};

extern TVelmoraTaskExpert* VelmoraTaskExpert;
