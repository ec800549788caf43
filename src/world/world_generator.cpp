#include "world/world_generator.h"

#include "app/sound_system.h"
#include "assets/asset_tables.h"
#include "platform/backend.h"

void buildWorld()
{
    buildWorldAssets();
    generateWorld(worldSeed());
    Sound.loadTable();
}

void generateWorld(unsigned) {}
void buildVillage(int, int, int, int, float, int) {}
void paintVillage(int, int, int, int, float, int) {}
