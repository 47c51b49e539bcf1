#include "memory/MemWindow.h"

void TVelmoraMem::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraMem"));
    setWindowTitle(QStringLiteral("Velmora Memory Manager"));
}
