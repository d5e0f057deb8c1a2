#include "core/TimerClass.h"

#include "platform/runtime/Clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

constexpr int64_t kMicrosecondsPerHundredth = 10000;

// Every test runs on a test clock and moves it by hand; nothing sleeps.
class Stopwatch : public testing::Test {
protected:
    void SetUp() override {
        rt::SetTestMonotonicClock(1000 * 1000000LL);
        rt::SetTestWallClock(1710007507LL * 1000000);
    }
    void TearDown() override { rt::UseSystemClocks(); }
    static void Pass(int64_t hundredths) { rt::AdvanceTestClocks(hundredths * kMicrosecondsPerHundredth); }
};

TEST_F(Stopwatch, StartsStoppedAtZero) {
    TimerClass timer;
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_TRUE(timer.IsZero());
    EXPECT_EQ(timer.Elapsed(), 0);
    Pass(500);
    EXPECT_EQ(timer.Elapsed(), 0);
}

TEST_F(Stopwatch, StartFromANegativeOffsetCountsUpThroughZero) {
    TimerClass timer;
    timer.Start(-500);
    EXPECT_TRUE(timer.IsRunning());
    EXPECT_FALSE(timer.IsZero());
    EXPECT_EQ(timer.Elapsed(), -500);
    Pass(499);
    EXPECT_EQ(timer.Elapsed(), -1);
    Pass(2);
    EXPECT_EQ(timer.Elapsed(), 1);
}

TEST_F(Stopwatch, StartOnARunningTimerDoesNotApplyTheOffsetAgain) {
    TimerClass timer;
    timer.Start(100);
    Pass(50);
    timer.Start(-9000);
    EXPECT_EQ(timer.Elapsed(), 150);
}

TEST_F(Stopwatch, CountsOnlyTheRunningSpans) {
    TimerClass timer;
    timer.Start(0);
    Pass(300);
    timer.Pause();
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_EQ(timer.accumulated, 300);
    Pass(1000);
    EXPECT_EQ(timer.Elapsed(), 300);
    timer.Resume();
    Pass(200);
    EXPECT_EQ(timer.Elapsed(), 500);
    timer.Pause();
    EXPECT_EQ(timer.accumulated, 500);
    Pass(77);
    EXPECT_EQ(timer.Elapsed(), 500);
}

TEST_F(Stopwatch, CommandsInTheWrongStateChangeNothing) {
    TimerClass timer;
    timer.Pause();
    EXPECT_TRUE(timer.IsZero());
    timer.Start(0);
    Pass(100);
    timer.Resume();
    EXPECT_EQ(timer.Elapsed(), 100) << "a resume while running must not restart the span";
    timer.Pause();
    Pass(100);
    timer.Pause();
    EXPECT_EQ(timer.Elapsed(), 100);
}

TEST_F(Stopwatch, ResetStopsAtTheGivenValue) {
    TimerClass timer;
    timer.Start(0);
    Pass(100);
    timer.Reset(1234);
    EXPECT_FALSE(timer.IsRunning());
    EXPECT_FALSE(timer.IsZero());
    EXPECT_EQ(timer.Elapsed(), 1234);
    EXPECT_EQ(timer.start, 0);
    timer.Reset(0);
    EXPECT_TRUE(timer.IsZero());
}

TEST_F(Stopwatch, PausedAtZeroIsTheReadyState) {
    TimerClass timer;
    timer.Start(0);
    EXPECT_FALSE(timer.IsZero());
    timer.Pause();
    EXPECT_TRUE(timer.IsZero());
}

TEST_F(Stopwatch, AnAssignedCopyRunsOnItsOwn) {
    TimerClass source;
    source.Start(0);
    Pass(100);
    TimerClass copy;
    copy.Assign(source);
    source.Pause();
    Pass(100);
    EXPECT_TRUE(copy.IsRunning());
    EXPECT_EQ(copy.Elapsed(), 200);
    EXPECT_EQ(source.Elapsed(), 100);
}

TEST_F(Stopwatch, ChangingTheSystemClockDoesNotChangeTheRun) {
    TimerClass timer;
    timer.Start(0);
    Pass(1000);
    rt::AdvanceTestWallClock(-3600LL * 1000000);
    EXPECT_EQ(timer.Elapsed(), 1000);
    rt::AdvanceTestWallClock(86400LL * 1000000);
    EXPECT_EQ(timer.Elapsed(), 1000);
    timer.Pause();
    EXPECT_EQ(timer.Elapsed(), 1000);
}

TEST_F(Stopwatch, MeasuresAcrossTheWrapOfTheStamps) {
    // Stamps 100 hundredths before 2^32, and 50 before 2^31 where the signed value turns over.
    for (int64_t stamp : {(1LL << 32) - 100, (1LL << 31) - 50}) {
        rt::SetTestMonotonicClock(stamp * kMicrosecondsPerHundredth);
        TimerClass timer;
        timer.Start(-200);
        Pass(300);
        EXPECT_EQ(timer.Elapsed(), 100) << stamp;
        timer.Pause();
        Pass(1000);
        timer.Resume();
        Pass(250);
        EXPECT_EQ(timer.Elapsed(), 350) << stamp;
    }
}

TEST_F(Stopwatch, StampsTruncateToHundredthsAndWrapIn32Bits) {
    rt::SetTestMonotonicClock(999999);
    EXPECT_EQ(NowCentiseconds(), 99);
    rt::SetTestMonotonicClock(1000000);
    EXPECT_EQ(NowCentiseconds(), 100);
    rt::AdvanceTestMonotonicClock(9999);
    EXPECT_EQ(NowCentiseconds(), 100) << "two reads within one hundredth agree";
    rt::SetTestMonotonicClock(((1LL << 32) + 7) * kMicrosecondsPerHundredth);
    EXPECT_EQ(NowCentiseconds(), 7);
    rt::SetTestMonotonicClock((1LL << 31) * kMicrosecondsPerHundredth);
    EXPECT_EQ(NowCentiseconds(), INT32_MIN);
}

TEST_F(Stopwatch, TimeOfDayReadsTheWallClock) {
    rt::SetTestWallClock(1710007507LL * 1000000 + 250000);
    TimeValRecord now;
    EXPECT_EQ(GetTimeOfDay(&now, nullptr), 0);
    EXPECT_EQ(now.tv_sec, 1710007507);
    EXPECT_EQ(now.tv_usec, 250000);
    EXPECT_EQ(GetTimeOfDay(nullptr, nullptr), 0);
}

TEST_F(Stopwatch, TimeOfDayGivesTheZoneWhenAsked) {
    const char* saved = std::getenv("TZ");
    const std::string previous = saved != nullptr ? saved : "";
    setenv("TZ", "EST5", 1);
    tzset();
    TimeZoneRecord zone;
    EXPECT_EQ(GetTimeOfDay(nullptr, &zone), 0);
    EXPECT_EQ(zone.tz_minuteswest, 300);
    EXPECT_EQ(zone.tz_dsttime, 0);
    if (saved != nullptr) {
        setenv("TZ", previous.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

} // namespace
