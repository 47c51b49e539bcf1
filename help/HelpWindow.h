#pragma once

#include "platform/Form.h"

#include <QString>

class QCheckBox;
class QPushButton;

// The exit hook: empty until the first-run step stores the exit routine in it.
extern void (*ExitProgramHandler)();

// Creates the working folders "Libraries" and "Database" where they are missing.
void CreateFolders();

// The program's run-at-start-up entry, in the desktop's autostart folder.
void WriteRunValue(const QString& name, const QString& data);
void DeleteRunValue(const QString& name);
void EnableRunAtStartup();
void DisableRunAtStartup();
bool RunAtStartupEnabled();
// After an update: an entry that starts the replaced program file starts the running one instead.
void MoveRunAtStartup(const QString& replaced);

// The commands that concern the program as a whole: the web pages, run at start-up, restart and
// the updater.
class TVelmoraHelp : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraHelp(QWidget* parent = nullptr);

    QPushButton* CompanyWebButton = nullptr;
    QPushButton* ProductWebButton = nullptr;
    QPushButton* RestartButton = nullptr;
    QPushButton* RegistryButton = nullptr;
    QPushButton* UpdateButton = nullptr;
    QCheckBox* UpdateMemBox = nullptr;
    QCheckBox* UpdateTaskBox = nullptr;
    QCheckBox* UpdateTempBox = nullptr;
    QCheckBox* UpdateAppBox = nullptr;

    void FormShow(QObject* Sender);
    void RegistryButtonClick(QObject* Sender);
    void CompanyWebButtonClick(QObject* Sender);
    void ProductWebButtonClick(QObject* Sender);
    void RestartButtonClick(QObject* Sender);
    void UpdateButtonClick(QObject* Sender);

    // Ends the program and starts it again.
    void Restart();
    // Fetches what the update location offers, stages it and ends the program.
    void PerformUpdates();

private:
    void BuildForm();
    // Shows an update step's caption at once: the download that follows blocks the window.
    void ShowUpdateCaption(const QString& caption);
    void ShowUpdateControls(bool shown);
};

extern TVelmoraHelp* VelmoraHelp;
