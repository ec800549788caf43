#include "app/game_tick.h"

#include "characters/character_list.h"
#include "platform/keys.h"

#include <cstdlib>

float PlayerPower = 5.0f;
int KeysFound = 0;
int QuestStage = 0;
bool EffectSoundsEnabled = false;
PlayerSnapshotRecord PlayerSnapshot = {};

void CharacterList::gameTick(float)
{
    if (keyDown(Key::Escape))
        std::exit(0);
}
