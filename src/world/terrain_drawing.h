// Ground and water, emitted every frame from the grids over a 120 x 120
// window around a centre point; the world repeats with period 499.
#pragma once

extern float waterWaveTime;

void drawTerrain(float centreX, float centreZ);
// The ground as plain immediate-mode strips, every triangle of the window:
// what drawTerrain draws, pixel for pixel, and its reference in the tests.
void drawTerrainImmediate(float centreX, float centreZ);
// On (the default), drawTerrain sends the window from vertex arrays and
// leaves out the triangles wholly outside the view; off, it draws the
// immediate-mode strips.
extern bool TerrainFastPath;
void drawWater(float centreX, float centreZ);
