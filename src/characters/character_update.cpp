#include "characters/character.h"

bool Character::update(float) { return true; }
void Character::strike() {}
void Character::takeHit(float, Character*, bool) {}
bool Character::afterDeath() { return true; }
