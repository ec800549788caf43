// The frame timer: the real time between two consecutive frames, kept as
// single-precision seconds. One program-wide instance, GameTimer.
#pragma once

struct FrameTimer {
    float frequency;
    float previous;
    float current;
    float deltaSeconds;

    FrameTimer();
    void tick();
    float delta() const { return deltaSeconds; }
};

extern FrameTimer GameTimer;
