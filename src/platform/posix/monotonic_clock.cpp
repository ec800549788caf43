// The monotonic clock where there is POSIX: Linux, and the browser build
// through Emscripten.
#include "platform/real_clock.h"

#include <time.h>

int64_t monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + int64_t(now.tv_nsec);
}
