// Generates the world's terrain from a seed: heights, layout, objects,
// villages and colours, calling the character spawns of world_spawns.h in
// their places. The app's world build runs it between the assets and the
// sounds.
#pragma once

#include "world/terrain_grid.h"

// It clears the grids, the home centre and the character collection first,
// so it may run again (the benchmarks and world tests do).
void generateWorld(unsigned seed);

void buildVillage(int x, int z, int width, int depth, float wallHeight, int mode);
void paintVillage(int x, int z, int width, int depth, float wallHeight, int mode);

// The land layout of the last generated world, one value per cell: 0 meadow,
// 1 forest, 2 thin and 3 thick shrub land, 4 cottage land, 5 bare land.
// Kept off the stack (1 MB); only the generator writes it.
extern KindGrid layoutGrid;
