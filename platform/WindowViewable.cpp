#include "platform/WindowViewable.h"

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <memory>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

bool WindowViewable(const QWidget& window)
{
#if QT_CONFIG(xcb)
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* c = x11 != nullptr ? x11->connection() : nullptr;
    const auto id = static_cast<xcb_window_t>(window.internalWinId());
    if (c == nullptr || xcb_connection_has_error(c) || id == 0)
        return true;
    const std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, id), nullptr), &std::free);
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
#else
    return true;
#endif
}
