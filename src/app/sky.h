// Sky colour over the day, fog above and under water, splashes, and the one
// fixed directional light.
#pragma once

#include "game_state.h" // ViewDistance

extern float SkyColour[4];
extern bool CameraUnderwater;
extern bool CameraWasUnderwater;
extern float FogStart;
extern float FogDensity;
extern const float UnderwaterFogColour[4];
extern const float LightPosition[4];

void stepSkyColour(float targetRed, float targetGreen, float targetBlue, float step);

// The sky target of the time band that TimeOfDay lies in, stepped by
// FrameDelta x 0.1.
void updateSkyColour();

void updateFog(float dt);
