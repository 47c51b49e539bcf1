#include "shell/MainWindow.h"

void TVelmoraMain::TemperatureTimerTimer(QObject*) {}
