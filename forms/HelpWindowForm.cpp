#include "help/HelpWindow.h"

void TVelmoraHelp::BuildForm()
{
    setObjectName(QStringLiteral("VelmoraHelp"));
    setWindowTitle(QStringLiteral("Velmora Help"));
}
