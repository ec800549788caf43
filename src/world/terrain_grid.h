// The world's per-cell grids, the cell kinds, the water level, the one random
// helper, the operators that shape the grids and the queries against them.
// Every grid is 500 x 500 in row-major order: cell (x, z) is element
// z * 500 + x. The grids live for the whole run; the world generator fills
// them and characters change single cells during play.
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
extern TerrainGrid scratchGrid;   // smoothGrid's work area, nothing else

constexpr float waterLevel = -0.5f;
extern float homeCentreX;
extern float homeCentreZ;

inline int cellIndex(int x, int z) { return z * WorldSize + x; }

// The world's one random sequence: GNU C's generator, the same numbers its
// rand() gives after srand(seed), computed by our own code on a state of our
// own, so any C library gives the same worlds; rand() itself takes a lock
// on every draw, which made it a third of the world build. Unseeded, it
// starts as rand() does, from seed 1.
void seedRandom(unsigned seed);
int nextRandom();

// low + (nextRandom() mod (high - low + 1)), inclusive at both ends, high
// first; 0 without drawing when the range is empty.
int randomBetween(int high, int low);

void fillGrid(float* grid, int width, int height, float value);
void fillGrid(int32_t* grid, int width, int height, int32_t value);
// Adds (nextRandom() mod trunc(amplitude * 100)) * 0.001 to every element; an
// amplitude below 0.01 adds nothing.
void addNoise(float* grid, int width, int height, float amplitude);
// Averages each cell with its four edge neighbours, the grid taken as a torus,
// clamping below at -20, the given number of times. Lives in grid_smoothing.cpp.
void smoothGrid(float* grid, int width, int height, int passes);
// mode 0 adds the value to each visited cell, mode 1 sets it, others only walk.
void randomWalks(float* grid, int width, int height, float value, int steps, int walks, int mode);
// Walks that paint a CellKind (kind 2: each walk draws grass, plant or
// flowers); markers (may be null) get 2.0 on each walked cell; brush 1 and 2
// also paint the edge neighbours inside the grid and leash the walker to 30
// and 200 cells from its start.
void paintWalks(int32_t* kinds, float* markers, int width, int height, int kind, int steps, int walks,
                int brush);
void replaceKindBelow(int32_t* kinds, const float* values, int width, int height, int fromKind,
                      int toKind, float threshold);
// Wraps both coordinates into 0..498 (period 499: cell 499 is cell 0).
void wrapCell(int& x, int& z);
// Bilinear ground height at a world point.
float heightAt(float x, float z);

struct HeightSpan {
    float high;
    float low;
};
// The largest and smallest truncated height of the eight samples half a cell
// around (row, column).
HeightSpan heightRange(float row, float column);

void computeNormals();
