#pragma once

#include "platform/Form.h"

class TVelmoraTaskCode : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskCode(QWidget* parent = nullptr);

private:
    void BuildForm();
};

extern TVelmoraTaskCode* VelmoraTaskCode;
