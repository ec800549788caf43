#include "world/terrain_drawing.h"

float waterWaveTime = 0.0f;

void drawTerrain(float, float) {}
void drawWater(float, float) {}
