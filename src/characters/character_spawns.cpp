#include "world/world_spawns.h"

void spawnPlayer() {}
void spawnCottageVillager(int, int) {}
void spawnKey(int, int) {}
void spawnInhabitants() {}
