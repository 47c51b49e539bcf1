#pragma once

#include "platform/Form.h"

#include "libraries/Sorrelin.h"

// Entry points of the temperature library, bound at start.
extern TGetCoreTempTemperature GetCoreTempTemperature;
extern TGetCoreTempAverageTemperature GetCoreTempAverageTemperature;
extern TCoreTempStarted CoreTempStarted;

class TVelmoraTemp : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTemp(QWidget* parent = nullptr);
    void FormCreate(QObject* Sender);

private:
    void BuildForm();
};

extern TVelmoraTemp* VelmoraTemp;
