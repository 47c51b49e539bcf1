#include "memory/MemExpert.h"

void TVelmoraMemExpert::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraMemExpert"));
    setWindowTitle(QStringLiteral("Velmora Memory Manager - Expert Options"));
}
