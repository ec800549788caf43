#include "characters/character_geometry.h"
#include "small_world.h"

#include <cmath>

namespace {

Character* lastFire() { return Characters.second.empty() ? nullptr : Characters.second.back(); }

} // namespace

TEST_F(SmallWorld, VillagersSwimBelowTheWaterAndJumpSwimsUp)
{
    flattenWorld(-5.0f);
    placePlayer();
    Character* swimmer = place(Villager, 100, waterLevel - 1.7f, 100);
    Character* wader = place(Villager, 200, waterLevel - 1.4f, 200);
    EXPECT_TRUE(swimmer->update(0.01f));
    EXPECT_TRUE(wader->update(0.01f));
    EXPECT_TRUE(swimmer->has(Swimming));
    EXPECT_FALSE(wader->has(Swimming));

    // Below water level - 2, holding Jump rises at 1 per unit of time.
    Character* diver = place(Villager, 300, waterLevel - 3.0f, 300);
    diver->set(Jump);
    diver->update(0.1f);
    float start = diver->y;
    for (int i = 0; i < 5; ++i)
        diver->update(0.1f);
    EXPECT_NEAR(diver->y - start, 0.5f, 1e-4f);
    EXPECT_TRUE(diver->has(Swimming));
    // Without it, it sinks at 1.
    diver->clear(Jump);
    diver->update(0.1f);
    start = diver->y;
    for (int i = 0; i < 5; ++i)
        diver->update(0.1f);
    EXPECT_NEAR(diver->y - start, -0.5f, 1e-4f);
}

TEST_F(SmallWorld, ABurningCharacterDropsOneLandedFirePerUpdateUntilItIsInWater)
{
    flattenWorld(-5.0f);
    placePlayer();
    Character* villager = place(Villager, 100, 1.0f, 100);
    villager->fallSpeed = 0.0f;
    villager->health = 10.0f;
    villager->set(Burning);
    for (int i = 1; i <= 3; ++i) {
        villager->y = 1.0f;
        EXPECT_TRUE(villager->update(0.01f));
        ASSERT_EQ(Characters.second.size(), size_t(i));
    }
    Character* fire = lastFire();
    EXPECT_EQ(fire->kind, uint32_t(Fire));
    EXPECT_FLOAT_EQ(fire->pitch, -1.57075f);
    EXPECT_EQ(fire->scaleY, 0.2f);
    EXPECT_EQ(fire->scaleX, 0.2f);
    EXPECT_EQ(fire->health, 10.0f);
    EXPECT_EQ(fire->target, villager);
    EXPECT_FLOAT_EQ(fire->y, villager->y + 1.0f);
    EXPECT_EQ(fire->x, villager->x);
    EXPECT_EQ(fire->z, villager->z);
    EXPECT_FLOAT_EQ(villager->health, 10.0f - 3 * 0.015f);
    EXPECT_TRUE(villager->has(Burning));

    // Into the water: one last fire, then it is out.
    villager->y = waterLevel - 0.5f;
    villager->update(0.01f);
    EXPECT_EQ(Characters.second.size(), 4u);
    EXPECT_FALSE(villager->has(Burning));
    villager->update(0.01f);
    EXPECT_EQ(Characters.second.size(), 4u);
}

TEST_F(SmallWorld, ALandingFireScorchesTheGroundAndSetsVegetationAlight)
{
    flattenWorld(2.0f);
    placePlayer();
    const int here = cellIndex(100, 100), below = cellIndex(100, 99);
    redGrid[here] = redGrid[below] = 0.5f;
    blueGrid[here] = blueGrid[below] = 0.2f;
    greenGrid[here] = greenGrid[below] = 0.7f;
    kindGrid[here] = Grass;
    kindGrid[cellIndex(102, 101)] = Shrub;
    plantSizeGrid[cellIndex(102, 101)] = 5.0f;
    kindGrid[cellIndex(98, 100)] = Tree;
    kindGrid[cellIndex(110, 100)] = Shrub;

    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->x = 100.5f;
    fire->y = 1.0f;
    fire->z = 100.5f;
    fire->pitch = 90.0f;
    fire->health = 40.0f;
    Characters.add(fire);
    EXPECT_TRUE(fire->update(0.001f));

    EXPECT_FLOAT_EQ(fire->pitch, -1.57075f);
    EXPECT_FLOAT_EQ(heightGrid[here], 1.5f);
    EXPECT_EQ(greenGrid[here], 0.0f);
    EXPECT_EQ(greenGrid[below], 0.0f);
    EXPECT_FLOAT_EQ(redGrid[here], 0.475f);
    EXPECT_FLOAT_EQ(redGrid[below], 0.475f);
    EXPECT_FLOAT_EQ(blueGrid[here], 0.19f);
    EXPECT_FLOAT_EQ(blueGrid[below], 0.19f);
    EXPECT_EQ(kindGrid[here], int32_t(Empty));
    EXPECT_FLOAT_EQ(fire->health, 40.0f - 0.03f);

    ASSERT_EQ(count(BurningShrub), 1);
    ASSERT_EQ(count(BurningTree), 1);
    EXPECT_EQ(kindGrid[cellIndex(102, 101)], int32_t(Empty));
    EXPECT_EQ(plantSizeGrid[cellIndex(102, 101)], 0.0f);
    EXPECT_EQ(kindGrid[cellIndex(98, 100)], int32_t(Empty));
    EXPECT_EQ(kindGrid[cellIndex(110, 100)], int32_t(Shrub));
    for (const Character* c : Characters.main) {
        if (c->kind == BurningShrub) {
            EXPECT_EQ(c->x, 102.5f);
            EXPECT_EQ(c->z, 101.5f);
            EXPECT_EQ(c->y, 1.5f);
            EXPECT_EQ(c->scaleY, 5.0f);
            EXPECT_EQ(c->scaleX, 2.0f);
            EXPECT_EQ(c->scaleZ, 2.0f);
            EXPECT_EQ(c->flags, uint32_t(Active | Burning));
            EXPECT_EQ(c->health, 10.0f);
        }
        if (c->kind == BurningTree) {
            EXPECT_EQ(c->x, 98.0f);
            EXPECT_EQ(c->z, 100.0f);
            EXPECT_EQ(c->scaleY, 1.0f);
            EXPECT_EQ(c->scaleX, 2.0f);
        }
    }
}

TEST_F(SmallWorld, AFireOnDeepGroundLeavesItButStillIgnitesAround)
{
    flattenWorld(-12.0f);
    placePlayer();
    const int here = cellIndex(100, 100);
    greenGrid[here] = 0.7f;
    kindGrid[here] = Grass;
    kindGrid[cellIndex(101, 101)] = Shrub;
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->x = 100.5f;
    fire->y = -13.0f;
    fire->z = 100.5f;
    fire->pitch = 90.0f;
    fire->health = 40.0f;
    Characters.add(fire);
    fire->update(0.001f);
    EXPECT_EQ(heightGrid[here], -12.0f);
    EXPECT_EQ(greenGrid[here], 0.7f);
    EXPECT_EQ(kindGrid[here], int32_t(Grass));
    EXPECT_EQ(count(BurningShrub), 1);
    EXPECT_EQ(kindGrid[cellIndex(101, 101)], int32_t(Empty));
}

TEST_F(SmallWorld, AFireOnTheFirstRowScorchesTheRowBelowAcrossTheEdge)
{
    placePlayer();
    greenGrid[cellIndex(100, 498)] = 0.7f;
    greenGrid[cellIndex(100, 0)] = 0.7f;
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->x = 100.5f;
    fire->z = 0.2f;
    fire->y = -1.0f;
    fire->health = 40.0f;
    Characters.add(fire);
    EXPECT_TRUE(fire->update(0.001f));
    EXPECT_EQ(greenGrid[cellIndex(100, 0)], 0.0f);
    EXPECT_EQ(greenGrid[cellIndex(100, 498)], 0.0f);
}

TEST_F(SmallWorld, AFireSetsTheNearestCharacterAlightButNotItsMakerOrADragon)
{
    placePlayer();
    Character* dragon = place(Dragon, 101.0f, 0, 100);
    Character* villager = place(Villager, 102.0f, 0, 100);
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->x = 100.0f;
    fire->z = 100.0f;
    fire->y = -1.0f;
    fire->health = 40.0f;
    fire->target = villager;
    Characters.add(fire);
    fire->update(0.001f);
    EXPECT_FALSE(dragon->has(Burning));
    EXPECT_FALSE(villager->has(Burning));
    dragon->clear(Active);
    fire->update(0.001f);
    EXPECT_FALSE(villager->has(Burning));
    fire->target = dragon;
    fire->update(0.001f);
    EXPECT_TRUE(villager->has(Burning));
}

TEST_F(SmallWorld, ADragonInAttackDropsFireAndKeepsAboveItsFloor)
{
    placePlayer();
    Character* dragon = place(Dragon, 100, 0, 100);
    dragon->heading = 0.0f;
    dragon->state = Attack;
    dragon->update(0.01f);
    // Floor: 8 / 6 + 0 + 2.
    EXPECT_NEAR(dragon->y, 8.0f / 6.0f + 2.0f + 0.05f, 1e-4f);
    ASSERT_EQ(Characters.second.size(), 1u);
    Character* fire = lastFire();
    EXPECT_FLOAT_EQ(fire->x, 100.0f - 2.5f);
    EXPECT_FLOAT_EQ(fire->y, dragon->y + 0.5f);
    EXPECT_FLOAT_EQ(fire->z, 100.0f);
    EXPECT_EQ(fire->pitch, 90.0f);
    EXPECT_EQ(fire->health, 40.0f);
    EXPECT_EQ(fire->target, dragon);
    EXPECT_EQ(fire->scaleY, 0.2f);
}

TEST_F(SmallWorld, ABirdFlockPastTheFarEdgeReappearsAtZero)
{
    placePlayer();
    Character* flock = place(BirdFlock, 100, 15.0f, 498.9f);
    EXPECT_TRUE(flock->update(0.1f));
    EXPECT_EQ(flock->z, 0.0f);
    EXPECT_FLOAT_EQ(flock->y, 15.2f);
}

TEST_F(SmallWorld, ScenerySendsWalkersBackToItsEdge)
{
    placePlayer();
    sceneryCircles.push_back({100.0f, 100.0f, 1.0f, 10.0f});
    Character* walker = place(Villager, 100.5f, 0, 100);
    walker->state = Walk;
    walker->heading = 0.0f;
    walker->update(0.0001f);
    EXPECT_NEAR(horizontalDistance(walker->x, walker->z, 100.0f, 100.0f), 1.8f, 1e-4f);
    EXPECT_GT(walker->x, 100.0f);
    EXPECT_NEAR(walker->z, 100.0f, 1e-4f);

    // Above the top, or out of view, it walks through.
    Character* flyer = place(Villager, 100.5f, 11.0f, 100);
    flyer->state = Walk;
    flyer->heading = 0.0f;
    flyer->fallSpeed = 0.0f;
    sceneryCircles.push_back({100.5f, 102.0f, 0.5f, 10.0f});
    flyer->update(0.0001f);
    EXPECT_NEAR(flyer->x, 100.5f, 1e-3f);
    Character* unseen = place(Villager, 100.4f, 0, 100);
    unseen->clear(Active);
    unseen->state = Walk;
    unseen->update(0.0001f);
    EXPECT_NEAR(unseen->x, 100.4f, 1e-3f);

    // Out of a box by its nearest side, by the walker's radius.
    sceneryCircles.clear();
    sceneryBoxes.push_back({200.0f, 200.0f, 0.0f, 204.0f, 210.0f, 5.0f});
    Character* boxed = place(Villager, 200.5f, 0, 205.0f);
    boxed->state = Walk;
    boxed->update(0.0001f);
    EXPECT_NEAR(boxed->x, 199.7f, 1e-3f);
    EXPECT_NEAR(boxed->z, 205.0f, 1e-3f);
    Character* boxed2 = place(Villager, 202.0f, 0, 200.2f);
    boxed2->state = Walk;
    boxed2->heading = 1.57075f;
    boxed2->update(0.0001f);
    EXPECT_NEAR(boxed2->z, 199.7f, 1e-3f);
    EXPECT_NEAR(boxed2->x, 202.0f, 1e-3f);
    Character* boxed3 = place(Villager, 203.8f, 0, 206.0f);
    boxed3->state = Walk;
    boxed3->heading = 3.1415927f;
    boxed3->update(0.0001f);
    EXPECT_NEAR(boxed3->x, 204.3f, 1e-3f);
}

TEST_F(SmallWorld, OverlappingCharactersArePushedApartSymmetrically)
{
    placePlayer();
    Character* a = place(Villager, 100.0f, 0, 100);
    Character* b = place(Goblin, 100.2f, 0, 100.1f);
    a->update(0.01f);
    // Radii 0.3 and 0.4: they end 0.7 apart about the same midpoint.
    EXPECT_NEAR(horizontalDistance(a->x, a->z, b->x, b->z), 0.7f, 1e-4f);
    EXPECT_NEAR((a->x + b->x) * 0.5f, 100.1f, 1e-4f);
    EXPECT_NEAR((a->z + b->z) * 0.5f, 100.05f, 1e-4f);
    EXPECT_LT(a->x, b->x);
    EXPECT_LT(a->z, b->z);

    // Fires are never pushed.
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->x = 300.0f;
    fire->z = 300.0f;
    fire->health = 40.0f;
    fire->y = 1.0f;
    fire->pitch = 0.0f;
    Characters.add(fire);
    Character* c = place(Villager, 300.1f, 0, 300);
    c->update(0.01f);
    EXPECT_EQ(c->x, 300.1f);
}

TEST_F(SmallWorld, NobodyNearMeansNoPushEvenForAGiant)
{
    // An orc grown by its strength reaches past the queries' none distance:
    // a lone villager 424 away finds nobody and must not be pushed against
    // the player the query falls back on.
    Character* giant = placePlayer();
    giant->x = 400.0f;
    giant->z = 400.0f;
    giant->strength = 1.0e6f;
    giant->setKind(Orc, false);
    giant->scaleY = 1.0f + 0.1f * giant->strength;
    ASSERT_GT(giant->radius(), 1000.0f);
    Character* lone = place(Villager, 100.0f, 0, 100.0f);
    lone->state = Idle;
    lone->update(0.01f);
    EXPECT_EQ(lone->x, 100.0f);
    EXPECT_EQ(lone->z, 100.0f);
    EXPECT_EQ(giant->x, 400.0f);
    EXPECT_EQ(giant->z, 400.0f);

    // Within the none distance the giant still pushes as designed.
    Character* near = place(Villager, 300.0f, 0, 300.0f);
    near->state = Idle;
    near->update(0.01f);
    EXPECT_GT(horizontalDistance(near->x, near->z, giant->x, giant->z), 1000.0f);
}

TEST_F(SmallWorld, WalkingUphillShortensTheStep)
{
    for (int z = 0; z < WorldSize; ++z)
        for (int x = 0; x < WorldSize; ++x)
            heightGrid[cellIndex(x, z)] = float(x);
    placePlayer();
    Character* climber = place(Villager, 100.0f, 100.0f, 100.0f);
    climber->state = Walk;
    climber->heading = 3.1415927f;   // toward +x
    climber->update(0.1f);
    EXPECT_NEAR(climber->x - 100.0f, 0.7f / std::sqrt(2.0f), 1e-3f);
    EXPECT_NEAR(climber->y - 100.0f, 0.7f / std::sqrt(2.0f), 1e-3f);
    Character* descender = place(Villager, 300.0f, 300.0f, 300.0f);
    descender->state = WalkBack;
    descender->heading = 3.1415927f;   // backwards: toward -x, downhill
    descender->update(0.1f);
    EXPECT_NEAR(descender->x - 300.0f, -0.6f, 1e-3f);
}

TEST_F(SmallWorld, LongStepsNeverTakeGridReadsOrWritesOutsideTheWorld)
{
    placePlayer();
    const uint32_t kinds[] = {Villager, Orc, Goblin, Zombie, Dragon, BirdFlock, PowerOrb, KeyPickup};
    for (uint32_t kind : kinds) {
        Character* c = place(kind, 498.9f, 0.0f, 0.05f);
        c->state = Walk;
        c->heading = 4.0f;
        c->health = 40.0f;
        for (float dt : {80.0f, 300.0f, 0.01f}) {
            c->update(dt);
            c->update(0.01f);
            EXPECT_GE(c->x, -50.0f) << kind;
            EXPECT_LE(c->z, 550.0f) << kind;
        }
    }
    // A body dying at the edge reads the ground one unit behind it, across
    // the edge.
    Character* body = place(Villager, 498.9f, 0.0f, 498.9f);
    body->heading = 0.0f;
    body->health = -1.0f;
    EXPECT_TRUE(body->update(0.01f));
    // Positions far outside are brought in before any grid is touched.
    Character* fire = new Character;
    fire->setKind(Fire, false);
    fire->x = -3000.0f;
    fire->z = 5000.0f;
    fire->y = -1.0f;
    fire->health = 40.0f;
    Characters.add(fire);
    EXPECT_TRUE(fire->update(0.001f));
    EXPECT_GE(fire->x, -1.0f);
    EXPECT_LE(fire->x, 500.0f);
    EXPECT_GE(fire->z, -1.0f);
    EXPECT_LE(fire->z, 500.0f);
}

TEST_F(SmallWorld, BurningVegetationTopplesAndGoes)
{
    flattenWorld(1.0f);
    placePlayer();
    Character* tree = place(BurningTree, 100.0f, 0.5f, 100.0f);
    tree->flags = Active | Burning;
    tree->health = 10.0f;
    // Fire damage alone: 1.5 per unit of time.
    tree->update(1.0f);
    EXPECT_FLOAT_EQ(tree->health, 8.5f);
    tree->health = -1.0f;
    tree->clear(Burning);
    float lastTilt = tree->tilt;
    int updates = 0;
    while (tree->update(0.5f) && updates < 20) {
        EXPECT_GT(tree->tilt, lastTilt);
        lastTilt = tree->tilt;
        ++updates;
    }
    EXPECT_EQ(updates, 6);
    EXPECT_GE(tree->tilt, 3.0f);
}
