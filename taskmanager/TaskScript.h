#pragma once

#include "platform/Form.h"

#include "tasks/TaskClasses.h"

class QListWidget;
class QPushButton;

// The working copy of the script being edited; only "Apply Task Script" writes it back.
extern TScript EditedScript;

// The script editor: the codes of one task's script, or of the global script, as rule lines.
class TVelmoraTaskScript : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTaskScript(QWidget* parent = nullptr);

    QPushButton* AddCode = nullptr;
    QPushButton* RemoveCode = nullptr;
    QListWidget* CodeList = nullptr;
    QPushButton* ApplyTaskScript = nullptr;
    QPushButton* HideTaskScript = nullptr;

    // -1: the global script; otherwise the index in Tasks of the task whose script is edited.
    void SetNumber(int num);
    int GetNumber() const { return Number; }
    // The working copy becomes a copy of the target's script.
    void InitNew();
    void DisplayNumberCodes();
    void RemoveIndex(int num);
    // The task whose script is edited has left Tasks since InitNew: nothing may be applied.
    bool TargetGone() const { return Number >= 0 && (targetGone_ || Number >= Tasks.size()); }

    void FormShow(QObject* Sender);
    void AddCodeClick(QObject* Sender);
    void CodeListDblClick(QObject* Sender);
    void RemoveCodeClick(QObject* Sender);
    void ApplyTaskScriptClick(QObject* Sender);
    void HideTaskScriptClick(QObject* Sender);

private:
    friend void ScriptTaskRemoved(int Index);
    friend void ScriptTasksReplaced();

    void BuildForm();

    int Number = -1;
    bool targetGone_ = false;
};

extern TVelmoraTaskScript* VelmoraTaskScript;

// The code editor has finished: the script editor comes back for the same target.
void TaskCodeClosed(int num);

// The task list changed under the editor. Called after element Index left Tasks: a target after it
// moves down with it, and the target itself is gone.
void ScriptTaskRemoved(int Index);
// Called after Tasks was emptied or replaced as a whole: a task target is gone, the global one stays.
void ScriptTasksReplaced();
