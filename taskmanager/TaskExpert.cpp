#include "taskmanager/TaskExpert.h"

#include "platform/ErrorGuard.h"
#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <algorithm>

TVelmoraTaskExpert* VelmoraTaskExpert = nullptr;
int TaskCheckSpeed = 3;
bool CheckForNewTasks = true;

TVelmoraTaskExpert::TVelmoraTaskExpert(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    GuardedConnect(HideExpertOptions, &QPushButton::clicked, this,
                   [this] { HideExpertOptionsClick(HideExpertOptions); });
    GuardedConnect(SpeedTaskBar, &QSlider::valueChanged, this, [this] { SpeedTaskBarChange(SpeedTaskBar); });
    for (QCheckBox* box : {CheckForNew, ShowDesktopTasks, StrictSecurity})
        GuardedConnect(box, &QCheckBox::toggled, this, [this, box] { CheckForNewClick(box); });
    GuardedConnect(RememberByApp, &QCheckBox::toggled, this, [this] { RememberByAppClick(RememberByApp); });
    GuardedConnect(DatabaseSave, &QPushButton::clicked, this, [this] { DatabaseSaveClick(DatabaseSave); });
    GuardedConnect(DatabaseClear, &QPushButton::clicked, this, [this] { DatabaseClearClick(DatabaseClear); });
    GuardedConnect(DatabaseLoad, &QPushButton::clicked, this, [this] { DatabaseLoadClick(DatabaseLoad); });
    GuardedConnect(ExcludeAdd, &QPushButton::clicked, this, [this] { ExcludeAddClick(ExcludeAdd); });
    GuardedConnect(ExcludeRemove, &QPushButton::clicked, this, [this] { ExcludeRemoveClick(ExcludeRemove); });
}

void TVelmoraTaskExpert::HideExpertOptionsClick(QObject*)
{
    hide();
}

void TVelmoraTaskExpert::SpeedTaskBarChange(QObject*)
{
    TaskCheckSpeed = SpeedTaskBar->value();
    SpeedTaskLabel->setText(QStringLiteral("Check tasks: ") +
                            (TaskCheckSpeed != 0 ? QStringLiteral("Every %1 ms").arg(TaskCheckSpeed * 500)
                                                 : QStringLiteral("Disabled")));
}

void TVelmoraTaskExpert::CheckForNewClick(QObject*)
{
    CheckForNewTasks = CheckForNew->isChecked();
}

void TVelmoraTaskExpert::RememberByAppClick(QObject*)
{
    if (!RememberByApp->isChecked())
        return;
    if (MessageBox(
            this,
            QStringLiteral("You have selected to remember tasks running by their\n\rparent application. "
                           "You must be warned however that\n\rthis may result to lower security.\n\r\n\r"
                           "Remember tasks by parent application anyway?"),
            QStringLiteral("Rememember by application?"), TMsgButtons::YesNo, TMsgIcon::Warning) == IDNO)
        RememberByApp->setChecked(false);
}

void TVelmoraTaskExpert::DatabaseSaveClick(QObject*)
{
    SaveDataNow();
}

void TVelmoraTaskExpert::DatabaseClearClick(QObject*)
{
    ClearDataNow();
}

void TVelmoraTaskExpert::DatabaseLoadClick(QObject*)
{
    LoadDataNow();
}

void TVelmoraTaskExpert::ExcludeAddClick(QObject*)
{
    const int row = ExcludeTable->rowCount();
    ExcludeTable->insertRow(row);
    ExcludeTable->setItem(row, 0, new QTableWidgetItem);
}

void TVelmoraTaskExpert::ExcludeRemoveClick(QObject*)
{
    const int count = ExcludeTable->rowCount();
    if (count <= 1)
        return;
    // Rows below the current one move up; the last row goes.
    const int row = std::clamp(ExcludeTable->currentRow(), 0, count - 1);
    ExcludeTable->removeRow(row);
    ExcludeTable->setCurrentCell(std::min(row, count - 2), 0);
}
