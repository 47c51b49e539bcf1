#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>

class QSystemTrayIcon;

// LParam codes of the icon's callback message.
constexpr int WM_LBUTTONDBLCLK = 0x203;
constexpr int WM_RBUTTONDOWN = 0x204;

// The icon in the desktop's notification area. Double-clicks and the context request reach
// `OnMessage` as the LParam codes above, posted: each runs after the icon's own event is over, so
// it may remove the icon. Nothing else reaches it.
class TNotifyIcon : public QObject {
    Q_OBJECT
public:
    explicit TNotifyIcon(QObject* owner);
    ~TNotifyIcon() override;

    QIcon Icon;
    QString Tip;
    std::function<void(int lparam)> OnMessage;

    void Add();
    void Delete();
    bool Shown() const;
    // Whether the desktop has a notification area at all.
    static bool Available();

private:
    QSystemTrayIcon* icon_ = nullptr;
};
