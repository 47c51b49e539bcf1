#include "shell/Velmora.h"

#include <QApplication>

int ProgramMain(int argc, char** argv)
{
    QApplication application(argc, argv);
    return 0;
}
