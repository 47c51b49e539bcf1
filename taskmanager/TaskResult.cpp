#include "taskmanager/TaskResult.h"

TVelmoraTaskResult* VelmoraTaskResult = nullptr;

TVelmoraTaskResult::TVelmoraTaskResult(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
}
