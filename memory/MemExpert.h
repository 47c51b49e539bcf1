#pragma once

#include "platform/Form.h"

#include <QString>
#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class TRadioGroup;

// The memory library's error log, written by the library while its debug mode is on.
extern const QString MemoryErrorLogFile;

// The memory optimizer's two settings (the error-log option and the safety amount) and the commands
// on the error log.
class TVelmoraMemExpert : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraMemExpert(QWidget* parent = nullptr);

    QTabWidget* ExpertOptionsTab = nullptr;
    QWidget* ErrorLogTab = nullptr;
    QLabel* ErrorLogInfo = nullptr;
    // 0 "Save errors to log", 1 "Delete log on exit", 2 "Ignore errors".
    TRadioGroup* LogErrorKeepGroup = nullptr;
    QPushButton* LogClear = nullptr;
    QPushButton* LogShow = nullptr;
    QPlainTextEdit* LogErrorDescription = nullptr;
    QWidget* MemorySafetyTab = nullptr;
    QLabel* SafetyMemoryLabel = nullptr;
    // Megabytes that an optimization run leaves untouched, 0 to 16.
    QSlider* SafetyMemoryBar = nullptr;
    QPlainTextEdit* SafetyMemoryDescription = nullptr;
    QPushButton* HideExpertOptions = nullptr;

    // Erases a file; true when it is gone because of this call. Tests make it fail.
    std::function<bool(const QString& path)> EraseFile;

    // Deletes the error log and says how that went.
    void ClearLogFile();
    // Deletes the error log if there is one; speaks only of a failure.
    void SilentClearLogFile();

    void LogClearClick(QObject* Sender);
    void LogShowClick(QObject* Sender);
    void SafetyMemoryBarChange(QObject* Sender);
    void HideExpertOptionsClick(QObject* Sender);

private:
    void BuildForm();
    bool EraseLogFile();
    void ShowDeleteError();
};

extern TVelmoraMemExpert* VelmoraMemExpert;
