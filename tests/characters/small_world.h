// A small hand-made world for the character tests: flat ground at a chosen
// height, empty vegetation, no scenery, an empty collection, and the globals
// the characters read set to known values.
#pragma once

#include "app/frame_loop.h"
#include "app/game_tick.h"
#include "characters/character_list.h"
#include "platform/headless/headless.h"
#include "world/scenery.h"
#include "world/terrain_grid.h"

#include <gtest/gtest.h>

#include <cstdlib>

inline void flattenWorld(float height)
{
    for (int i = 0; i < WorldSize * WorldSize; ++i) {
        heightGrid[i] = height;
        redGrid[i] = 0.0f;
        greenGrid[i] = 0.0f;
        blueGrid[i] = 0.0f;
        plantSizeGrid[i] = 0.0f;
        kindGrid[i] = Empty;
    }
}

class SmallWorld : public ::testing::Test {
protected:
    void SetUp() override
    {
        releaseAllKeys();
        seedRandom(1234);
        flattenWorld(0.0f);
        sceneryCircles.clear();
        sceneryBoxes.clear();
        Characters.clear();
        GoblinEnemyKind = Orc;
        TimeOfDay = 13.0f;
        PlayerPower = 5.0f;
        KeysFound = 0;
        homeCentreX = 402.0f;
        homeCentreZ = 397.0f;
    }

    void TearDown() override { Characters.clear(); }

    // A character of the kind at (x, y, z), added to the collection, standing
    // still and carrying no random sex.
    static Character* place(uint32_t kind, float x, float y, float z)
    {
        Character* c = new Character;
        c->setKind(kind, false);
        c->x = x;
        c->y = y;
        c->z = z;
        c->state = Idle;
        Characters.add(c);
        return c;
    }

    // The player: the first character of the collection, far from the rest.
    static Character* placePlayer(float x = 250.0f, float z = 250.0f)
    {
        return place(Villager, x, 0.0f, z);
    }

    static int count(uint32_t kind)
    {
        int n = 0;
        for (const Character* c : Characters.main)
            n += c->kind == kind;
        for (const Character* c : Characters.second)
            n += c->kind == kind;
        return n;
    }
};
