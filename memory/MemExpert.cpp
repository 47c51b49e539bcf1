#include "memory/MemExpert.h"

TVelmoraMemExpert* VelmoraMemExpert = nullptr;

TVelmoraMemExpert::TVelmoraMemExpert(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
}
