#include "app/sky.h"

#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/sound_system.h"
#include "world/terrain_grid.h"

#include <GL/gl.h>

float SkyColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
bool CameraUnderwater = true;
bool CameraWasUnderwater = false;
int ViewDistance = 100;
float FogStart = 50.0f;
float FogDensity = 0.009f;
const float UnderwaterFogColour[4] = {0.0f, 0.3f, 0.5f, 0.0f};
const float LightPosition[4] = {0.5403023f, 1.0f, 0.0f, 0.0f};

namespace {

struct SkyBand {
    float red, green, blue;
};

constexpr SkyBand Dawn = {0.9f, 0.5f, 0.0f};
constexpr SkyBand Day = {0.3f, 0.4f, 1.0f};
constexpr SkyBand Night = {0.0f, 0.0f, 0.15f};

constexpr int ViewDistanceAbove = 100;
constexpr int ViewDistanceBelow = 50;
constexpr float DayFogStart = 50.0f;
constexpr float DayFogDensity = 0.009f;
constexpr float NightFogRate = 10.1f;
constexpr float UnderwaterFogDensity = 70.0f;

// A pause comes back as one long frame step. The sky and the night fog take
// at most this much of it, so that one frame cannot carry a colour far past
// its target (from where it would walk back for as long as the pause lasted)
// or the fog's start far below its bound (where it stayed until morning).
// Shorter steps pass whole; the world itself takes the whole step.
constexpr float LongestLookStep = 0.25f;

float lookStep(float dt) { return dt > LongestLookStep ? LongestLookStep : dt; }

const SkyBand& bandAt(float hour)
{
    if (hour < 2.0f)
        return Dawn;
    if (hour <= 12.0f)
        return Day;
    return Night;
}

// Rises past the target by less than one step; falls only while more than a
// step above it, so a channel settles anywhere in [target, target + step].
void stepChannel(float& channel, float target, float step)
{
    if (channel < target)
        channel += step;
    else if (channel > target + step)
        channel -= step;
}

void playSplashOnChange()
{
    if (CameraWasUnderwater != CameraUnderwater)
        Sound.play(CameraWasUnderwater ? SoundSlot::SplashOut : SoundSlot::Splash, 1.0f);
    CameraWasUnderwater = CameraUnderwater;
}

// Night closes the fog in gradually; each limit is tested before its step,
// so both may end a little past it. Day snaps back at once.
void fogAboveWater(float dt)
{
    CameraUnderwater = false;
    ViewDistance = ViewDistanceAbove;
    if (TimeOfDay > 12.0f) {
        if (FogDensity < 20.0f)
            FogDensity += lookStep(dt) * NightFogRate;
        if (FogStart > -50.0f)
            FogStart -= lookStep(dt) * NightFogRate;
    } else {
        FogStart = DayFogStart;
        FogDensity = DayFogDensity;
    }
    glFogf(GL_FOG_START, FogStart);
    glFogf(GL_FOG_DENSITY, FogDensity);
    glFogfv(GL_FOG_COLOR, SkyColour);
}

// The short view is set up only on the way down: a camera that starts under
// water keeps the long view until it has surfaced once.
void fogUnderWater()
{
    if (!CameraUnderwater) {
        glFogf(GL_FOG_DENSITY, UnderwaterFogDensity);
        ViewDistance = ViewDistanceBelow;
        CameraUnderwater = true;
    }
    glFogfv(GL_FOG_COLOR, UnderwaterFogColour);
    glFogf(GL_FOG_START, float(-ViewDistance));
}

} // namespace

void stepSkyColour(float targetRed, float targetGreen, float targetBlue, float step)
{
    stepChannel(SkyColour[0], targetRed, step);
    stepChannel(SkyColour[1], targetGreen, step);
    stepChannel(SkyColour[2], targetBlue, step);
}

void updateSkyColour()
{
    const SkyBand& band = bandAt(TimeOfDay);
    stepSkyColour(band.red, band.green, band.blue, lookStep(FrameDelta) * 0.1f);
}

void updateFog(float dt)
{
    playSplashOnChange();
    if (GameCamera.targetY > waterLevel)
        fogAboveWater(dt);
    else
        fogUnderWater();
    glFogf(GL_FOG_END, float(ViewDistance - 5));
}
