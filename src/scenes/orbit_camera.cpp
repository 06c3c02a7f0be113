#include "scenes/orbit_camera.h"

#include <cmath>

#include "scene_core/camera.h"

void OrbitCamera() {
    const Vector3 eye = g_camera.eye;
    const Vector3 target = g_camera.target;
    g_camera.Set(std::sin(eye.x) * eye.z, eye.y, std::cos(eye.x) * eye.z, target.x, target.y,
                 target.z, g_camera.fov);
}
