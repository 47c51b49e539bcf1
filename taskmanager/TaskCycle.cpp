// The task cycle's part of the task window's unit: the check of windows against tasks, the request
// pass and the routines that wrap task-library calls for the other windows.
#include "taskmanager/TaskWindow.h"

#include "platform/Application.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskLibrary.h"
#include "taskmanager/TaskNotification.h"

#include <QHash>
#include <QLabel>
#include <QListWidget>
#include <QSet>
#include <QTableWidget>
#include <charconv>
#include <cmath>
#include <limits>
#include <vector>

namespace {

const QString Inactive = QStringLiteral("Inactive");

// A script that raised an error, kept so that its error is reported once until the script changes.
struct FailedScript {
    bool global = false; // the "Every Task" script
    QString owner;       // the task's name
    TScript script;
};

QList<FailedScript> failedScripts;
QStringList scriptErrors;

bool SameRelations(const TCodeRelation& a, const TCodeRelation& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const TRelation& x, const TRelation& y) {
        return x.Type == y.Type && x.Variable == y.Variable && x.Comparative == y.Comparative &&
               x.Value == y.Value;
    });
}

bool SameScript(const TScript& a, const TScript& b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(), [](const TCode& x, const TCode& y) {
        return SameRelations(x.Conditions, y.Conditions) && SameRelations(x.Actions, y.Actions);
    });
}

// Runs a script for a check. A rule's error ends only this script: the check goes on with the
// next step and the other tasks, and the error is kept for the tick to show.
bool RunCheckedScript(TTask& task, bool global, QString owner)
{
    try {
        RunTaskScript(task);
        return true;
    } catch (const EVelmoraError& error) {
        auto failed = std::find_if(failedScripts.begin(), failedScripts.end(), [&](const FailedScript& f) {
            return f.global == global && f.owner == owner;
        });
        if (failed == failedScripts.end())
            failedScripts.append({global, owner, task.Code});
        else if (SameScript(failed->script, task.Code))
            return false;
        else
            failed->script = task.Code;
        scriptErrors.append(error.Message());
        return false;
    }
}

// The fragments of the exclude filter that exclude something, letters a to z upper-cased: empty
// fragments and fragments of one or two blanks exclude nothing.
QStringList ExcludeFragments()
{
    QStringList fragments;
    const QTableWidget* table = VelmoraTaskExpert->ExcludeTable;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QTableWidgetItem* item = table->item(row, 0);
        if (item == nullptr)
            continue;
        const QString fragment = item->text();
        if (fragment.isEmpty() || fragment == QLatin1String(" ") || fragment == QLatin1String("  "))
            continue;
        fragments.append(UpperCaseAZ(fragment));
    }
    return fragments;
}

// True when one of the fragments occurs in the name, letters a to z in either case.
bool Excluded(const QString& name, const QStringList& fragments)
{
    if (fragments.isEmpty())
        return false;
    const QString upper = UpperCaseAZ(name);
    return std::any_of(fragments.cbegin(), fragments.cend(),
                       [&](const QString& fragment) { return upper.contains(fragment); });
}

// "Process ID: " and the decimal of the window's process, written only when it changed.
void AssignExecutable(QString& target, TWindowHandle wnd)
{
    const QLatin1StringView prefix("Process ID: ");
    char digits[16];
    const char* end = std::to_chars(digits, digits + sizeof digits, HandleToID(wnd)).ptr;
    const QLatin1StringView number(digits, end);
    if (target.size() == prefix.size() + number.size() && target.startsWith(prefix) &&
        QStringView(target).sliced(prefix.size()) == number)
        return;
    target = prefix + number;
}

// Where a check finds a task without reading every task: the first task of each name, kept
// between checks, and the tasks that may have a window. The names are taken again only when the
// list or a name changed since, whoever changed it (rules, loads, Remove): the index
// shares each name's text, so a name written since holds another text. Within a check the cycle
// reports each task it updated or added.
class TaskIndex {
public:
    // At the start of a check, once the tasks whose windows are gone have lost them.
    void Begin()
    {
        if (!Current())
            stale_ = true;
        windowed_.clear();
        for (int i = 0; i < Tasks.size(); ++i)
            if (Tasks[i].Handle != 0)
                windowed_.append(i);
    }

    // As FindTask: the first task of the name or, before it, of the window.
    int Find(const QString& name, TWindowHandle wnd)
    {
        Refresh();
        int found = first_.value(name, -1);
        if (wnd != 0)
            for (const int i : std::as_const(windowed_))
                if ((found == -1 || i < found) && Tasks[i].Handle == wnd)
                    found = i;
        return found;
    }

    // The first task of Tasks[i]'s name.
    int FirstOfName(int i)
    {
        Refresh();
        return firstOfTask_[i];
    }

    // Tasks[i] was updated or added: it may have another name or a window now.
    void Updated(int i)
    {
        const TTask& task = Tasks[i];
        if (task.Handle != 0 && !windowed_.contains(i))
            windowed_.append(i);
        if (stale_)
            return;
        if (i == names_.size())
            Add(i);
        else if (i > names_.size() || !SameText(names_[i], task.Name))
            stale_ = true;
    }

private:
    static bool SameText(const QString& a, const QString& b)
    {
        return a.constData() == b.constData() && a.size() == b.size();
    }

    bool Current() const
    {
        if (stale_ || names_.size() != Tasks.size())
            return false;
        for (int i = 0; i < Tasks.size(); ++i)
            if (!SameText(names_[i], Tasks[i].Name))
                return false;
        return true;
    }

    void Refresh()
    {
        if (!stale_)
            return;
        stale_ = false;
        names_.clear();
        first_.clear();
        firstOfTask_.clear();
        names_.reserve(Tasks.size());
        first_.reserve(Tasks.size());
        firstOfTask_.reserve(Tasks.size());
        for (int i = 0; i < Tasks.size(); ++i)
            Add(i);
    }

    void Add(int i)
    {
        const QString& name = Tasks[i].Name;
        names_.append(name);
        auto first = first_.constFind(name);
        if (first == first_.cend())
            first = first_.insert(name, i);
        firstOfTask_.append(*first);
    }

    bool stale_ = true;
    QStringList names_;
    QHash<QString, int> first_;
    QList<int> firstOfTask_;
    // Every task with a window, and maybe some that lost it since.
    QList<int> windowed_;
};

TaskIndex taskIndex;

// What the update of a task without a window writes: asked once a check, not for each task.
struct WindowlessValues {
    int processId = 0;
    int memory = 0;
    QString executable;

    void Read()
    {
        processId = HandleToID(0);
        memory = TaskMemoryMB(0);
        AssignExecutable(executable, 0);
    }
};

// An update of a task without a window that would write every value as it already is and run no
// script: the task stays inactive with nothing to change.
bool UpdateChangesNothing(const TTask& task, const WindowlessValues& windowless)
{
    return task.Handle == 0 && task.Code.isEmpty() && EveryTask.Code.isEmpty() &&
           task.ProcessId == windowless.processId && task.Memory == windowless.memory &&
           task.Status == Inactive && task.Executable == windowless.executable && TaskValuesRemembered(task);
}

// A process stopped for a task whose window has gone can no longer be seen or resumed from the task
// window, and without its X connection it cannot even end while it is stopped: it runs again. An
// ended process has no window either. Its state is not asked: a stop lands only when the process
// next runs, so a check right after it may still see it running.
void ResumeStopsWithoutWindow(const QListWidget* windows)
{
    const auto holds = [](const TTask& task) { return !task.StoppedProcesses.isEmpty(); };
    if (std::none_of(Tasks.cbegin(), Tasks.cend(), holds))
        return;
    QSet<int> owners;
    for (int i = 0; i < windows->count(); ++i)
        owners.insert(HandleToID(ItemWindow(windows, i)));
    for (TTask& task : Tasks) {
        if (!holds(task))
            continue;
        task.StoppedProcesses.removeIf([&owners](int id) {
            if (owners.contains(id))
                return false;
            ProcessResume(id);
            return true;
        });
        if (task.StoppedProcesses.isEmpty())
            task.Suspended = false;
    }
}

} // namespace

QStringList TakeScriptErrors()
{
    return std::exchange(scriptErrors, {});
}

void ForgetScriptErrors()
{
    failedScripts.clear();
    scriptErrors.clear();
}

void TVelmoraTask::taskInstance()
{
    if (isVisible()) {
        updateTaskList();
        TaskDescription(SelectedTask);
    }
    --CheckCountdown;
    if (CheckCountdown > 0 || TaskCheckSpeed <= 0 || NowRunning->count() == 0)
        return;

    // A task's window id now held by another process's window names a new window: the task no
    // longer runs, and nothing of it passes to that window.
    for (TTask& task : Tasks)
        if (task.Handle != 0 && !TaskWindowOf(task.Handle, task.ProcessId))
            task.Handle = 0;

    ResumeStopsWithoutWindow(NowRunning);
    taskIndex.Begin();

    // Read once: a check runs no message loop, so the filter cannot change during it.
    const QStringList excluded = ExcludeFragments();
    const int windows = NowRunning->count();
    for (int i = 0; i < windows; ++i) {
        const QString name = NowRunning->item(i)->text();
        const TWindowHandle wnd = ItemWindow(NowRunning, i);
        if (Excluded(name, excluded))
            continue;
        const int k = taskIndex.Find(name, wnd);
        // A known task keeps its name when its window now carries another title.
        const QString taskName = k == -1 ? name : Tasks[k].Name;
        if (!taskName.isEmpty())
            performTaskChanges(taskName, wnd, k == -1 ? 0 : Tasks[k].Trust);
    }

    // The update of a task that does not run goes to the first task of its name.
    WindowlessValues windowless;
    bool windowlessRead = false;
    const int tasks = Tasks.size();
    for (int i = 0; i < tasks && i < Tasks.size(); ++i) {
        TTask& task = Tasks[i];
        if (Excluded(task.Name, excluded))
            continue;
        // Without a window a task does not run.
        if (task.Handle != 0)
            AssignStatusString(task.Status, task.Name, task.Handle, NowRunningItems());
        else if (task.Status != Inactive)
            task.Status = Inactive;
        if (task.Status != Inactive || task.Name.isEmpty())
            continue;
        const int idx = taskIndex.FirstOfName(i);
        if (!windowlessRead) {
            windowless.Read();
            windowlessRead = true;
        }
        if (UpdateChangesNothing(Tasks[idx], windowless))
            continue;
        // A copy: the name must not change under the call that updates the task.
        performTaskChanges(QString(task.Name), 0, task.Trust, idx);
    }
    CheckCountdown = TaskCheckSpeed;
}

void TVelmoraTask::performTaskChanges(const QString& changeName, TWindowHandle changeHandle, int changeTrust,
                                      int known)
{
    // Kept between calls: a status as before costs no allocation.
    static QString status;
    if (changeHandle != 0) {
        AssignStatusString(status, changeName, changeHandle, NowRunningItems());
        if (status == Inactive)
            changeHandle = 0;
    } else {
        status = Inactive;
    }
    const int idx = known != -1 ? known : taskIndex.Find(changeName, changeHandle);
    if (idx == -1) {
        if (changeName.isEmpty())
            return;
        TTask& task = Tasks.emplace_back();
        ClearTask(task);
        task.Name = changeName;
        task.Handle = changeHandle;
        task.Status = status;
        task.Parrent = ParentAppNameText(changeHandle);
        task.Class = HandleToClassText(changeHandle);
        task.ProcessId = HandleToID(changeHandle);
        AssignExecutable(task.Executable, changeHandle);
        task.Trust = 0;
        task.Notification = QStringLiteral("NEW TASK RUNNING");
        RememberTaskValues(task);
        taskIndex.Updated(Tasks.size() - 1);
        return;
    }

    // No message loop runs below, so the reference stays good.
    TTask& task = Tasks[idx];
    // Written only when it differs: the same text keeps the index of names as it is.
    if (task.Name != changeName)
        task.Name = changeName;
    if (changeHandle != 0)
        AssignParentAppName(task.Parrent, changeHandle);
    task.Handle = changeHandle;
    if (task.Status != status)
        task.Status = status;
    AssignExecutable(task.Executable, changeHandle);
    const int processId = HandleToID(changeHandle);
    // Two programs may show one task by turns: a suspension that stopped a process lasts while that
    // process keeps its window, whichever window the task shows now. One that stopped none ends
    // with the process it was seen with.
    if (task.StoppedProcesses.isEmpty() && task.ProcessId != 0 && processId != task.ProcessId)
        task.Suspended = false;
    task.ProcessId = processId;
    task.Memory = TaskMemoryMB(changeHandle);
    if (changeHandle != 0) {
        task.Responding = HandleResponding(changeHandle);
        if (changeTrust == 0)
            task.Notification = QStringLiteral("TASK FOUND RUNNING");
        else if (TaskStatusChanged(task) && changeTrust >= -3 && changeTrust <= 2)
            task.Notification = QStringLiteral("TASK CHANGED STATUS ( from ") + PreviousTaskStatus(task) +
                                QStringLiteral(" to ") + status + QStringLiteral(")");
        else if (TaskNameChanged(task) && changeTrust >= -3 && changeTrust <= 1)
            task.Notification = QStringLiteral("TASK CHANGED NAME ( to ") + task.Name + QStringLiteral(")");
        // A dangerous task is killed whenever it is seen running, notice or not.
        if (changeTrust == -4)
            task.KillRequested = true;
    }
    RunCheckedScript(task, false, changeName);
    if (!EveryTask.Code.isEmpty()) {
        AssignTaskState(EveryTask, task);
        if (RunCheckedScript(EveryTask, true, QString()))
            AssignTaskState(task, EveryTask);
    }
    RememberTaskValues(task);
    taskIndex.Updated(idx);
}

namespace {

// A notice that is not shown now: a "NEW TASK RUNNING" whose window has gone is dropped, and one
// that would wait for the user inside another wait of the program stays for a later tick.
bool NoticeHeldBack(TTask& task)
{
    if (task.Notification == QLatin1String("NEW TASK RUNNING") && !TaskIsRunning(task.Name, task.Handle)) {
        task.Notification.clear();
        return true;
    }
    return Application::InsideWait() && NoticeAsksUser(task.Trust);
}

void CarryOutKill(TTask& task)
{
    if (!task.KillRequested || task.Handle == 0)
        return;
    // A window that is no longer the task's own: the task does not run, its kill waits.
    const bool own = TaskWindowOf(task.Handle, task.ProcessId);
    // The library kills only while the process the task was seen with still owns the window.
    if (own)
        HandleKillOf(task.Handle, task.ProcessId);
    task.KillRequested = !own;
    task.Handle = 0;
}

} // namespace

void ProcessTaskRequests()
{
    const NoticeRound round;
    // Nothing asks about a dangerous task: its kill never waits behind another task's notice. The
    // request is read first: it lies beside the others, so a pass over tasks with nothing pending
    // reads little of each.
    for (TTask& task : Tasks) {
        if (task.KillRequested && task.Trust == -4)
            CarryOutKill(task);
    }
    // The length is read at every step: the dialog's wait lets the user change the list.
    for (int i = 0; i < Tasks.size(); ++i) {
        if (!Tasks[i].Notification.isEmpty() && !NoticeHeldBack(Tasks[i])) {
            VelmoraTaskAction->DescriptionChange->setText(Tasks[i].Notification);
            Tasks[i].Notification.clear();
            int notified = i;
            const int trust = NotifyUser(notified);
            if (Application::Terminated())
                return;
            if (notified != -1)
                Tasks[notified].Trust = trust;
            // A manager stopped meanwhile does nothing more in this tick.
            if (!VelmoraTask->ManagerStarted)
                return;
            if (notified == -1) {
                // Gone: the entry now at i, if any, is the next task.
                --i;
                continue;
            }
            i = notified;
        }
        TTask& task = Tasks[i];
        // A window that is no longer the task's own: the task does not run, its requests wait.
        if ((task.SuspendRequested || task.ResumeRequested || task.KillRequested) && task.Handle != 0 &&
            !TaskWindowOf(task.Handle, task.ProcessId))
            task.Handle = 0;
        if (task.SuspendRequested && task.Handle != 0) {
            SuspendTaskWindow(task.Handle, task.ProcessId, task.StoppedProcesses);
            task.Suspended = true;
            task.SuspendRequested = false;
        }
        if (task.ResumeRequested && task.Handle != 0) {
            ResumeTask(task);
            task.ResumeRequested = false;
        }
        if (task.TrustChange != 0) {
            task.Trust = std::clamp(task.Trust + task.TrustChange, -4, 4);
            task.TrustChange = 0;
        }
        CarryOutKill(task);
    }
}

bool TaskIsRunning(const QString& name, TWindowHandle wnd)
{
    return StatusString(name, wnd, NowRunningItems()) != Inactive;
}

QString TaskWindowStatus(TWindowHandle wnd)
{
    if (wnd == 0)
        return Inactive;
    const QString status = GetWindowStatusText(wnd);
    return status.isEmpty() ? QStringLiteral("No special status") : status;
}

int TaskMemoryMB(TWindowHandle wnd)
{
    // The whole count: a process above 4 GiB must not wrap round to a few megabytes.
    const double megabytes = std::nearbyint(static_cast<double>(HandleMemorySize(wnd)) / 1024.0 / 1024.0);
    return static_cast<int>(std::min(megabytes, static_cast<double>(std::numeric_limits<int>::max())));
}

bool TaskWindowOf(TWindowHandle wnd, int processId)
{
    return HandleToID(wnd) == processId;
}

namespace {

void Stop(THandleSuspendOf stop, TWindowHandle wnd, int processId, QList<int>& stopped)
{
    std::vector<int32_t> ids(16);
    int32_t count = 0;
    // The library reports the full count: a family larger than the buffer is asked for again.
    while ((count = stop(wnd, processId, ids.data(), static_cast<int32_t>(ids.size()))) >
           static_cast<int32_t>(ids.size()))
        ids.resize(static_cast<size_t>(count));
    ids.resize(static_cast<size_t>(std::max(count, 0)));
    for (const int32_t id : ids)
        if (!stopped.contains(id))
            stopped.append(id);
}

} // namespace

void SuspendTaskWindow(TWindowHandle wnd, int processId, QList<int>& stopped)
{
    Stop(HandleSuspendOf, wnd, processId, stopped);
}

void SuspendTaskFamily(TWindowHandle wnd, int processId, QList<int>& stopped)
{
    Stop(HandleSuspendParentOf, wnd, processId, stopped);
}

void ResumeTask(TTask& task)
{
    task.Suspended = false;
    // Without the task library nothing was stopped. A stop of an earlier run, or of the other
    // program of a task two programs show, is known only by the task's window.
    const bool byWindow = task.StoppedProcesses.isEmpty() ||
                          (task.Handle != 0 && !task.StoppedProcesses.contains(task.ProcessId));
    if (byWindow && HandleResume != nullptr && TaskWindowOf(task.Handle, task.ProcessId))
        HandleResume(task.Handle);
    ReleaseTaskStops(task);
}

void ReleaseTaskStops(TTask& task)
{
    for (const int id : std::exchange(task.StoppedProcesses, {}))
        ProcessResume(id);
}
