#pragma once

#include "platform/Form.h"

class TVelmoraTaskScript : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskScript(QWidget* parent = nullptr);

private:
    void BuildForm();
};

extern TVelmoraTaskScript* VelmoraTaskScript;
