// Frame pacing, fed made-up clock readings: where the driver does not wait,
// a frame that finished early is slept to the display's period, late frames
// are not caught up, and a driver that says it waits but does not is found
// out. The refresh rate falls back to 60 where the display's is unknown.
#include "platform/frame_pacing.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(FramePacing, TheRefreshPeriodFallsBackTo60HzWhereTheRateIsUnknown)
{
    EXPECT_DOUBLE_EQ(refreshPeriod(75.0), 1.0 / 75.0);
    EXPECT_DOUBLE_EQ(refreshPeriod(59.94), 1.0 / 59.94);
    EXPECT_DOUBLE_EQ(refreshPeriod(144.0), 1.0 / 144.0);
    for (double unknown : {0.0, -60.0, double(NAN), double(INFINITY), 1.0, 1e6})
        EXPECT_DOUBLE_EQ(refreshPeriod(unknown), 1.0 / 60.0) << unknown;
}

TEST(FramePacing, FramesThatFinishEarlyAreSleptToTheDisplaysPeriod)
{
    FramePacer pacer;
    pacer.start(50.0, false); // 20 ms a frame
    EXPECT_EQ(pacer.afterSwap(100.0), 0.0) << "the first frame has nothing to wait for";

    // 5 ms of work: sleep the other 15.
    EXPECT_NEAR(pacer.afterSwap(100.005), 0.015, 1e-9);
    // The sleep overran by a millisecond: the next frame is still due at 40 ms.
    EXPECT_NEAR(pacer.afterSwap(100.021 + 0.004), 0.015, 1e-9);
    // A slow frame (30 ms) is not slept, and the one after it is measured
    // from its end, not hurried to make up.
    EXPECT_EQ(pacer.afterSwap(100.070), 0.0);
    EXPECT_NEAR(pacer.afterSwap(100.075), 0.015, 1e-9);
    // Exactly on time: nothing to sleep.
    EXPECT_EQ(pacer.afterSwap(100.110), 0.0);
    // A millisecond early is a millisecond slept.
    EXPECT_NEAR(pacer.afterSwap(100.129), 0.001, 1e-9);

    // A second of 2 ms frames, each slept to the end of its period: 50 frames.
    FramePacer fast;
    fast.start(50.0, false);
    double now = 7.0;
    fast.afterSwap(now);
    int frames = 0;
    while (now < 8.0 - 1e-9) {
        now += 0.002;
        now += fast.afterSwap(now);
        ++frames;
    }
    EXPECT_EQ(frames, 50);
}

TEST(FramePacing, ADriverThatWaitsIsLeftToWaitAndOneThatDoesNotIsFoundOut)
{
    FramePacer waiting;
    waiting.start(60.0, true);
    double now = 0.0;
    waiting.afterSwap(now);
    // Swaps that return one refresh apart, give or take a little, for ten
    // seconds: never a sleep.
    for (int i = 0; i < 600; ++i) {
        now += 1.0 / 60.0 + ((i % 2) ? 0.0015 : -0.0015);
        EXPECT_EQ(waiting.afterSwap(now), 0.0) << "frame " << i;
    }
    EXPECT_TRUE(waiting.driverWaits);

    // The driver took the swap interval but swaps return after 4 ms: within
    // the check's frames it is found out, and from then on frames are slept.
    FramePacer ignoring;
    ignoring.start(60.0, true);
    now = 0.0;
    ignoring.afterSwap(now);
    int unslept = 0;
    while (ignoring.driverWaits && unslept < 1000) {
        now += 0.004;
        EXPECT_EQ(ignoring.afterSwap(now), 0.0);
        ++unslept;
    }
    EXPECT_EQ(unslept, DriverCheckFrames);
    now += 0.004;
    EXPECT_NEAR(ignoring.afterSwap(now), 1.0 / 60.0 - 0.004, 1e-9);
}
