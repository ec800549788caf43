#include "platform/frame_pacing.h"

#include <cmath>

double refreshPeriod(double refreshRate)
{
    // Anything outside 10..1000 Hz is a misreport, not a display.
    if (!std::isfinite(refreshRate) || refreshRate < 10.0 || refreshRate > 1000.0)
        refreshRate = FallbackRefreshRate;
    return 1.0 / refreshRate;
}

void FramePacer::start(double refreshRate, bool swapWaits)
{
    period = refreshPeriod(refreshRate);
    driverWaits = swapWaits;
    frameEnd = -1.0;
    checkedFrames = 0;
    checkedSeconds = 0.0;
}

double FramePacer::afterSwap(double now)
{
    if (frameEnd < 0.0) {
        frameEnd = now;
        return 0.0;
    }
    if (driverWaits) {
        checkDriverWaits(now - frameEnd);
        frameEnd = now;
        return 0.0;
    }
    const double rest = frameEnd + period - now;
    if (rest <= 0.0) {
        // A slow frame: the next one is measured from now, not caught up.
        frameEnd = now;
        return 0.0;
    }
    // The next frame is due one period after this one was due, so the
    // sleep's own lateness does not add up from frame to frame.
    frameEnd += period;
    return rest;
}

void FramePacer::checkDriverWaits(double interval)
{
    ++checkedFrames;
    checkedSeconds += interval;
    if (checkedFrames < DriverCheckFrames)
        return;
    if (checkedSeconds < 0.9 * DriverCheckFrames * period)
        driverWaits = false;
    checkedFrames = 0;
    checkedSeconds = 0.0;
}
