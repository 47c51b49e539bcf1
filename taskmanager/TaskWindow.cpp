#include "taskmanager/TaskWindow.h"

TVelmoraTask* VelmoraTask = nullptr;
TEnumWindowsVisible EnumWindowsVisible = nullptr;
TEnumWindowsHidden EnumWindowsHidden = nullptr;
TEnumWindowsAll EnumWindowsAll = nullptr;
THandleToName HandleToName = nullptr;
THandleToID HandleToID = nullptr;
THandleToClass HandleToClass = nullptr;
TParentAppName ParentAppName = nullptr;
TcompareHWNDAndApps compareHWNDAndApps = nullptr;
TtaskInList taskInList = nullptr;
TgetStatusString getStatusString = nullptr;
THandleKill HandleKill = nullptr;
THandleSuspend HandleSuspend = nullptr;
THandleResume HandleResume = nullptr;
THandleSuspendParent HandleSuspendParent = nullptr;
THandleResumeParent HandleResumeParent = nullptr;
THandleMemorySize HandleMemorySize = nullptr;
THandleResponding HandleResponding = nullptr;
TGetWindowStatus GetWindowStatus = nullptr;

TVelmoraTask::TVelmoraTask(QWidget* parent)
    : TForm(parent)
{
    BuildForm();
}
