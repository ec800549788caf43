#include "app/frame_timer.h"
#include "platform/headless/headless.h"
#include "platform/real_clock.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(FrameTimer, MeasuresTheTimeBetweenTicks)
{
    setHeadlessClock(10.0);
    FrameTimer timer;
    EXPECT_EQ(timer.delta(), 0.0f) << "no interval before the first tick";

    setHeadlessClock(12.5);
    EXPECT_EQ(timer.delta(), 0.0f) << "reading the delta takes no reading";
    timer.tick();
    EXPECT_FLOAT_EQ(timer.delta(), 2.5f) << "the first tick spans the time since construction";

    setHeadlessClock(12.75);
    timer.tick();
    EXPECT_FLOAT_EQ(timer.delta(), 0.25f);

    timer.tick();
    EXPECT_EQ(timer.delta(), 0.0f) << "two ticks at the same reading";
}

TEST(FrameTimer, StepsStayExactSevenDaysIntoASessionOnAMachineUpThirtyDays)
{
    // The game's real clock over a monotonic source that read 30 days at the
    // first reading, as on a machine up that long, and a session that has
    // run for 7 days since. The stored readings are floats a sixteenth of a
    // second apart by then; every step must still come out as the source
    // advanced.
    constexpr int64_t Day = int64_t(86400) * 1000000000;
    RealClock clock;
    int64_t source = 30 * Day + 123456789;
    EXPECT_EQ(clock.nanosecondsAt(source), 0) << "the first reading is the origin";
    source += 7 * Day + 987654321;
    setHeadlessClock(clock.secondsAt(source));
    FrameTimer timer;

    const int64_t steps[] = {16700000, 16666667, 1000000, 33333333, 250000, 100000000, 7};
    for (int frame = 0; frame < 600; ++frame) {
        const int64_t step = steps[frame % 7];
        source += step;
        setHeadlessClock(clock.secondsAt(source));
        timer.tick();
        ASSERT_NEAR(timer.delta(), double(step) * 1e-9, 1e-7) << "frame " << frame;
    }
    EXPECT_EQ(clock.nanosecondsAt(source), source - 30 * Day - 123456789)
        << "the origin stays at the first reading";
    EXPECT_NEAR(timer.current, double(source - 30 * Day - 123456789) * 1e-9, 0.04)
        << "the stored reading is still the time since the start, rounded";
}
