#pragma once

// The task library's string results and window list in the program's own terms.

#include "libraries/Brevant.h"
#include "tasks/TaskClasses.h"

#include <QString>
#include <algorithm>

class QListWidget;

// Writes a string result of the library into `target` unless it holds that text already, so that
// an unchanged value costs no allocation. A first buffer too small is followed by a second call
// with the full length. `call`(buffer, capacity) returns the result's full length.
template <typename Call> void AssignLibraryText(QString& target, Call&& call)
{
    constexpr int32_t Small = 128;
    char16_t buffer[Small];
    const int32_t length = call(buffer, Small);
    if (length <= Small) {
        const QStringView text(buffer, std::max(length, 0));
        if (target != text)
            target = text.toString();
        return;
    }
    QString text(length, Qt::Uninitialized);
    const int32_t again = call(reinterpret_cast<char16_t*>(text.data()), length);
    text.truncate(std::clamp(again, 0, length));
    target = text;
}

template <typename Call> QString LibraryText(Call&& call)
{
    QString text;
    AssignLibraryText(text, std::forward<Call>(call));
    return text;
}

// A window list as the library sees it: items of (title, window) in a list box, the window kept as
// the item's user data.
BrevantWindowList WindowListOf(QListWidget* list);
TWindowHandle ItemWindow(const QListWidget* list, int index);
// A refill of a window list: between the two calls the list's items are the windows added since
// the start, written over the old items in place; the end removes the old items left over.
void BeginWindowList();
void EndWindowList(QListWidget* list);

QString StatusString(const QString& name, TWindowHandle wnd, const BrevantWindowList& list);
void AssignStatusString(QString& target, const QString& name, TWindowHandle wnd,
                        const BrevantWindowList& list);
void AssignParentAppName(QString& target, TWindowHandle wnd);
QString ParentAppNameText(TWindowHandle wnd);
QString HandleToClassText(TWindowHandle wnd);
// The window's title; a memory monitor's name of its window.
QString HandleToNameText(TWindowHandle wnd);
QString GetWindowStatusText(TWindowHandle wnd);
