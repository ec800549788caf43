#include "app/frame_timer.h"
#include "platform/headless.h"
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

TEST(FrameTimer, SubtractsBeforeRoundingToSinglePrecision)
{
    // At a large clock value the stored reading is rounded to float, while the
    // new reading is subtracted in full precision: the delta keeps the part
    // that the rounding of the previous reading lost.
    const double start = 100000.123;
    setHeadlessClock(start);
    FrameTimer timer;
    setHeadlessClock(start + 0.001);
    timer.tick();
    const long double expected = (long double)(start + 0.001) - (long double)float(start);
    EXPECT_EQ(timer.delta(), float(expected));
    EXPECT_NE(timer.delta(), float(float(start + 0.001) - float(start)))
        << "a float subtraction would lose the millisecond";
}

TEST(FrameTimer, StepsStayExactWhenTheClocksSourceStartedThirtyDaysAgo)
{
    // The game's real clock over a monotonic source that already reads 30
    // days, as on a machine up that long. Seconds since boot would be kept
    // as floats a quarter of a second apart; counted from the first reading
    // every step comes out as the source advanced.
    constexpr int64_t ThirtyDays = int64_t(30) * 86400 * 1000000000;
    RealClock clock;
    int64_t source = ThirtyDays + 123456789;
    EXPECT_EQ(clock.secondsAt(source), 0.0) << "the first reading is the origin";
    setHeadlessClock(clock.secondsAt(source));
    FrameTimer timer;

    const int64_t steps[] = {16700000, 16666667, 1000000, 33333333, 250000, 100000000, 7};
    for (int frame = 0; frame < 600; ++frame) {
        const int64_t step = steps[frame % 7];
        source += step;
        setHeadlessClock(clock.secondsAt(source));
        timer.tick();
        ASSERT_NEAR(timer.delta(), double(step) * 1e-9, 1e-5) << "frame " << frame;
    }
    EXPECT_NEAR(clock.secondsAt(source), double(source - ThirtyDays - 123456789) * 1e-9, 1e-12)
        << "the origin stays at the first reading";
}
