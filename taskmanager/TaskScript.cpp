#include "taskmanager/TaskScript.h"

#include "platform/ErrorGuard.h"
#include "platform/MessageBox.h"
#include "taskmanager/TaskCode.h"

#include <QListWidget>
#include <QPushButton>

TVelmoraTaskScript* VelmoraTaskScript = nullptr;
TScript EditedScript;

namespace {

// The selected code line's index; -1 when nothing or the "Add code" line is selected.
int SelectedCode(const QListWidget* list)
{
    const QListWidgetItem* item = list->currentItem();
    const int i = list->currentRow();
    return item != nullptr && item->isSelected() && i < list->count() - 1 ? i : -1;
}

} // namespace

TVelmoraTaskScript::TVelmoraTaskScript(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
    OnShow = [this] { FormShow(this); };
    GuardedConnect(AddCode, &QPushButton::clicked, this, [this] { AddCodeClick(AddCode); });
    GuardedConnect(RemoveCode, &QPushButton::clicked, this, [this] { RemoveCodeClick(RemoveCode); });
    GuardedConnect(CodeList, &QListWidget::itemDoubleClicked, this, [this] { CodeListDblClick(CodeList); });
    GuardedConnect(ApplyTaskScript, &QPushButton::clicked, this,
                   [this] { ApplyTaskScriptClick(ApplyTaskScript); });
    GuardedConnect(HideTaskScript, &QPushButton::clicked, this,
                   [this] { HideTaskScriptClick(HideTaskScript); });
}

void TVelmoraTaskScript::SetNumber(int num)
{
    Number = num;
    VelmoraTaskCode->Number = num;
}

void TVelmoraTaskScript::InitNew()
{
    targetGone_ = Number >= Tasks.size();
    if (Number < 0)
        CopyScript(EditedScript, EveryTask.Code);
    else if (!targetGone_)
        CopyScript(EditedScript, Tasks[Number].Code);
    else
        EditedScript.clear();
}

void TVelmoraTaskScript::DisplayNumberCodes()
{
    CodeList->clear();
    for (const TCode& code : EditedScript)
        CodeList->addItem(CodeToText(code));
    CodeList->addItem(QStringLiteral("Add code"));
}

void TVelmoraTaskScript::RemoveIndex(int num)
{
    if (num < 0 || num >= EditedScript.size())
        return;
    EditedScript.removeAt(num);
    DisplayNumberCodes();
}

void TVelmoraTaskScript::FormShow(QObject*)
{
    VelmoraTaskCode->setVisible(false);
    if (Number < 0)
        setWindowTitle(QStringLiteral("Velmora Task Script: Every task"));
    else if (TargetGone())
        setWindowTitle(QStringLiteral("Velmora Task Script: Task removed"));
    else
        setWindowTitle(QStringLiteral("Velmora Task Script: ") + Tasks[Number].Name);
    DisplayNumberCodes();
}

void TVelmoraTaskScript::AddCodeClick(QObject* Sender)
{
    CodeListDblClick(Sender);
}

void TVelmoraTaskScript::CodeListDblClick(QObject*)
{
    VelmoraTaskCode->CloseWindow = TaskCodeClosed;
    VelmoraTaskCode->Number = Number;
    const int i = SelectedCode(CodeList);
    if (i >= 0) {
        VelmoraTaskCode->CodeIndex = i;
    } else {
        EditedScript.append(TCode{});
        VelmoraTaskCode->CodeIndex = static_cast<int>(EditedScript.size()) - 1;
    }
    VelmoraTaskCode->setVisible(true);
    setVisible(false);
}

void TVelmoraTaskScript::RemoveCodeClick(QObject*)
{
    RemoveIndex(SelectedCode(CodeList));
}

void TVelmoraTaskScript::ApplyTaskScriptClick(QObject*)
{
    if (Number < 0) {
        CopyScript(EveryTask.Code, EditedScript);
    } else if (TargetGone()) {
        // The number may name another task by now: its script must not receive these rules.
        MessageBox(this,
                   QStringLiteral("The task of this script is no longer in the task list.\n\r"
                                  "The script was not applied.\n\r"),
                   QStringLiteral("Velmora: Task removed"), TMsgButtons::OK, TMsgIcon::Warning);
        return;
    } else {
        CopyScript(Tasks[Number].Code, EditedScript);
    }
    setVisible(false);
}

void TVelmoraTaskScript::HideTaskScriptClick(QObject*)
{
    setVisible(false);
}

void TaskCodeClosed(int num)
{
    VelmoraTaskScript->SetNumber(num);
    VelmoraTaskScript->setVisible(true);
}

void ScriptTaskRemoved(int Index)
{
    TVelmoraTaskScript* editor = VelmoraTaskScript;
    if (editor == nullptr || editor->Number < 0 || editor->targetGone_)
        return;
    if (Index == editor->Number)
        editor->targetGone_ = true;
    else if (Index < editor->Number)
        editor->SetNumber(editor->Number - 1);
}

void ScriptTasksReplaced()
{
    TVelmoraTaskScript* editor = VelmoraTaskScript;
    if (editor != nullptr && editor->Number >= 0)
        editor->targetGone_ = true;
}
