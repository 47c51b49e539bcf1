#pragma once

#include "platform/Form.h"

class TVelmoraTaskAction : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskAction(QWidget* parent = nullptr);

private:
    void BuildForm();
};

extern TVelmoraTaskAction* VelmoraTaskAction;
