// The tick's sweep over the other characters: finished ones are removed
// without the next one missing its step, and characters made during the
// sweep are stepped in it.
#include "tick_fixture.h"

#include "characters/character_list.h"

#include <algorithm>

namespace {

bool inMain(const Character* c)
{
    return std::find(Characters.main.begin(), Characters.main.end(), c) != Characters.main.end();
}

Character* addFire(float x, float z, float health)
{
    Character* fire = new Character();
    fire->kind = Fire;
    fire->setupKind(false);
    fire->x = x;
    fire->y = 1.0f;
    fire->z = z;
    fire->scaleY = fire->scaleX = fire->scaleZ = 0.2f;
    fire->health = health;
    fire->pitch = -1.57075f; // landed
    fire->flags = Active;
    Characters.add(fire);
    return fire;
}

} // namespace

TEST_F(TickTest, FinishedCharactersGoWithoutTheNextMissingItsStep)
{
    Character* orb = addCharacter(PowerOrb, 106.0f, 104.0f);
    orb->health = -200.0f; // picked up: finished on its next step
    Character* flock = addCharacter(BirdFlock, 110.0f, 100.0f);
    Character* secondOrb = addCharacter(PowerOrb, 112.0f, 104.0f);
    secondOrb->health = -200.0f;
    Character* lastFlock = addCharacter(BirdFlock, 114.0f, 100.0f);
    Character* spentFire = addFire(120.0f, 130.0f, -5.0f);
    Character* fire = addFire(130.0f, 130.0f, 10.0f);

    Characters.gameTick(0.1f);

    ASSERT_EQ(Characters.main.size(), 3u);
    EXPECT_EQ(Characters.main[1], flock);
    EXPECT_EQ(Characters.main[2], lastFlock);
    EXPECT_NEAR(flock->z, 101.2f, 1e-4f);
    EXPECT_NEAR(lastFlock->z, 101.2f, 1e-4f);
    ASSERT_EQ(Characters.second.size(), 1u);
    EXPECT_EQ(Characters.second[0], fire);
    EXPECT_NEAR(fire->scaleY, 0.7f, 1e-4f);
    (void)spentFire;
}

TEST_F(TickTest, CharactersMadeDuringTheSweepAreSteppedInIt)
{
    // A burning goblin at the end of its strength: its own fire kills it, it
    // leaves a power orb at the end of the main list and a small fire in
    // the second list, and both take their first step in the same tick.
    Character* goblin = addCharacter(Goblin, 120.0f, 110.0f);
    goblin->health = 0.01f;
    goblin->set(Burning);
    goblin->y = 5.0f; // above water and ground: it cannot be put out

    Characters.gameTick(0.1f);

    ASSERT_LT(goblin->health, 0.0f);
    ASSERT_EQ(Characters.main.size(), 3u);
    Character* orb = Characters.main[2];
    EXPECT_EQ(orb->kind, PowerOrb);
    EXPECT_NEAR(orb->health, 40.0f - 0.4f, 1e-4f);
    ASSERT_EQ(Characters.second.size(), 1u);
    Character* fire = Characters.second[0];
    EXPECT_EQ(fire->target, goblin);
    EXPECT_NEAR(fire->scaleY, 0.7f, 1e-4f);
    EXPECT_TRUE(inMain(goblin));
}
