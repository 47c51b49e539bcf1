#include "taskmanager/TaskNotification.h"

TVelmoraTaskAction* VelmoraTaskAction = nullptr;

TVelmoraTaskAction::TVelmoraTaskAction(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
}
