#include "taskmanager/TaskWindow.h"

#include "platform/ErrorGuard.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskLibrary.h"
#include "taskmanager/TaskNotification.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>

TVelmoraTask* VelmoraTask = nullptr;
TEnumWindowsVisible EnumWindowsVisible = nullptr;
TEnumWindowsHidden EnumWindowsHidden = nullptr;
TEnumWindowsAll EnumWindowsAll = nullptr;
THandleToName HandleToName = nullptr;
THandleToID HandleToID = nullptr;
THandleToClass HandleToClass = nullptr;
TParentAppName ParentAppName = nullptr;
TcompareHWNDAndApps compareHWNDAndApps = nullptr;
TtaskInList taskInList = nullptr;
TgetStatusString getStatusString = nullptr;
THandleKill HandleKill = nullptr;
THandleSuspend HandleSuspend = nullptr;
THandleResume HandleResume = nullptr;
THandleSuspendParent HandleSuspendParent = nullptr;
THandleResumeParent HandleResumeParent = nullptr;
THandleMemorySize HandleMemorySize = nullptr;
THandleResponding HandleResponding = nullptr;
TGetWindowStatus GetWindowStatus = nullptr;

int SelectedTask = -1;
bool TaskAdvanced = false;
int CheckCountdown = 0;

namespace {

constexpr int GridColumns = 6;

void SetCell(QTableWidget* grid, int row, int column, const QString& text)
{
    if (QTableWidgetItem* item = grid->item(row, column))
        item->setText(text);
    else
        grid->setItem(row, column, new QTableWidgetItem(text));
}

} // namespace

const BrevantWindowList& NowRunningItems()
{
    static BrevantWindowList items;
    items = WindowListOf(VelmoraTask->NowRunning);
    return items;
}

TVelmoraTask::TVelmoraTask(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    Guarded([this] { FormCreate(this); });
}

void TVelmoraTask::FormCreate(QObject*)
{
    ManagerStarted = false;
    CheckForNewTasks = true;
    TaskCheckSpeed = 3;
    CheckCountdown = 0;
    SelectedTask = -1;
    resize(width(), 450);
    Tasks.clear();
    ForgetScriptErrors();
    ClearTask(EveryTask);
    EveryTask.Name = EveryTaskName;
}

void TVelmoraTask::updateTaskList()
{
    const bool all = VelmoraTaskExpert->ShowDesktopTasks->isChecked();
    // The header is the table's own; its rows are the task rows.
    TaskList->setRowCount(std::max<int>(Tasks.size(), 1));
    for (int row = 0; row < TaskList->rowCount(); ++row)
        for (int column = 0; column < GridColumns; ++column)
            SetCell(TaskList, row, column, QString());
    int row = 0;
    for (const TTask& task : std::as_const(Tasks)) {
        if (!all && task.Parrent == QLatin1String("Desktop"))
            continue;
        SetCell(TaskList, row, 0, task.Name);
        SetCell(TaskList, row, 1, task.Parrent);
        SetCell(TaskList, row, 2,
                task.Suspended ? task.Status + QStringLiteral(" (Suspended)") : task.Status);
        QString trust = QString::number(task.Trust);
        if (!task.Code.isEmpty())
            trust += QStringLiteral(" +Coded");
        SetCell(TaskList, row, 3, trust);
        SetCell(TaskList, row, 4, task.Class);
        SetCell(TaskList, row, 5, task.Executable);
        ++row;
    }
    if (!all)
        TaskList->setRowCount(std::max(row, 1));
}

void TVelmoraTask::TaskDescription(int sel)
{
    const bool valid = sel >= 0 && sel < Tasks.size();
    for (QWidget* command : {static_cast<QWidget*>(MonitorButton), static_cast<QWidget*>(DatabaseRemove),
                             static_cast<QWidget*>(CustomTrustButton), static_cast<QWidget*>(CustomTrustBar),
                             static_cast<QWidget*>(ActionTaskSuspend),
                             static_cast<QWidget*>(ActionTaskResume), static_cast<QWidget*>(ActionTaskKill)})
        command->setEnabled(valid);
    if (!valid) {
        CustomTrustBar->setValue(0);
        DescriptionName->setText(QStringLiteral("No Task Selected"));
        DescriptionStatus->clear();
        CustomTrustLabel->clear();
        DescriptionParrent->setText(QStringLiteral(
            "Click on the appropriate row above, in order to view or edit the perspective task."));
        DescriptionTrust->setText(QStringLiteral("Pressing the \"Script\" button now, will generate a global "
                                                 "Script that will run for every task."));
        return;
    }
    const TTask& task = Tasks[sel];
    DescriptionName->setText(task.Name);
    DescriptionParrent->setText(QStringLiteral("Parrent Application: ") +
                                (task.Parrent.isEmpty() ? QStringLiteral("None") : task.Parrent));
    // Asked afresh, not the stored status.
    const QString status = StatusString(task.Name, task.Handle, NowRunningItems());
    DescriptionStatus->setText(QStringLiteral("Current Status: ") + status);
    DescriptionTrust->setText(QStringLiteral("User Trust: ") + TrustDescription(Tasks[sel].Trust));
    CustomTrustLabel->setText(QStringLiteral("New Trust: ") + TrustDescription(CustomTrustBar->value()));
    const bool suspended = Tasks[sel].Suspended;
    ActionTaskResume->setVisible(suspended && TaskAdvanced);
    ActionTaskSuspend->setVisible(!suspended && TaskAdvanced);
}
