#include "taskmanager/TaskResWindow.h"

#include "platform/Timer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

QString NoName(TWindowHandle)
{
    return {};
}

int NoSample(TWindowHandle)
{
    return 0;
}

template <typename Condition> bool ProcessUntil(Condition done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// With a window manager, minimising hides the window behind the program's back; the monitor must
// live on and keep sampling.
TEST(MonitorMinimiseTest, AMinimisedMonitorLivesOn)
{
    QPointer<TVelmoraTaskResource> monitor = new TVelmoraTaskResource;
    monitor->GetNameFunc = NoName;
    monitor->GetDescription = NoName;
    monitor->GetValue = NoSample;
    monitor->StartGraphing();
    ASSERT_TRUE(ProcessUntil([&] { return monitor->windowHandle()->isExposed(); }));

    monitor->showMinimized();
    ASSERT_TRUE(ProcessUntil([&] { return !monitor->windowHandle()->isExposed(); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(monitor.isNull());
    EXPECT_TRUE(monitor->GraphTimer->Enabled());

    monitor->showNormal();
    ASSERT_TRUE(ProcessUntil([&] { return monitor->windowHandle()->isExposed(); }));
    monitor->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(monitor.isNull());
}

} // namespace
