#include "characters/character_list.h"

#include <cmath>

CharacterList Characters;
uint32_t GoblinEnemyKind = Orc;
const float NothingNearDistance = std::sqrt(100000.0f);

namespace {

// What the queries start from and report when nothing qualifies: farther
// than every range the behaviours use.
constexpr float NoneScore = 100000.0f;

float score(const Character& c, float x, float y, float z, float& horizontalSq)
{
    float dx = c.x - x;
    float dz = c.z - z;
    horizontalSq = dx * dx + dz * dz;
    return horizontalSq + std::fabs(c.y - y);
}

bool findable(const Character& c) { return c.has(Active) && !(c.health < 0.0f); }

} // namespace

CharacterList::CharacterList() = default;
CharacterList::~CharacterList() { clear(); }

void CharacterList::add(Character* character)
{
    if (character->kind == Fire) {
        second.push_back(character);
        return;
    }
    character->setupKind(false);
    main.push_back(character);
}

void CharacterList::removeMain(size_t index)
{
    Character* gone = main[index];
    main.erase(main.begin() + std::ptrdiff_t(index));
    forgetTarget(gone);
    delete gone;
}

void CharacterList::removeSecond(size_t index)
{
    Character* gone = second[index];
    second.erase(second.begin() + std::ptrdiff_t(index));
    forgetTarget(gone);
    delete gone;
}

void CharacterList::clear()
{
    for (Character* c : main)
        delete c;
    for (Character* c : second)
        delete c;
    main.clear();
    second.clear();
}

Character* CharacterList::findNearestOfKind(float x, float y, float z, uint32_t kind,
                                            float& outDistance) const
{
    float best = NoneScore;
    Character* result = main.empty() ? nullptr : main.front();
    for (Character* c : main) {
        if (c->kind != kind || !findable(*c) || (c->x == x && c->z == z))
            continue;
        float horizontalSq;
        float s = score(*c, x, y, z, horizontalSq);
        if (s < best) {
            best = s;
            result = c;
        }
    }
    outDistance = std::sqrt(best);
    return result;
}

Character* CharacterList::findNearestNotOfKind(float x, float y, float z, int kind,
                                               float& outDistance, float* outDy) const
{
    float best = NoneScore;
    Character* result = main.empty() ? nullptr : main.front();
    if (outDy)
        *outDy = 0.0f;
    for (Character* c : main) {
        if ((kind != -1 && c->kind == uint32_t(kind)) || !findable(*c))
            continue;
        float horizontalSq;
        float s = score(*c, x, y, z, horizontalSq);
        if (horizontalSq == 0.0f)
            continue;
        if (s < best) {
            best = s;
            result = c;
            if (outDy)
                *outDy = y - c->y;
        }
    }
    outDistance = std::sqrt(best);
    return result;
}

void CharacterList::forgetTarget(const Character* gone)
{
    for (Character* c : main)
        if (c->target == gone)
            c->target = nullptr;
    for (Character* c : second)
        if (c->target == gone)
            c->target = nullptr;
}
