#include "scene_core/camera.h"

#include "platform/math/vector_math.h"
#include "scene_core/matrix.h"

Camera g_camera;

Camera::Camera()
    : up{0.0f, -1.0f, 0.0f},
      eye{0.0f, 0.0f, 0.0f},
      target{0.0f, 0.0f, 0.0f},
      fov(0.0f),
      zNear(1.0f),
      zFar(10000.0f),
      aspect(16.0f / 9.0f) {}

void Camera::Set(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
                 float fieldOfView) {
    eye = {eyeX, eyeY, eyeZ};
    target = {targetX, targetY, targetZ};
    fov = fieldOfView;
}

Matrix Camera::View() const {
    return vmath::MatrixLookAtLH(eye, target, up);
}

Matrix Camera::Projection() const {
    return vmath::MatrixPerspectiveFovLH(fov, aspect, zNear, zFar);
}

Matrix Camera::ViewProjection() const {
    return View() * Projection();
}
