#include "taskmanager/TaskWindow.h"

#include "platform/ErrorGuard.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/RadioGroup.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskScript.h"
#include "tasks/TaskClasses.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <algorithm>
#include <utility>

const QString TaskDatabaseFile = QStringLiteral("Database/TaskDatabase.xml");

namespace {

// Item 0 is yes without asking, item 1 asks, any other item is no.
bool AutoChoice(QWidget* owner, const TRadioGroup* group, const QString& caption, const QString& question)
{
    switch (group->ItemIndex()) {
    case 0:
        return true;
    case 1:
        return MessageBox(owner, question, caption, TMsgButtons::YesNo, TMsgIcon::Question) == IDYES;
    default:
        return false;
    }
}

// The stops of a task that leaves the list at a load go to the loaded task of its name, which holds
// the program as the user left it; with none of that name nothing could resume them later.
void HandOverStops(TTask& task, TTaskArray& loaded)
{
    if (task.StoppedProcesses.isEmpty())
        return;
    const auto heir = std::find_if(loaded.begin(), loaded.end(),
                                   [&task](const TTask& each) { return each.Name == task.Name; });
    if (heir == loaded.end()) {
        ReleaseTaskStops(task);
        return;
    }
    for (const int id : std::exchange(task.StoppedProcesses, {}))
        if (!heir->StoppedProcesses.contains(id))
            heir->StoppedProcesses.append(id);
    heir->Suspended = true;
}

} // namespace

bool TVelmoraTask::DataTaskSave(const QString& path)
{
    // Trusts and rules of a file that was never loaded (answered No, or damaged) would be lost.
    if (!databaseFileOwned_ && !Tasks.isEmpty() && FileExists(path))
        CopyFile(path, path + QStringLiteral(".bak"));
    const bool saved = SaveTaskDatabase(path, Tasks, EveryTask);
    databaseFileOwned_ = databaseFileOwned_ || saved;
    return saved;
}

bool TVelmoraTask::DataTaskLoad(const QString& path)
{
    TTaskArray tasks;
    const bool loaded = LoadTaskDatabase(path, tasks, EveryTask);
    if (loaded) {
        for (TTask& task : Tasks)
            HandOverStops(task, tasks);
        Tasks = std::move(tasks);
        databaseFileOwned_ = true;
        ScriptTasksReplaced();
    }
    return loaded;
}

void TVelmoraTask::EnableTaskManagerClick(QObject*)
{
    const TVelmoraTaskExpert* expert = VelmoraTaskExpert;
    bool load = false;
    bool allowUnknown = false;
    bool save = false;
    bool clear = false;
    // Every question of one press comes before any of its effects.
    if (!ManagerStarted) {
        if (AutoChoice(
                this, expert->AutoStartEnableGroup, QStringLiteral("Velmora AUTO START: Enable?"),
                QStringLiteral("Velmora`s Task Manager has this automization feature\n\rthat can help you "
                               "quickly start your task management.\n\rWould you like to enable AUTO "
                               "START?"))) {
            load =
                FileExists(TaskDatabaseFile) &&
                AutoChoice(this, expert->AutoStartLoadGroup, QStringLiteral("Velmora AUTO START: Load?"),
                           QStringLiteral("AUTO START has detected that you have a saved database.\n\rWould "
                                          "you like to load from that database?\n\r"));
            allowUnknown = AutoChoice(
                this, expert->AutoStartAllowGroup, QStringLiteral("Velmora AUTO START: Allow all?"),
                QStringLiteral(
                    "Would you like AUTO START to automatically select\n\rthe \"Safe\" option for all "
                    "curently running tasks?"));
        }
    } else if (AutoChoice(
                   this, expert->AutoStopEnableGroup, QStringLiteral("Velmora AUTO STOP: Enable?"),
                   QStringLiteral("Velmora`s Task Manager has this automization feature\n\rthat can help you "
                                  "perform some things when stopping\n\ryour task management.\n\rWould you "
                                  "like to enable AUTO STOP?"))) {
        save = AutoChoice(this, expert->AutoStopSaveGroup, QStringLiteral("Velmora AUTO STOP: Save?"),
                          QStringLiteral("AUTO STOP wants to save your database in the\n\rfile: ") +
                              TaskDatabaseFile + QStringLiteral("\n\rSave the current database?"));
        clear = AutoChoice(
            this, expert->AutoStopClearGroup, QStringLiteral("Velmora AUTO STOP: Clear?"),
            QStringLiteral("AUTO STOP wants to clear your database.\n\rClear the current database?"));
    }

    if (load) {
        // A damaged file must not keep the manager from starting, nor end the settings restore
        // that may have called this: the failure is shown and the start goes on.
        Guarded([this] { DataTaskLoad(TaskDatabaseFile); });
    }
    if (allowUnknown) {
        VelmoraTaskAction->actionToDo = 3;
        VelmoraTaskAction->TimerActionToDo = 3;
        VelmoraTaskAction->TimeRepeatBar->setValue(4);
        VelmoraTaskAction->NegativeRepeat->setChecked(false);
        VelmoraTaskAction->PositiveRepeat->setChecked(false);
        VelmoraTaskAction->UnknownRepeat->setChecked(true);
    }
    if (save)
        DataTaskSave(TaskDatabaseFile);
    if (clear)
        ClearTasks();

    ManagerStarted = !ManagerStarted;
    EnableTaskManager->setText(ManagerStarted ? QStringLiteral("Task Manager Started (click to stop)")
                                              : QStringLiteral("Task Manager Stopped (click to start)"));
}

void TVelmoraTask::ClearTasks()
{
    for (TTask& task : Tasks)
        ReleaseTaskStops(task);
    Tasks.clear();
    ScriptTasksReplaced();
    updateTaskList();
}

void TVelmoraTask::DatabaseExpertClick(QObject*)
{
    VelmoraTaskExpert->LoadDataNow = ExpertLoadDataNow;
    VelmoraTaskExpert->SaveDataNow = ExpertSaveDataNow;
    VelmoraTaskExpert->ClearDataNow = ExpertClearDataNow;
    VelmoraTaskExpert->show();
}

void TVelmoraTask::DatabaseRemoveClick(QObject*)
{
    // The task the panel shows: after the desktop tasks were shown or hidden the grid's current
    // row holds another task.
    if (!TaskSelected())
        return;
    ReleaseTaskStops(Tasks[SelectedTask]);
    Tasks.removeAt(SelectedTask);
    ScriptTaskRemoved(SelectedTask);
    SelectedTask = -1;
    updateTaskList();
    TaskDescription(-1);
    SelectListRect(-1, -1, -1, -1);
}

void TVelmoraTask::RemoveMenuClick(QObject* Sender)
{
    DatabaseRemoveClick(Sender);
}

void TVelmoraTask::DatabaseLoad()
{
    if (DataTaskLoad(TaskDatabaseFile)) {
        updateTaskList();
        MessageBox(this,
                   QStringLiteral("The database was successfully loaded\n\rfrom the file: ") +
                       TaskDatabaseFile + QStringLiteral("\n\r"),
                   QStringLiteral("Velmora: Loaded Successfully"), TMsgButtons::OK, TMsgIcon::Information);
    } else {
        MessageBox(this,
                   QStringLiteral("The file ") + TaskDatabaseFile +
                       QStringLiteral("\n\rcould not be located to load from it.\n\r"),
                   QStringLiteral("Velmora: Unable to load"), TMsgButtons::OK, TMsgIcon::Warning);
    }
}

void TVelmoraTask::DatabaseSave()
{
    if (DataTaskSave(TaskDatabaseFile))
        MessageBox(this,
                   QStringLiteral("The database was successfully saved\n\rto the file: ") + TaskDatabaseFile +
                       QStringLiteral("\n\r"),
                   QStringLiteral("Velmora: Saved Successfully"), TMsgButtons::OK, TMsgIcon::Information);
    else
        MessageBox(this,
                   QStringLiteral("There does not appear to be anything\n\rin the database to be saved.\n\r"),
                   QStringLiteral("Velmora: Unable to save"), TMsgButtons::OK, TMsgIcon::Warning);
}

void TVelmoraTask::DatabaseClear()
{
    ClearTasks();
}

void ExpertLoadDataNow()
{
    VelmoraTask->DatabaseLoad();
}

void ExpertSaveDataNow()
{
    VelmoraTask->DatabaseSave();
}

void ExpertClearDataNow()
{
    VelmoraTask->DatabaseClear();
}
