#include "characters/character_list.h"

void Character::draw() {}
void CharacterList::drawAll() {}
void CharacterList::drawBlended() {}
