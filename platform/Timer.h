#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// A timer like the class library's: its handler may run again inside a message loop that the
// handler itself opens (a message box, a wait). Qt never re-enters a timer whose slot is still
// running, so each expiry only posts the tick, and the posted tick runs the handler. Switching the
// timer off also drops a tick already posted.
class TTimer : public QObject {
    Q_OBJECT
public:
    TTimer(QObject* owner, int interval, bool enabled);

    std::function<void()> OnTimer;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return timer_.interval(); }
    // A running timer starts its new period from now, as the class library's does.
    void SetInterval(int interval);

private:
    void Expired();
    void RunPostedTick(unsigned generation);

    QTimer timer_;
    bool enabled_ = false;
    bool tickPosted_ = false;
    unsigned generation_ = 0;
};
