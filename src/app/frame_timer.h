// The frame timer: the real time between two consecutive frames, kept as
// single-precision seconds. One program-wide instance, GameTimer.
#pragma once

#include <cstdint>

struct FrameTimer {
    float frequency;      // clock ticks per second
    float previous;       // the reading before the latest, in seconds
    float current;        // the latest reading, in seconds
    float deltaSeconds;   // seconds between the last two readings
    // The latest reading as the clock gave it. A float of seconds since the
    // start is 8 ms coarse after a day, so steps are taken from these.
    int64_t lastTicks;

    FrameTimer();
    void tick();
    float delta() const { return deltaSeconds; }
};

extern FrameTimer GameTimer;
