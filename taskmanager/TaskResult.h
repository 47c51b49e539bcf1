#pragma once

#include "platform/Form.h"

class TVelmoraTaskResult : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskResult(QWidget* parent = nullptr);

private:
    void BuildForm();
};

extern TVelmoraTaskResult* VelmoraTaskResult;
