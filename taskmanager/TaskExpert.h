#pragma once

#include "platform/Form.h"

#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;
class QTableWidget;
class TRadioGroup;

// Loop turns of 500 ms between two task checks; 0: no checks.
extern int TaskCheckSpeed;
// Mirrors "Check for new tasks"; only chooses a word of the main window's task caption.
extern bool CheckForNewTasks;

// A parameterless command handed in by the task manager window.
using TProcedure = void (*)();

// The task manager's options: check interval, the exclude filter, AUTO START and AUTO STOP, what the
// settings file keeps, and the database commands.
class TVelmoraTaskExpert : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskExpert(QWidget* parent = nullptr);

    // Filled by the task manager window before it shows this window.
    TProcedure ClearDataNow = nullptr;
    TProcedure SaveDataNow = nullptr;
    TProcedure LoadDataNow = nullptr;

    QTabWidget* ExpertOptionsTab = nullptr;

    QWidget* DataUpdate = nullptr;
    QLabel* SpeedTaskLabel = nullptr;
    // The check interval in ticks of 500 ms, 0 to 10.
    QSlider* SpeedTaskBar = nullptr;
    QCheckBox* RememberByApp = nullptr;
    QCheckBox* CheckForNew = nullptr;
    QCheckBox* ShowDesktopTasks = nullptr;
    QCheckBox* StrictSecurity = nullptr;
    QPushButton* DatabaseSave = nullptr;
    QPushButton* DatabaseClear = nullptr;
    QPushButton* DatabaseLoad = nullptr;

    // Items: 0 "Automatically enabled", 1 "Ask before enabling", 2 "Automatically disabled".
    QWidget* AutoStop = nullptr;
    TRadioGroup* AutoStopEnableGroup = nullptr;
    TRadioGroup* AutoStopSaveGroup = nullptr;
    TRadioGroup* AutoStopClearGroup = nullptr;
    QWidget* AutoStart = nullptr;
    TRadioGroup* AutoStartEnableGroup = nullptr;
    TRadioGroup* AutoStartLoadGroup = nullptr;
    TRadioGroup* AutoStartAllowGroup = nullptr;

    QWidget* LoadOptions = nullptr;
    QCheckBox* TaskSaveDataOpt = nullptr;
    QCheckBox* TaskSaveUpdateOpt = nullptr;
    QCheckBox* TaskSaveManagementOpt = nullptr;
    QCheckBox* TaskSaveNotificationOpt = nullptr;
    QCheckBox* TaskSaveAutoStartOpt = nullptr;
    QCheckBox* TaskSaveAutoStopOpt = nullptr;
    QCheckBox* TaskSaveExcludeOpt = nullptr;

    QWidget* Excludes = nullptr;
    QLabel* ExcludeLabel = nullptr;
    // One name fragment per row in column 0; a cell's text counts while it is being typed.
    QTableWidget* ExcludeTable = nullptr;
    QPushButton* ExcludeAdd = nullptr;
    QPushButton* ExcludeRemove = nullptr;

    QPushButton* HideExpertOptions = nullptr;

    void HideExpertOptionsClick(QObject* Sender);
    void SpeedTaskBarChange(QObject* Sender);
    void CheckForNewClick(QObject* Sender);
    void RememberByAppClick(QObject* Sender);
    void DatabaseSaveClick(QObject* Sender);
    void DatabaseClearClick(QObject* Sender);
    void DatabaseLoadClick(QObject* Sender);
    void ExcludeAddClick(QObject* Sender);
    void ExcludeRemoveClick(QObject* Sender);

private:
    void BuildForm();
};

extern TVelmoraTaskExpert* VelmoraTaskExpert;
