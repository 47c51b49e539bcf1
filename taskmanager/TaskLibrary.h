#pragma once

// The task library's string results and window list in the program's own terms.

#include "libraries/Brevant.h"
#include "tasks/TaskClasses.h"

#include <QString>
#include <algorithm>

class QListWidget;

// A string result of the library: asked again with a buffer of the full length when the first
// buffer was too small. `call`(buffer, capacity) returns the result's full length.
template <typename Call> QString LibraryText(Call&& call)
{
    constexpr int32_t Small = 128;
    char16_t buffer[Small];
    const int32_t length = call(buffer, Small);
    if (length <= Small)
        return QString(reinterpret_cast<const QChar*>(buffer), std::max(length, 0));
    QString text(length, Qt::Uninitialized);
    const int32_t again = call(reinterpret_cast<char16_t*>(text.data()), length);
    text.truncate(std::clamp(again, 0, length));
    return text;
}

// A window list as the library sees it: items of (title, window) in a list box, the window kept as
// the item's user data.
BrevantWindowList WindowListOf(QListWidget* list);
TWindowHandle ItemWindow(const QListWidget* list, int index);

QString StatusString(const QString& name, TWindowHandle wnd, const BrevantWindowList& list);
QString ParentAppNameText(TWindowHandle wnd);
QString HandleToClassText(TWindowHandle wnd);
QString HandleToNameText(TWindowHandle wnd);
QString GetWindowStatusText(TWindowHandle wnd);
