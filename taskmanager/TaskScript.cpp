#include "taskmanager/TaskScript.h"

TVelmoraTaskScript* VelmoraTaskScript = nullptr;

TVelmoraTaskScript::TVelmoraTaskScript(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
}
