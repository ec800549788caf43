// The game tick played from a virtual pad: the stick walks the player, A
// jumps, Y turns it into an orc, and Back with Start ends the game as Escape.
#include "tick_fixture.h"
#include "virtual_pad.h"

#include "app/game_tick.h"
#include "characters/character_list.h"
#include "platform/gamepad.h"

#include <cmath>

namespace {

class PadTickTest : public TickTest {
protected:
    void SetUp() override
    {
        TickTest::SetUp();
        ASSERT_TRUE(openGamepads()) << SDL_GetError();
        ASSERT_TRUE(pad.attach()) << SDL_GetError();
        pollGamepads();
    }
    void TearDown() override
    {
        pad.detach();
        closeGamepads();
        TickTest::TearDown();
    }
    // One frame: the back end reads the pads, then the tick runs.
    void frame(float dt)
    {
        pollGamepads();
        Characters.gameTick(dt);
    }

    VirtualPad pad;
};

} // namespace

TEST_F(PadTickTest, ThePadWalksJumpsAndTurnsThePlayerIntoAnOrc)
{
    Character& hero = player();
    const float startX = hero.x;
    const float startZ = hero.z;
    frame(0.1f);
    EXPECT_EQ(hero.state, Idle);

    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, -30000);
    for (int i = 0; i < 10; ++i)
        frame(0.1f);
    EXPECT_EQ(hero.state, Walk);
    EXPECT_GT(std::hypot(hero.x - startX, hero.z - startZ), 2.0f) << "a second's walk";

    const float heading = hero.heading;
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0);
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    frame(0.25f);
    EXPECT_EQ(hero.state, Idle);
    EXPECT_FLOAT_EQ(hero.heading, heading + 0.25f);
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);

    pad.press(SDL_CONTROLLER_BUTTON_A);
    frame(0.05f);
    EXPECT_TRUE(hero.has(Jump));
    const float ground = hero.y;
    for (int i = 0; i < 3; ++i)
        frame(0.05f);
    EXPECT_GT(hero.y, ground) << "off the ground";
    pad.press(SDL_CONTROLLER_BUTTON_A, false);
    frame(0.05f);
    EXPECT_FALSE(hero.has(Jump));

    PlayerPower = 5.0f;
    pad.press(SDL_CONTROLLER_BUTTON_Y);
    frame(0.1f);
    EXPECT_EQ(hero.kind, Orc);
    EXPECT_LT(PlayerPower, 5.0f) << "the orc's drain starts at once";
    pad.press(SDL_CONTROLLER_BUTTON_Y, false);
    pad.press(SDL_CONTROLLER_BUTTON_B);
    frame(0.1f);
    EXPECT_EQ(hero.kind, Villager);
}

TEST_F(PadTickTest, BackAndStartTogetherEndTheGameWithStatusZero)
{
    pad.press(SDL_CONTROLLER_BUTTON_BACK);
    frame(0.1f);
    pad.press(SDL_CONTROLLER_BUTTON_START);
    EXPECT_EXIT(frame(0.1f), testing::ExitedWithCode(0), "");
}
