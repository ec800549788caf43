#include "platform/real_clock.h"

#include <time.h>

double RealClock::secondsAt(int64_t nanoseconds)
{
    if (!started) {
        started = true;
        originNanoseconds = nanoseconds;
    }
    return double(nanoseconds - originNanoseconds) * 1e-9;
}

int64_t monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + int64_t(now.tv_nsec);
}

double realClockSeconds()
{
    // A function-local record: the frame timer takes its first reading while
    // the program's globals are being constructed, in no set order.
    static RealClock clock;
    return clock.secondsAt(monotonicNanoseconds());
}
