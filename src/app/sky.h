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
// FrameDelta x 0.1, with FrameDelta taken as at most 0.25 s.
void updateSkyColour();

// At night the fog's start and density move by dt x 10.1, with dt taken as
// at most 0.25 s.
void updateFog(float dt);
