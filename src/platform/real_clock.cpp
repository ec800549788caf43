#include "platform/real_clock.h"

int64_t RealClock::nanosecondsAt(int64_t nanoseconds)
{
    if (!started) {
        started = true;
        originNanoseconds = nanoseconds;
    }
    return nanoseconds - originNanoseconds;
}

int64_t realClockNanoseconds()
{
    // A function-local record: the frame timer takes its first reading while
    // the program's globals are being constructed, in no set order.
    static RealClock clock;
    return clock.nanosecondsAt(monotonicNanoseconds());
}

double realClockSeconds() { return double(realClockNanoseconds()) * 1e-9; }
