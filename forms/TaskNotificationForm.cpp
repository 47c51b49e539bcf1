#include "taskmanager/TaskNotification.h"

void TVelmoraTaskAction::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskAction"));
    setWindowTitle(QStringLiteral("Velmora Task Notification"));
}
