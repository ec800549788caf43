#include "assets/animation.h"
#include "small_world.h"
#include "world/terrain_grid.h"

#include <cstdlib>

TEST_F(SmallWorld, NewCharacterIsABirdFlockWithTheDefaultsInDrawOrder)
{
    int male = 0;
    for (unsigned seed = 1; seed <= 200; ++seed) {
        // The same draws, in the constructor's order.
        seedRandom(seed);
        int destX = nextRandom() % 501;
        int destZ = nextRandom() % 501;
        int phase = nextRandom() % 101;
        bool isMale = nextRandom() % 2 == 1;
        bool altSkin = nextRandom() % 2 == 1;

        seedRandom(seed);
        Character c;
        ASSERT_EQ(c.kind, uint32_t(BirdFlock));
        EXPECT_EQ(c.x, 60.0f);
        EXPECT_EQ(c.y, 0.0f);
        EXPECT_EQ(c.z, 60.0f);
        EXPECT_EQ(c.health, 35.0f);
        EXPECT_EQ(c.scaleY, 1.0f);
        EXPECT_EQ(c.scaleX, 1.0f);
        EXPECT_EQ(c.scaleZ, 1.0f);
        EXPECT_EQ(c.state, uint32_t(Walk));
        EXPECT_EQ(c.phaseRate, 3.0f);
        EXPECT_EQ(c.model, nullptr);
        EXPECT_EQ(c.target, nullptr);
        EXPECT_TRUE(c.has(Active));
        EXPECT_EQ(c.destX, float(destX));
        EXPECT_EQ(c.destZ, float(destZ));
        EXPECT_FLOAT_EQ(c.phase, phase * 0.1f);
        EXPECT_EQ(c.has(Male), isMale);
        EXPECT_EQ(c.has(AltSkin), altSkin);
        EXPECT_EQ(c.flags & ~(Active | Male | AltSkin), 0u);
        // The start values the drawing may read before anything writes them.
        EXPECT_EQ(c.viewX, 60.0f);
        EXPECT_EQ(c.viewZ, 60.0f);
        EXPECT_EQ(c.cameraDistanceSq, 0.0f);
        EXPECT_EQ(c.aimPitch, 0.0f);
        male += c.has(Male);
    }
    EXPECT_GT(male, 60);
    EXPECT_LT(male, 140);
}

TEST_F(SmallWorld, SetKindGivesEachKindItsBodyAndReusesTheModel)
{
    Character c;
    c.flags = Active | Jump | KnockedBack;
    c.tilt = 1.0f;
    c.pitch = 2.0f;
    c.setKind(Villager, false);
    ASSERT_NE(c.model, nullptr);
    EXPECT_FALSE(c.has(Jump));
    EXPECT_FALSE(c.has(KnockedBack));
    EXPECT_EQ(c.tilt, 0.0f);
    EXPECT_EQ(c.pitch, 0.0f);
    EXPECT_EQ(c.scaleY, 1.0f);
    AnimatedModel* model = c.model;

    c.strength = 5.0f;
    c.setKind(Orc, false);
    EXPECT_EQ(c.model, model);
    EXPECT_FLOAT_EQ(c.scaleY, 1.5f);
    EXPECT_FLOAT_EQ(c.scaleX, 1.5f);
    EXPECT_FLOAT_EQ(c.scaleZ, 1.5f);
    EXPECT_FLOAT_EQ(c.radius(), 0.6f);

    c.setKind(Villager, false);
    EXPECT_EQ(c.model, model);

    // A zombie lying in the ground keeps the body and the sex it had.
    c.set(Male);
    c.setKind(DormantZombie, false);
    EXPECT_EQ(c.model, model);
    EXPECT_TRUE(c.has(Male));
    EXPECT_EQ(c.scaleY, 8.0f);
    EXPECT_EQ(c.scaleX, 7.0f);
    EXPECT_EQ(c.scaleZ, 7.0f);

    Character king;
    king.clear(Male);
    king.setKind(ZombieKing, false);
    EXPECT_TRUE(king.has(Male));
    EXPECT_NE(king.model, nullptr);

    Character orb;
    orb.setKind(PowerOrb, false);
    EXPECT_EQ(orb.model, nullptr);
    EXPECT_EQ(orb.scaleY, 3.0f);
    EXPECT_EQ(orb.scaleZ, 3.0f);

    Character tree;
    tree.scaleY = 1.0f;
    tree.scaleX = tree.scaleZ = 2.0f;
    tree.setKind(BurningTree, false);
    EXPECT_EQ(tree.scaleY, 1.0f);
    EXPECT_EQ(tree.scaleX, 2.0f);

    // A value that names no kind gets the fall-back body.
    Character odd;
    odd.setKind(20, false);
    EXPECT_EQ(odd.scaleY, 8.0f);
    EXPECT_EQ(odd.model, nullptr);
    EXPECT_FLOAT_EQ(odd.radius(), 0.3f);

    // Loading now ends the cross-fade at once.
    Character shown;
    shown.setKind(Goblin, true);
    ASSERT_NE(shown.model, nullptr);
    EXPECT_EQ(shown.model->fadeWeight, 1.0f);
    EXPECT_EQ(shown.model->fadeFrom, nullptr);
}

TEST_F(SmallWorld, RadiusAndReachByKind)
{
    Character orc, fire, goblin, villager;
    orc.setKind(Orc, false);
    orc.scaleY = 2.0f;
    fire.setKind(Fire, false);
    goblin.setKind(Goblin, false);
    villager.setKind(Villager, false);
    EXPECT_FLOAT_EQ(orc.radius(), 0.8f);
    EXPECT_EQ(fire.radius(), -100.0f);
    EXPECT_FLOAT_EQ(goblin.radius(), 0.4f);
    EXPECT_FLOAT_EQ(villager.radius(), 0.3f);
    EXPECT_FLOAT_EQ(villager.reach(goblin), 0.9f);
    EXPECT_LT(villager.reach(fire), 0.0f);

    villager.x = 10.0f;
    villager.z = 10.0f;
    EXPECT_FALSE(villager.inReach());
    goblin.x = 10.85f;
    goblin.z = 10.0f;
    villager.target = &goblin;
    EXPECT_TRUE(villager.inReach());
    goblin.x = 10.95f;
    EXPECT_FALSE(villager.inReach());
    // Height does not count for reach.
    goblin.x = 10.5f;
    goblin.y = 50.0f;
    EXPECT_TRUE(villager.inReach());
    villager.target = &fire;
    EXPECT_FALSE(villager.inReach());
}

TEST_F(SmallWorld, AddingRerunsTheSetUpExceptForFires)
{
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->scaleY = fire->scaleX = fire->scaleZ = 0.2f;
    fire->pitch = 90.0f;
    Characters.add(fire);
    ASSERT_EQ(Characters.second.size(), 1u);
    EXPECT_EQ(Characters.second[0], fire);
    EXPECT_TRUE(Characters.main.empty());
    EXPECT_EQ(fire->scaleY, 0.2f);
    EXPECT_EQ(fire->pitch, 90.0f);

    Character* goblin = new Character;
    goblin->setKind(Goblin, false);
    goblin->scaleY = 3.0f;
    goblin->set(Jump);
    Characters.add(goblin);
    EXPECT_EQ(goblin->scaleY, 1.0f);
    EXPECT_FALSE(goblin->has(Jump));

    Character* shrub = new Character;
    shrub->setKind(BurningShrub, false);
    shrub->scaleY = 6.5f;
    shrub->scaleX = shrub->scaleZ = 2.0f;
    Characters.add(shrub);
    EXPECT_EQ(shrub->scaleY, 6.5f);
    EXPECT_EQ(shrub->scaleX, 2.0f);

    Character* orc = new Character;
    orc->setKind(Orc, false);
    orc->strength = 15.0f;
    orc->scaleY = 30.0f;
    Characters.add(orc);
    EXPECT_FLOAT_EQ(orc->scaleY, 2.5f);

    ASSERT_EQ(Characters.main.size(), 3u);
    EXPECT_EQ(Characters.main[0], goblin);
    EXPECT_EQ(Characters.main[1], shrub);
    EXPECT_EQ(Characters.main[2], orc);
}
