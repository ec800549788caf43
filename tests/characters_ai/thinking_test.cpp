// Character::think: the view test over the wrapped copies, the behind-camera
// test, the kinds' decisions and the limited turn, on a flat dry world.
#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/sky.h"
#include "characters/character.h"
#include "characters/character_list.h"
#include "support/gl_context.h"
#include "world/terrain_grid.h"

#include <cmath>
#include <cstdlib>

namespace {

class ThinkingTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        Characters.clear();
        fillGrid(heightGrid, WorldSize, WorldSize, 0.0f);
        fillGrid(kindGrid, WorldSize, WorldSize, Empty);
        seedRandom(7);
        ViewDistance = 100;
        TimeOfDay = 20.0f;   // night: zombies walk
        GoblinEnemyKind = Orc;
        homeCentreX = 300.0f;
        homeCentreZ = 300.0f;
        lookFrom(100.0f, 100.0f, 1.0f, 0.0f);
        // The player, far from everything the tests place.
        player = spawn(Villager, 450.0f, 450.0f);
    }

    void TearDown() override { Characters.clear(); }

    static void lookFrom(float x, float z, float forwardX, float forwardZ)
    {
        CameraEye = {x, z};
        CameraForward = {forwardX, forwardZ};
    }

    // A character of the kind on the ground at (x, z), handed to the list.
    static Character* spawn(uint32_t kind, float x, float z)
    {
        auto* c = new Character;
        c->setKind(kind, false);
        c->x = x;
        c->y = 0.0f;
        c->z = z;
        c->viewX = x;
        c->viewZ = z;
        c->health = 35.0f;
        c->state = Walk;
        c->flags = Active;
        Characters.add(c);
        return c;
    }

    Character* player = nullptr;
};

TEST_F(ThinkingTest, OutOfViewCharactersAreFrozenWhileBirdFlocksDrift)
{
    // 150 from the camera at (100, 100); every wrapped copy is farther.
    Character* orc = spawn(Orc, 250.0f, 100.0f);
    orc->heading = 1.0f;
    orc->destX = 400.0f;
    orc->destZ = 20.0f;
    Character* dying = spawn(Villager, 100.0f, 250.0f);
    dying->health = -5.0f;
    Character* birds = spawn(BirdFlock, 250.0f, 495.0f);
    birds->y = 7.0f;

    for (int frame = 0; frame < 5; ++frame) {
        EXPECT_TRUE(orc->think(0.1f));
        EXPECT_TRUE(dying->think(0.1f));
    }
    EXPECT_FLOAT_EQ(orc->x, 250.0f);
    EXPECT_FLOAT_EQ(orc->z, 100.0f);
    EXPECT_FLOAT_EQ(orc->heading, 1.0f);
    EXPECT_FLOAT_EQ(orc->destX, 400.0f);
    EXPECT_FLOAT_EQ(orc->health, 35.0f);
    EXPECT_EQ(orc->state, Walk);
    EXPECT_FALSE(orc->has(Active));
    EXPECT_FLOAT_EQ(dying->health, -5.0f);
    EXPECT_FALSE(dying->has(Active));

    // The flock drifts along +z, wraps past 500, and does nothing else.
    EXPECT_TRUE(birds->think(0.5f));
    EXPECT_FLOAT_EQ(birds->z, 0.0f);
    EXPECT_FLOAT_EQ(birds->y, 7.0f);
    EXPECT_FALSE(birds->has(Active));
    // The last copy tried is kept.
    EXPECT_FLOAT_EQ(birds->viewX, 250.0f);
    EXPECT_FLOAT_EQ(birds->viewZ, 495.0f - 499.0f);
    EXPECT_TRUE(birds->think(0.5f));
    EXPECT_FLOAT_EQ(birds->z, 6.0f);
    EXPECT_FLOAT_EQ(birds->y, 7.0f);
}

TEST_F(ThinkingTest, CopiesAcrossTheWorldEdgeAreInView)
{
    lookFrom(498.0f, 250.0f, 1.0f, 0.0f);
    Character* key = spawn(KeyPickup, 2.0f, 250.0f);
    EXPECT_TRUE(key->think(0.01f));
    EXPECT_TRUE(key->has(Active));
    EXPECT_FLOAT_EQ(key->viewX, 501.0f);
    EXPECT_FLOAT_EQ(key->viewZ, 250.0f);

    // Across the low edge of z.
    lookFrom(250.0f, 3.0f, 0.0f, -1.0f);
    key->x = 250.0f;
    key->z = 497.0f;
    EXPECT_TRUE(key->think(0.01f));
    EXPECT_TRUE(key->has(Active));
    EXPECT_FLOAT_EQ(key->viewX, 250.0f);
    EXPECT_FLOAT_EQ(key->viewZ, -2.0f);

    // Across the high edge of x, looking the other way: in view but behind.
    lookFrom(2.0f, 250.0f, 1.0f, 0.0f);
    key->x = 497.0f;
    key->z = 250.0f;
    EXPECT_TRUE(key->think(0.01f));
    EXPECT_FLOAT_EQ(key->viewX, -2.0f);
    EXPECT_FALSE(key->has(Active));
}

TEST_F(ThinkingTest, CharacterBehindTheCameraThinksButIsNotActive)
{
    // Hurt villagers retreat home: their destination shows that they thought.
    Character* behind = spawn(Villager, 95.0f, 100.0f);
    Character* ahead = spawn(Villager, 105.0f, 100.0f);
    Character* away = spawn(Villager, 100.0f, 250.0f);
    for (Character* c : {behind, ahead, away}) {
        c->health = 4.0f;
        c->destX = 20.0f;
        c->destZ = 20.0f;
    }
    behind->think(0.001f);
    ahead->think(0.001f);
    away->think(0.001f);

    EXPECT_FALSE(behind->has(Active));
    EXPECT_NEAR(behind->destX, 300.0f, 7.0f);
    EXPECT_NEAR(behind->destZ, 300.0f, 7.0f);
    EXPECT_TRUE(ahead->has(Active));
    EXPECT_NEAR(ahead->destX, 300.0f, 7.0f);
    EXPECT_FALSE(away->has(Active));
    EXPECT_FLOAT_EQ(away->destX, 20.0f);
}

TEST_F(ThinkingTest, BurningVillagerRunsStraightOnAndIgnoresEnemies)
{
    lookFrom(90.0f, 100.0f, 1.0f, 0.0f);
    Character* villager = spawn(Villager, 100.0f, 100.0f);
    Character* orc = spawn(Orc, 105.0f, 100.0f);
    villager->heading = 1.0f;
    villager->destX = 150.0f;
    villager->destZ = 150.0f;
    villager->state = Idle;
    villager->set(Burning);

    for (int frame = 0; frame < 5; ++frame) {
        villager->think(0.01f);
        EXPECT_EQ(villager->state, Walk);
        EXPECT_FLOAT_EQ(villager->heading, 1.0f);
        EXPECT_FLOAT_EQ(villager->destX, 150.0f);
        EXPECT_FLOAT_EQ(villager->destZ, 150.0f);
        EXPECT_NE(villager->target, orc);
    }

    // Once the fire is out the orc within 12 is its business again.
    villager->clear(Burning);
    villager->think(0.01f);
    EXPECT_FLOAT_EQ(villager->destX, orc->x);
    EXPECT_FLOAT_EQ(villager->destZ, orc->z);
    EXPECT_EQ(villager->target, orc);
}

TEST_F(ThinkingTest, GoblinsHuntTheGoblinEnemyKind)
{
    lookFrom(80.0f, 100.0f, 1.0f, 0.0f);
    Character* goblin = spawn(Goblin, 100.0f, 100.0f);
    Character* orc = spawn(Orc, 105.0f, 100.0f);
    Character* villager = spawn(Villager, 100.0f, 106.0f);
    auto reset = [&] {
        goblin->x = 100.0f;
        goblin->z = 100.0f;
        goblin->state = Walk;
        goblin->destX = 400.0f;
        goblin->destZ = 400.0f;
        goblin->target = nullptr;
    };

    reset();
    goblin->think(0.01f);
    EXPECT_EQ(goblin->target, orc);
    EXPECT_FLOAT_EQ(goblin->destX, 105.0f);
    EXPECT_FLOAT_EQ(goblin->destZ, 100.0f);
    EXPECT_EQ(goblin->state, Walk);

    GoblinEnemyKind = Villager;
    reset();
    goblin->think(0.01f);
    EXPECT_EQ(goblin->target, villager);
    EXPECT_FLOAT_EQ(goblin->destZ, 106.0f);

    // A kind nobody has: nobody is hunted.
    GoblinEnemyKind = 6;
    reset();
    goblin->think(0.01f);
    EXPECT_EQ(goblin->target, nullptr);
    EXPECT_FLOAT_EQ(goblin->destX, 400.0f);
    EXPECT_FLOAT_EQ(goblin->destZ, 400.0f);
    EXPECT_EQ(goblin->state, Walk);
}

TEST_F(ThinkingTest, DragonHuntsTheGoblinEnemyKind)
{
    lookFrom(80.0f, 120.0f, 1.0f, 0.0f);
    Character* dragon = spawn(Dragon, 100.0f, 120.0f);
    Character* orc = spawn(Orc, 120.0f, 120.0f);
    auto reset = [&] {
        dragon->x = 100.0f;
        dragon->z = 120.0f;
        dragon->state = Idle;
        dragon->destX = 400.0f;
        dragon->destZ = 400.0f;
        dragon->target = nullptr;
    };

    // Within 30: the prey's place becomes the destination.
    reset();
    dragon->think(0.01f);
    EXPECT_EQ(dragon->state, Walk);
    EXPECT_FLOAT_EQ(dragon->destX, 120.0f);
    EXPECT_FLOAT_EQ(dragon->destZ, 120.0f);
    EXPECT_EQ(dragon->target, nullptr);

    // Within 12: it attacks.
    orc->x = 108.0f;
    reset();
    dragon->think(0.01f);
    EXPECT_EQ(dragon->state, Attack);
    EXPECT_EQ(dragon->target, orc);
    // Attacking, it faces the prey and walks on while 1 or farther away.
    dragon->heading = 3.0f;
    dragon->think(0.01f);
    EXPECT_EQ(dragon->target, orc);
    EXPECT_EQ(dragon->state, Walk);

    GoblinEnemyKind = 6;
    reset();
    dragon->think(0.01f);
    EXPECT_EQ(dragon->state, Walk);
    EXPECT_EQ(dragon->target, nullptr);
    EXPECT_FLOAT_EQ(dragon->destX, 400.0f);
}

TEST_F(ThinkingTest, HurtVillagerRetreatsHomeAndRestsNearTheCentre)
{
    lookFrom(250.0f, 250.0f, 1.0f, 1.0f);
    Character* villager = spawn(Villager, 260.0f, 260.0f);
    villager->health = 4.0f;

    // Far from home: a new point near the centre on every step.
    for (int frame = 0; frame < 30; ++frame) {
        villager->think(0.001f);
        EXPECT_EQ(villager->state, Walk);
        EXPECT_LE(std::fabs(villager->destX - 300.0f), 7.0f);
        EXPECT_LE(std::fabs(villager->destZ - 300.0f), 7.0f);
        EXPECT_EQ(villager->destX, std::floor(villager->destX));
    }

    // Runs from (x, z) and counts the steps that end Idle and those that
    // reached the retreat point (and so drew a destination anywhere).
    auto trials = [&](float x, float z, int& idle, int& reached) {
        idle = reached = 0;
        for (int trial = 0; trial < 300; ++trial) {
            villager->x = x;
            villager->z = z;
            villager->state = Walk;
            villager->think(0.001f);
            if (villager->state == Idle)
                ++idle;
            if (std::fabs(villager->destX - 300.0f) > 7.0f || std::fabs(villager->destZ - 300.0f) > 7.0f)
                ++reached;
        }
    };
    int idle, reached;
    // At the centre it often lands within 4 of the point it drew, and rests.
    trials(300.0f, 300.0f, idle, reached);
    EXPECT_GT(idle, 0);
    EXPECT_EQ(idle, reached);
    // 11.3 from the centre it sometimes reaches its point but never rests.
    trials(308.0f, 308.0f, idle, reached);
    EXPECT_GT(reached, 0);
    EXPECT_EQ(idle, 0);
}

TEST_F(ThinkingTest, TurnsAreLimitedToTheTurnRate)
{
    lookFrom(90.0f, 100.0f, 1.0f, 0.0f);
    Character* orb = spawn(PowerOrb, 100.0f, 100.0f);
    orb->health = 40.0f;
    orb->heading = 1.0f;
    Character* key = spawn(KeyPickup, 100.0f, 110.0f);
    key->heading = 2.0f;

    orb->think(0.01f);
    key->think(0.01f);
    EXPECT_NEAR(orb->heading, 1.04f, 1e-4f);
    EXPECT_NEAR(key->heading, 2.04f, 1e-4f);

    // A swimmer turns at half the rate toward where it wants to go.
    fillGrid(heightGrid, WorldSize, WorldSize, -5.0f);
    Character* swimmer = spawn(Villager, 100.0f, 90.0f);
    Character* walker = spawn(Villager, 100.0f, 120.0f);
    for (Character* c : {swimmer, walker}) {
        c->y = -2.5f;
        c->heading = 1.0f;
        c->destX = c->x - 20.0f;   // heading 0 leads there: turn down
        c->destZ = c->z;
    }
    swimmer->set(Swimming);
    swimmer->think(0.01f);
    walker->think(0.01f);
    EXPECT_NEAR(swimmer->heading, 0.98f, 1e-4f);
    EXPECT_NEAR(walker->heading, 0.96f, 1e-4f);
}

TEST_F(ThinkingTest, OrcFollowsAStrongerOrcWithin30)
{
    lookFrom(90.0f, 100.0f, 1.0f, 0.0f);
    Character* orc = spawn(Orc, 100.0f, 100.0f);
    Character* leader = spawn(Orc, 120.0f, 100.0f);
    leader->strength = 1.0f;
    auto reset = [&] {
        orc->x = 100.0f;
        orc->z = 100.0f;
        orc->destX = 400.0f;
        orc->destZ = 400.0f;
        orc->state = Idle;
        orc->clear(Following);
    };

    reset();
    orc->think(0.01f);
    EXPECT_TRUE(orc->has(Following));
    EXPECT_EQ(orc->state, Walk);
    EXPECT_FLOAT_EQ(orc->destX, 120.0f);
    EXPECT_FLOAT_EQ(orc->destZ, 100.0f);

    // Close to a resting leader it rests too.
    leader->x = 103.0f;
    leader->state = Idle;
    reset();
    orc->think(0.01f);
    EXPECT_TRUE(orc->has(Following));
    EXPECT_EQ(orc->state, Idle);
    EXPECT_FLOAT_EQ(orc->destX, 103.0f);

    // Too far, or not stronger: it keeps its own way.
    leader->x = 135.0f;
    reset();
    orc->think(0.01f);
    EXPECT_FALSE(orc->has(Following));
    EXPECT_FLOAT_EQ(orc->destX, 400.0f);

    leader->x = 120.0f;
    leader->strength = 0.0f;
    reset();
    orc->think(0.01f);
    EXPECT_FALSE(orc->has(Following));
    EXPECT_FLOAT_EQ(orc->destX, 400.0f);
}

TEST_F(ThinkingTest, OrcHuntsTheNearerOfVillagerAndGoblin)
{
    lookFrom(90.0f, 100.0f, 1.0f, 0.0f);
    Character* orc = spawn(Orc, 100.0f, 100.0f);
    Character* villager = spawn(Villager, 110.0f, 100.0f);
    Character* goblin = spawn(Goblin, 100.0f, 108.0f);
    orc->think(0.01f);
    EXPECT_EQ(orc->target, goblin);
    EXPECT_EQ(orc->state, Walk);
    EXPECT_FLOAT_EQ(orc->destZ, 108.0f);

    // A dead prey is chased but not attacked.
    goblin->z = 130.0f;
    villager->health = 0.0f;
    orc->x = 100.0f;
    orc->z = 100.0f;
    orc->think(0.01f);
    EXPECT_EQ(orc->target, villager);
    EXPECT_EQ(orc->state, Idle);
}

TEST_F(ThinkingTest, ZombiesGoForVillagers)
{
    lookFrom(90.0f, 100.0f, 1.0f, 0.0f);
    Character* zombie = spawn(Zombie, 100.0f, 100.0f);
    Character* villager = spawn(Villager, 110.0f, 100.0f);
    zombie->destX = 400.0f;
    zombie->destZ = 400.0f;

    // Walking: a villager within 12 becomes the destination.
    zombie->think(0.01f);
    EXPECT_EQ(zombie->target, villager);
    EXPECT_FLOAT_EQ(zombie->destX, 110.0f);
    EXPECT_EQ(zombie->state, Walk);

    // Beyond 12 it stops; idle, it attacks what comes within 8.
    villager->x = 115.0f;
    zombie->x = 100.0f;
    zombie->think(0.01f);
    EXPECT_EQ(zombie->state, Idle);
    villager->x = 107.0f;
    zombie->think(0.01f);
    EXPECT_EQ(zombie->state, Attack);
    EXPECT_EQ(zombie->target, villager);
}

}  // namespace
