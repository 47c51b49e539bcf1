#include "taskmanager/TaskWindow.h"

void TVelmoraTask::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTask"));
    setWindowTitle(QStringLiteral("Velmora Task Manager"));
}
