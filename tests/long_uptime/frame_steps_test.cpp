// The game's frame timer over the game's real clock, ticking every 16.7 ms
// for two seconds. Each step must match the real interval of that tick within
// 1 ms. The real interval is measured here independently, in integer
// nanoseconds, by readings taken just before and just after each tick, so a
// busy machine that delays a tick widens the bounds instead of failing it.
// Run through run_in_time_namespace.sh; the argument is the least uptime in
// seconds the monotonic clock must show, so a run outside the namespace fails
// rather than passing on a fresh clock.
#include "app/frame_timer.h"
#include "platform/backend.h"
#include "platform/real_clock.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

// The game's back end reads the real clock exactly so (glut_backend.cpp).
int64_t clockNanoseconds() { return realClockNanoseconds(); }

namespace {

constexpr int Ticks = 120;
constexpr int64_t FrameNanoseconds = 16700000;
constexpr double Tolerance = 0.001;

void sleepOneFrame()
{
    timespec frame{0, FrameNanoseconds};
    while (nanosleep(&frame, &frame) != 0) {
    }
}

// Readings taken around a clock reading inside the timer.
struct Bracket {
    int64_t before;
    int64_t after;
};

// How far a step lies outside the real interval's bounds; infinite for a
// step that is not a number.
double distanceOutside(double step, double shortest, double longest)
{
    if (!std::isfinite(step))
        return HUGE_VAL;
    if (step < shortest)
        return shortest - step;
    return step > longest ? step - longest : 0.0;
}

} // namespace

int main(int argc, char** argv)
{
    const double leastUptime = argc > 1 ? std::atof(argv[1]) : 0.0;
    const double uptime = double(monotonicNanoseconds()) * 1e-9;
    if (uptime < leastUptime) {
        std::fprintf(stderr, "the monotonic clock reads %.0f s, not the %.0f s of the time namespace\n", uptime,
                     leastUptime);
        return 1;
    }

    Bracket last{monotonicNanoseconds(), 0};
    FrameTimer timer;
    last.after = monotonicNanoseconds();

    int off = 0;
    double worst = 0.0;
    for (int i = 0; i < Ticks; ++i) {
        sleepOneFrame();
        const Bracket now{monotonicNanoseconds(), 0};
        timer.tick();
        const int64_t after = monotonicNanoseconds();
        // The timer's two readings lie inside the two brackets.
        const double shortest = double(now.before - last.after) * 1e-9;
        const double longest = double(after - last.before) * 1e-9;
        const double step = timer.delta();
        const double error = distanceOutside(step, shortest, longest);
        if (!(error <= Tolerance)) {
            ++off;
            std::fprintf(stderr, "step %d: %.6f s, real interval %.6f..%.6f s\n", i, step, shortest, longest);
        }
        worst = std::max(worst, error);
        last = {now.before, after};
    }
    std::printf("uptime %.0f s: %d of %d steps more than %.0f ms off the real interval, worst %.3f ms off\n",
                uptime, off, Ticks, Tolerance * 1000.0, worst * 1000.0);
    return off == 0 ? 0 : 1;
}
