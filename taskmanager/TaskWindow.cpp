#include "taskmanager/TaskWindow.h"

#include "platform/ErrorGuard.h"
#include "platform/MessageBox.h"
#include "taskmanager/TaskExpert.h"
#include "taskmanager/TaskLibrary.h"
#include "taskmanager/TaskNotification.h"
#include "taskmanager/TaskResWindow.h"
#include "taskmanager/TaskScript.h"

#include <QAction>
#include <QCheckBox>
#include <QCursor>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTableWidget>
#include <algorithm>

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
THandleKillOf HandleKillOf = nullptr;
THandleSuspendOf HandleSuspendOf = nullptr;
THandleSuspendParentOf HandleSuspendParentOf = nullptr;
TProcessResume ProcessResume = nullptr;

int SelectedTask = -1;

bool TaskSelected()
{
    return SelectedTask >= 0 && SelectedTask < Tasks.size();
}
bool TaskAdvanced = false;
int CheckCountdown = 0;

namespace {

constexpr int GridColumns = 6;

// Writes a cell only when its text changes: an unchanged grid costs no repaint. Its tooltip tells the
// whole text, which the column may be too narrow for.
void SetCell(QTableWidget* grid, int row, int column, const QString& text)
{
    QTableWidgetItem* item = grid->item(row, column);
    if (item == nullptr) {
        item = new QTableWidgetItem(text);
        grid->setItem(row, column, item);
    } else if (item->text() == text) {
        return;
    }
    item->setText(text);
    item->setToolTip(text);
}

// Asked afresh, not the stored status; without the task library (the window is still reached from
// the icon's menu) only the stored one is known.
QString CurrentStatus(const TTask& task)
{
    return getStatusString != nullptr ? StatusString(task.Name, task.Handle, NowRunningItems()) : task.Status;
}

// Resume is offered for a task suspended here and for one whose program the library reads as
// stopped ("Suspended"): a stop an earlier run left behind, or one of the other program of a task
// two programs show.
bool OffersResume(const TTask& task, const QString& status)
{
    return task.Suspended || status == QLatin1String("Suspended");
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
    PopupMenu = [](QMenu* menu, QPoint position) { menu->exec(position); };
    ConnectHandlers();
    Guarded([this] { FormCreate(this); });
}

void TVelmoraTask::ConnectHandlers()
{
    const auto click = [this](QPushButton* button, void (TVelmoraTask::*handler)(QObject*)) {
        GuardedConnect(button, &QPushButton::clicked, this,
                       [this, button, handler] { (this->*handler)(button); });
    };
    click(EnableTaskManager, &TVelmoraTask::EnableTaskManagerClick);
    click(AdvancedTask, &TVelmoraTask::AdvancedTaskClick);
    click(DatabaseExpert, &TVelmoraTask::DatabaseExpertClick);
    click(HideTaskManager, &TVelmoraTask::HideTaskManagerClick);
    click(CustomTrustButton, &TVelmoraTask::CustomTrustButtonClick);
    click(DatabaseRemove, &TVelmoraTask::DatabaseRemoveClick);
    click(ActionTaskResume, &TVelmoraTask::ActionTaskResumeClick);
    click(ActionTaskSuspend, &TVelmoraTask::ActionTaskSuspendClick);
    click(ActionTaskKill, &TVelmoraTask::ActionTaskKillClick);
    click(MonitorButton, &TVelmoraTask::MonitorButtonClick);
    click(TaskScriptButton, &TVelmoraTask::TaskScriptButtonClick);
    const auto menu = [this](QAction* action, void (TVelmoraTask::*handler)(QObject*)) {
        GuardedConnect(action, &QAction::triggered, this,
                       [this, action, handler] { (this->*handler)(action); });
    };
    menu(Trust0Menu, &TVelmoraTask::Trust0MenuClick);
    menu(Trust1Menu, &TVelmoraTask::Trust1MenuClick);
    menu(Trust2Menu, &TVelmoraTask::Trust2MenuClick);
    menu(Trust3Menu, &TVelmoraTask::Trust3MenuClick);
    menu(Trust4Menu, &TVelmoraTask::Trust4MenuClick);
    menu(Trust_1Menu, &TVelmoraTask::Trust_1MenuClick);
    menu(Trust_2Menu, &TVelmoraTask::Trust_2MenuClick);
    menu(Trust_3Menu, &TVelmoraTask::Trust_3MenuClick);
    menu(Trust_4Menu, &TVelmoraTask::Trust_4MenuClick);
    menu(ResumeMenu, &TVelmoraTask::ActionTaskResumeClick);
    menu(SuspendMenu, &TVelmoraTask::ActionTaskSuspendClick);
    menu(KillMenu, &TVelmoraTask::ActionTaskKillClick);
    menu(RemoveMenu, &TVelmoraTask::RemoveMenuClick);
    GuardedConnect(CustomTrustBar, &QSlider::valueChanged, this,
                   [this] { CustomTrustBarChange(CustomTrustBar); });
    // Moving to another row, by keyboard or mouse, is the grid's click; the program's own updates of
    // the grid block these signals.
    GuardedConnect(TaskList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                   [this] { TaskListClick(TaskList); });
    TaskList->viewport()->installEventFilter(this);
    TaskList->horizontalHeader()->viewport()->installEventFilter(this);
}

void TVelmoraTask::FormCreate(QObject*)
{
    ManagerStarted = false;
    CheckForNewTasks = true;
    TaskCheckSpeed = 3;
    CheckCountdown = 0;
    SelectedTask = -1;
    TaskAdvanced = false;
    resize(width(), 450);
    Tasks.clear();
    ForgetScriptErrors();
    ClearTask(EveryTask);
    EveryTask.Name = EveryTaskName;
}

void TVelmoraTask::updateTaskList()
{
    const bool all = VelmoraTaskExpert->ShowDesktopTasks->isChecked();
    TaskRows.clear();
    for (int i = 0; i < Tasks.size(); ++i)
        if (all || Tasks[i].Parrent != QLatin1String("Desktop"))
            TaskRows.append(i);
    // The header is the table's own; one empty row stands under it when no task is shown.
    const int rows = std::max<int>(TaskRows.size(), 1);
    const QSignalBlocker quiet(TaskList->selectionModel());
    if (TaskList->rowCount() != rows)
        TaskList->setRowCount(rows);
    if (TaskRows.isEmpty())
        for (int column = 0; column < GridColumns; ++column)
            SetCell(TaskList, 0, column, QString());
    for (int row = 0; row < TaskRows.size(); ++row) {
        const TTask& task = Tasks[TaskRows[row]];
        SetCell(TaskList, row, 0, task.Name);
        SetCell(TaskList, row, 1, task.Parrent);
        SetCell(TaskList, row, 2,
                task.Suspended ? task.Status + QStringLiteral(" (Suspended)") : task.Status);
        SetCell(TaskList, row, 3,
                task.Code.isEmpty() ? QString::number(task.Trust)
                                    : QString::number(task.Trust) + QStringLiteral(" +Coded"));
        SetCell(TaskList, row, 4, task.Class);
        SetCell(TaskList, row, 5, task.Executable);
    }
}

void TVelmoraTask::TaskDescription(int sel)
{
    const bool valid = sel >= 0 && sel < Tasks.size();
    for (QWidget* command : {static_cast<QWidget*>(DatabaseRemove), static_cast<QWidget*>(CustomTrustButton),
                             static_cast<QWidget*>(CustomTrustBar), static_cast<QWidget*>(ActionTaskSuspend),
                             static_cast<QWidget*>(ActionTaskResume), static_cast<QWidget*>(ActionTaskKill)})
        command->setEnabled(valid);
    // A monitor samples through the task library, which the window can be without (it is still
    // reached from the icon's menu); the binding takes the library whole or not at all.
    MonitorButton->setEnabled(valid && HandleMemorySize != nullptr);
    if (!valid) {
        CustomTrustBar->setValue(0);
        DescriptionName->setText(QStringLiteral("No Task Selected"));
        // Unlike clear(), an unchanged text repaints nothing: the panel is refilled every tick.
        DescriptionStatus->setText(QString());
        ShowNewTrust(QString());
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
    const QString status = CurrentStatus(task);
    DescriptionStatus->setText(QStringLiteral("Current Status: ") + status);
    DescriptionTrust->setText(QStringLiteral("User Trust: ") + TrustDescription(task.Trust));
    ShowNewTrust(QStringLiteral("New Trust: ") + TrustDescription(CustomTrustBar->value()));
    const bool stopped = OffersResume(task, status);
    ActionTaskResume->setVisible(stopped && TaskAdvanced);
    ActionTaskSuspend->setVisible(!stopped && TaskAdvanced);
}

void TVelmoraTask::MonitorButtonClick(QObject*)
{
    if (!TaskSelected()) {
        MessageBox(this, QStringLiteral("Nothing is selected.\n\rPlease select a task and try again.\n\r"),
                   QStringLiteral("Velmora: Nothing Selected"), TMsgButtons::OK, TMsgIcon::Warning);
        return;
    }
    // Kept by no one: it frees itself when it is hidden.
    auto* monitor = new TVelmoraTaskResource;
    monitor->SetHandle(Tasks[SelectedTask].Handle);
    monitor->SetMetric(QStringLiteral("mb"));
    monitor->SetCaption(QStringLiteral("Velmora Task Manager"));
    monitor->SetDescription(QStringLiteral("Visual representation of task memory usage"));
    monitor->GetNameFunc = HandleToNameText;
    monitor->IsRunningFunc = TaskIsRunning;
    monitor->GetClassFunc = HandleToClassText;
    monitor->GetValue = TaskMemoryMB;
    monitor->GetDescription = TaskWindowStatus;
    monitor->StartGraphing();
    monitor->SetRefreshRate(VelmoraTaskExpert->SpeedTaskBar->value() * 500);
}

void TVelmoraTask::TaskScriptButtonClick(QObject*)
{
    VelmoraTaskScript->SetNumber(TaskSelected() ? SelectedTask : -1);
    VelmoraTaskScript->InitNew();
    // Already open: the list and caption follow the new working copy all the same.
    if (VelmoraTaskScript->isVisible())
        VelmoraTaskScript->FormShow(VelmoraTaskScript);
    else
        VelmoraTaskScript->show();
    VelmoraTaskScript->raise();
    VelmoraTaskScript->activateWindow();
}

int TVelmoraTask::TaskOfRow(int row) const
{
    return row >= 0 && row < TaskRows.size() ? TaskRows[row] : -1;
}

void TVelmoraTask::SelectListRect(int x1, int y1, int x2, int y2)
{
    const QSignalBlocker quiet(TaskList->selectionModel());
    TaskList->clearSelection();
    // Grid row 0 is the table's header.
    if (y1 < 1 || y2 < 1)
        return;
    TaskList->setCurrentCell(y2 - 1, x2, QItemSelectionModel::NoUpdate);
    TaskList->setRangeSelected(QTableWidgetSelectionRange(std::min(y1, y2) - 1, std::min(x1, x2),
                                                          std::max(y1, y2) - 1, std::max(x1, x2)),
                               true);
}

void TVelmoraTask::SelectRow(int row)
{
    SelectedTask = TaskOfRow(row);
    if (!TaskSelected()) {
        // The panel and the grid say so at once: no command may seem to act on the old task.
        SelectListRect(-1, -1, -1, -1);
        TaskDescription(-1);
        return;
    }
    SelectListRect(0, row + 1, GridColumns - 1, row + 1);
    CustomTrustBar->setValue(Tasks[SelectedTask].Trust);
    TaskDescription(SelectedTask);
}

void TVelmoraTask::TaskListClick(QObject*)
{
    SelectRow(TaskList->currentRow());
}

void TVelmoraTask::TaskListMouseDown(QObject*, Qt::MouseButton Button, QPoint Position)
{
    // The header row, above the cells, holds no task.
    if (Position.y() < 0) {
        SelectRow(-1);
        return;
    }
    const QModelIndex cell = TaskList->indexAt(Position);
    if (!cell.isValid())
        return;
    {
        const QSignalBlocker quiet(TaskList->selectionModel());
        TaskList->setCurrentCell(cell.row(), cell.column(), QItemSelectionModel::NoUpdate);
    }
    SelectRow(cell.row());
    if (Button != Qt::RightButton || !TaskSelected())
        return;
    const TTask& task = Tasks[SelectedTask];
    ResumeMenu->setEnabled(OffersResume(task, CurrentStatus(task)));
    PopupMenu(TaskMenu, QCursor::pos());
}

bool TVelmoraTask::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* header = TaskList->horizontalHeader()->viewport();
    if ((watched != TaskList->viewport() && watched != header) || event->type() != QEvent::MouseButtonPress)
        return TForm::eventFilter(watched, event);
    const auto* press = static_cast<QMouseEvent*>(event);
    const Qt::MouseButton button = press->button();
    // In the cells' coordinates, where the header row lies above the first row.
    const QPoint position = TaskList->viewport()->mapFrom(
        TaskList, static_cast<QWidget*>(watched)->mapTo(TaskList, press->position().toPoint()));
    Guarded([&] { TaskListMouseDown(TaskList, button, position); });
    // The header resizes its columns. The grid's own handling would select a single cell, or clear
    // the selection beside the cells.
    return watched != header && (button != Qt::LeftButton || !TaskList->indexAt(position).isValid());
}

void TVelmoraTask::SetMenuTrust(int trust)
{
    if (!TaskSelected())
        return;
    CustomTrustBar->setValue(trust);
    Tasks[SelectedTask].Trust = trust;
}

void TVelmoraTask::Trust0MenuClick(QObject*)
{
    SetMenuTrust(0);
}

void TVelmoraTask::Trust1MenuClick(QObject*)
{
    SetMenuTrust(1);
}

void TVelmoraTask::Trust2MenuClick(QObject*)
{
    SetMenuTrust(2);
}

void TVelmoraTask::Trust3MenuClick(QObject*)
{
    SetMenuTrust(3);
}

void TVelmoraTask::Trust4MenuClick(QObject*)
{
    SetMenuTrust(4);
}

void TVelmoraTask::Trust_1MenuClick(QObject*)
{
    SetMenuTrust(-1);
}

void TVelmoraTask::Trust_2MenuClick(QObject*)
{
    SetMenuTrust(-2);
}

void TVelmoraTask::Trust_3MenuClick(QObject*)
{
    SetMenuTrust(-3);
}

void TVelmoraTask::Trust_4MenuClick(QObject*)
{
    SetMenuTrust(-4);
}

void TVelmoraTask::CustomTrustBarChange(QObject*)
{
    ShowNewTrust(QStringLiteral("New Trust: ") + TrustDescription(CustomTrustBar->value()));
}

void TVelmoraTask::ShowNewTrust(const QString& text)
{
    CustomTrustLabel->setText(text);
    // With no task selected the label is empty: the bar then keeps a name of its own.
    CustomTrustBar->setAccessibleName(text.isEmpty() ? QStringLiteral("New Trust") : QString());
}

void TVelmoraTask::CustomTrustButtonClick(QObject*)
{
    if (!TaskSelected())
        return;
    Tasks[SelectedTask].Trust = CustomTrustBar->value();
    TaskDescription(SelectedTask);
}

void TVelmoraTask::ActionTaskKillClick(QObject*)
{
    if (TaskSelected())
        Tasks[SelectedTask].KillRequested = true;
}

void TVelmoraTask::ActionTaskSuspendClick(QObject*)
{
    if (TaskSelected()) {
        Tasks[SelectedTask].Suspended = true;
        Tasks[SelectedTask].SuspendRequested = true;
    }
    TaskDescription(SelectedTask);
}

void TVelmoraTask::ActionTaskResumeClick(QObject*)
{
    if (TaskSelected()) {
        TTask& task = Tasks[SelectedTask];
        // A suspend not yet carried out must not stop the program after this resume.
        task.SuspendRequested = false;
        ResumeTask(task);
    }
    TaskDescription(SelectedTask);
}

void TVelmoraTask::AdvancedTaskClick(QObject*)
{
    TaskAdvanced = !TaskAdvanced;
    AdvancedTask->setText(TaskAdvanced ? QStringLiteral("Less") : QStringLiteral("More"));
    for (QWidget* control :
         std::initializer_list<QWidget*>{CustomTrustLabel, CustomTrustButton, CustomTrustBar, DatabaseRemove,
                                         TaskScriptButton, MonitorButton})
        control->setVisible(TaskAdvanced);
    ActionTaskResume->setVisible(false);
    ActionTaskSuspend->setVisible(TaskAdvanced);
    ActionTaskKill->setVisible(TaskAdvanced);
    if (!isMaximized())
        resize(width(), TaskAdvanced ? 530 : 450);
}

void TVelmoraTask::HideTaskManagerClick(QObject*)
{
    VelmoraTaskExpert->hide();
    hide();
}
