#include "shell/MainWindow.h"

#include "help/HelpWindow.h"
#include "memory/MemWindow.h"
#include "platform/Application.h"
#include "platform/ErrorGuard.h"
#include "platform/Files.h"
#include "platform/NotifyIcon.h"
#include "platform/Timer.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskResWindow.h"
#include "taskmanager/TaskWindow.h"
#include "temperature/TempWindow.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <array>

TVelmoraMain* VelmoraMain = nullptr;

HMODULE MemoryLibraryHandle = nullptr;
HMODULE TaskLibraryHandle = nullptr;
HMODULE TemperatureLibraryHandle = nullptr;

const QString MemoryLibraryFile = QStringLiteral("Libraries/Quillon.so");
const QString TaskLibraryFile = QStringLiteral("Libraries/Brevant.so");
const QString TemperatureLibraryFile = QStringLiteral("Libraries/Sorrelin.so");

namespace {

const char* const MemoryExports[] = {"FreePhysicalMemory", "AllPhysicalMemory", "UsedPhysicalMemory",
                                     "FreePageFile",       "AllPageFile",       "UsedPageFile",
                                     "FreeVirtualMemory",  "AllVirtualMemory",  "UsedVirtualMemory",
                                     "consumeNow",         "FreeMemory",        "SetDebugMode"};

const char* const TaskExports[] = {"EnumWindowsVisible", "EnumWindowsHidden",   "EnumWindowsAll",
                                   "HandleToName",       "HandleToID",          "HandleToClass",
                                   "ParentAppName",      "compareHWNDAndApps",  "taskInList",
                                   "getStatusString",    "HandleKill",          "HandleSuspend",
                                   "HandleResume",       "HandleSuspendParent", "HandleResumeParent",
                                   "HandleMemorySize",   "HandleResponding",    "GetWindowStatus",
                                   "HandleKillOf",       "HandleSuspendOf",     "HandleSuspendParentOf",
                                   "ProcessResume"};

const char* const TemperatureExports[] = {"GetCoreTempTemperature", "GetCoreTempAverageTemperature",
                                          "CoreTempStarted"};

// Loads a library that exports every listed name; callers call their entry points untested, so a
// library that lacks one counts as not loaded.
template <size_t N> bool LoadComplete(const QString& file, HMODULE& handle, const char* const (&names)[N])
{
    handle = LoadLibrary(file);
    if (handle == nullptr)
        return false;
    for (const char* name : names) {
        if (GetProcAddress(handle, name) == nullptr) {
            FreeLibrary(handle);
            handle = nullptr;
            return false;
        }
    }
    return true;
}

// The file the bookkeeping of an earlier update names may go only when it is a program file beside
// the running one: the note may be stale (this program is the one it names when the new one failed
// to start, or when the update's exit failed) or not written by the update at all.
bool ReplacedProgram(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo running(Application::ExeName());
    return !path.isEmpty() && file.isFile() && !file.isSymLink() &&
           file.canonicalPath() == running.canonicalPath() &&
           file.canonicalFilePath() != running.canonicalFilePath();
}

template <typename Function> void Bind(HMODULE handle, const char* name, Function& variable)
{
    variable = reinterpret_cast<Function>(GetProcAddress(handle, name));
}

} // namespace

bool LoadMemoryLibrary()
{
    if (!LoadComplete(MemoryLibraryFile, MemoryLibraryHandle, MemoryExports))
        return false;
    const HMODULE h = MemoryLibraryHandle;
    Bind(h, "FreePhysicalMemory", FreePhysicalMemory);
    Bind(h, "AllPhysicalMemory", AllPhysicalMemory);
    Bind(h, "UsedPhysicalMemory", UsedPhysicalMemory);
    Bind(h, "FreePageFile", FreePageFile);
    Bind(h, "AllPageFile", AllPageFile);
    Bind(h, "UsedPageFile", UsedPageFile);
    Bind(h, "FreeVirtualMemory", FreeVirtualMemory);
    Bind(h, "AllVirtualMemory", AllVirtualMemory);
    Bind(h, "UsedVirtualMemory", UsedVirtualMemory);
    Bind(h, "consumeNow", consumeNow);
    Bind(h, "FreeMemory", FreeMemory);
    Bind(h, "SetDebugMode", SetDebugMode);
    return true;
}

bool LoadTaskLibrary()
{
    if (!LoadComplete(TaskLibraryFile, TaskLibraryHandle, TaskExports))
        return false;
    const HMODULE h = TaskLibraryHandle;
    Bind(h, "EnumWindowsVisible", EnumWindowsVisible);
    Bind(h, "EnumWindowsHidden", EnumWindowsHidden);
    Bind(h, "EnumWindowsAll", EnumWindowsAll);
    Bind(h, "HandleToName", HandleToName);
    Bind(h, "HandleToID", HandleToID);
    Bind(h, "HandleToClass", HandleToClass);
    Bind(h, "ParentAppName", ParentAppName);
    Bind(h, "compareHWNDAndApps", compareHWNDAndApps);
    Bind(h, "taskInList", taskInList);
    Bind(h, "getStatusString", getStatusString);
    Bind(h, "HandleKill", HandleKill);
    Bind(h, "HandleSuspend", HandleSuspend);
    Bind(h, "HandleResume", HandleResume);
    Bind(h, "HandleSuspendParent", HandleSuspendParent);
    Bind(h, "HandleResumeParent", HandleResumeParent);
    Bind(h, "HandleMemorySize", HandleMemorySize);
    Bind(h, "HandleResponding", HandleResponding);
    Bind(h, "GetWindowStatus", GetWindowStatus);
    Bind(h, "HandleKillOf", HandleKillOf);
    Bind(h, "HandleSuspendOf", HandleSuspendOf);
    Bind(h, "HandleSuspendParentOf", HandleSuspendParentOf);
    Bind(h, "ProcessResume", ProcessResume);
    return true;
}

bool LoadTemperatureLibrary()
{
    if (!LoadComplete(TemperatureLibraryFile, TemperatureLibraryHandle, TemperatureExports))
        return false;
    const HMODULE h = TemperatureLibraryHandle;
    Bind(h, "GetCoreTempTemperature", GetCoreTempTemperature);
    Bind(h, "GetCoreTempAverageTemperature", GetCoreTempAverageTemperature);
    Bind(h, "CoreTempStarted", CoreTempStarted);
    return true;
}

void ApplyPendingUpdate(const QString& path)
{
    const QString newPath = path + QStringLiteral(".new");
    if (FileExists(newPath)) {
        DeleteFile(path);
        MoveFile(newPath, path);
    }
}

void UnloadLibraries()
{
    // A tick must never reach a library that is gone, also not one that waits in a nested loop.
    if (VelmoraMain != nullptr) {
        VelmoraMain->MemoryTimer->SetEnabled(false);
        VelmoraMain->TaskTimer->SetEnabled(false);
        VelmoraMain->TemperatureTimer->SetEnabled(false);
    }
    // Each task monitor samples through the task library on a timer of its own.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* monitor = qobject_cast<TVelmoraTaskResource*>(window))
            monitor->GraphTimer->SetEnabled(false);
    }
    // A notice open at the end must not leave its task stopped for good.
    EndNoticeSuspension();
    for (HMODULE handle : {MemoryLibraryHandle, TaskLibraryHandle, TemperatureLibraryHandle}) {
        if (handle != nullptr)
            FreeLibrary(handle);
    }
}

void ExitProgram()
{
    // Saved already: a wait that still handles events must not save and unload a second time.
    if (Application::Terminated())
        return;
    SaveOptions();
    VelmoraMain->NotifyIcon()->Delete();
    Application::Terminate();
}

TVelmoraMain::TVelmoraMain(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    TrayIconData = new TNotifyIcon(this);
    PopupMenu = [](QMenu* menu, QPoint position) { menu->exec(position); };

    GuardedConnect(MemoryButton, &QPushButton::clicked, this, [this] { MemoryButtonClick(MemoryButton); });
    GuardedConnect(TaskButton, &QPushButton::clicked, this, [this] { TaskButtonClick(TaskButton); });
    GuardedConnect(TemperatureButton, &QPushButton::clicked, this,
                   [this] { TemperatureButtonClick(TemperatureButton); });
    GuardedConnect(HelpButton, &QPushButton::clicked, this, [this] { HelpButtonClick(HelpButton); });
    GuardedConnect(ToTrayButton, &QPushButton::clicked, this, [this] { ToTrayButtonClick(ToTrayButton); });
    GuardedConnect(ExitButton, &QPushButton::clicked, this, [this] { ExitButtonClick(ExitButton); });
    GuardedConnect(TrayShow, &QAction::triggered, this, [this] { TrayShowClick(TrayShow); });
    GuardedConnect(TrayTaskWin, &QAction::triggered, this, [this] { TrayTaskWinClick(TrayTaskWin); });
    GuardedConnect(TrayMemWin, &QAction::triggered, this, [this] { TrayMemWinClick(TrayMemWin); });
    GuardedConnect(TrayTempWin, &QAction::triggered, this, [this] { TrayTempWinClick(TrayTempWin); });
    GuardedConnect(TrayHideAllWin, &QAction::triggered, this,
                   [this] { TrayHideAllWinClick(TrayHideAllWin); });
    GuardedConnect(TrayExit, &QAction::triggered, this, [this] { TrayExitClick(TrayExit); });
    TrayIconData->OnMessage = [this](int lparam) { TrayIconMessage(lparam); };

    MemoryTimer->OnTimer = [this] { MemoryTimerTimer(MemoryTimer); };
    TaskTimer->OnTimer = [this] { TaskTimerTimer(TaskTimer); };
    TemperatureTimer->OnTimer = [this] { TemperatureTimerTimer(TemperatureTimer); };
    FirstRunTimer->OnTimer = [this] { FirstRunTimerTimer(FirstRunTimer); };
    OnClose = [this](bool& close) {
        FormClose(this, close);
        // Closing the main window ends the program.
        if (close)
            Application::Terminate();
    };

    Guarded([this] { FormCreate(this); });
}

void TVelmoraMain::FormCreate(QObject*)
{
    CreateFolders();
    // An unreadable bookkeeping file is reported, and the start goes on: the monitors must still
    // be bound or disabled.
    Guarded([this] { FinishEarlierUpdate(); });
    ApplyPendingUpdate(MemoryLibraryFile);
    ApplyPendingUpdate(TaskLibraryFile);
    ApplyPendingUpdate(TemperatureLibraryFile);
    TrayIconData->Icon = windowIcon();
    TrayIconData->Tip = QStringLiteral("Velmora");
    TrayIconData->Add();
    BindLibraries();
}

void TVelmoraMain::FinishEarlierUpdate()
{
    const QString bookkeeping = QStringLiteral("Version Downloaded.txt");
    if (!FileExists(bookkeeping))
        return;
    const QString replaced = ReadFirstLine(bookkeeping);
    const bool deleted = ReplacedProgram(replaced) && DeleteFile(replaced);
    DeleteFile(bookkeeping);
    if (deleted)
        MoveRunAtStartup(replaced);
}

void TVelmoraMain::BindLibraries()
{
    struct Monitor {
        const QString& file;
        bool (*load)();
        TTimer* timer;
        QPushButton* button;
        QString notFound;
    };
    const std::array<Monitor, 3> monitors{{
        {MemoryLibraryFile, LoadMemoryLibrary, MemoryTimer, MemoryButton,
         QStringLiteral("Not found dll for memory management")},
        {TaskLibraryFile, LoadTaskLibrary, TaskTimer, TaskButton,
         QStringLiteral("Not found dll for task management")},
        {TemperatureLibraryFile, LoadTemperatureLibrary, TemperatureTimer, TemperatureButton,
         QStringLiteral("Not found dll for temperature management")},
    }};
    for (const Monitor& monitor : monitors) {
        const bool ok = FileExists(monitor.file) && monitor.load();
        monitor.timer->SetEnabled(ok);
        monitor.button->setEnabled(ok);
        if (!ok) {
            if (monitor.button == MemoryButton)
                MemoryBar->setValue(0);
            monitor.button->setText(monitor.notFound);
        }
    }
}

void TVelmoraMain::FirstRunTimerTimer(QObject*)
{
    FirstRunTimer->SetEnabled(false);
    ExitProgramHandler = ExitProgram;
    // The timer goes even when restoring fails: the step never runs again.
    struct Destroy {
        TTimer*& timer;
        ~Destroy()
        {
            timer->deleteLater();
            timer = nullptr;
        }
    } destroy{FirstRunTimer};
    RestoreOptions();
}

void TVelmoraMain::TrayIconMessage(int LParam)
{
    if (LParam == WM_LBUTTONDBLCLK) {
        TrayShowClick(nullptr);
    } else if (LParam == WM_RBUTTONDOWN) {
        PopupMenu(TrayMenu, QCursor::pos());
    }
}

void TVelmoraMain::MemoryButtonClick(QObject*)
{
    VelmoraMem->setVisible(true);
    MemoryTimerTimer(nullptr);
}

void TVelmoraMain::TaskButtonClick(QObject*)
{
    VelmoraTask->setVisible(true);
}

void TVelmoraMain::TemperatureButtonClick(QObject*)
{
    VelmoraTemp->setVisible(true);
}

void TVelmoraMain::HelpButtonClick(QObject*)
{
    VelmoraHelp->setVisible(true);
}

void TVelmoraMain::ToTrayButtonClick(QObject*)
{
    // Without a notification area a hidden window could not be brought back.
    if (TNotifyIcon::Available())
        setVisible(false);
    else
        showMinimized();
    TrayShow->setChecked(isVisible());
}

void TVelmoraMain::ExitButtonClick(QObject*)
{
    ExitProgram();
}

void TVelmoraMain::TrayShowClick(QObject*)
{
    setVisible(!isVisible());
    TrayShow->setChecked(isVisible());
}

void TVelmoraMain::TrayTaskWinClick(QObject*)
{
    VelmoraTask->setVisible(!VelmoraTask->isVisible());
    TrayTaskWin->setChecked(VelmoraTask->isVisible());
}

void TVelmoraMain::TrayMemWinClick(QObject*)
{
    VelmoraMem->setVisible(!VelmoraMem->isVisible());
    TrayMemWin->setChecked(VelmoraMem->isVisible());
}

void TVelmoraMain::TrayTempWinClick(QObject*)
{
    VelmoraTemp->setVisible(!VelmoraTemp->isVisible());
    TrayTempWin->setChecked(VelmoraTemp->isVisible());
}

void TVelmoraMain::TrayHideAllWinClick(QObject*)
{
    VelmoraTask->setVisible(false);
    VelmoraMem->setVisible(false);
    VelmoraTemp->setVisible(false);
    TrayTaskWin->setChecked(false);
    TrayMemWin->setChecked(false);
    TrayTempWin->setChecked(false);
}

void TVelmoraMain::TrayExitClick(QObject*)
{
    ExitButtonClick(nullptr);
}

void TVelmoraMain::FormClose(QObject*, bool&)
{
    if (Application::Terminated())
        return;
    SaveOptions();
    TrayIconData->Delete();
}
