// Frame pacing for the game's window: where the driver does not wait for the
// display before a swap, the rest of a frame that finished early is slept
// away, so no more frames are drawn than the display shows. One FramePacer
// is owned by the GLUT back end; the headless back end never paces.
#pragma once

// The refresh rate assumed where the display's own is unknown.
constexpr double FallbackRefreshRate = 60.0;

// Seconds per refresh for a rate in hertz; the fallback rate's period for a
// rate that is unknown (0, negative, not a number) or beyond belief.
double refreshPeriod(double refreshRate);

struct FramePacer {
    double period = 1.0 / FallbackRefreshRate;
    // The swap itself waits for the display: nothing to sleep.
    bool driverWaits = false;
    // When the last frame ended, or was due to end when it was slept to.
    double frameEnd = -1.0;
    // Frames and seconds counted while the driver is trusted to wait.
    int checkedFrames = 0;
    double checkedSeconds = 0.0;

    void start(double refreshRate, bool swapWaits);
    // Called right after each swap with the monotonic clock in seconds;
    // returns how long to sleep before the next frame begins.
    double afterSwap(double now);

private:
    void checkDriverWaits(double interval);
};

// A driver that accepted the swap interval is checked over this many frames:
// if they came faster than nine tenths of the refresh on average, it does
// not wait after all (software rendering, a setting that overrides the
// program), and from then on the pacer sleeps.
constexpr int DriverCheckFrames = 60;
