#pragma once

#include "platform/Form.h"

class TVelmoraTaskExpert : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskExpert(QWidget* parent = nullptr);

private:
    void BuildForm();
};

extern TVelmoraTaskExpert* VelmoraTaskExpert;
