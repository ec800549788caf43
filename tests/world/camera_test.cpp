// The chase camera against the player snapshot and the player's form. The
// player records are made here, with only the fields the camera reads.
#include "support/gl_context.h"

#include "app/camera.h"
#include "app/game_tick.h"
#include "characters/character_list.h"
#include "world/geometry.h"

#include <GL/gl.h>

#include <cmath>

namespace {

void addPlayer(uint32_t kind, float scaleY)
{
    Characters.clear();
    Characters.add(new Character());
    // Set after adding: the collection may set a kind's own defaults on add.
    Character* player = Characters.player();
    player->kind = kind;
    player->scaleY = scaleY;
}

void snapshot(float x, float y, float z, float heading, bool attacking)
{
    PlayerSnapshot = {};
    PlayerSnapshot.x = x;
    PlayerSnapshot.y = y;
    PlayerSnapshot.z = z;
    PlayerSnapshot.heading = heading;
    PlayerSnapshot.attacking = attacking;
}

float eyeDistance()
{
    return std::hypot(CameraEye.x - GameCamera.targetX, CameraEye.z - GameCamera.targetZ);
}

} // namespace

TEST(Camera, FirstFrameLooksFromBehindTheOrigin)
{
    Characters.clear();
    PlayerSnapshot = {};
    GameCamera.follow();
    EXPECT_EQ(GameCamera.targetX, 0.0f);
    EXPECT_EQ(GameCamera.targetY, 2.0f);
    EXPECT_EQ(GameCamera.targetZ, 0.0f);
    EXPECT_EQ(GameCamera.yaw, -1.57075f);
    EXPECT_EQ(GameCamera.pitch, 0.0f);
    EXPECT_EQ(GameCamera.translateY, -2.0f);
    EXPECT_FLOAT_EQ(CameraEye.x, 8.0f);
    EXPECT_NEAR(CameraEye.z, 0.0f, 1e-6f);
}

TEST(Camera, DistanceFollowsThePlayersForm)
{
    snapshot(100.0f, 3.0f, 200.0f, 0.7f, false);

    addPlayer(Villager, 1.0f);
    GameCamera.follow();
    EXPECT_NEAR(eyeDistance(), 8.0f, 1e-4f);
    EXPECT_EQ(GameCamera.targetY, 5.0f);

    addPlayer(Dragon, 1.0f);
    GameCamera.follow();
    EXPECT_NEAR(eyeDistance(), 12.0f, 1e-4f);

    const float strength = 3.5f;
    addPlayer(Orc, 1.0f + 0.1f * strength);
    GameCamera.follow();
    EXPECT_NEAR(eyeDistance(), 4.0f + 4.0f * (1.0f + 0.1f * strength), 1e-4f);

    // The eye lies behind the player: stepping forward from it reaches the
    // target.
    GameCamera.applyRotation();
    EXPECT_NEAR(CameraForward.x, -std::cos(0.7f), 1e-5f);
    EXPECT_NEAR(CameraForward.z, -std::sin(0.7f), 1e-5f);
    EXPECT_NEAR(CameraEye.x + eyeDistance() * CameraForward.x, 100.0f, 1e-3f);
    EXPECT_NEAR(CameraEye.z + eyeDistance() * CameraForward.z, 200.0f, 1e-3f);
    Characters.clear();
}

TEST(Camera, YawHeldWhileAttacking)
{
    addPlayer(Villager, 1.0f);
    snapshot(10.0f, 0.0f, 10.0f, 0.3f, false);
    GameCamera.follow();
    EXPECT_FLOAT_EQ(GameCamera.yaw, 0.3f - QuarterTurn);

    snapshot(12.0f, 0.0f, 11.0f, 1.2f, true);
    GameCamera.follow();
    EXPECT_FLOAT_EQ(GameCamera.yaw, 0.3f - QuarterTurn);
    EXPECT_EQ(GameCamera.targetX, 12.0f);  // it still follows the position
    EXPECT_NEAR(eyeDistance(), 8.0f, 1e-4f);

    snapshot(12.0f, 0.0f, 11.0f, 1.2f, false);
    GameCamera.follow();
    EXPECT_FLOAT_EQ(GameCamera.yaw, 1.2f - QuarterTurn);
    Characters.clear();
}

class CameraMatrix : public GlTest {};

// Rotation then translation puts the eye at the origin, looking down -z at
// the target |distance| ahead.
TEST_F(CameraMatrix, ViewLooksFromTheEyeAtTheTarget)
{
    addPlayer(Villager, 1.0f);
    for (float heading : {0.0f, 0.9f, 2.5f, -1.3f, 4.0f}) {
        snapshot(250.0f, 1.5f, 130.0f, heading, false);
        GameCamera.follow();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        GameCamera.applyRotation();
        GameCamera.applyTranslation();
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        auto apply = [&m](float x, float y, float z, int row) {
            return m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
        };
        const float tx = GameCamera.targetX, ty = GameCamera.targetY, tz = GameCamera.targetZ;
        // The 6.28 turn makes the GL rotation a hair larger than the
        // placement's angle, hence the tolerance.
        EXPECT_NEAR(apply(tx, ty, tz, 0), 0.0f, 0.05f) << heading;
        EXPECT_NEAR(apply(tx, ty, tz, 1), 0.0f, 1e-4f) << heading;
        EXPECT_NEAR(apply(tx, ty, tz, 2), -8.0f, 0.01f) << heading;
        EXPECT_NEAR(apply(CameraEye.x, ty, CameraEye.z, 0), 0.0f, 1e-3f) << heading;
        EXPECT_NEAR(apply(CameraEye.x, ty, CameraEye.z, 2), 0.0f, 1e-3f) << heading;
    }
    glLoadIdentity();
    Characters.clear();
}
