#include "temperature/TempWindow.h"

void TVelmoraTemp::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTemp"));
    setWindowTitle(QStringLiteral("Velmora Temperature Monitor"));
}
