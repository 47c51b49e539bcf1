#pragma once

#include "platform/Form.h"

class TVelmoraMemExpert : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraMemExpert(QWidget* parent = nullptr);

private:
    void BuildForm();
};

extern TVelmoraMemExpert* VelmoraMemExpert;
