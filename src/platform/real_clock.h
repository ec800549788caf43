// The real monotonic clock the game's frame timer reads, counted from the
// program's first reading. A clock that counts from boot reaches millions of
// seconds on a machine that has been up for weeks; counted from the first
// reading, and in integers, its readings stay exact for any session. Owned by
// the platform layer; one program-wide origin.
#pragma once

#include <cstdint>

// Turns readings of a monotonic source in integer nanoseconds into time since
// the first reading it was given. The subtraction is done in integers, so the
// result is exact however large the source's values are.
struct RealClock {
    bool started = false;
    int64_t originNanoseconds = 0;

    int64_t nanosecondsAt(int64_t nanoseconds);
    double secondsAt(int64_t nanoseconds) { return double(nanosecondsAt(nanoseconds)) * 1e-9; }
};

// The system's monotonic clock in integer nanoseconds: CLOCK_MONOTONIC
// (posix/monotonic_clock.cpp) or the performance counter
// (windows/monotonic_clock.cpp).
int64_t monotonicNanoseconds();

// Time since the program's first call, through one program-wide RealClock.
int64_t realClockNanoseconds();
double realClockSeconds();
