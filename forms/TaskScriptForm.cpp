#include "taskmanager/TaskScript.h"

void TVelmoraTaskScript::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTaskScript"));
    setWindowTitle(QStringLiteral("Velmora Task Script"));
}
