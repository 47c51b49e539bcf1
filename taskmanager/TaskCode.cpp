#include "taskmanager/TaskCode.h"

TVelmoraTaskCode* VelmoraTaskCode = nullptr;

TVelmoraTaskCode::TVelmoraTaskCode(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
}
