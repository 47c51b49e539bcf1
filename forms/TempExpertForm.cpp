#include "temperature/TempExpert.h"

void TVelmoraTempExpert::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraTempExpert"));
    setWindowTitle(QStringLiteral("Velmora Temp Monitor - Expert Options"));
}
