#include "world/terrain_grid.h"

TerrainGrid heightGrid;
TerrainGrid redGrid;
TerrainGrid greenGrid;
TerrainGrid blueGrid;
TerrainGrid plantSizeGrid;
TerrainGrid wavePhaseGrid;
KindGrid kindGrid;
Normal normalGrid[WorldSize * WorldSize];
TerrainGrid scratchGrid;
float homeCentreX = 375.0f;
float homeCentreZ = 375.0f;

int randomBetween(int, int) { return 0; }
void fillGrid(float*, int, int, float) {}
void fillGrid(int32_t*, int, int, int32_t) {}
void addNoise(float*, int, int, float) {}
void smoothGrid(float*, int, int, int) {}
void randomWalks(float*, int, int, float, int, int, int) {}
void paintWalks(int32_t*, float*, int, int, int, int, int, int) {}
void replaceKindBelow(int32_t*, const float*, int, int, int, int, float) {}
void wrapCell(int&, int&) {}
float heightAt(float, float) { return 0.0f; }
HeightSpan heightRange(float, float) { return {0.0f, 0.0f}; }
void computeNormals() {}
