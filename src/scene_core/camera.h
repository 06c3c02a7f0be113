// The scene camera: eye, target and field of view set every frame; view and projection computed on
// every call (nothing is cached, so a Set takes effect at once).
#pragma once

#include "scene_core/math_types.h"

class Camera {
  public:
    Camera();

    // Stores eye, target and fov (radians); leaves up, zNear, zFar and aspect alone.
    void Set(float eyeX, float eyeY, float eyeZ, float targetX, float targetY, float targetZ,
             float fieldOfView);

    Matrix View() const;            // look-at from eye towards target with up
    Matrix Projection() const;      // perspective with fov, aspect, zNear, zFar
    Matrix ViewProjection() const;  // View() x Projection()

    Vector3 up;      // (0, -1, 0): the scenes render upside down, the filters turn them upright
    Vector3 eye;     // (0, 0, 0)
    Vector3 target;  // (0, 0, 0)
    float fov;       // 0 until the first Set
    float zNear;     // 1
    float zFar;      // 10000
    float aspect;    // 16 / 9
};

extern Camera g_camera;
