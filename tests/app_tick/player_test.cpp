// The player's own life in the tick: power regained as a zombie, death as a
// villager and rising again, and a finished non-villager kept in play.
#include "tick_fixture.h"

#include "app/frame_loop.h"
#include "app/frame_timer.h"
#include "app/game_tick.h"
#include "characters/character_list.h"
#include "platform/headless/headless.h"
#include "support/gl_context.h"

TEST_F(TickTest, AZombiePlayerRegainsPowerUpTo200)
{
    TimeOfDay = 15.0f; // zombies walk at night
    player().setKind(Zombie, false);
    PlayerPower = 150.0f;
    Characters.gameTick(1.0f);
    EXPECT_EQ(player().kind, Zombie);
    EXPECT_FLOAT_EQ(PlayerPower, 151.0f);

    PlayerPower = 199.75f;
    Characters.gameTick(0.5f);
    EXPECT_FLOAT_EQ(PlayerPower, 200.25f);
    Characters.gameTick(0.5f);
    EXPECT_FLOAT_EQ(PlayerPower, 200.25f);

    player().setKind(Villager, false);
    PlayerPower = 150.0f;
    Characters.gameTick(1.0f);
    EXPECT_FLOAT_EQ(PlayerPower, 150.0f);
}

TEST_F(TickTest, AVillagerPlayerDiesIntoTheGroundAndRisesAsAZombie)
{
    Character& hero = player();
    const float x = hero.x;
    const float z = hero.z;
    hero.health = -31.0f;
    TimeOfDay = 6.0f;
    Characters.gameTick(0.1f);
    ASSERT_EQ(&player(), &hero);
    EXPECT_EQ(hero.kind, DormantZombie);
    EXPECT_FLOAT_EQ(hero.health, 20.0f);

    // Lying dormant: the movement keys do nothing.
    setKeyHeld(Key::Up, true);
    setKeyHeld(Key::Left, true);
    const float heading = hero.heading;
    Characters.gameTick(0.1f);
    Characters.gameTick(0.1f);
    EXPECT_NE(hero.state, Walk);
    EXPECT_EQ(hero.heading, heading);
    EXPECT_EQ(hero.x, x);
    EXPECT_EQ(hero.z, z);

    // Meanwhile the frame loop runs the world ten times faster.
    requireGlContext();
    setHeadlessClock(40.0);
    GameTimer.tick();
    setHeadlessClock(40.05);
    GameTimer.tick();
    updateFrame();
    EXPECT_NEAR(FrameDelta, 0.5f, 1e-3f);
    EXPECT_NEAR(TimeOfDay, 6.1f, 1e-3f);
    releaseAllKeys();

    // Night: it rises as a zombie, and key 1 makes a villager of it again.
    TimeOfDay = 13.0f;
    Characters.gameTick(0.1f);
    EXPECT_EQ(hero.kind, Zombie);
    setKeyHeld(Key::Digit1, true);
    Characters.gameTick(0.1f);
    EXPECT_EQ(hero.kind, Villager);
    EXPECT_GT(hero.health, 0.0f);
}

TEST_F(TickTest, AFinishedPlayerOfAnotherKindStaysWeakenedWithHealth50)
{
    Character& hero = player();
    hero.setKind(Orc, false);
    hero.strength = 4.0f;
    hero.health = -31.0f;
    hero.x = 123.25f;
    hero.z = 210.5f;
    const size_t count = Characters.main.size();
    Characters.gameTick(0.1f);
    ASSERT_EQ(Characters.main.size(), count);
    ASSERT_EQ(&player(), &hero);
    EXPECT_FLOAT_EQ(hero.strength, 3.0f);
    EXPECT_FLOAT_EQ(hero.health, 50.0f);
    EXPECT_FLOAT_EQ(hero.x, 123.25f);
    EXPECT_FLOAT_EQ(hero.z, 210.5f);
}

TEST_F(TickTest, TheSnapshotCopiesThePlayerAfterItsUpdate)
{
    Character& hero = player();
    Character* foe = addCharacter(Goblin, 300.0f, 300.0f);
    foe->health = 17.0f;
    hero.strength = 2.5f;
    hero.heading = 1.25f;
    hero.health = 42.0f;
    Characters.gameTick(0.0f);
    EXPECT_EQ(PlayerSnapshot.x, hero.x);
    EXPECT_EQ(PlayerSnapshot.y, hero.y);
    EXPECT_EQ(PlayerSnapshot.z, hero.z);
    EXPECT_EQ(PlayerSnapshot.heading, 1.25f);
    EXPECT_EQ(PlayerSnapshot.health, 42.0f);
    EXPECT_EQ(PlayerSnapshot.strength, 2.5f);
    EXPECT_FALSE(PlayerSnapshot.attacking);
    EXPECT_EQ(PlayerSnapshot.targetHealth, 0.0f);
    EXPECT_EQ(hero.destX, hero.x);
    EXPECT_EQ(hero.viewZ, hero.z);
    EXPECT_TRUE(hero.has(Active));

    // The target's health is read through the player's target; the tick
    // leaves an existing target alone unless Control is held.
    hero.target = foe;
    Characters.gameTick(0.0f);
    EXPECT_EQ(PlayerSnapshot.targetHealth, 17.0f);
    setKeyHeld(Key::Control, true);
    Characters.gameTick(0.0f);
    EXPECT_TRUE(PlayerSnapshot.attacking);
}
