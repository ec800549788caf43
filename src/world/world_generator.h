// Builds the new world once per run: assets, heights, layout, objects,
// villages, colours, characters and sounds.
#pragma once

void buildWorld();

// buildWorld without its first step (assets) and its last (sounds); what the
// benchmarks and world tests run. The seed is given.
void generateWorld(unsigned seed);

void buildVillage(int x, int z, int width, int depth, float wallHeight, int mode);
void paintVillage(int x, int z, int width, int depth, float wallHeight, int mode);
