#include "app/sky.h"

#include <cmath>

float SkyColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
bool CameraUnderwater = true;
bool CameraWasUnderwater = false;
int ViewDistance = 100;
float FogStart = 50.0f;
float FogDensity = 0.009f;
const float UnderwaterFogColour[4] = {0.0f, 0.3f, 0.5f, 0.0f};
const float LightPosition[4] = {0.5403023f, 1.0f, 0.0f, 0.0f};

void stepSkyColour(float, float, float, float) {}
void updateSkyColour() {}
void updateFog(float) {}
