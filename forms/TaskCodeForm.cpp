#include "taskmanager/TaskCode.h"

void TVelmoraTaskCode::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskCode"));
    setWindowTitle(QStringLiteral("Velmora Task Code"));
}
