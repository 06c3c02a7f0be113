// mesh_builder: builds smooth, closed triangle meshes (position, normal, texture coordinate) from
// lofted tubes and tori, for the generated pig.
//
// Every primitive is closed: a tube's radius falls to 0 at both ends, a torus closes on itself.
// After a primitive is emitted its winding is made outward (positive signed volume with the
// standard cross product, which is clockwise seen from outside in Direct3D's left-handed space, so
// D3DCULL_CCW keeps the outside) and its normals are the area-weighted face normals at each
// distinct position. Degenerate triangles (at the poles) are dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace content {

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline float Dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float Length(V3 a);
V3 Normalize(V3 a);

struct Vertex {
    V3 position;
    V3 normal;
    float u = 0, v = 0;
};

struct TriMesh {
    std::vector<Vertex> vertices;
    std::vector<uint32_t> indices;  // three per triangle
    size_t triangleCount() const { return indices.size() / 3; }
};

// A point on a tube's centre line with the two half-axes of its elliptical cross-section: ra along
// the side direction (centre-line frame's first normal), rb along the second.
struct TubeRing {
    V3 center;
    float ra = 0, rb = 0;
};

// Tube through rings(t) for t in [0, 1]; the frame is built from the centre line's tangent and the
// reference direction `side` (must not be parallel to the tangent). Texture u runs around, v along.
void AddTube(TriMesh& mesh, int around, int along, const std::function<TubeRing(float)>& rings,
             V3 side);

// Ellipsoid centred at c with half-axes r, its poles on the x axis.
void AddEllipsoid(TriMesh& mesh, int around, int along, V3 c, V3 r);

// Torus around `axis` (unit) through c, ring radius R, tube radius r.
void AddTorus(TriMesh& mesh, int around, int tube, V3 c, V3 axis, float R, float r);

// Signed volume of the triangles from index `firstIndex` on (positive when wound outward).
double SignedVolume(const TriMesh& mesh, size_t firstIndex = 0);

}  // namespace content
