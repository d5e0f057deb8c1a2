#include "core/TimerClass.h"

#include "platform/runtime/Clock.h"

#include <ctime>
#include <mutex>

namespace {

int64_t FloorDiv(int64_t value, int64_t divisor) {
    int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

// Stamps and spans are wrapping 32-bit quantities: differences stay right across the wrap.
int32_t WrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

int32_t WrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

} // namespace

int GetTimeOfDay(TimeValRecord* tv, TimeZoneRecord* tz) {
    if (tv != nullptr) {
        const int64_t micro = rt::WallClockMicroseconds();
        const int64_t seconds = FloorDiv(micro, 1000000);
        tv->tv_sec = static_cast<int32_t>(seconds);
        tv->tv_usec = static_cast<int32_t>(micro - seconds * 1000000);
    }
    if (tz != nullptr) {
        static std::once_flag zoneRead;
        std::call_once(zoneRead, [] { tzset(); });
        tz->tz_minuteswest = static_cast<int32_t>(timezone / 60);
        tz->tz_dsttime = daylight;
    }
    return 0;
}

int32_t NowCentiseconds() {
    // The monotonic clock: setting the system clock during a run must not change the run's time.
    const int64_t centiseconds = FloorDiv(rt::MonotonicMicroseconds(), 10000);
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(centiseconds)));
}

TimerClass::TimerClass() {
    Reset(0);
}

void TimerClass::Assign(const TimerClass& other) {
    start = other.start;
    accumulated = other.accumulated;
    running = other.running;
}

void TimerClass::Reset(int32_t value) {
    start = 0;
    accumulated = value;
    running = false;
}

void TimerClass::Start(int32_t offset) {
    if (running) {
        return;
    }
    Reset(0);
    start = NowCentiseconds();
    accumulated = offset;
    running = true;
}

void TimerClass::Pause() {
    if (!running) {
        return;
    }
    accumulated = WrapAdd(accumulated, WrapSub(NowCentiseconds(), start));
    running = false;
}

void TimerClass::Resume() {
    if (running) {
        return;
    }
    start = NowCentiseconds();
    running = true;
}

bool TimerClass::IsRunning() const {
    return running;
}

bool TimerClass::IsZero() const {
    return !running && accumulated == 0;
}

int32_t TimerClass::Elapsed() const {
    if (!running) {
        return accumulated;
    }
    return WrapAdd(accumulated, WrapSub(NowCentiseconds(), start));
}
