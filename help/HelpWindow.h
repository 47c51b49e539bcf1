#pragma once

#include "platform/Form.h"

// The exit hook: empty until the first-run step stores the exit routine in it.
extern void (*ExitProgramHandler)();

// Creates the working folders "Libraries" and "Database" where they are missing.
void CreateFolders();

class TVelmoraHelp : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraHelp(QWidget* parent = nullptr);

private:
    void BuildForm();
};

extern TVelmoraHelp* VelmoraHelp;
