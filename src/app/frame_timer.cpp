#include "app/frame_timer.h"

#include "platform/backend.h"

// The clock counts nanoseconds. The step is the difference of two integer
// readings, so it is exact to the nanosecond at any session length; only the
// stored readings are rounded to float.
FrameTimer::FrameTimer()
{
    frequency = 1e9f;
    lastTicks = clockNanoseconds();
    deltaSeconds = 0.0f;
    previous = current = float(double(lastTicks) / frequency);
}

void FrameTimer::tick()
{
    const int64_t ticks = clockNanoseconds();
    previous = current;
    current = float(double(ticks) / frequency);
    deltaSeconds = float(double(ticks - lastTicks) / frequency);
    lastTicks = ticks;
}

FrameTimer GameTimer;
