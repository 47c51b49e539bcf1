#pragma once

#include "platform/Form.h"

class TVelmoraTempExpert : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTempExpert(QWidget* parent = nullptr);

private:
    void BuildForm();
};

extern TVelmoraTempExpert* VelmoraTempExpert;
