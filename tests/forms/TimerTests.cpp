// Timers fire on the message loop while enabled; tests wait for them with a bounded loop.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/forms/Application.h"
#include "platform/forms/TestSeams.h"
#include "platform/forms/Timer.h"

namespace {

// Runs the message loop until done() or until timeoutMs have passed; true when done() held.
template <class Done> bool RunUntil(Done done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

} // namespace

TEST(Timer, an_enabled_timer_runs_on_timer_repeatedly_with_itself_as_sender) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, &timer);
        ++ticks;
    };
    timer.SetInterval(5);
    EXPECT_TRUE(RunUntil([&] { return ticks >= 3; }, 2000));
}

TEST(Timer, a_disabled_timer_stays_silent_until_enabled) {
    TTimer timer(nullptr);
    timer.SetEnabled(false);
    timer.SetInterval(1);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) { ++ticks; };
    RunUntil([] { return false; }, 30);
    EXPECT_EQ(ticks, 0);
    timer.SetEnabled(true);
    EXPECT_TRUE(RunUntil([&] { return ticks >= 1; }, 2000));
    timer.SetEnabled(false);
    const int stopped = ticks;
    RunUntil([] { return false; }, 30);
    EXPECT_EQ(ticks, stopped);
}

TEST(Timer, a_new_timer_is_enabled_with_a_second_interval) {
    TTimer timer(nullptr);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
}

TEST(Timer, an_interval_of_zero_stops_the_timer) {
    TTimer timer(nullptr);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) { ++ticks; };
    timer.SetInterval(0);
    RunUntil([] { return false; }, 30);
    EXPECT_EQ(ticks, 0);
}

TEST(Timer, an_exception_in_on_timer_is_shown_and_the_timer_keeps_running) {
    ScopedMessageBoxRecorder boxes;
    TTimer timer(nullptr);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) {
        ++ticks;
        throw Exception("tick failed");
    };
    timer.SetInterval(5);
    EXPECT_TRUE(RunUntil([&] { return ticks >= 2; }, 2000));
    timer.SetEnabled(false);
    ASSERT_GE(boxes.Messages().size(), 2u);
    EXPECT_EQ(boxes.Messages()[0].text, "tick failed.");
}
