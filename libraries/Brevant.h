/* Task component library "Libraries/Brevant.so": entry points, bound by name at start.
   A window is an X window id; 0 is no window. Strings are UTF-16: a string result is written into
   the caller's buffer (at most `capacity` units, no terminator) and its full length is returned, so
   a caller whose buffer was too small asks again with a larger one. */
#ifndef VELMORA_LIBRARIES_BREVANT_H
#define VELMORA_LIBRARIES_BREVANT_H

#include <stdbool.h>
#include <stdint.h>
#ifndef __cplusplus
#include <uchar.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t BrevantWindow;

/* The program's window list: items of (window title, window). */
typedef struct BrevantWindowList {
    void* context;
    /* Appends one item. */
    void (*add)(void* context, const char16_t* title, int32_t titleLength, BrevantWindow window);
    int32_t (*count)(void* context);
    BrevantWindow (*window)(void* context, int32_t index);
    /* Title of item `index`, written like a string result. */
    int32_t (*title)(void* context, int32_t index, char16_t* buffer, int32_t capacity);
} BrevantWindowList;

/* Enumeration callbacks: the program's enumeration calls one of them once per top-level window;
   it adds the window to the list when it qualifies and returns true to go on. All: every window;
   Visible: mapped windows only; Hidden: unmapped windows only. */
typedef bool (*TEnumWindowsVisible)(BrevantWindow window, const BrevantWindowList* list);
typedef bool (*TEnumWindowsHidden)(BrevantWindow window, const BrevantWindowList* list);
typedef bool (*TEnumWindowsAll)(BrevantWindow window, const BrevantWindowList* list);
/* The window's title; empty when the window does not exist. */
typedef int32_t (*THandleToName)(BrevantWindow window, char16_t* buffer, int32_t capacity);
/* Process id of the window's owner; 0 when unknown. */
typedef int32_t (*THandleToID)(BrevantWindow window);
/* The window's class. */
typedef int32_t (*THandleToClass)(BrevantWindow window, char16_t* buffer, int32_t capacity);
/* Name of the application owning the window; exactly "Desktop" for the desktop. */
typedef int32_t (*TParentAppName)(BrevantWindow window, char16_t* buffer, int32_t capacity);
/* True when both windows belong to the same application. */
typedef bool (*TcompareHWNDAndApps)(BrevantWindow first, BrevantWindow second);
/* True when an item of the list has exactly this title. */
typedef bool (*TtaskInList)(const char16_t* name, int32_t nameLength, const BrevantWindowList* list);
/* Status of a task: exactly "Inactive" when it is not running, else a status text. */
typedef int32_t (*TgetStatusString)(const char16_t* name, int32_t nameLength, BrevantWindow window,
                                    const BrevantWindowList* list, char16_t* buffer, int32_t capacity);
typedef void (*THandleKill)(BrevantWindow window);
typedef void (*THandleSuspend)(BrevantWindow window);
/* One resume undoes any number of suspends. */
typedef void (*THandleResume)(BrevantWindow window);
typedef void (*THandleSuspendParent)(BrevantWindow window);
typedef void (*THandleResumeParent)(BrevantWindow window);
/* Resident memory of the window's process in bytes. */
typedef uint64_t (*THandleMemorySize)(BrevantWindow window);
/* True when the window's application answers. */
typedef bool (*THandleResponding)(BrevantWindow window);
/* A short description of the window's state; may be empty. */
typedef int32_t (*TGetWindowStatus)(BrevantWindow window, char16_t* buffer, int32_t capacity);

/* Process-checked actions. The caller names the process it saw the window with (0: none known);
   the library reads the window's owner afresh and acts only while it is that process, so a window
   id the server has handed to another client reaches nothing. The safety rules of every signal
   hold. Kill ends the process or, where no signal may or can be sent (a process that only the
   window claims, a protected or vanished one, none at all), the window's X client connection. */
typedef void (*THandleKillOf)(BrevantWindow window, int32_t processId);
/* Stop the owner (ParentOf: the owner's family). The ids of the processes stopped are written into
   `stopped`, at most `capacity` of them; the full count is returned. */
typedef int32_t (*THandleSuspendOf)(BrevantWindow window, int32_t processId, int32_t* stopped,
                                    int32_t capacity);
typedef int32_t (*THandleSuspendParentOf)(BrevantWindow window, int32_t processId, int32_t* stopped,
                                          int32_t capacity);
/* Continues a process this library stopped, by its id: only while the id still names the very
   process that was stopped, never a later one given the same id. */
typedef void (*TProcessResume)(int32_t processId);

#ifdef BREVANT_IMPLEMENTATION
#define BREVANT_EXPORT __attribute__((visibility("default")))
BREVANT_EXPORT bool EnumWindowsVisible(BrevantWindow window, const BrevantWindowList* list);
BREVANT_EXPORT bool EnumWindowsHidden(BrevantWindow window, const BrevantWindowList* list);
BREVANT_EXPORT bool EnumWindowsAll(BrevantWindow window, const BrevantWindowList* list);
BREVANT_EXPORT int32_t HandleToName(BrevantWindow window, char16_t* buffer, int32_t capacity);
BREVANT_EXPORT int32_t HandleToID(BrevantWindow window);
BREVANT_EXPORT int32_t HandleToClass(BrevantWindow window, char16_t* buffer, int32_t capacity);
BREVANT_EXPORT int32_t ParentAppName(BrevantWindow window, char16_t* buffer, int32_t capacity);
BREVANT_EXPORT bool compareHWNDAndApps(BrevantWindow first, BrevantWindow second);
BREVANT_EXPORT bool taskInList(const char16_t* name, int32_t nameLength, const BrevantWindowList* list);
BREVANT_EXPORT int32_t getStatusString(const char16_t* name, int32_t nameLength, BrevantWindow window,
                                       const BrevantWindowList* list, char16_t* buffer, int32_t capacity);
BREVANT_EXPORT void HandleKill(BrevantWindow window);
BREVANT_EXPORT void HandleSuspend(BrevantWindow window);
BREVANT_EXPORT void HandleResume(BrevantWindow window);
BREVANT_EXPORT void HandleSuspendParent(BrevantWindow window);
BREVANT_EXPORT void HandleResumeParent(BrevantWindow window);
BREVANT_EXPORT uint64_t HandleMemorySize(BrevantWindow window);
BREVANT_EXPORT bool HandleResponding(BrevantWindow window);
BREVANT_EXPORT int32_t GetWindowStatus(BrevantWindow window, char16_t* buffer, int32_t capacity);
BREVANT_EXPORT void HandleKillOf(BrevantWindow window, int32_t processId);
BREVANT_EXPORT int32_t HandleSuspendOf(BrevantWindow window, int32_t processId, int32_t* stopped,
                                       int32_t capacity);
BREVANT_EXPORT int32_t HandleSuspendParentOf(BrevantWindow window, int32_t processId, int32_t* stopped,
                                             int32_t capacity);
BREVANT_EXPORT void ProcessResume(int32_t processId);
#endif

#ifdef __cplusplus
}
#endif

#endif
