// The real monotonic clock the game's frame timer reads, in seconds since the
// program's first reading. A clock that counts from boot reaches millions of
// seconds on a machine that has been up for weeks, where the timer's single-
// precision readings are a quarter of a second apart; counted from the first
// reading they stay small for any realistic session. Owned by the platform
// layer; one program-wide origin.
#pragma once

#include <cstdint>

// Turns readings of a monotonic source in integer nanoseconds into seconds
// since the first reading it was given. The subtraction is done in integers,
// so the result is exact however large the source's values are.
struct RealClock {
    bool started = false;
    int64_t originNanoseconds = 0;

    double secondsAt(int64_t nanoseconds);
};

// CLOCK_MONOTONIC in integer nanoseconds, as the system gives it.
int64_t monotonicNanoseconds();

// Seconds since the program's first call, through one program-wide RealClock.
double realClockSeconds();
