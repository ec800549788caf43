// CharacterList: the one collection that owns every character, in order of
// addition (the player first), with fires in a second list. It answers the
// nearest-character queries, runs the game tick and draws the characters.
// One program-wide instance, Characters.
#pragma once

#include "characters/character.h"

#include <cstddef>
#include <vector>

struct CharacterList {
    std::vector<Character*> main;
    std::vector<Character*> second;

    CharacterList();
    ~CharacterList();

    Character* player() const { return main.front(); }

    void add(Character* character);
    // Deletes the character at the index and closes the gap. No target field
    // anywhere is left pointing at it.
    void removeMain(size_t index);
    void removeSecond(size_t index);
    void clear();

    // The nearest active, living character of the main list by squared
    // horizontal distance plus the plain height difference; ties keep the
    // earlier one. With none, the distance is sqrt(100000) (316.2) and the
    // player is returned (null only when the list is empty). A kind of -1
    // excludes nothing; outDy is the query's y minus the found one's.
    Character* findNearestOfKind(float x, float y, float z, uint32_t kind, float& outDistance) const;
    Character* findNearestNotOfKind(float x, float y, float z, int kind, float& outDistance,
                                    float* outDy = nullptr) const;

    void gameTick(float dt);
    void drawAll();
    void drawBlended();

private:
    void forgetTarget(const Character* gone);
};

extern CharacterList Characters;

// The distance the queries report when nothing qualifies: sqrt(100000).
extern const float NothingNearDistance;
extern uint32_t GoblinEnemyKind;
