#include "scenes/orbit_camera.h"

#include "scene_core/camera.h"
#include "scene_core/float_math.h"

void OrbitCamera() {
    const Vector3 eye = g_camera.eye;
    const Vector3 target = g_camera.target;
    g_camera.Set(SinF(eye.x) * eye.z, eye.y, CosF(eye.x) * eye.z, target.x, target.y, target.z,
                 g_camera.fov);
}
