#include "taskmanager/TaskLibrary.h"

#include "taskmanager/TaskWindow.h"

#include <QListWidget>
#include <cstring>

namespace {

QListWidget* ListOf(void* context)
{
    return static_cast<QListWidget*>(context);
}

void AddItem(void* context, const char16_t* title, int32_t titleLength, BrevantWindow window)
{
    auto* item = new QListWidgetItem(
        QString(reinterpret_cast<const QChar*>(title), title != nullptr ? std::max(titleLength, 0) : 0));
    item->setData(Qt::UserRole, window);
    ListOf(context)->addItem(item);
}

int32_t ItemCount(void* context)
{
    return ListOf(context)->count();
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

TWindowHandle ItemWindow(const QListWidget* list, int index)
{
    const QListWidgetItem* item = list->item(index);
    return item != nullptr ? item->data(Qt::UserRole).toUInt() : 0;
}

QString StatusString(const QString& name, TWindowHandle wnd, const BrevantWindowList& list)
{
    return LibraryText([&](char16_t* buffer, int32_t capacity) {
        return getStatusString(Units(name), static_cast<int32_t>(name.size()), wnd, &list, buffer, capacity);
    });
}

QString ParentAppNameText(TWindowHandle wnd)
{
    return LibraryText(
        [wnd](char16_t* buffer, int32_t capacity) { return ParentAppName(wnd, buffer, capacity); });
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
