#include "platform/headless.h"
#include "platform/keys.h"

#include <gtest/gtest.h>

TEST(KeyScript, HoldsKeysOverFrameRanges)
{
    ASSERT_TRUE(setKeyScript("UP:0-120,CTRL:130-140"));
    // No frame has been swapped in this process: frame 0 is running.
    ASSERT_EQ(headlessFrameCount(), 0);
    EXPECT_TRUE(keyDown(Key::Up));
    EXPECT_FALSE(keyDown(Key::Control));
    EXPECT_FALSE(keyDown(Key::Down));

    setKeyHeld(Key::Z, true);
    EXPECT_TRUE(keyDown(Key::Z)) << "keys held by hand count as well";
    releaseAllKeys();
    EXPECT_FALSE(keyDown(Key::Z));
    EXPECT_FALSE(keyDown(Key::Up)) << "releasing all keys drops the script";
}

TEST(KeyScript, RejectsMalformedScripts)
{
    ASSERT_TRUE(setKeyScript("SPACE:5-9"));
    for (const char* bad : {"UP", "UP:1", "UP:-3", "UP:a-b", "UP:5-2", "JUMP:1-2", "UP:1-2,", "UP:1-2x"})
        EXPECT_FALSE(setKeyScript(bad)) << bad;
    EXPECT_TRUE(setKeyScript("")) << "an empty script holds nothing";
    Key key{};
    EXPECT_TRUE(parseKeyName("ESC", key));
    EXPECT_EQ(key, Key::Escape);
    EXPECT_TRUE(parseKeyName("8", key));
    EXPECT_EQ(key, Key::Digit8);
}
