#include "taskmanager/TaskLibrary.h"

#include "taskmanager/TaskWindow.h"

#include <QListWidget>
#include <cstring>

namespace {

QListWidget* ListOf(void* context)
{
    return static_cast<QListWidget*>(context);
}

// Items filled so far by the refill under way; -1 when none is.
int filled = -1;

void AddItem(void* context, const char16_t* title, int32_t titleLength, BrevantWindow window)
{
    QListWidget* list = ListOf(context);
    const QStringView text(title, title != nullptr ? std::max(titleLength, 0) : 0);
    // During a refill the items are written over in place: an unchanged display costs nothing.
    QListWidgetItem* item = filled >= 0 ? list->item(filled) : nullptr;
    if (item == nullptr) {
        item = new QListWidgetItem(text.toString());
        item->setData(Qt::UserRole, window);
        list->addItem(item);
    } else {
        if (item->text() != text)
            item->setText(text.toString());
        if (item->data(Qt::UserRole).toUInt() != window)
            item->setData(Qt::UserRole, window);
    }
    if (filled >= 0)
        ++filled;
}

int32_t ItemCount(void* context)
{
    return filled >= 0 ? filled : ListOf(context)->count();
}

BrevantWindow WindowOfItem(void* context, int32_t index)
{
    return ItemWindow(ListOf(context), index);
}

int32_t ItemTitle(void* context, int32_t index, char16_t* buffer, int32_t capacity)
{
    const QListWidgetItem* item = ListOf(context)->item(index);
    if (item == nullptr)
        return 0;
    const QString title = item->text();
    const auto length = static_cast<int32_t>(title.size());
    if (buffer != nullptr && capacity > 0)
        std::memcpy(buffer, title.utf16(),
                    sizeof(char16_t) * static_cast<size_t>(std::min(length, capacity)));
    return length;
}

const char16_t* Units(const QString& text)
{
    return reinterpret_cast<const char16_t*>(text.utf16());
}

} // namespace

BrevantWindowList WindowListOf(QListWidget* list)
{
    return BrevantWindowList{list, AddItem, ItemCount, WindowOfItem, ItemTitle};
}

void BeginWindowList()
{
    filled = 0;
}

void EndWindowList(QListWidget* list)
{
    for (int index = list->count() - 1; index >= filled; --index)
        delete list->takeItem(index);
    filled = -1;
}

TWindowHandle ItemWindow(const QListWidget* list, int index)
{
    const QListWidgetItem* item = list->item(index);
    return item != nullptr ? item->data(Qt::UserRole).toUInt() : 0;
}

void AssignStatusString(QString& target, const QString& name, TWindowHandle wnd,
                        const BrevantWindowList& list)
{
    AssignLibraryText(target, [&](char16_t* buffer, int32_t capacity) {
        return getStatusString(Units(name), static_cast<int32_t>(name.size()), wnd, &list, buffer, capacity);
    });
}

QString StatusString(const QString& name, TWindowHandle wnd, const BrevantWindowList& list)
{
    QString status;
    AssignStatusString(status, name, wnd, list);
    return status;
}

void AssignParentAppName(QString& target, TWindowHandle wnd)
{
    AssignLibraryText(
        target, [wnd](char16_t* buffer, int32_t capacity) { return ParentAppName(wnd, buffer, capacity); });
}

QString ParentAppNameText(TWindowHandle wnd)
{
    QString parent;
    AssignParentAppName(parent, wnd);
    return parent;
}

QString HandleToClassText(TWindowHandle wnd)
{
    return LibraryText(
        [wnd](char16_t* buffer, int32_t capacity) { return HandleToClass(wnd, buffer, capacity); });
}

QString HandleToNameText(TWindowHandle wnd)
{
    return LibraryText(
        [wnd](char16_t* buffer, int32_t capacity) { return HandleToName(wnd, buffer, capacity); });
}

QString GetWindowStatusText(TWindowHandle wnd)
{
    return LibraryText(
        [wnd](char16_t* buffer, int32_t capacity) { return GetWindowStatus(wnd, buffer, capacity); });
}
