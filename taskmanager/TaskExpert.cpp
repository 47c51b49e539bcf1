#include "taskmanager/TaskExpert.h"

TVelmoraTaskExpert* VelmoraTaskExpert = nullptr;

TVelmoraTaskExpert::TVelmoraTaskExpert(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
}
