#pragma once

#include "platform/VelmoraError.h"

#include <QObject>
#include <QString>
#include <concepts>
#include <exception>
#include <utility>

// The application's default error box: caption "Velmora", error icon, and a full stop after a
// message that does not end with one.
void ShowErrorBox(const QString& message);

// Runs one handler entered from Qt. An error escaping it ends only that handler and is shown in
// the default error box; nothing crosses Qt's event loop.
template <typename Handler> void Guarded(Handler&& handler) noexcept
{
    try {
        try {
            std::forward<Handler>(handler)();
        } catch (const EVelmoraError& error) {
            ShowErrorBox(error.Message());
        } catch (const std::exception& error) {
            ShowErrorBox(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            ShowErrorBox(QStringLiteral("Unknown error"));
        }
    } catch (...) {
        // The box itself failed (out of memory): nothing more can be shown.
    }
}

// connect() whose handler runs inside the guard.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection GuardedConnect(Sender* sender, Signal signal, const QObject* context, Handler handler)
{
    // Constrained, so that Qt can find how many of the signal's arguments the handler takes.
    return QObject::connect(
        sender, signal, context,
        [handler]<typename... Args>(Args && ... args) requires std::invocable<const Handler&, Args...> {
            Guarded([&] { handler(std::forward<Args>(args)...); });
        });
}
