#pragma once

#include "platform/Form.h"

#include "libraries/Brevant.h"
#include "tasks/TaskClasses.h"

#include <QList>
#include <QPoint>
#include <functional>

class QAction;
class QLabel;
class QMenu;
class QListWidget;
class QPushButton;
class QSlider;
class QTableWidget;

// Entry points of the task library, bound at start.
extern TEnumWindowsVisible EnumWindowsVisible;
extern TEnumWindowsHidden EnumWindowsHidden;
extern TEnumWindowsAll EnumWindowsAll;
extern THandleToName HandleToName;
extern THandleToID HandleToID;
extern THandleToClass HandleToClass;
extern TParentAppName ParentAppName;
extern TcompareHWNDAndApps compareHWNDAndApps;
extern TtaskInList taskInList;
extern TgetStatusString getStatusString;
extern THandleKill HandleKill;
extern THandleSuspend HandleSuspend;
extern THandleResume HandleResume;
extern THandleSuspendParent HandleSuspendParent;
extern THandleResumeParent HandleResumeParent;
extern THandleMemorySize HandleMemorySize;
extern THandleResponding HandleResponding;
extern TGetWindowStatus GetWindowStatus;
extern THandleKillOf HandleKillOf;
extern THandleSuspendOf HandleSuspendOf;
extern THandleSuspendParentOf HandleSuspendParentOf;
extern TProcessResume ProcessResume;

// The task manager's window: the grid of known tasks, the description panel of the selected task
// and the commands on it. Its creation sets the defaults of the manager's shared state.
class TVelmoraTask : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTask(QWidget* parent = nullptr);

    // The task manager runs: the task tick enumerates windows and checks tasks.
    bool ManagerStarted = false;

    QPushButton* EnableTaskManager = nullptr;
    QPushButton* AdvancedTask = nullptr;
    QPushButton* DatabaseExpert = nullptr;
    QPushButton* HideTaskManager = nullptr;
    // Six columns. Grid row r (row 0 being the header) is the table's row r - 1: the header row is
    // the table's header, so table row i shows the i-th task shown.
    QTableWidget* TaskList = nullptr;
    QLabel* DescriptionName = nullptr;
    QLabel* DescriptionParrent = nullptr;
    QLabel* DescriptionStatus = nullptr;
    QLabel* DescriptionTrust = nullptr;
    QLabel* CustomTrustLabel = nullptr;
    QSlider* CustomTrustBar = nullptr;
    QPushButton* CustomTrustButton = nullptr;
    QPushButton* MonitorButton = nullptr;
    QPushButton* TaskScriptButton = nullptr;
    QPushButton* DatabaseRemove = nullptr;
    QPushButton* ActionTaskResume = nullptr;
    QPushButton* ActionTaskSuspend = nullptr;
    QPushButton* ActionTaskKill = nullptr;
    // The window list, never shown: one item per enumerated window, its title as the text and its
    // window as the user data (see WindowListOf).
    QListWidget* NowRunning = nullptr;

    // Opened by a right press on a task's row.
    QMenu* TaskMenu = nullptr;
    QAction* CancelMenu = nullptr;
    QMenu* TrustMenu = nullptr;
    QAction* Trust0Menu = nullptr;
    QMenu* TrustPosMenu = nullptr;
    QAction* Trust1Menu = nullptr;
    QAction* Trust2Menu = nullptr;
    QAction* Trust3Menu = nullptr;
    QAction* Trust4Menu = nullptr;
    QMenu* TrustNegMenu = nullptr;
    QAction* Trust_1Menu = nullptr;
    QAction* Trust_2Menu = nullptr;
    QAction* Trust_3Menu = nullptr;
    QAction* Trust_4Menu = nullptr;
    QAction* ResumeMenu = nullptr;
    QAction* SuspendMenu = nullptr;
    QAction* KillMenu = nullptr;
    QAction* RemoveMenu = nullptr;

    // Pops the menu up at a screen position and returns when it closes; tests replace it.
    std::function<void(QMenu* menu, QPoint position)> PopupMenu;

    void FormCreate(QObject* Sender);

    // Rebuilds the grid from Tasks. Only cells whose text changed are written, so the selection
    // and the scroll position stay while the user looks at the grid.
    void updateTaskList();
    // Fills the panel for Tasks[sel], or resets it when sel is no index of Tasks.
    void TaskDescription(int sel);
    // Selects the cells from column x1, row y1 to column x2, row y2 (the current cell), in grid
    // rows (row 0 is the header); y1 = -1 leaves no cell selected.
    void SelectListRect(int x1, int y1, int x2, int y2);
    // The index in Tasks of the task that the table's row `row` shows (grid row row + 1); -1 for
    // an empty row or no row.
    int TaskOfRow(int row) const;

    // The task database as a whole: false when there is nothing to save, or no file to load. A
    // file that this run neither loaded nor wrote is kept as "<path>.bak" before it is replaced.
    bool DataTaskSave(const QString& path);
    bool DataTaskLoad(const QString& path);
    // The expert window's database commands, which say how they went.
    void DatabaseLoad();
    void DatabaseSave();
    void DatabaseClear();

    void EnableTaskManagerClick(QObject* Sender);
    void AdvancedTaskClick(QObject* Sender);
    void DatabaseExpertClick(QObject* Sender);
    void HideTaskManagerClick(QObject* Sender);
    void TaskListClick(QObject* Sender);
    // Position in the cells' coordinates: the header row lies above them (y < 0).
    void TaskListMouseDown(QObject* Sender, Qt::MouseButton Button, QPoint Position);
    void Trust0MenuClick(QObject* Sender);
    void Trust1MenuClick(QObject* Sender);
    void Trust2MenuClick(QObject* Sender);
    void Trust3MenuClick(QObject* Sender);
    void Trust4MenuClick(QObject* Sender);
    void Trust_1MenuClick(QObject* Sender);
    void Trust_2MenuClick(QObject* Sender);
    void Trust_3MenuClick(QObject* Sender);
    void Trust_4MenuClick(QObject* Sender);
    void CustomTrustBarChange(QObject* Sender);
    void CustomTrustButtonClick(QObject* Sender);
    void ActionTaskKillClick(QObject* Sender);
    void ActionTaskSuspendClick(QObject* Sender);
    void ActionTaskResumeClick(QObject* Sender);
    void DatabaseRemoveClick(QObject* Sender);
    void RemoveMenuClick(QObject* Sender);
    void MonitorButtonClick(QObject* Sender);
    void TaskScriptButtonClick(QObject* Sender);

    // One turn of the task cycle after the window list was refilled: refreshes the window while
    // it is shown and, once every check interval, matches the windows against the tasks.
    void taskInstance();
    // Updates the task of this name or window, or adds it, raising the notices its trust asks for
    // and running its scripts. `known`: the index the look-up would give, when the caller knows it.
    void performTaskChanges(const QString& changeName, TWindowHandle changeHandle, int changeTrust,
                            int known = -1);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    void ConnectHandlers();
    // Writes the new trust's label, which names the trust bar for screen readers.
    void ShowNewTrust(const QString& text);
    void SelectRow(int row);
    void SetMenuTrust(int trust);
    void ClearTasks();

    // The table's row r shows Tasks[TaskRows[r]]: with desktop tasks left out the two differ.
    QList<int> TaskRows;
    // The database file holds what this run loaded or saved: replacing it loses nothing.
    bool databaseFileOwned_ = false;
};

extern TVelmoraTask* VelmoraTask;

extern const QString TaskDatabaseFile;

// Handed to the expert window for its three database buttons.
void ExpertLoadDataNow();
void ExpertSaveDataNow();
void ExpertClearDataNow();

// Index into Tasks of the selected task; any value outside Tasks counts as none.
extern int SelectedTask;
bool TaskSelected();
// The window shows its advanced controls ("More" pressed).
extern bool TaskAdvanced;
// Loop turns left until the next task check; may fall below 0.
extern int CheckCountdown;

// The window list as the task library takes it.
const BrevantWindowList& NowRunningItems();

// Carries out what the tasks have pending: notices (through the notification dialog), suspend and
// resume requests, trust changes and kill requests.
void ProcessTaskRequests();

bool TaskIsRunning(const QString& name, TWindowHandle wnd);
// The window's status for a memory monitor: "Inactive" for no window, "No special status" when
// the library has nothing to say.
QString TaskWindowStatus(TWindowHandle wnd);
// The window's process memory in whole megabytes, rounded half to even.
int TaskMemoryMB(TWindowHandle wnd);
// The window still belongs to the process the task was seen with. The X server hands a closed
// client's window ids to the next client, so an id alone may name another program's window.
bool TaskWindowOf(TWindowHandle wnd, int processId);
// Stops the window's process (Family: its whole family) while the process the task was seen with
// still owns the window, and adds the ids stopped to `stopped`, each once: only these are resumed
// later.
void SuspendTaskWindow(TWindowHandle wnd, int processId, QList<int>& stopped);
void SuspendTaskFamily(TWindowHandle wnd, int processId, QList<int>& stopped);
// Resumes the processes stopped for the task, whatever window it shows now, and ends its suspension.
void ResumeTask(TTask& task);
// Resumes the processes stopped for a task that leaves the list: nothing could resume them after.
void ReleaseTaskStops(TTask& task);

// Script errors of the checks since the last call, each once per script: a script that keeps
// failing the same way is reported again only after it was changed.
QStringList TakeScriptErrors();
// Forgets every failed script: the task list starts afresh.
void ForgetScriptErrors();
