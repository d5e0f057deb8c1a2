#pragma once
// TimerClass: a stopwatch in hundredths of a second that can start from an offset, pause, resume
// and reset. It measures; what the times mean (splits, segments) is not its business.
// The run timer and the key-repeat guard are both TimerClass objects.

#include <cstdint>

// The clock as seconds and microseconds since 1970-01-01 00:00 UTC.
struct TimeValRecord {
    int32_t tv_sec = 0;
    int32_t tv_usec = 0;
};
struct TimeZoneRecord {
    int32_t tz_minuteswest = 0;
    int32_t tz_dsttime = 0;
};

// The wall clock; returns 0. Log stamps and dates use it.
int GetTimeOfDay(TimeValRecord* tv, TimeZoneRecord* tz);

// A stamp in hundredths of a second on the monotonic clock, wrapping in 32 bits: meaningful only
// as the difference of two stamps.
int32_t NowCentiseconds();

class TimerClass {
public:
    TimerClass();
    void Assign(const TimerClass& other);
    void Reset(int32_t value);
    void Start(int32_t offset);
    void Pause();
    void Resume();
    bool IsRunning() const;
    bool IsZero() const;
    int32_t Elapsed() const;

    int32_t start;
    int32_t accumulated;
    bool running;
};
