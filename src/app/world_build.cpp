#include "app/world_build.h"

#include "app/sound_system.h"
#include "assets/asset_tables.h"
#include "platform/backend.h"
#include "world/shape_primitives.h"
#include "world/world_generator.h"

void buildWorldAssets()
{
    loadWorldTextures();
    compileSceneryLists();
    loadWorldModels();
}

void buildWorld()
{
    buildWorldAssets();
    generateWorld(worldSeed());
    Sound.loadTable();
}
