#include "app/frame_timer.h"

#include "platform/backend.h"

// The clock reports seconds; a frequency of one tick per second keeps the
// division of the counter explicit without changing the value.
FrameTimer::FrameTimer()
{
    frequency = 1.0f;
    const long double now = clockSeconds();
    deltaSeconds = 0.0f;
    previous = current = float(now / frequency);
}

void FrameTimer::tick()
{
    previous = current;
    const long double seconds = (long double)clockSeconds() / frequency;
    deltaSeconds = float(seconds - previous);
    current = float(seconds);
}

FrameTimer GameTimer;
