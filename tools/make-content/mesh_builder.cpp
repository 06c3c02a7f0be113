#include "mesh_builder.h"

#include <cmath>
#include <map>
#include <tuple>
#include <utility>

namespace content {
namespace {

constexpr float kPi = 3.14159265358979f;

// Appends a (cols+1) x (rows+1) vertex grid from pos(i, j) and its quads, then finishes the
// primitive (drops degenerate triangles, orients outward, computes smooth normals).
void AddGrid(TriMesh& mesh, int cols, int rows, const std::function<V3(int, int)>& pos) {
    const uint32_t base = uint32_t(mesh.vertices.size());
    const size_t firstIndex = mesh.indices.size();
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= cols; ++i) {
            Vertex v;
            v.position = pos(i, j);
            v.u = float(i) / float(cols);
            v.v = float(j) / float(rows);
            mesh.vertices.push_back(v);
        }
    auto at = [&](int i, int j) { return base + uint32_t(j * (cols + 1) + i); };
    auto emit = [&](uint32_t a, uint32_t b, uint32_t c) {
        const V3 n = Cross(mesh.vertices[b].position - mesh.vertices[a].position,
                           mesh.vertices[c].position - mesh.vertices[a].position);
        if (Length(n) < 1e-7f) return;  // pole slivers
        mesh.indices.insert(mesh.indices.end(), {a, b, c});
    };
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            emit(at(i, j), at(i + 1, j), at(i, j + 1));
            emit(at(i + 1, j + 1), at(i, j + 1), at(i + 1, j));
        }

    if (SignedVolume(mesh, firstIndex) < 0)
        for (size_t k = firstIndex; k < mesh.indices.size(); k += 3)
            std::swap(mesh.indices[k + 1], mesh.indices[k + 2]);

    // Smooth normals: accumulate face normals per distinct position (seams and poles weld).
    using Key = std::tuple<long, long, long>;
    auto keyOf = [](V3 p) {
        return Key{std::lround(p.x * 1e5f), std::lround(p.y * 1e5f), std::lround(p.z * 1e5f)};
    };
    std::map<Key, V3> sums;
    for (size_t k = firstIndex; k < mesh.indices.size(); k += 3) {
        const V3 a = mesh.vertices[mesh.indices[k]].position,
                 b = mesh.vertices[mesh.indices[k + 1]].position,
                 c = mesh.vertices[mesh.indices[k + 2]].position;
        const V3 n = Cross(b - a, c - a);
        for (V3 p : {a, b, c}) sums[keyOf(p)] = sums[keyOf(p)] + n;
    }
    for (size_t v = base; v < mesh.vertices.size(); ++v) {
        auto it = sums.find(keyOf(mesh.vertices[v].position));
        mesh.vertices[v].normal = it != sums.end() ? Normalize(it->second) : V3{0, 1, 0};
    }
}

}  // namespace

float Length(V3 a) {
    return std::sqrt(Dot(a, a));
}

V3 Normalize(V3 a) {
    const float len = Length(a);
    return len > 0 ? a * (1.0f / len) : V3{0, 1, 0};
}

void AddTube(TriMesh& mesh, int around, int along, const std::function<TubeRing(float)>& rings,
             V3 side) {
    std::vector<TubeRing> ring(size_t(along) + 1);
    std::vector<V3> na(ring.size()), nb(ring.size());
    for (int j = 0; j <= along; ++j) ring[size_t(j)] = rings(float(j) / float(along));
    for (int j = 0; j <= along; ++j) {
        const float t0 = float(std::max(j - 1, 0)) / float(along),
                    t1 = float(std::min(j + 1, along)) / float(along);
        const V3 tangent = Normalize(rings(t1).center - rings(t0).center);
        const V3 a = Normalize(side - tangent * Dot(side, tangent));
        na[size_t(j)] = a;
        nb[size_t(j)] = Cross(tangent, a);
    }
    AddGrid(mesh, around, along, [&](int i, int j) {
        const float phi = 2 * kPi * float(i % around) / float(around);
        const TubeRing& r = ring[size_t(j)];
        return r.center + na[size_t(j)] * (r.ra * std::cos(phi)) +
               nb[size_t(j)] * (r.rb * std::sin(phi));
    });
}

void AddEllipsoid(TriMesh& mesh, int around, int along, V3 c, V3 r) {
    AddGrid(mesh, around, along, [&](int i, int j) {
        const float theta = kPi * float(j) / float(along);
        const float phi = 2 * kPi * float(i % around) / float(around);
        const float s = (j == 0 || j == along) ? 0.0f : std::sin(theta);
        return V3{c.x - r.x * std::cos(theta), c.y + r.y * s * std::sin(phi),
                  c.z + r.z * s * std::cos(phi)};
    });
}

void AddTorus(TriMesh& mesh, int around, int tube, V3 c, V3 axis, float R, float r) {
    axis = Normalize(axis);
    const V3 helper = std::fabs(axis.x) < 0.9f ? V3{1, 0, 0} : V3{0, 1, 0};
    const V3 e1 = Normalize(Cross(axis, helper)), e2 = Cross(axis, e1);
    AddGrid(mesh, around, tube, [&](int i, int j) {
        const float a = 2 * kPi * float(i % around) / float(around);
        const float b = 2 * kPi * float(j % tube) / float(tube);
        const V3 radial = e1 * std::cos(a) + e2 * std::sin(a);
        return c + radial * (R + r * std::cos(b)) + axis * (r * std::sin(b));
    });
}

double SignedVolume(const TriMesh& mesh, size_t firstIndex) {
    double sum = 0;
    for (size_t k = firstIndex; k + 2 < mesh.indices.size(); k += 3) {
        const V3 a = mesh.vertices[mesh.indices[k]].position,
                 b = mesh.vertices[mesh.indices[k + 1]].position,
                 c = mesh.vertices[mesh.indices[k + 2]].position;
        sum += double(Dot(a, Cross(b, c)));
    }
    return sum / 6.0;
}

}  // namespace content
