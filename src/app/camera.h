// The chase camera: placed behind the player every frame, level, keeping its
// direction while the player attacks. Publishes the eye and the horizontal
// forward direction for culling, wrapping and facing. One instance, GameCamera.
#pragma once

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

struct CameraPoint {
    float x;
    float z;
};

extern Camera GameCamera;
extern CameraPoint CameraEye;      // eye position, x and z
extern CameraPoint CameraForward;  // unit horizontal direction from eye to target
