#include "characters/character.h"

bool Character::think(float dt) { return update(dt); }
