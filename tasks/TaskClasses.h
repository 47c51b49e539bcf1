#pragma once

// The task model: task and rule records, the rule engine, the readable text of a rule and the XML
// form of the task database. Plain value records with free routines; every copy is independent.

#include "tasks/TaskErrors.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace pugi {
class xml_node;
}

// ---------------------------------------------------------------------------------------------
// Records

// A window handle: the 32-bit window id; 0 = no window.
using TWindowHandle = quint32;

// One line of a rule, a condition or an action.
struct TRelation {
    QString Type;
    QString Variable;
    QString Comparative;
    QString Value;

    bool operator==(const TRelation&) const = default;
};

using TCodeRelation = QList<TRelation>;

// One rule: when all conditions hold, do the actions.
struct TCode {
    TCodeRelation Conditions;
    TCodeRelation Actions;

    bool operator==(const TCode&) const = default;
};

using TScript = QList<TCode>;

// One task: one top-level window of a running program. The previous values are those left by the
// task's previous check.
struct TTask {
    QString PrevName;
    TWindowHandle PrevHandle = 0;
    int PrevTrust = 0;
    QString PrevParrent;
    QString PrevClass;
    int PrevProcessId = 0;
    QString PrevExecutable;
    QString PrevStatus; // empty: there is no previous status
    bool PrevSuspended = false;
    int PrevMemory = 0;
    bool PrevResponding = true;

    QString Name;             // the window's title; the task's key in the task list
    TWindowHandle Handle = 0; // 0: not running
    int Trust = 0;
    QString Parrent;
    QString Class;
    int ProcessId = 0;
    QString Executable;
    QString Status; // "Inactive": not running
    bool Suspended = false;
    int Memory = 0; // megabytes
    bool Responding = true;
    // The processes stopped for the task, whichever window it shows: Resume resumes exactly these,
    // and Suspended holds while one of them keeps its window. Not saved: a later run knows none.
    QList<int> StoppedProcesses;

    TScript Code;

    bool KillRequested = false;
    bool SuspendRequested = false;
    bool ResumeRequested = false;
    QString Notification; // pending notice; empty: none
    int TrustChange = 0;  // pending change of trust; 0: none

    bool operator==(const TTask&) const = default;
};

using TTaskArray = QList<TTask>;

// Every task the system knows, in the order first seen or loaded.
extern TTaskArray Tasks;
// Holds the global script; its other fields hold the last task the global script ran for.
extern TTask EveryTask;
// The rule engine's register; written only by the engine, never reset while the program runs.
extern QString LastCalculationResult;

// Texts with a meaning of their own inside rule records, always compared exactly.
inline const QString ExecuteActionMarker = QStringLiteral("!!!Execute Action!!!");
inline const QString LastCalculationResultMarker = QStringLiteral("!!!Last Calculation Result!!!");
inline const QString PreviousVariableValueMarker = QStringLiteral("!!!Previous Variable Value!!!");

// The name of the record that holds the global script.
inline const QString EveryTaskName = QStringLiteral("Every Task");

// Upper-cases the letters a to z only; every other character stays as it is. Rule types, action
// names and the Boolean test compare through this, never through locale-aware folding.
QString UpperCaseAZ(const QString& Text);

// ---------------------------------------------------------------------------------------------
// Relations and codes

void ClearRelation(TRelation& R);
QString GetRelationType(const TRelation& R);
QString GetRelationVariable(const TRelation& R);
QString GetRelationComparative(const TRelation& R);
QString GetRelationValue(const TRelation& R);
void SetRelation(TRelation& R, const QString& Type, const QString& Variable, const QString& Comparative,
                 const QString& Value);

void ClearCode(TCode& C);
int ConditionCount(const TCode& C);
int ActionCount(const TCode& C);
void AppendCondition(TCode& C, const QString& Type, const QString& Variable, const QString& Comparative,
                     const QString& Value);
void AppendAction(TCode& C, const QString& Type, const QString& Variable, const QString& Comparative,
                  const QString& Value);
// Replace relation Index when it exists; any other Index changes nothing.
void SetCondition(TCode& C, const QString& Type, const QString& Variable, const QString& Comparative,
                  const QString& Value, int Index);
void SetAction(TCode& C, const QString& Type, const QString& Variable, const QString& Comparative,
               const QString& Value, int Index);
// A copy of relation Index; the empty relation when there is none.
TRelation GetCondition(const TCode& C, int Index);
TRelation GetAction(const TCode& C, int Index);
void CopyCode(TCode& Dest, const TCode& Src);
void CopyScript(TScript& Dest, const TScript& Src);

// ---------------------------------------------------------------------------------------------
// Tasks

void ClearTask(TTask& T);
void RememberTaskValues(TTask& T);
// True when the previous values are the current ones: RememberTaskValues would change nothing.
bool TaskValuesRemembered(const TTask& T);
bool TaskNameChanged(const TTask& T);
bool TaskStatusChanged(const TTask& T);
QString PreviousTaskStatus(const TTask& T);
// Dest takes every field of Src but the script; Dest and Src may be the same record.
void AssignTaskState(TTask& Dest, const TTask& Src);
// Index in Tasks of the first task matching by name (or parent application) or else by a handle
// other than 0; -1 when none does.
int FindTask(const QString& Name, TWindowHandle Handle);
int FindTaskByParrent(const QString& Parrent, TWindowHandle Handle);

// ---------------------------------------------------------------------------------------------
// Rule engine

// Runs the task's own script against the task; actions change its fields. Raises EConvertError,
// EDivByZero or EIntOverflow, ending the run at that relation.
void RunTaskScript(TTask& Task);
bool CompareRelation(const TRelation& R, const QString& Current, const QString& Previous);
int CalculateRelation(const TRelation& R, const QString& Current, const QString& Previous);
QString MergeRelation(const TRelation& R, const QString& Current, const QString& Previous);
// Signed 32-bit decimal, or a 32-bit hex pattern after "$", "x" or "0x"; empty gives 0. Raises
// EConvertError "'<text>' is not a valid integer value".
int TextToInt(const QString& Text);
bool TextIsTrue(const QString& Text);

// The register holds at most this many UTF-16 units; a longer merge result is cut there.
inline constexpr qsizetype MaxCalculationResultLength = 64 * 1024;

// ---------------------------------------------------------------------------------------------
// Rule text

QString CodeToText(const TCode& Code);
QString OperatorDisplayText(const QString& Type, const QString& Comparative);
QString ValueDisplayText(const QString& Text);
QString BoolToText(bool B);

// ---------------------------------------------------------------------------------------------
// Task database

// Adds the "Information", "Description" and "Code" children of one task to a "Task" element.
void SaveTaskToXml(const TTask& Task, pugi::xml_node Element);
// Clears the task and reads it from a "Task" element. Raises EConvertError for a missing or
// unconvertible attribute.
void LoadTaskFromXml(TTask& Task, pugi::xml_node Element);

// Writes the global record and every task to the file at Path, replacing it as a whole. False,
// with no file touched, when TaskList is empty. Raises ETaskDatabaseError when writing fails; the
// previous file then stays as it was.
bool SaveTaskDatabase(const QString& Path, const TTaskArray& TaskList, const TTask& Every);
// Reads the file at Path: TaskList becomes the file's tasks and Every the file's "Every Task"
// element when there is one. False when there is no file. Raises ETaskDatabaseError or
// EConvertError when the file cannot be read; neither record is changed then.
bool LoadTaskDatabase(const QString& Path, TTaskArray& TaskList, TTask& Every);
