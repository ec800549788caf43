// The keyboard half of the game tick: what each key does to the player, the
// power costs of shapes, and what still works while the player is down.
#include "tick_fixture.h"

#include "app/game_tick.h"
#include "characters/character_list.h"
#include "platform/headless/headless.h"
#include "world/terrain_grid.h"

namespace {

void hold(std::initializer_list<Key> keys)
{
    releaseAllKeys();
    for (Key key : keys)
        setKeyHeld(key, true);
}

} // namespace

TEST_F(TickTest, OrcFormNeedsPowerAndStartsDrainingAtOnce)
{
    PlayerPower = 0.0f;
    hold({Key::Digit2});
    Characters.gameTick(0.1f);
    EXPECT_EQ(player().kind, Villager);
    EXPECT_EQ(PlayerPower, 0.0f);

    PlayerPower = 0.001f;
    player().strength = 2.0f;
    Characters.gameTick(0.0005f);
    EXPECT_EQ(player().kind, Orc);
    EXPECT_FLOAT_EQ(PlayerPower, 0.0005f);
    EXPECT_FLOAT_EQ(player().scaleY, 1.2f);
    EXPECT_FLOAT_EQ(player().scaleX, 1.2f);
    EXPECT_FLOAT_EQ(player().scaleZ, 1.2f);
}

TEST_F(TickTest, ShapesFallBackToVillagerWhenPowerRunsOutAndPowerClampsNextTick)
{
    player().setKind(Orc, false);
    PlayerPower = 0.05f;
    Characters.gameTick(0.1f);
    EXPECT_EQ(player().kind, Villager);
    EXPECT_LT(PlayerPower, 0.0f);
    Characters.gameTick(0.1f);
    EXPECT_EQ(PlayerPower, 0.0f);

    player().setKind(Dragon, false);
    PlayerPower = 0.15f;
    Characters.gameTick(0.1f);
    EXPECT_EQ(player().kind, Villager);
    EXPECT_NEAR(PlayerPower, -0.05f, 1e-6f);
    Characters.gameTick(0.1f);
    EXPECT_EQ(PlayerPower, 0.0f);

    // Exactly used up counts as run out.
    player().setKind(Dragon, false);
    PlayerPower = 0.5f;
    Characters.gameTick(0.25f);
    EXPECT_EQ(player().kind, Villager);
}

TEST_F(TickTest, HealingAndShapeKeysFollowTheirOrder)
{
    PlayerPower = 10.0f;
    player().health = 50.0f;
    hold({Key::Digit3});
    Characters.gameTick(0.5f);
    EXPECT_FLOAT_EQ(player().health, 52.0f);
    EXPECT_FLOAT_EQ(PlayerPower, 6.0f);

    // Full health: no healing, no cost.
    player().health = 100.0f;
    Characters.gameTick(0.5f);
    EXPECT_FLOAT_EQ(player().health, 100.0f);
    EXPECT_FLOAT_EQ(PlayerPower, 6.0f);

    hold({Key::Digit4});
    Characters.gameTick(0.1f);
    EXPECT_EQ(player().kind, Dragon);
    EXPECT_FLOAT_EQ(PlayerPower, 6.0f); // the drain starts with the next tick
    Characters.gameTick(0.5f);
    EXPECT_FLOAT_EQ(PlayerPower, 5.0f);

    // The goblin costs nothing, even without power; 1 turns back.
    PlayerPower = 0.0f;
    hold({Key::Digit6});
    Characters.gameTick(0.1f);
    EXPECT_EQ(player().kind, Goblin);
    hold({Key::Digit1});
    Characters.gameTick(0.1f);
    EXPECT_EQ(player().kind, Villager);

    // 2 and 4 together: 4 comes later and wins; the orc drain already ran.
    PlayerPower = 10.0f;
    hold({Key::Digit2, Key::Digit4});
    Characters.gameTick(0.5f);
    EXPECT_EQ(player().kind, Dragon);
    EXPECT_FLOAT_EQ(PlayerPower, 9.5f);
}

TEST_F(TickTest, ADownedPlayerCannotChangeShapeButCanAttackJumpCheatAndMark)
{
    Character& hero = player();
    Character* other = addCharacter(Orc, 150.0f, 150.0f);
    PlayerPower = 10.0f;
    hero.health = 0.0f;
    hero.target = other;
    hold({Key::Digit1, Key::Digit2, Key::Digit3, Key::Digit4, Key::Digit6, Key::Control, Key::Space});
    hero.setKind(Villager, false);
    Characters.gameTick(0.1f);
    EXPECT_EQ(hero.kind, Villager);
    EXPECT_EQ(hero.health, 0.0f);
    EXPECT_EQ(PlayerPower, 10.0f);
    EXPECT_EQ(hero.state, Attack);
    EXPECT_EQ(hero.target, nullptr); // cleared; nobody is in reach to take its place
    EXPECT_TRUE(hero.has(Jump));

    hold({Key::Space});
    Characters.gameTick(0.1f);
    EXPECT_TRUE(hero.has(Jump));
    hold({});
    Characters.gameTick(0.1f);
    EXPECT_FALSE(hero.has(Jump));

    // Dying, and a goblin: 1 would make a villager of it, but it stays.
    hero.setKind(Goblin, false);
    hero.health = -0.5f;
    hold({Key::Digit1, Key::Digit2, Key::Digit4, Key::Digit3});
    Characters.gameTick(0.1f);
    EXPECT_EQ(hero.kind, Goblin);
    EXPECT_EQ(PlayerPower, 10.0f);

    const int column = int(hero.x);
    const int row = int(hero.z);
    greenGrid[cellIndex(column, row)] = 0.8f;
    redGrid[cellIndex(column, row)] = 0.1f;
    hero.strength = 1.0f;
    hold({Key::K, Key::Digit7, Key::Digit8, Key::Z});
    Characters.gameTick(0.1f);
    EXPECT_FLOAT_EQ(hero.strength, 11.0f);
    EXPECT_EQ(PlayerPower, 300.0f);
    EXPECT_EQ(greenGrid[cellIndex(column, row)], 0.0f);
    EXPECT_EQ(redGrid[cellIndex(column, row)], 0.5f);
}

TEST_F(TickTest, ZMarksTheCellUnderThePlayerAndNothingOffTheGrid)
{
    Character& hero = player();
    hero.x = 37.9f;
    hero.z = 411.2f;
    greenGrid[cellIndex(37, 411)] = 0.7f;
    redGrid[cellIndex(37, 411)] = 0.2f;
    hold({Key::Z});
    Characters.gameTick(0.0f);
    EXPECT_EQ(greenGrid[cellIndex(37, 411)], 0.0f);
    EXPECT_EQ(redGrid[cellIndex(37, 411)], 0.5f);

    // Past the last row and column, and below the first: nothing is written
    // (under the sanitizers a stray write past the grid would be caught).
    const float cornerGreen = greenGrid[cellIndex(0, 499)];
    greenGrid[cellIndex(497, 9)] = 0.6f; // where column -3 of row 10 would land
    hero.x = 500.5f;
    hero.z = 499.5f;
    Characters.gameTick(0.0f);
    hero.x = -3.5f;
    hero.z = 10.0f;
    Characters.gameTick(0.0f);
    hero.x = 10.0f;
    hero.z = 500.0f;
    Characters.gameTick(0.0f);
    EXPECT_EQ(greenGrid[cellIndex(0, 499)], cornerGreen);
    EXPECT_EQ(greenGrid[cellIndex(497, 9)], 0.6f);
}

TEST_F(TickTest, MovementKeysWalkTurnAndTheLaterKeyWins)
{
    Character& hero = player();
    hold({Key::Up});
    Characters.gameTick(0.0f);
    EXPECT_EQ(hero.state, Walk);

    hold({Key::Up, Key::Down});
    Characters.gameTick(0.0f);
    EXPECT_EQ(hero.state, WalkBack);

    hold({});
    Characters.gameTick(0.0f);
    EXPECT_EQ(hero.state, Idle);

    hero.heading = 3.0f;
    hold({Key::Left});
    Characters.gameTick(0.25f);
    EXPECT_FLOAT_EQ(hero.heading, 2.75f);
    hold({Key::Right});
    Characters.gameTick(0.5f);
    EXPECT_FLOAT_EQ(hero.heading, 3.25f);

    // Knocked back: the keys do not steer.
    hero.set(KnockedBack);
    hero.y = 5.0f;
    hold({Key::Up, Key::Right});
    Characters.gameTick(0.0f);
    EXPECT_EQ(hero.state, Idle);
    EXPECT_FLOAT_EQ(hero.heading, 3.25f);
}

TEST_F(TickTest, SevenOrEightWithoutKIsNotRememberedForLater)
{
    Character& hero = player();
    hero.strength = 1.0f;
    PlayerPower = 5.0f;
    hold({Key::Digit7, Key::Digit8});
    Characters.gameTick(0.0f);
    hold({Key::K});
    Characters.gameTick(0.0f);
    EXPECT_FLOAT_EQ(hero.strength, 1.0f);
    EXPECT_FLOAT_EQ(PlayerPower, 5.0f);
}
