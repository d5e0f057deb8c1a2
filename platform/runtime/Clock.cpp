#include "platform/runtime/Clock.h"

#include <atomic>
#include <ctime>

namespace rt {

namespace {

// A test clock is active while its flag is set; readers on other threads see either the system
// clock or a whole test value, never a torn one.
std::atomic<bool> testMonotonicActive{false};
std::atomic<int64_t> testMonotonic{0};
std::atomic<bool> testWallActive{false};
std::atomic<int64_t> testWall{0};

int64_t ReadClock(clockid_t id) {
    timespec ts{};
    clock_gettime(id, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void Advance(std::atomic<bool>& active, std::atomic<int64_t>& value, clockid_t id, int64_t microseconds) {
    // Advancing a clock that was not set yet starts it from the system's present reading.
    if (!active.load()) {
        value.store(ReadClock(id));
        active.store(true);
    }
    value.fetch_add(microseconds);
}

} // namespace

int64_t MonotonicMicroseconds() {
    if (testMonotonicActive.load()) {
        return testMonotonic.load();
    }
    return ReadClock(CLOCK_MONOTONIC);
}

int64_t WallClockMicroseconds() {
    if (testWallActive.load()) {
        return testWall.load();
    }
    return ReadClock(CLOCK_REALTIME);
}

void SetTestMonotonicClock(int64_t microseconds) {
    testMonotonic.store(microseconds);
    testMonotonicActive.store(true);
}

void AdvanceTestMonotonicClock(int64_t microseconds) {
    Advance(testMonotonicActive, testMonotonic, CLOCK_MONOTONIC, microseconds);
}

void SetTestWallClock(int64_t microsecondsSince1970) {
    testWall.store(microsecondsSince1970);
    testWallActive.store(true);
}

void AdvanceTestWallClock(int64_t microseconds) {
    Advance(testWallActive, testWall, CLOCK_REALTIME, microseconds);
}

void UseSystemClocks() {
    testMonotonicActive.store(false);
    testWallActive.store(false);
}

void AdvanceTestClocks(int64_t microseconds) {
    AdvanceTestMonotonicClock(microseconds);
    AdvanceTestWallClock(microseconds);
}

} // namespace rt
