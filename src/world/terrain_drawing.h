// Ground and water, emitted every frame in immediate mode from the grids over
// a 120 x 120 window around a centre point; the world repeats with period 499.
#pragma once

extern float waterWaveTime;

void drawTerrain(float centreX, float centreZ);
void drawWater(float centreX, float centreZ);
