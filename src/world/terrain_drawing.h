// Ground and water, emitted every frame from the grids over a 120 x 120
// window around a centre point; the world repeats with period 499.
#pragma once

extern float waterWaveTime;

// The ground goes from vertex arrays, one strip per column of cells, less the
// runs of quads wholly outside the view; the picture is that of every strip.
void drawTerrain(float centreX, float centreZ);
void drawWater(float centreX, float centreZ);
