#include "small_world.h"

#include <cmath>

TEST_F(SmallWorld, NearestOfKindScoresTiesAndExclusions)
{
    Character* player = placePlayer(400.0f, 400.0f);
    float d = 0.0f;

    // Nothing of the kind: the player and sqrt(100000).
    EXPECT_EQ(Characters.findNearestOfKind(100, 0, 100, Goblin, d), player);
    EXPECT_NEAR(d, 316.2f, 0.05f);

    // One exactly below the asking point is skipped.
    Character* below = place(Goblin, 100.0f, -2.0f, 100.0f);
    EXPECT_EQ(Characters.findNearestOfKind(100, 0, 100, Goblin, d), player);
    EXPECT_NEAR(d, 316.2f, 0.05f);

    // Height counts linearly: 3 across and 4 up scores 13, beating 3.7 level.
    Character* level = place(Goblin, 103.7f, 0.0f, 100.0f);
    Character* high = place(Goblin, 100.0f, 4.0f, 103.0f);
    EXPECT_EQ(Characters.findNearestOfKind(100, 0, 100, Goblin, d), high);
    EXPECT_NEAR(d, std::sqrt(13.0f), 1e-4f);

    // Dying and inactive ones are never found.
    high->health = -0.5f;
    EXPECT_EQ(Characters.findNearestOfKind(100, 0, 100, Goblin, d), level);
    level->clear(Active);
    EXPECT_EQ(Characters.findNearestOfKind(100, 0, 100, Goblin, d), player);
    high->health = 0.0f;
    EXPECT_EQ(Characters.findNearestOfKind(100, 0, 100, Goblin, d), high);

    // A tie keeps the earlier one.
    Character* twin = place(Goblin, 97.0f, 4.0f, 100.0f);
    EXPECT_EQ(Characters.findNearestOfKind(100, 0, 100, Goblin, d), high);
    high->clear(Active);
    EXPECT_EQ(Characters.findNearestOfKind(100, 0, 100, Goblin, d), twin);
    (void)below;

    // Fires are never found.
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->x = 100.5f;
    fire->z = 100.0f;
    Characters.add(fire);
    EXPECT_NE(Characters.findNearestOfKind(100, 0, 100, Fire, d), fire);
    EXPECT_NE(Characters.findNearestNotOfKind(100, 0, 100, -1, d), fire);
}

TEST_F(SmallWorld, NearestNotOfKindExcludesTheAskerAndReportsTheHeightDifference)
{
    Character* player = placePlayer(400.0f, 400.0f);
    Character* asker = place(Orc, 100.0f, 1.0f, 100.0f);
    Character* orc = place(Orc, 101.0f, 0.0f, 100.0f);
    Character* villager = place(Villager, 102.0f, 3.0f, 100.0f);
    float d = 0.0f, dy = 99.0f;

    EXPECT_EQ(Characters.findNearestNotOfKind(100, 1, 100, -1, d, &dy), orc);
    EXPECT_NEAR(d, std::sqrt(2.0f), 1e-5f);
    EXPECT_FLOAT_EQ(dy, 1.0f);

    EXPECT_EQ(Characters.findNearestNotOfKind(100, 1, 100, Orc, d, &dy), villager);
    EXPECT_NEAR(d, std::sqrt(6.0f), 1e-5f);
    EXPECT_FLOAT_EQ(dy, -2.0f);

    // Nobody left: the player, 316.2 and a height difference of 0.
    villager->health = -1.0f;
    player->clear(Active);
    EXPECT_EQ(Characters.findNearestNotOfKind(100, 1, 100, Orc, d, &dy), player);
    EXPECT_NEAR(d, 316.2f, 0.05f);
    EXPECT_EQ(dy, 0.0f);
    (void)asker;

    // The empty collection has no answer.
    Characters.clear();
    EXPECT_EQ(Characters.findNearestNotOfKind(100, 1, 100, -1, d), nullptr);
    EXPECT_EQ(Characters.findNearestOfKind(100, 1, 100, Orc, d), nullptr);
    EXPECT_NEAR(d, 316.2f, 0.05f);
}

TEST_F(SmallWorld, RemovalKeepsOrderAndLeavesNoTargetPointingAtTheRemoved)
{
    Character* player = placePlayer();
    Character* a = place(Orc, 10, 0, 10);
    Character* b = place(Goblin, 20, 0, 20);
    Character* c = place(Villager, 30, 0, 30);
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->target = b;
    Characters.add(fire);
    Character* otherFire = new Character;
    otherFire->setKind(Fire, false);
    Characters.add(otherFire);
    player->target = b;
    a->target = b;
    c->target = a;

    Characters.removeMain(2);
    ASSERT_EQ(Characters.main.size(), 3u);
    EXPECT_EQ(Characters.main[0], player);
    EXPECT_EQ(Characters.main[1], a);
    EXPECT_EQ(Characters.main[2], c);
    EXPECT_EQ(player->target, nullptr);
    EXPECT_EQ(a->target, nullptr);
    EXPECT_EQ(fire->target, nullptr);
    EXPECT_EQ(c->target, a);

    // A character hit by the removed fire's maker still reads a live record.
    c->target = otherFire;
    Characters.removeSecond(0);
    ASSERT_EQ(Characters.second.size(), 1u);
    EXPECT_EQ(Characters.second[0], otherFire);
    EXPECT_EQ(c->target, otherFire);
    Characters.removeSecond(0);
    EXPECT_TRUE(Characters.second.empty());
    EXPECT_EQ(c->target, nullptr);
}
