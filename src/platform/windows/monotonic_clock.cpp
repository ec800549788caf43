// The monotonic clock on Windows: the performance counter, turned into
// nanoseconds in integers so that no reading loses precision.
#include "platform/real_clock.h"

#include <windows.h>

int64_t monotonicNanoseconds()
{
    static const int64_t frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return int64_t(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // Whole seconds and the remainder apart: counter x 10^9 would overflow
    // after a few weeks of uptime at a 10 MHz counter.
    const int64_t count = now.QuadPart;
    return count / frequency * 1000000000 + count % frequency * 1000000000 / frequency;
}
