// The sky colour over the day and the fog above and under water, read back
// from the GL fog state in the headless context; splashes through the real
// sound slots on SDL's dummy driver.
#include "tick_fixture.h"

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/frame_timer.h"
#include "app/sky.h"
#include "app/sound_system.h"
#include "characters/character_list.h"
#include "platform/headless/headless.h"
#include "support/gl_context.h"

#include <GL/gl.h>

namespace {

float fogValue(GLenum name)
{
    float value = 0.0f;
    glGetFloatv(name, &value);
    return value;
}

void expectFogColour(float r, float g, float b)
{
    float colour[4] = {};
    glGetFloatv(GL_FOG_COLOR, colour);
    EXPECT_NEAR(colour[0], r, 1e-6f);
    EXPECT_NEAR(colour[1], g, 1e-6f);
    EXPECT_NEAR(colour[2], b, 1e-6f);
}

void setSky(float r, float g, float b)
{
    SkyColour[0] = r;
    SkyColour[1] = g;
    SkyColour[2] = b;
    SkyColour[3] = 0.0f;
}

class SkyTest : public TickTest {
protected:
    void SetUp() override
    {
        TickTest::SetUp();
        requireGlContext();
        FogStart = 50.0f;
        FogDensity = 0.009f;
        setSky(0.0f, 0.0f, 0.0f);
    }
};

// One frame's sky step with the given hour and frame delta.
void skyFrame(float hour, float delta)
{
    TimeOfDay = hour;
    FrameDelta = delta;
    updateSkyColour();
}

} // namespace

TEST_F(SkyTest, TheSkyHeadsForTheTargetOfTheHourBand)
{
    // Exactly 12 is still day; just after is night; below 2 is dawn. A
    // quarter-second frame steps each channel by 0.025.
    setSky(0.5f, 0.42f, 0.5f);
    skyFrame(12.0f, 0.25f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.475f);
    EXPECT_FLOAT_EQ(SkyColour[1], 0.42f); // within a step above 0.4: rests
    EXPECT_FLOAT_EQ(SkyColour[2], 0.525f);
    setSky(0.5f, 0.5f, 0.5f);
    skyFrame(12.001f, 0.25f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.475f);
    EXPECT_FLOAT_EQ(SkyColour[1], 0.475f);
    EXPECT_FLOAT_EQ(SkyColour[2], 0.475f);
    setSky(0.5f, 0.5f, 0.5f);
    skyFrame(1.99f, 0.25f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.525f);
    EXPECT_FLOAT_EQ(SkyColour[1], 0.5f);
    EXPECT_FLOAT_EQ(SkyColour[2], 0.475f);
    setSky(0.5f, 0.5f, 0.5f);
    skyFrame(2.0f, 0.25f);
    EXPECT_FLOAT_EQ(SkyColour[2], 0.525f);
    EXPECT_EQ(SkyColour[3], 0.0f);

    // Up to a quarter second the step is the frame's, to the bit; a longer
    // frame steps as a quarter second does.
    for (float delta : {1.0f / 60.0f, 0.1f, 0.25f, 60.0f}) {
        float expected[4] = {0.5f, 0.5f, 0.5f, 0.0f};
        const float step = (delta > 0.25f ? 0.25f : delta) * 0.1f;
        expected[0] -= step;
        expected[1] -= step;
        expected[2] += step;
        setSky(0.5f, 0.5f, 0.5f);
        skyFrame(6.0f, delta);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(SkyColour[c], expected[c]) << "delta " << delta << " channel " << c;
    }
}

TEST_F(SkyTest, AChannelOvershootsFromBelowByUnderAStepAndRestsAboveTheTarget)
{
    // From below: passes the target and stays there.
    setSky(0.85f, 0.5f, 0.3f);
    stepSkyColour(0.9f, 0.5f, 0.0f, 0.1f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.95f);
    for (int i = 0; i < 5; ++i)
        stepSkyColour(0.9f, 0.5f, 0.0f, 0.1f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.95f);
    // Exactly on target: stays; from above: stops within a step above it.
    EXPECT_FLOAT_EQ(SkyColour[1], 0.5f);
    EXPECT_LE(SkyColour[2], 0.1f + 1e-6f);
    EXPECT_GE(SkyColour[2], 0.0f);
}

TEST_F(SkyTest, TheDayWrapsOnlyAbove24AndThatFrameHeadsForDawn)
{
    requireGlContext();
    setSky(0.5f, 0.5f, 0.5f);
    setHeadlessClock(10.0);
    GameTimer.tick();
    GameTimer.tick(); // delta 0
    TimeOfDay = 24.0f;
    updateFrame();
    EXPECT_EQ(TimeOfDay, 24.0f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.5f); // a zero step moves nothing

    setHeadlessClock(10.25);
    GameTimer.tick(); // delta 0.25: 0.05 hours
    updateFrame();
    EXPECT_EQ(TimeOfDay, 0.0f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.525f); // toward dawn red, not night
    EXPECT_FLOAT_EQ(SkyColour[2], 0.475f);
}

TEST_F(SkyTest, TheFogClosesInByNightAndSnapsBackByDay)
{
    GameCamera.targetY = 3.0f;
    TimeOfDay = 12.0f;
    FogStart = 20.0f;
    FogDensity = 5.0f;
    setSky(0.3f, 0.4f, 0.9f);
    updateFog(1.0f);
    EXPECT_FALSE(CameraUnderwater);
    EXPECT_EQ(FogStart, 50.0f);
    EXPECT_FLOAT_EQ(FogDensity, 0.009f);
    EXPECT_EQ(fogValue(GL_FOG_START), 50.0f);
    EXPECT_EQ(fogValue(GL_FOG_END), 95.0f);
    EXPECT_FLOAT_EQ(fogValue(GL_FOG_DENSITY), 0.009f);
    expectFogColour(0.3f, 0.4f, 0.9f);

    TimeOfDay = 13.0f;
    updateFog(0.25f);
    EXPECT_EQ(FogStart, 50.0f - 0.25f * 10.1f);
    EXPECT_EQ(FogDensity, 0.009f + 0.25f * 10.1f);
    EXPECT_FLOAT_EQ(fogValue(GL_FOG_START), 47.475f);
    for (int i = 0; i < 80; ++i)
        updateFog(0.25f);
    // Each limit is tested before its step: both end within a step past it.
    EXPECT_LE(FogStart, -50.0f);
    EXPECT_GT(FogStart, -50.0f - 2.525f);
    EXPECT_GE(FogDensity, 20.0f);
    EXPECT_LT(FogDensity, 20.0f + 2.525f);

    // A longer frame moves the fog as a quarter second does.
    FogStart = 50.0f;
    updateFog(1.0f / 60.0f);
    EXPECT_EQ(FogStart, 50.0f - 1.0f / 60.0f * 10.1f);
    FogStart = 50.0f;
    updateFog(60.0f);
    EXPECT_EQ(FogStart, 50.0f - 0.25f * 10.1f);
}

namespace {

// What the sky and the fog look like after frames of the frame loop.
struct Look {
    float sky[3];
    float fogStart;
    float hour;
};

Look lookNow() { return {{SkyColour[0], SkyColour[1], SkyColour[2]}, FogStart, TimeOfDay}; }

constexpr double Ordinary = 1.0 / 30.0;

// The frame loop's frames on the headless clock, each as long as the step.
class FrameRun {
public:
    void frame(double step)
    {
        clock += step;
        setHeadlessClock(clock);
        GameTimer.tick();
        const float before = TimeOfDay;
        updateFrame();
        if (TimeOfDay < before)
            ++wraps;
    }
    void ordinary(double seconds)
    {
        for (double ran = 0.0; ran < seconds; ran += Ordinary)
            frame(Ordinary);
    }
    // Ordinary frames until the hour and the day are those of the other run.
    void ordinaryUntil(const FrameRun& other, float hour)
    {
        while (wraps < other.wraps || TimeOfDay < hour)
            frame(Ordinary);
    }
    // The clock read twice, so the first frame's step is 0 whatever the
    // timer read before.
    void start(float hour)
    {
        setHeadlessClock(clock);
        GameTimer.tick();
        GameTimer.tick();
        setSky(0.0f, 0.0f, 0.0f);
        FogStart = 50.0f;
        FogDensity = 0.009f;
        TimeOfDay = hour;
    }
    int wraps = 0;

private:
    double clock = 1000.0;
};

} // namespace

// A pause comes back as one long frame. Before, a 60 s frame carried the sky
// 6 units past its target, where it walked back for 50 s, and the night fog's
// start to -556, where it stayed until morning; now a few seconds of ordinary
// frames later both are as if there had been no pause.
TEST_F(SkyTest, AfterALongFrameTheSkyAndFogAreThoseOfOrdinaryFramesAtOnce)
{
    requireGlContext();
    struct Pause {
        float hour;      // where the run starts, settled for 12 s first
        double seconds;  // the long frame
        double after;    // ordinary frames after it
    };
    // By day into the night, and by night over midnight into the next day.
    for (const Pause& pause : {Pause{4.0f, 60.0, 12.0}, Pause{4.0f, 300.0, 30.0}, Pause{14.0f, 60.0, 30.0},
                               Pause{14.0f, 300.0, 30.0}}) {
        SCOPED_TRACE(testing::Message() << "from hour " << pause.hour << ", a " << pause.seconds << " s frame");
        FrameRun paused;
        paused.start(pause.hour);
        paused.ordinary(12.0);
        const float hourBefore = TimeOfDay;
        paused.frame(pause.seconds);
        // The world's own clock takes the whole step.
        if (paused.wraps == 0) {
            EXPECT_FLOAT_EQ(TimeOfDay, hourBefore + float(pause.seconds) * 0.2f);
        }
        paused.ordinary(pause.after);
        const Look afterPause = lookNow();

        FrameRun plain;
        plain.start(pause.hour);
        plain.ordinaryUntil(paused, afterPause.hour);
        const Look ordinary = lookNow();
        EXPECT_NEAR(ordinary.hour, afterPause.hour, 0.2 * Ordinary + 1e-4);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(afterPause.sky[c], ordinary.sky[c], 0.1 * Ordinary + 1e-5) << "channel " << c;
        EXPECT_NEAR(afterPause.fogStart, ordinary.fogStart, 10.1 * Ordinary + 1e-4);
    }
}


TEST_F(SkyTest, UnderWaterTheFogIsShortAndBlueGreenFromTheWaterLevelDown)
{
    GameCamera.targetY = 3.0f;
    updateFog(0.1f);
    ASSERT_FALSE(CameraUnderwater);

    GameCamera.targetY = -0.5f; // exactly at the water level counts as under
    updateFog(0.1f);
    EXPECT_TRUE(CameraUnderwater);
    EXPECT_EQ(ViewDistance, 50);
    EXPECT_EQ(fogValue(GL_FOG_START), -50.0f);
    EXPECT_EQ(fogValue(GL_FOG_END), 45.0f);
    EXPECT_EQ(fogValue(GL_FOG_DENSITY), 70.0f);
    expectFogColour(0.0f, 0.3f, 0.5f);

    GameCamera.targetY = -0.49f;
    updateFog(0.1f);
    EXPECT_FALSE(CameraUnderwater);
    EXPECT_EQ(ViewDistance, 100);
    EXPECT_EQ(fogValue(GL_FOG_END), 95.0f);
}

TEST_F(SkyTest, ACameraStartingUnderWaterKeepsTheLongViewUntilItSurfaces)
{
    CameraUnderwater = true; // the start-up values
    CameraWasUnderwater = false;
    ViewDistance = 100;
    GameCamera.targetY = -3.0f;
    glFogf(GL_FOG_DENSITY, 0.08f);
    updateFog(0.1f);
    updateFog(0.1f);
    EXPECT_TRUE(CameraUnderwater);
    EXPECT_EQ(ViewDistance, 100);
    EXPECT_EQ(fogValue(GL_FOG_START), -100.0f);
    EXPECT_EQ(fogValue(GL_FOG_END), 95.0f);
    EXPECT_FLOAT_EQ(fogValue(GL_FOG_DENSITY), 0.08f);

    GameCamera.targetY = 1.0f;
    updateFog(0.1f);
    GameCamera.targetY = -3.0f;
    updateFog(0.1f);
    EXPECT_EQ(ViewDistance, 50);
    EXPECT_EQ(fogValue(GL_FOG_END), 45.0f);
}

TEST_F(SkyTest, TheFirstFramesSplashInAndOutAndLaterChangesSplashAFrameLate)
{
    ScratchDir scratch;
    writeFile(scratch.file("Splash.wav"), silentWav(20.0));
    ASSERT_TRUE(openDummyAudio()) << "no audio device on the dummy driver";
    Sound.load(scratch.file("Splash.wav").c_str(), SoundSlot::Splash);
    Sound.load(scratch.file("Splash.wav").c_str(), SoundSlot::SplashOut);

    CameraUnderwater = true; // the start-up values
    CameraWasUnderwater = false;
    GameCamera.targetY = 2.0f;
    updateFog(0.0f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Splash));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::SplashOut));
    updateFog(0.0f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::SplashOut));
    Sound.stop(SoundSlot::Splash);
    Sound.stop(SoundSlot::SplashOut);

    // Steady above water: silence.
    updateFog(0.0f);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Splash));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::SplashOut));

    // Going under: the splash comes with the next frame.
    GameCamera.targetY = -2.0f;
    updateFog(0.0f);
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::Splash));
    updateFog(0.0f);
    EXPECT_TRUE(Sound.isPlaying(SoundSlot::Splash));
    EXPECT_FALSE(Sound.isPlaying(SoundSlot::SplashOut));
    Sound.release();
}
