#pragma once

#include "platform/Form.h"

#include "libraries/Brevant.h"

// Entry points of the task library, bound at start.
extern TEnumWindowsVisible EnumWindowsVisible;
extern TEnumWindowsHidden EnumWindowsHidden;
extern TEnumWindowsAll EnumWindowsAll;
extern THandleToName HandleToName;
extern THandleToID HandleToID;
extern THandleToClass HandleToClass;
extern TParentAppName ParentAppName;
extern TcompareHWNDAndApps compareHWNDAndApps;
extern TtaskInList taskInList;
extern TgetStatusString getStatusString;
extern THandleKill HandleKill;
extern THandleSuspend HandleSuspend;
extern THandleResume HandleResume;
extern THandleSuspendParent HandleSuspendParent;
extern THandleResumeParent HandleResumeParent;
extern THandleMemorySize HandleMemorySize;
extern THandleResponding HandleResponding;
extern TGetWindowStatus GetWindowStatus;

class TVelmoraTask : public TForm {
    Q_OBJECT
public:
    explicit TVelmoraTask(QWidget* parent = nullptr);

private:
    void BuildForm();
};

extern TVelmoraTask* VelmoraTask;
