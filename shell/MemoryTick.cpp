#include "shell/MainWindow.h"

void TVelmoraMain::MemoryTimerTimer(QObject*) {}

void WaitProcessingMessages(int) {}
