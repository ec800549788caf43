#include "app/camera.h"

#include "app/game_tick.h"
#include "characters/character_list.h"
#include "world/geometry.h"

#include <GL/gl.h>

#include <cmath>

Camera GameCamera;
CameraPoint CameraEye;
CameraPoint CameraForward;

namespace {

// Signed distance of the eye along the view: a dragon is watched from 12
// behind, every other form from 4 + 4 x its height scale. Before the player
// exists the camera frames a villager of scale 1.
float chaseDistance()
{
    if (Characters.main.empty())
        return -8.0f;
    const Character* player = Characters.player();
    if (player->kind == Dragon)
        return -12.0f;
    return -4.0f - 4.0f * player->scaleY;
}

} // namespace

void Camera::follow()
{
    targetX = PlayerSnapshot.x;
    targetY = PlayerSnapshot.y + 2.0f;
    targetZ = PlayerSnapshot.z;
    distance = chaseDistance();
    if (!PlayerSnapshot.attacking)
        yaw = PlayerSnapshot.heading - QuarterTurn;
    place();
    pitch = 0.0f;
}

void Camera::place()
{
    const float a = yaw + QuarterTurn;
    translateX = std::cos(a) * distance - targetX;
    translateY = -targetY;
    translateZ = std::sin(a) * distance - targetZ;
    CameraEye = {-translateX, -translateZ};
}

void Camera::applyRotation()
{
    glRotatef(pitch * TurnFraction * 360.0f, 1.0f, 0.0f, 0.0f);
    glRotatef(yaw * TurnFraction * 360.0f, 0.0f, 1.0f, 0.0f);
    const float a = yaw + QuarterTurn;
    CameraForward = {-std::cos(a), -std::sin(a)};
}

void Camera::applyTranslation() { glTranslatef(translateX, translateY, translateZ); }
