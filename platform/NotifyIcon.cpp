#include "platform/NotifyIcon.h"

#include "platform/ErrorGuard.h"

#include <QSystemTrayIcon>

TNotifyIcon::TNotifyIcon(QObject* owner)
    : QObject(owner)
{
}

TNotifyIcon::~TNotifyIcon() = default;

void TNotifyIcon::Add()
{
    if (icon_ == nullptr) {
        icon_ = new QSystemTrayIcon(this);
        connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            int lparam = 0;
            if (reason == QSystemTrayIcon::DoubleClick)
                lparam = WM_LBUTTONDBLCLK;
            else if (reason == QSystemTrayIcon::Context)
                lparam = WM_RBUTTONDOWN;
            // Posted, as the desktop posts the icon's message: a handler may remove the icon (the
            // menu's "Exit Velmora"), which must not happen while the icon's own event still runs.
            if (lparam != 0)
                QMetaObject::invokeMethod(
                    this,
                    [this, lparam] {
                        if (OnMessage)
                            Guarded([&] { OnMessage(lparam); });
                    },
                    Qt::QueuedConnection);
        });
    }
    icon_->setIcon(Icon);
    icon_->setToolTip(Tip);
    icon_->show();
}

void TNotifyIcon::Delete()
{
    if (icon_ != nullptr)
        icon_->hide();
}

bool TNotifyIcon::Shown() const
{
    return icon_ != nullptr && icon_->isVisible();
}

bool TNotifyIcon::Available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}
