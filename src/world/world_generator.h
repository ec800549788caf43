// Builds the new world once per run: assets, heights, layout, objects,
// villages, colours, characters and sounds. The character spawns it calls in
// their places are those of world_spawns.h.
#pragma once

#include "world/terrain_grid.h"

void buildWorld();

// buildWorld without its first step (assets) and its last (sounds); what the
// benchmarks and world tests run. The seed is given. It clears the grids,
// the home centre and the character collection first, so it may run again.
void generateWorld(unsigned seed);

void buildVillage(int x, int z, int width, int depth, float wallHeight, int mode);
void paintVillage(int x, int z, int width, int depth, float wallHeight, int mode);

// The land layout of the last generated world, one value per cell: 0 meadow,
// 1 forest, 2 thin and 3 thick shrub land, 4 cottage land, 5 bare land.
// Kept off the stack (1 MB); only the generator writes it.
extern KindGrid layoutGrid;
