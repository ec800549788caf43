#include "app/frame_timer.h"
#include "platform/headless.h"

#include <gtest/gtest.h>

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
