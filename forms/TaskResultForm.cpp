#include "taskmanager/TaskResult.h"

void TVelmoraTaskResult::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskResult"));
    setWindowTitle(QStringLiteral("Velmora Statement"));
}
