#pragma once
// The clocks of the program. The monotonic clock counts run times (changing the system clock
// does not change a run); the wall clock stamps logs and dates. Tests replace either with a
// clock of their own that they set and advance, so timing tests never sleep.

#include <cstdint>

namespace rt {

// Monotonic time in microseconds from an arbitrary start.
int64_t MonotonicMicroseconds();

// Wall-clock time in microseconds since 1970-01-01 00:00 UTC.
int64_t WallClockMicroseconds();

// Test clocks. While a test clock is set, the matching reader answers it instead of the system.
void SetTestMonotonicClock(int64_t microseconds);
void AdvanceTestMonotonicClock(int64_t microseconds);
void SetTestWallClock(int64_t microsecondsSince1970);
void AdvanceTestWallClock(int64_t microseconds);
// Back to the system clocks.
void UseSystemClocks();

// A test helper: moves both clocks forward together (a run's time and its log stamps agree).
void AdvanceTestClocks(int64_t microseconds);

} // namespace rt
