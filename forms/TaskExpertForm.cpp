#include "taskmanager/TaskExpert.h"

void TVelmoraTaskExpert::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskExpert"));
    setWindowTitle(QStringLiteral("Velmora Task Manager - Expert Options"));
}
