#include "platform/headless/headless.h"
#include "platform/key_script.h"
#include "platform/keys.h"

#include <gtest/gtest.h>

#include <string>

TEST(KeyScript, HoldsKeysOverFrameRanges)
{
    // Frame n of a script is the frame run after n swaps; place the ranges
    // around the frame now running, whatever ran before in this process.
    const int now = headlessFrameCount();
    const std::string script = "UP:" + std::to_string(now) + "-" + std::to_string(now + 120) +
                               ",CTRL:" + std::to_string(now + 130) + "-" + std::to_string(now + 140);
    ASSERT_TRUE(setKeyScript(script));
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
    EXPECT_TRUE(keyFromScriptName("ESC", key));
    EXPECT_EQ(key, Key::Escape);
    EXPECT_TRUE(keyFromScriptName("8", key));
    EXPECT_EQ(key, Key::Digit8);
}
