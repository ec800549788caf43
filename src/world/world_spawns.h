// The characters the world generator places, in the places it calls them.
// The world generator owns the order; the characters subsystem owns the
// records (character_spawns.cpp).
#pragma once

// Empties the collection, so that a new world starts with no characters.
void removeAllCharacters();

// The player, first in the collection.
void spawnPlayer();
// A villager standing by a cottage at cell (x, z).
void spawnCottageVillager(int x, int z);
// A village's key.
void spawnKey(int x, int z);
// The inhabitants' table, in its row order.
void spawnInhabitants();
