#include "app/camera.h"

Camera GameCamera;
CameraPoint CameraEye;
CameraPoint CameraForward;

void Camera::follow() {}
void Camera::place() {}
void Camera::applyRotation() {}
void Camera::applyTranslation() {}
