#include "platform/Timer.h"
#include "platform/VelmoraError.h"
#include "platform/MessageBox.h"
#include "tests/support/MessageBoxRecorder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QTimerEvent>
#include <gtest/gtest.h>

namespace {

// Handles events until `done` holds; the deadline only keeps a broken timer from hanging the run.
template <typename Condition> bool ProcessUntil(Condition done)
{
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
}

TEST(TimerTest, AnotherTimerTicksInsideAMessageBoxOfATick)
{
    MessageBoxRecorder boxes;
    TTimer outer(nullptr, 1, false);
    TTimer inner(nullptr, 1, false);
    int innerTicks = 0;
    int innerTicksInsideBox = -1;
    boxes.WhileOpen = [&](const MessageBoxCall&) {
        inner.SetEnabled(true);
        ProcessUntil([&] { return innerTicks >= 3; });
        innerTicksInsideBox = innerTicks;
    };
    outer.OnTimer = [&] {
        outer.SetEnabled(false);
        MessageBox(nullptr, QStringLiteral("text"), QStringLiteral("caption"), TMsgButtons::OK,
                   TMsgIcon::None);
    };
    inner.OnTimer = [&] { ++innerTicks; };
    outer.SetEnabled(true);
    ASSERT_TRUE(ProcessUntil([&] { return boxes.Count() == 1 && innerTicksInsideBox >= 0; }));
    EXPECT_GE(innerTicksInsideBox, 3);
}

TEST(TimerTest, ATickRunsAgainInsideItsOwnMessageLoop)
{
    MessageBoxRecorder boxes;
    TTimer timer(nullptr, 1, true);
    int depth = 0;
    int deepest = 0;
    int ticks = 0;
    boxes.WhileOpen = [&](const MessageBoxCall&) { ProcessUntil([&] { return ticks >= 4; }); };
    timer.OnTimer = [&] {
        ++ticks;
        ++depth;
        deepest = std::max(deepest, depth);
        if (ticks == 1)
            MessageBox(nullptr, QStringLiteral("text"), QStringLiteral("caption"), TMsgButtons::OK,
                       TMsgIcon::None);
        --depth;
    };
    ASSERT_TRUE(ProcessUntil([&] { return ticks >= 4 && depth == 0; }));
    timer.SetEnabled(false);
    EXPECT_EQ(deepest, 2);
}

// Makes the timer expire now, as its interval running out would.
void Expire(TTimer& timer)
{
    auto* clock = timer.findChild<QTimer*>();
    ASSERT_NE(clock, nullptr);
    QTimerEvent expiry(clock->timerId());
    QCoreApplication::sendEvent(clock, &expiry);
}

TEST(TimerTest, SwitchingOffDropsAPostedTick)
{
    TTimer timer(nullptr, 60000, true);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    Expire(timer);
    timer.SetEnabled(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 0);

    timer.SetEnabled(true);
    Expire(timer);
    // A second expiry before the first tick ran does not queue a second tick.
    Expire(timer);
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 1);
    timer.SetEnabled(false);
}

TEST(TimerTest, ErrorInATickIsShownAndTheTimerGoesOn)
{
    MessageBoxRecorder boxes;
    TTimer timer(nullptr, 1, true);
    int ticks = 0;
    timer.OnTimer = [&] {
        if (++ticks == 1)
            throw EVelmoraError(QStringLiteral("Tick failed"));
    };
    ASSERT_TRUE(ProcessUntil([&] { return ticks >= 2; }));
    timer.SetEnabled(false);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].text, QStringLiteral("Tick failed."));
}

} // namespace
