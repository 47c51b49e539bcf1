#pragma once

#include "platform/Form.h"

#include "tasks/TaskClasses.h"

class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// Called once when the user has finished a code, with the editor's Number.
using TCloseWindow = void (*)(int num);

// The code editor: the conditions and actions of one code of the working copy, changed in place.
class TVelmoraTaskCode : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskCode(QWidget* parent = nullptr);

    QTableWidget* Conditions = nullptr;
    QTableWidget* Actions = nullptr;
    QPushButton* AddCondition = nullptr;
    QPushButton* AddAction = nullptr;
    QPushButton* ApplyButton = nullptr;
    QPlainTextEdit* LogErrorDescription = nullptr;
    QPlainTextEdit* CodeDescription = nullptr;

    // The edited code's index in EditedScript; checked before every use, as the working copy may
    // have been rebuilt meanwhile.
    int CodeIndex = -1;
    // -1 for the global script, else the index in Tasks of the task whose script is edited.
    int Number = -1;
    TCloseWindow CloseWindow = nullptr;

    void RefreshDisplay();

    void FormShow(QObject* Sender);
    void ConditionsDblClick(QObject* Sender);
    void AddConditionClick(QObject* Sender);
    void ActionsDblClick(QObject* Sender);
    void AddActionClick(QObject* Sender);
    void ApplyButtonClick(QObject* Sender);

private:
    struct TRelationKind;
    static const TRelationKind ConditionKind;
    static const TRelationKind ActionKind;

    void BuildForm();
    // The edited code, or null when the working copy no longer holds it.
    TCode* EditedCode() const;
    void AddOrChange(QTableWidget* grid, const TRelationKind& kind);
};

extern TVelmoraTaskCode* VelmoraTaskCode;
