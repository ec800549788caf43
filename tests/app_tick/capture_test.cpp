// A scripted headless run of the whole game frame on a generated world: the
// player walks up to a village key, picks it up, and the quest sends six
// orcs after it.
#include "app/camera.h"
#include "app/frame_loop.h"
#include "app/frame_timer.h"
#include "app/game_tick.h"
#include "app/sky.h"
#include "characters/character_geometry.h"
#include "characters/character_list.h"
#include "platform/headless/headless.h"
#include "support/gl_context.h"
#include "assets/image_files.h"
#include "world/world_generator.h"

#include <GL/gl.h>

namespace {

int countKind(uint32_t kind)
{
    int n = 0;
    for (const Character* c : Characters.main)
        n += c->kind == kind;
    return n;
}

} // namespace

TEST_F(GlTest, ThePlayerWalksToAKeyPicksItUpAndSixOrcsCome)
{
    initGlState();
    Characters.clear();
    generateWorld(11);
    ASSERT_FALSE(Characters.main.empty());
    Character* key = nullptr;
    for (Character* c : Characters.main)
        if (c->kind == KeyPickup) {
            key = c;
            break;
        }
    ASSERT_NE(key, nullptr) << "the world has no key";

    // Three units short of the key, facing it.
    Character& hero = *Characters.player();
    const float keyX = key->x;
    const float keyZ = key->z;
    hero.x = keyX + 3.0f;
    hero.z = keyZ;
    hero.y = key->y;
    hero.heading = angleTo(hero.x, hero.z, keyX, keyZ);
    PlayerPower = 5.0f;
    KeysFound = 0;
    QuestStage = 0;
    EffectSoundsEnabled = false;
    TimeOfDay = 6.0f;

    GamePhase = 3;
    reshapeWindow(800, 600);
    setHeadlessStep(1.0 / 30.0);
    setHeadlessClock(100.0);
    GameTimer.tick();
    GameTimer.tick();
    ASSERT_TRUE(setKeyScript("UP:0-100000"));
    const int orcsBefore = countKind(Orc);
    const int keysBefore = countKind(KeyPickup);

    int frame = 0;
    for (; frame < 150 && countKind(Orc) < orcsBefore + 6; ++frame)
        runFrame();
    ASSERT_LT(frame, 150) << "no wave of orcs after 150 frames";
    EXPECT_EQ(QuestStage, 3);
    EXPECT_EQ(KeysFound, 0);
    EXPECT_EQ(key->health, -200.0f);
    const float standX = PlayerSnapshot.x;
    const float standZ = PlayerSnapshot.z;
    const Character* last = Characters.main.back();
    EXPECT_EQ(last->kind, Orc);
    EXPECT_EQ(last->destX, standX);
    EXPECT_EQ(last->destZ, standZ);

    // The picked-up key is gone with the next frame.
    runFrame();
    releaseAllKeys();
    EXPECT_EQ(countKind(KeyPickup), keysBefore - 1);
    EXPECT_EQ(QuestStage, 4);
    // The player really walked: it stands within pickup range of the key.
    EXPECT_LT(horizontalDistance(hero.x, hero.z, keyX, keyZ), 2.0f);
    EXPECT_GT(horizontalDistance(hero.x, hero.z, keyX + 3.0f, keyZ), 1.0f);
    while (glGetError() != GL_NO_ERROR) {
    } // the world was built without its display lists

    Characters.clear();
    glDeleteTextures(TextureCount, TextureTable);
    GamePhase = 0;
}
