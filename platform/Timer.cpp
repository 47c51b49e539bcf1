#include "platform/Timer.h"

#include "platform/ErrorGuard.h"

TTimer::TTimer(QObject* owner, int interval, bool enabled)
    : QObject(owner)
{
    // A child, so that tests can reach the clock and expire it.
    timer_.setParent(this);
    timer_.setInterval(interval);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TTimer::Expired);
    SetEnabled(enabled);
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    ++generation_;
    tickPosted_ = false;
    if (enabled)
        timer_.start();
    else
        timer_.stop();
}

void TTimer::SetInterval(int interval)
{
    // Qt restarts a running timer on a new interval.
    timer_.setInterval(interval);
}

void TTimer::Expired()
{
    // One tick at a time waits in the queue; a slow handler does not pile ticks up.
    if (tickPosted_)
        return;
    tickPosted_ = true;
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this, [this, generation] { RunPostedTick(generation); }, Qt::QueuedConnection);
}

void TTimer::RunPostedTick(unsigned generation)
{
    if (generation != generation_ || !enabled_)
        return;
    tickPosted_ = false;
    if (OnTimer)
        Guarded(OnTimer);
}
