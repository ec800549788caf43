#include "app/player_placement.h"

#include "characters/character_list.h"
#include "world/terrain_grid.h"

#include <cstdio>

bool parsePlacement(const char* text, PlayerPlacement& out)
{
    PlayerPlacement parsed;
    const int n = std::sscanf(text, "%f,%f,%f", &parsed.x, &parsed.z, &parsed.heading);
    if (n < 2 || !(parsed.x >= 0.0f && parsed.x < 499.0f) || !(parsed.z >= 0.0f && parsed.z < 499.0f))
        return false;
    out = parsed;
    return true;
}

void placePlayer(const PlayerPlacement& placement)
{
    if (Characters.main.empty())
        return;
    Character* player = Characters.player();
    player->x = placement.x;
    player->z = placement.z;
    player->y = heightAt(placement.x, placement.z);
    player->heading = placement.heading;
}
