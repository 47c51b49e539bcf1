#include "taskmanager/TaskExpert.h"

#include "platform/ErrorGuard.h"

#include <QLabel>
#include <QSlider>

TVelmoraTaskExpert* VelmoraTaskExpert = nullptr;
int TaskCheckSpeed = 3;
bool CheckForNewTasks = true;

TVelmoraTaskExpert::TVelmoraTaskExpert(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    GuardedConnect(SpeedTaskBar, &QSlider::valueChanged, this, [this] { SpeedTaskBarChange(SpeedTaskBar); });
}

void TVelmoraTaskExpert::SpeedTaskBarChange(QObject*)
{
    TaskCheckSpeed = SpeedTaskBar->value();
    SpeedTaskLabel->setText(QStringLiteral("Check tasks: ") +
                            (TaskCheckSpeed != 0 ? QStringLiteral("Every %1 ms").arg(TaskCheckSpeed * 500)
                                                 : QStringLiteral("Disabled")));
}
