#pragma once

#include "platform/Form.h"
#include "platform/Library.h"

#include <QPoint>
#include <QString>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class TNotifyIcon;
class TTimer;

// The main window: a button per monitor, the memory bar, the three monitor timers and the icon in
// the notification area with its menu.
class TVelmoraMain : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraMain(QWidget* parent = nullptr);

    QPushButton* MemoryButton = nullptr;
    QProgressBar* MemoryBar = nullptr;
    QPushButton* TemperatureButton = nullptr;
    QPushButton* TaskButton = nullptr;
    QPushButton* ToTrayButton = nullptr;
    QPushButton* HelpButton = nullptr;
    QPushButton* ExitButton = nullptr;
    QLabel* Background = nullptr;

    QMenu* TrayMenu = nullptr;
    QMenu* TrayServices = nullptr;
    QAction* TrayTask = nullptr;
    QAction* TrayMem = nullptr;
    QAction* TrayTemp = nullptr;
    QMenu* TrayWindows = nullptr;
    QAction* TrayTaskWin = nullptr;
    QAction* TrayMemWin = nullptr;
    QAction* TrayTempWin = nullptr;
    QAction* TrayHideAllWin = nullptr;
    QAction* TrayShow = nullptr;
    QAction* TrayExit = nullptr;

    TTimer* MemoryTimer = nullptr;
    TTimer* TaskTimer = nullptr;
    TTimer* TemperatureTimer = nullptr;
    // Fires once, on the first turn of the message loop after every window exists, and is then
    // destroyed.
    TTimer* FirstRunTimer = nullptr;

    void FormCreate(QObject* Sender);
    void FirstRunTimerTimer(QObject* Sender);
    // The icon's callback: LParam 0x203 (double-click) or 0x204 (right button).
    void TrayIconMessage(int LParam);

    void MemoryButtonClick(QObject* Sender);
    void TaskButtonClick(QObject* Sender);
    void TemperatureButtonClick(QObject* Sender);
    void HelpButtonClick(QObject* Sender);
    void ToTrayButtonClick(QObject* Sender);
    void ExitButtonClick(QObject* Sender);
    void TrayShowClick(QObject* Sender);
    void TrayTaskWinClick(QObject* Sender);
    void TrayMemWinClick(QObject* Sender);
    void TrayTempWinClick(QObject* Sender);
    void TrayHideAllWinClick(QObject* Sender);
    void TrayExitClick(QObject* Sender);
    // Sets `close` to false to keep the window open; an error does the same.
    void FormClose(QObject* Sender, bool& close);

    // The memory tick.
    void MemoryTimerTimer(QObject* Sender);
    // The task tick.
    void TaskTimerTimer(QObject* Sender);
    // The temperature tick.
    void TemperatureTimerTimer(QObject* Sender);

    // Pops the menu up at a screen position and returns when it closes; tests replace it.
    std::function<void(QMenu* menu, QPoint position)> PopupMenu;

    TNotifyIcon* NotifyIcon() const { return TrayIconData; }

private:
    void BuildForm();
    void FinishEarlierUpdate();
    void BindLibraries();

    TNotifyIcon* TrayIconData = nullptr;
};

extern TVelmoraMain* VelmoraMain;

// Handles of the three component libraries; nullptr while a library is not loaded.
extern HMODULE MemoryLibraryHandle;
extern HMODULE TaskLibraryHandle;
extern HMODULE TemperatureLibraryHandle;

extern const QString MemoryLibraryFile;
extern const QString TaskLibraryFile;
extern const QString TemperatureLibraryFile;

// Load a library and bind its entry points. True only when the library loaded and exports every
// entry point the program calls; otherwise it is unloaded again and its handle stays nullptr.
bool LoadMemoryLibrary();
bool LoadTaskLibrary();
bool LoadTemperatureLibrary();
// Puts a downloaded copy ("<path>.new") in place of the library file.
void ApplyPendingUpdate(const QString& path);
// Stops the monitor timers, then unloads the loaded libraries: memory, task, temperature.
void UnloadLibraries();

// The settings: loaded once after start, saved at exit together with the task database; the last
// step of the save unloads the libraries.
void RestoreOptions();
void SaveOptions();

// The exit routine: save, remove the icon, end the program.
void ExitProgram();

// Sleeps 1 ms and handles all pending events, `count` times; returns early once the program is
// ending.
void WaitProcessingMessages(int count);
