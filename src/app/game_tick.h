// The game tick's globals: the player's power pool, the quest's keys and
// stage, the effect-sound switch and the snapshot of the player that the
// camera and the overlay read. The tick itself is CharacterList::gameTick.
#pragma once

#include "game_state.h" // PlayerPower, KeysFound

extern int QuestStage;
extern bool EffectSoundsEnabled;

struct PlayerSnapshotRecord {
    float x, y, z;
    float heading;
    bool attacking;
    float health;
    float strength;
    float targetHealth;
};

extern PlayerSnapshotRecord PlayerSnapshot;
