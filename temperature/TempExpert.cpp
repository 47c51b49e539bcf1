#include "temperature/TempExpert.h"

TVelmoraTempExpert* VelmoraTempExpert = nullptr;

TVelmoraTempExpert::TVelmoraTempExpert(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
}
