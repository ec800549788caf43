// The world build: the one step that reaches every subsystem, run once by the
// frame loop when the loading screen has been shown.
#pragma once

// The asset step: the world's textures, the scenery lists compiled from the
// world's shapes, then the animation table and the cottage model.
void buildWorldAssets();

// The asset step, the terrain with its characters from the clock's seed, and
// last the sound system with its table.
void buildWorld();
