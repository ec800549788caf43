#include "characters/character_list.h"

CharacterList Characters;
uint32_t GoblinEnemyKind = Orc;

CharacterList::CharacterList() = default;
CharacterList::~CharacterList() { clear(); }

void CharacterList::add(Character* character)
{
    if (character->kind == Fire)
        second.push_back(character);
    else
        main.push_back(character);
}

void CharacterList::removeMain(size_t) {}
void CharacterList::removeSecond(size_t) {}

void CharacterList::clear()
{
    for (Character* c : main)
        delete c;
    for (Character* c : second)
        delete c;
    main.clear();
    second.clear();
}

Character* CharacterList::findNearestOfKind(float, float, float, uint32_t, float& outDistance) const
{
    outDistance = 316.2f;
    return main.empty() ? nullptr : main.front();
}

Character* CharacterList::findNearestNotOfKind(float, float, float, int, float& outDistance,
                                               float*) const
{
    outDistance = 316.2f;
    return main.empty() ? nullptr : main.front();
}

void CharacterList::forgetTarget(const Character*) {}
