// Turns the camera's eye into an orbit about the y axis: with (x, y, z) the current eye, the eye
// becomes (sin x * z, y, cos x * z); target and field of view stay. So the track "1_cam.x" acts as
// the angle and "1_cam.z" as the radius.
#pragma once

void OrbitCamera();
