#include "taskmanager/TaskCode.h"

#include "platform/ErrorGuard.h"
#include "platform/MessageBox.h"
#include "taskmanager/TaskResult.h"
#include "taskmanager/TaskScript.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

TVelmoraTaskCode* VelmoraTaskCode = nullptr;

namespace {

void SetCell(QTableWidget* grid, int row, int column, const QString& text)
{
    QTableWidgetItem* cell = grid->item(row, column);
    if (cell == nullptr) {
        cell = new QTableWidgetItem;
        grid->setItem(row, column, cell);
    }
    cell->setText(text);
}

// Header, one row per relation, then the empty row for adding one. The current row stays where it
// was as far as the new row count allows.
void ShowRelations(QTableWidget* grid, const TCodeRelation& relations)
{
    const int current = grid->currentRow();
    for (int row = 0; row < grid->rowCount(); ++row)
        for (int column = 0; column < 4; ++column)
            SetCell(grid, row, column, QString());
    grid->setRowCount(static_cast<int>(relations.size()) + 2);
    const QString headers[] = {QStringLiteral("Type"), QStringLiteral("Variable"), QStringLiteral("Perform"),
                               QStringLiteral("Value")};
    for (int column = 0; column < 4; ++column) {
        SetCell(grid, 0, column, headers[column]);
        // The fixed header row: never selected.
        grid->item(0, column)->setFlags(Qt::ItemIsEnabled);
        grid->item(0, column)->setBackground(grid->palette().button());
    }
    for (int k = 0; k < relations.size(); ++k) {
        const TRelation& relation = relations[k];
        SetCell(grid, k + 1, 0, ValueDisplayText(relation.Type));
        SetCell(grid, k + 1, 1, ValueDisplayText(relation.Variable));
        SetCell(grid, k + 1, 2, OperatorDisplayText(relation.Type, relation.Comparative));
        SetCell(grid, k + 1, 3, ValueDisplayText(relation.Value));
    }
    if (current >= grid->rowCount())
        grid->setCurrentCell(grid->rowCount() - 1, std::max(grid->currentColumn(), 0));
}

} // namespace

// What tells conditions and actions apart when one is added or changed.
struct TVelmoraTaskCode::TRelationKind {
    int (*count)(const TCode&);
    void (*set)(TCode&, const QString&, const QString&, const QString&, const QString&, int);
    void (*append)(TCode&, const QString&, const QString&, const QString&, const QString&);
    const char* refusal;
    const char* refusalCaption;
};

const TVelmoraTaskCode::TRelationKind TVelmoraTaskCode::ConditionKind{
    ConditionCount, SetCondition, AppendCondition,
    "Every field must have a value\n\rNo conditions were added.", "Velmora Code: No conditions added"};
const TVelmoraTaskCode::TRelationKind TVelmoraTaskCode::ActionKind{
    ActionCount, SetAction, AppendAction, "Every field must have a value\n\rNo actions were added.",
    "Velmora Code: No actions added"};

TVelmoraTaskCode::TVelmoraTaskCode(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    OnShow = [this] { FormShow(this); };
    // Window managers that draw a close box anyway must not strand the edit: closing finishes it.
    OnClose = [this](bool& close) {
        close = false;
        ApplyButtonClick(this);
    };
    GuardedConnect(Conditions, &QTableWidget::cellDoubleClicked, this,
                   [this] { ConditionsDblClick(Conditions); });
    GuardedConnect(Actions, &QTableWidget::cellDoubleClicked, this, [this] { ActionsDblClick(Actions); });
    GuardedConnect(AddCondition, &QPushButton::clicked, this, [this] { AddConditionClick(AddCondition); });
    GuardedConnect(AddAction, &QPushButton::clicked, this, [this] { AddActionClick(AddAction); });
    GuardedConnect(ApplyButton, &QPushButton::clicked, this, [this] { ApplyButtonClick(ApplyButton); });
}

TCode* TVelmoraTaskCode::EditedCode() const
{
    if (CodeIndex < 0 || CodeIndex >= EditedScript.size())
        return nullptr;
    return &EditedScript[CodeIndex];
}

void TVelmoraTaskCode::RefreshDisplay()
{
    const TCode* code = EditedCode();
    const TCode shown = code != nullptr ? *code : TCode{};
    ShowRelations(Conditions, shown.Conditions);
    ShowRelations(Actions, shown.Actions);
    CodeDescription->clear();
    CodeDescription->appendPlainText(QStringLiteral("The following code is created:"));
    CodeDescription->appendPlainText(CodeToText(shown));
}

void TVelmoraTaskCode::FormShow(QObject*)
{
    if (Number < 0)
        setWindowTitle(QStringLiteral("Velmora Task Code: Every task"));
    else if (VelmoraTaskScript->TargetGone())
        setWindowTitle(QStringLiteral("Velmora Task Code: Task removed"));
    else
        setWindowTitle(QStringLiteral("Velmora Task Code: ") + Tasks[Number].Name);
    RefreshDisplay();
}

void TVelmoraTaskCode::AddOrChange(QTableWidget* grid, const TRelationKind& kind)
{
    const int r = grid->currentRow();
    if (r <= 0)
        return;
    // Only "OK" counts: Esc or closing the dialog adds nothing.
    const bool chosen = VelmoraTaskResult->exec() == QDialog::Accepted;
    const bool complete = chosen && !ChosenType.isEmpty() && !ChosenVariable.isEmpty() &&
                          !ChosenOperation.isEmpty() && !ChosenValue.isEmpty();
    // Looked up again: other handlers ran while the dialog was open.
    TCode* code = EditedCode();
    if (code != nullptr) {
        const int n = kind.count(*code);
        if (complete && r <= n)
            kind.set(*code, ChosenType, ChosenVariable, ChosenOperation, ChosenValue, r - 1);
        else if (complete)
            kind.append(*code, ChosenType, ChosenVariable, ChosenOperation, ChosenValue);
        else if (chosen && r > n)
            MessageBox(this, QString::fromUtf8(kind.refusal), QString::fromUtf8(kind.refusalCaption),
                       TMsgButtons::OK, TMsgIcon::Warning);
    }
    RefreshDisplay();
}

void TVelmoraTaskCode::ConditionsDblClick(QObject*)
{
    AddOrChange(Conditions, ConditionKind);
}

void TVelmoraTaskCode::AddConditionClick(QObject*)
{
    AddOrChange(Conditions, ConditionKind);
}

void TVelmoraTaskCode::ActionsDblClick(QObject*)
{
    AddOrChange(Actions, ActionKind);
}

void TVelmoraTaskCode::AddActionClick(QObject*)
{
    AddOrChange(Actions, ActionKind);
}

void TVelmoraTaskCode::ApplyButtonClick(QObject*)
{
    setVisible(false);
    CloseWindow(Number);
}
