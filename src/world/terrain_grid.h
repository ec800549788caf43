// The world's per-cell grids, the cell kinds, the water level, the one random
// helper, the operators that shape the grids and the queries against them.
// Every grid is 500 x 500 in row-major order: cell (x, z) is element
// z * 500 + x. The grids live for the whole run.
#pragma once

#include "world/geometry.h"

#include <cstdint>

using TerrainGrid = float[WorldSize * WorldSize];
using KindGrid = int32_t[WorldSize * WorldSize];

enum CellKind : int32_t {
    Empty = 0,
    Tree = 1,
    Grass = 2,
    Shrub = 3,
    Plant = 4,
    Flowers = 5,
    Cottage = 6,
};

struct Normal {
    float x, y, z;
};

extern TerrainGrid heightGrid;
extern TerrainGrid redGrid;
extern TerrainGrid greenGrid;
extern TerrainGrid blueGrid;
extern TerrainGrid plantSizeGrid;
extern TerrainGrid wavePhaseGrid;
extern KindGrid kindGrid;
extern Normal normalGrid[WorldSize * WorldSize];
extern TerrainGrid scratchGrid;

constexpr float waterLevel = -0.5f;
extern float homeCentreX;
extern float homeCentreZ;

inline int cellIndex(int x, int z) { return z * WorldSize + x; }

// low + (rand() mod (high - low + 1)), inclusive at both ends, high first;
// 0 without drawing when the range is empty.
int randomBetween(int high, int low);

void fillGrid(float* grid, int width, int height, float value);
void fillGrid(int32_t* grid, int width, int height, int32_t value);
void addNoise(float* grid, int width, int height, float amplitude);
void smoothGrid(float* grid, int width, int height, int passes);
void randomWalks(float* grid, int width, int height, float value, int steps, int walks, int mode);
void paintWalks(int32_t* kinds, float* markers, int width, int height, int kind, int steps, int walks,
                int brush);
void replaceKindBelow(int32_t* kinds, const float* values, int width, int height, int fromKind,
                      int toKind, float threshold);
void wrapCell(int& x, int& z);
float heightAt(float x, float z);

struct HeightSpan {
    float high;
    float low;
};
HeightSpan heightRange(float row, float column);

void computeNormals();
