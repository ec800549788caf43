// The chase camera: placed behind the player every frame, level, keeping its
// direction while the player attacks. Publishes the eye and the horizontal
// forward direction for culling, wrapping and facing. One instance, GameCamera.
#pragma once

#include "game_state.h" // CameraPoint, CameraEye, CameraForward

struct Camera {
    float yaw;
    float pitch;
    float targetX, targetY, targetZ;
    float translateX, translateY, translateZ;
    float distance;

    void follow();
    void place();
    void applyRotation();
    void applyTranslation();
};

extern Camera GameCamera;
