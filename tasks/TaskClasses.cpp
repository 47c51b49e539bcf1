#include "tasks/TaskClasses.h"

TTaskArray Tasks;
TTask EveryTask;
QString LastCalculationResult;

QString UpperCaseAZ(const QString& Text)
{
    QString result = Text;
    for (QChar& unit : result) {
        const char16_t c = unit.unicode();
        if (c >= u'a' && c <= u'z')
            unit = QChar(char16_t(c - (u'a' - u'A')));
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Relations and codes

void ClearRelation(TRelation& R)
{
    R = TRelation();
}

QString GetRelationType(const TRelation& R)
{
    return R.Type;
}

QString GetRelationVariable(const TRelation& R)
{
    return R.Variable;
}

QString GetRelationComparative(const TRelation& R)
{
    return R.Comparative;
}

QString GetRelationValue(const TRelation& R)
{
    return R.Value;
}

void SetRelation(TRelation& R, const QString& Type, const QString& Variable, const QString& Comparative,
                 const QString& Value)
{
    R.Type = Type;
    R.Variable = Variable;
    R.Comparative = Comparative;
    R.Value = Value;
}

namespace {

void SetListRelation(TCodeRelation& list, const QString& Type, const QString& Variable,
                     const QString& Comparative, const QString& Value, int Index)
{
    if (Index < 0 || Index >= list.size())
        return;
    SetRelation(list[Index], Type, Variable, Comparative, Value);
}

TRelation GetListRelation(const TCodeRelation& list, int Index)
{
    if (Index < 0 || Index >= list.size())
        return TRelation();
    return list[Index];
}

} // namespace

void ClearCode(TCode& C)
{
    C.Conditions.clear();
    C.Actions.clear();
}

int ConditionCount(const TCode& C)
{
    return int(C.Conditions.size());
}

int ActionCount(const TCode& C)
{
    return int(C.Actions.size());
}

void AppendCondition(TCode& C, const QString& Type, const QString& Variable, const QString& Comparative,
                     const QString& Value)
{
    C.Conditions.append(TRelation{Type, Variable, Comparative, Value});
}

void AppendAction(TCode& C, const QString& Type, const QString& Variable, const QString& Comparative,
                  const QString& Value)
{
    C.Actions.append(TRelation{Type, Variable, Comparative, Value});
}

void SetCondition(TCode& C, const QString& Type, const QString& Variable, const QString& Comparative,
                  const QString& Value, int Index)
{
    SetListRelation(C.Conditions, Type, Variable, Comparative, Value, Index);
}

void SetAction(TCode& C, const QString& Type, const QString& Variable, const QString& Comparative,
               const QString& Value, int Index)
{
    SetListRelation(C.Actions, Type, Variable, Comparative, Value, Index);
}

TRelation GetCondition(const TCode& C, int Index)
{
    return GetListRelation(C.Conditions, Index);
}

TRelation GetAction(const TCode& C, int Index)
{
    return GetListRelation(C.Actions, Index);
}

// The lists are values: a plain copy shares nothing that a later change could reach.
void CopyCode(TCode& Dest, const TCode& Src)
{
    Dest = Src;
}

void CopyScript(TScript& Dest, const TScript& Src)
{
    Dest = Src;
}

// ---------------------------------------------------------------------------------------------
// Tasks

void ClearTask(TTask& T)
{
    T = TTask();
}

void RememberTaskValues(TTask& T)
{
    T.PrevName = T.Name;
    T.PrevHandle = T.Handle;
    T.PrevTrust = T.Trust;
    T.PrevParrent = T.Parrent;
    T.PrevClass = T.Class;
    T.PrevProcessId = T.ProcessId;
    T.PrevExecutable = T.Executable;
    T.PrevStatus = T.Status;
    T.PrevSuspended = T.Suspended;
    T.PrevMemory = T.Memory;
    T.PrevResponding = T.Responding;
}

bool TaskValuesRemembered(const TTask& T)
{
    return T.PrevHandle == T.Handle && T.PrevTrust == T.Trust && T.PrevProcessId == T.ProcessId &&
           T.PrevSuspended == T.Suspended && T.PrevMemory == T.Memory && T.PrevResponding == T.Responding &&
           T.PrevName == T.Name && T.PrevStatus == T.Status && T.PrevExecutable == T.Executable &&
           T.PrevParrent == T.Parrent && T.PrevClass == T.Class;
}

bool TaskNameChanged(const TTask& T)
{
    // A task read from the database has no previous name: the first check that finds it running
    // counts as a name change, the one notice (and hold) a distrusted program running before that
    // check gets.
    return T.Name != T.PrevName;
}

bool TaskStatusChanged(const TTask& T)
{
    return !T.PrevStatus.isEmpty() && T.Status != T.PrevStatus;
}

QString PreviousTaskStatus(const TTask& T)
{
    return T.PrevStatus;
}

void AssignTaskState(TTask& Dest, const TTask& Src)
{
    if (&Dest == &Src)
        return;
    // Everything but the script: the global record keeps its own script while it takes a task's
    // values.
    TScript code = std::move(Dest.Code);
    Dest = Src;
    Dest.Code = std::move(code);
}

namespace {

template <typename Field> int FindTaskBy(Field field, const QString& text, TWindowHandle Handle)
{
    for (qsizetype i = 0; i < Tasks.size(); ++i) {
        const TTask& task = Tasks.at(i);
        if (task.*field == text || (Handle != 0 && task.Handle == Handle))
            return int(i);
    }
    return -1;
}

} // namespace

int FindTask(const QString& Name, TWindowHandle Handle)
{
    return FindTaskBy(&TTask::Name, Name, Handle);
}

int FindTaskByParrent(const QString& Parrent, TWindowHandle Handle)
{
    return FindTaskBy(&TTask::Parrent, Parrent, Handle);
}
