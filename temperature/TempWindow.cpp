#include "temperature/TempWindow.h"
#include "platform/ErrorGuard.h"
TVelmoraTemp* VelmoraTemp = nullptr;
TGetCoreTempTemperature GetCoreTempTemperature = nullptr;
TGetCoreTempAverageTemperature GetCoreTempAverageTemperature = nullptr;
TCoreTempStarted CoreTempStarted = nullptr;

TVelmoraTemp::TVelmoraTemp(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    Guarded([this] { FormCreate(this); });
}

void TVelmoraTemp::FormCreate(QObject*) {}
