// The gamepad as the game tick sees it: each pad control holds exactly its
// key while held (read through keyDown, as the tick reads it), the stick's
// dead zone, Back and Start together as Escape, short taps, pads plugged in
// before and during play, and a pad pulled out mid-press.
#include "virtual_pad.h"

#include "platform/gamepad.h"
#include "platform/headless/headless.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* const KeyNames[int(Key::Count)] = {
    "Escape", "Left", "Up", "Right", "Down", "Control", "Space",
    "1", "2", "3", "4", "6", "7", "8", "K", "Z"};

// Every key down, by name, in the order of Key.
std::string keysDown()
{
    std::string names;
    for (int k = 0; k < int(Key::Count); ++k)
        if (keyDown(Key(k)))
            names += std::string(names.empty() ? "" : " ") + KeyNames[k];
    return names;
}

class PadTest : public ::testing::Test {
protected:
    // The test keeps SDL's joystick subsystem open for itself, so its
    // virtual pads outlive the game's closing of the pads.
    void SetUp() override
    {
        releaseAllKeys();
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        ASSERT_TRUE(openGamepads()) << SDL_GetError();
        pollGamepads();
    }
    void TearDown() override
    {
        pad.detach();
        closeGamepads();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    void plugIn()
    {
        ASSERT_TRUE(pad.attach()) << SDL_GetError();
        pollGamepads();
        ASSERT_EQ(keysDown(), "") << "a pad at rest holds nothing";
    }

    VirtualPad pad;
};

// One pad control at full travel and the key it must hold ("" for none).
struct Control {
    enum Kind { Button, StickLow, StickHigh, Trigger } kind;
    int index;
    const char* keys;
};

const Control Controls[] = {
    {Control::StickLow, SDL_CONTROLLER_AXIS_LEFTY, "Up"},
    {Control::StickHigh, SDL_CONTROLLER_AXIS_LEFTY, "Down"},
    {Control::StickLow, SDL_CONTROLLER_AXIS_LEFTX, "Left"},
    {Control::StickHigh, SDL_CONTROLLER_AXIS_LEFTX, "Right"},
    {Control::Button, SDL_CONTROLLER_BUTTON_DPAD_UP, "Up"},
    {Control::Button, SDL_CONTROLLER_BUTTON_DPAD_DOWN, "Down"},
    {Control::Button, SDL_CONTROLLER_BUTTON_DPAD_LEFT, "Left"},
    {Control::Button, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, "Right"},
    {Control::Button, SDL_CONTROLLER_BUTTON_A, "Space"},
    {Control::Button, SDL_CONTROLLER_BUTTON_X, "Control"},
    {Control::Trigger, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, "Control"},
    {Control::Button, SDL_CONTROLLER_BUTTON_B, "1"},
    {Control::Button, SDL_CONTROLLER_BUTTON_Y, "2"},
    {Control::Button, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, "4"},
    {Control::Button, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, "6"},
    {Control::Trigger, SDL_CONTROLLER_AXIS_TRIGGERLEFT, "3"},
    // Not mapped: alone they do nothing.
    {Control::Button, SDL_CONTROLLER_BUTTON_BACK, ""},
    {Control::Button, SDL_CONTROLLER_BUTTON_START, ""},
    {Control::Button, SDL_CONTROLLER_BUTTON_GUIDE, ""},
    {Control::Button, SDL_CONTROLLER_BUTTON_LEFTSTICK, ""},
    {Control::Button, SDL_CONTROLLER_BUTTON_RIGHTSTICK, ""},
    {Control::StickLow, SDL_CONTROLLER_AXIS_RIGHTX, ""},
    {Control::StickHigh, SDL_CONTROLLER_AXIS_RIGHTY, ""},
};

void move(VirtualPad& pad, const Control& control, bool on)
{
    switch (control.kind) {
    case Control::Button: pad.press(SDL_GameControllerButton(control.index), on); return;
    case Control::StickLow: pad.tilt(SDL_GameControllerAxis(control.index), on ? -32768 : 0); return;
    case Control::StickHigh: pad.tilt(SDL_GameControllerAxis(control.index), on ? 32767 : 0); return;
    case Control::Trigger: pad.pull(SDL_GameControllerAxis(control.index), on ? 1.0 : 0.0); return;
    }
}

} // namespace

TEST_F(PadTest, EachControlHoldsExactlyItsKeyUntilLetGo)
{
    plugIn();
    for (const Control& control : Controls) {
        SCOPED_TRACE(testing::Message() << "control kind " << control.kind << " index " << control.index);
        move(pad, control, true);
        pollGamepads();
        EXPECT_EQ(keysDown(), control.keys);
        pollGamepads();
        EXPECT_EQ(keysDown(), control.keys) << "held over a second frame";
        move(pad, control, false);
        pollGamepads();
        EXPECT_EQ(keysDown(), "");
    }
}

TEST_F(PadTest, BackAndStartTogetherAreEscape)
{
    plugIn();
    pad.press(SDL_CONTROLLER_BUTTON_BACK);
    pollGamepads();
    EXPECT_EQ(keysDown(), "");
    pad.press(SDL_CONTROLLER_BUTTON_START);
    pollGamepads();
    EXPECT_EQ(keysDown(), "Escape");
    pad.press(SDL_CONTROLLER_BUTTON_BACK, false);
    pollGamepads();
    EXPECT_EQ(keysDown(), "");
}

TEST_F(PadTest, TheStickCountsOnlyPastAQuarterOfItsTravel)
{
    plugIn();
    const struct {
        int x, y;
        const char* keys;
    } Tilts[] = {
        {0, -6000, ""}, {0, 6000, ""}, {-6000, 0, ""}, {6000, 0, ""},
        {0, -PadDeadZone, ""}, {PadDeadZone, 0, ""},
        {0, -9000, "Up"}, {0, 9000, "Down"}, {-9000, 0, "Left"}, {9000, 0, "Right"},
        // Diagonals hold both keys, as two arrow keys would.
        {-20000, -20000, "Left Up"}, {20000, 20000, "Right Down"},
        {20000, -5000, "Right"},
    };
    for (const auto& tilt : Tilts) {
        SCOPED_TRACE(testing::Message() << "stick at " << tilt.x << ", " << tilt.y);
        pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, tilt.x);
        pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, tilt.y);
        pollGamepads();
        EXPECT_EQ(keysDown(), tilt.keys);
    }
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, 0);
    pad.pull(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.2);
    pollGamepads();
    EXPECT_EQ(keysDown(), "") << "a trigger touched lightly";
    pad.pull(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0.5);
    pollGamepads();
    EXPECT_EQ(keysDown(), "Control");
}

TEST_F(PadTest, APressBetweenTwoFramesCountsForOneFrame)
{
    plugIn();
    pad.press(SDL_CONTROLLER_BUTTON_Y);
    VirtualPad::deliver();
    pad.press(SDL_CONTROLLER_BUTTON_Y, false);
    VirtualPad::deliver();
    pollGamepads();
    EXPECT_EQ(keysDown(), "2");
    pollGamepads();
    EXPECT_EQ(keysDown(), "");
}

TEST_F(PadTest, PullingThePadOutMidPressLetsGoOfEverything)
{
    plugIn();
    pad.tilt(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    pad.press(SDL_CONTROLLER_BUTTON_A);
    pad.press(SDL_CONTROLLER_BUTTON_X);
    pad.pull(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 1.0);
    pollGamepads();
    EXPECT_EQ(keysDown(), "Up Control Space 3");
    pad.detach();
    pollGamepads();
    EXPECT_EQ(keysDown(), "");

    // Plugged in again, it plays again.
    plugIn();
    pad.press(SDL_CONTROLLER_BUTTON_B);
    pollGamepads();
    EXPECT_EQ(keysDown(), "1");
}

TEST_F(PadTest, PadsPluggedInBeforeTheGameStartsAndTwoAtOnce)
{
    // Plugged in while the game's pads are closed; opening them, as the
    // game does at start, finds it there.
    closeGamepads();
    ASSERT_TRUE(pad.attach()) << SDL_GetError();
    ASSERT_TRUE(openGamepads());
    pad.press(SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
    pollGamepads();
    EXPECT_EQ(keysDown(), "4");

    // A second pad: each holds its own keys, and one letting go leaves the
    // other's held.
    VirtualPad second;
    ASSERT_TRUE(second.attach()) << SDL_GetError();
    second.press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
    pollGamepads();
    EXPECT_EQ(keysDown(), "4 6");
    pad.press(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, false);
    pollGamepads();
    EXPECT_EQ(keysDown(), "6");
    second.detach();
    pollGamepads();
    EXPECT_EQ(keysDown(), "");
}

TEST_F(PadTest, PadAndScriptedKeysBothCountAndClosingReleasesThePad)
{
    plugIn();
    ASSERT_TRUE(setKeyScript("UP:0-100000"));
    pad.press(SDL_CONTROLLER_BUTTON_A);
    pollGamepads();
    EXPECT_EQ(keysDown(), "Up Space");
    closeGamepads();
    EXPECT_EQ(keysDown(), "Up");
    pollGamepads(); // closed: reads nothing
    EXPECT_EQ(keysDown(), "Up");
    releaseAllKeys();
}
