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
    // Exactly 12 is still day; just after is night; below 2 is dawn.
    setSky(0.5f, 0.5f, 0.5f);
    skyFrame(12.0f, 1.0f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.4f);
    EXPECT_FLOAT_EQ(SkyColour[1], 0.5f); // within a step above 0.4: rests
    EXPECT_FLOAT_EQ(SkyColour[2], 0.6f);
    setSky(0.5f, 0.5f, 0.5f);
    skyFrame(12.001f, 1.0f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.4f);
    EXPECT_FLOAT_EQ(SkyColour[1], 0.4f);
    EXPECT_FLOAT_EQ(SkyColour[2], 0.4f);
    setSky(0.5f, 0.5f, 0.5f);
    skyFrame(1.99f, 1.0f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.6f);
    EXPECT_FLOAT_EQ(SkyColour[1], 0.5f);
    EXPECT_FLOAT_EQ(SkyColour[2], 0.4f);
    setSky(0.5f, 0.5f, 0.5f);
    skyFrame(2.0f, 1.0f);
    EXPECT_FLOAT_EQ(SkyColour[2], 0.6f);
    EXPECT_EQ(SkyColour[3], 0.0f);
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

    setHeadlessClock(10.5);
    GameTimer.tick(); // delta 0.5: 0.1 hours
    updateFrame();
    EXPECT_EQ(TimeOfDay, 0.0f);
    EXPECT_FLOAT_EQ(SkyColour[0], 0.55f); // toward dawn red, not night
    EXPECT_FLOAT_EQ(SkyColour[2], 0.45f);
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
    updateFog(1.0f);
    EXPECT_FLOAT_EQ(FogStart, 50.0f - 10.1f);
    EXPECT_FLOAT_EQ(FogDensity, 0.009f + 10.1f);
    EXPECT_FLOAT_EQ(fogValue(GL_FOG_START), 39.9f);
    for (int i = 0; i < 20; ++i)
        updateFog(1.0f);
    // Each limit is tested before its step: both end within a step past it.
    EXPECT_LE(FogStart, -50.0f);
    EXPECT_GT(FogStart, -50.0f - 10.1f);
    EXPECT_GE(FogDensity, 20.0f);
    EXPECT_LT(FogDensity, 20.0f + 10.1f);
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
