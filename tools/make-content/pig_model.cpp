#include "pig_model.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>

#include "content_paths.h"

namespace content {
namespace {

constexpr float kPi = 3.14159265358979f;

// Smooth (cosine-eased) interpolation through a table of rows {t, values...}.
template <size_t N>
std::array<float, N - 1> Profile(const std::vector<std::array<float, N>>& table, float t) {
    size_t k = 0;
    while (k + 2 < table.size() && t > table[k + 1][0]) ++k;
    const auto& a = table[k];
    const auto& b = table[k + 1];
    float s = std::clamp((t - a[0]) / (b[0] - a[0]), 0.0f, 1.0f);
    s = 0.5f - 0.5f * std::cos(s * kPi);
    std::array<float, N - 1> out{};
    for (size_t i = 1; i < N; ++i) out[i - 1] = a[i] + (b[i] - a[i]) * s;
    return out;
}

// Rounds a profile's end: radius factor that reaches 0 at t = 0 and t = 1 like a sphere cap.
float Cap(float t, float width) {
    auto edge = [&](float d) {
        return d >= width ? 1.0f
                          : std::sqrt(std::max(0.0f, 1.0f - (1 - d / width) * (1 - d / width)));
    };
    return std::min(edge(t), edge(1 - t));
}

void AddBody(TriMesh& m) {
    // t, x, centre y, half height, half width
    static const std::vector<std::array<float, 5>> body = {
        {0.00f, -0.98f, 0.70f, 0.00f, 0.00f}, {0.07f, -0.92f, 0.70f, 0.30f, 0.27f},
        {0.18f, -0.74f, 0.71f, 0.44f, 0.40f}, {0.38f, -0.36f, 0.72f, 0.49f, 0.44f},
        {0.56f, 0.02f, 0.73f, 0.47f, 0.42f},  {0.68f, 0.28f, 0.77f, 0.40f, 0.36f},
        {0.80f, 0.50f, 0.82f, 0.34f, 0.32f},  {0.90f, 0.68f, 0.81f, 0.27f, 0.26f},
        {0.96f, 0.78f, 0.79f, 0.17f, 0.17f},  {1.00f, 0.82f, 0.79f, 0.00f, 0.00f},
    };
    AddTube(
        m, 10, 9,
        [](float t) {
            const auto p = Profile(body, t);
            return TubeRing{{p[0], p[1], 0}, p[3], p[2]};
        },
        V3{0, 0, 1});

    // Snout: a short, slightly flared cylinder with a rounded front rim.
    AddTube(
        m, 8, 3,
        [](float t) {
            const float r = 0.145f * Cap(t, 0.25f) * (0.92f + 0.08f * t);
            return TubeRing{{0.72f + 0.27f * t, 0.78f, 0}, r, r * 0.92f};
        },
        V3{0, 0, 1});

    // Legs: short, slightly tapered, rounded trotters on y = 0.
    for (float lx : {-0.55f, 0.42f})
        for (float lz : {-0.22f, 0.22f})
            AddTube(
                m, 5, 3,
                [lx, lz](float u) {
                    // Three segments: short rounded ends and a straight shank, not two cones.
                    const float t = u < 1.0f / 3   ? 0.18f * u
                                    : u > 2.0f / 3 ? 1.0f - 0.18f * (1.0f - u)
                                                   : 0.06f + (u - 1.0f / 3) * 2.64f;
                    const float r = (0.085f + 0.02f * t) * Cap(t, 0.12f);
                    return TubeRing{{lx, 0.47f * t, lz}, r, r};
                },
                V3{1, 0, 0});

    // Ears: thin leaves leaning forward and out.
    for (float side : {-1.0f, 1.0f}) {
        const V3 base{0.46f, 1.02f, 0.17f * side};
        const V3 dir = Normalize(V3{0.45f, 1.0f, 0.55f * side});
        AddTube(
            m, 4, 3,
            [base, dir](float t) {
                const float w = 0.15f * std::sin(std::min(1.0f, t * 1.15f) * kPi * 0.95f);
                return TubeRing{base + dir * (0.36f * t), w * Cap(t, 0.05f), 0.03f * Cap(t, 0.1f)};
            },
            V3{0, 0, 1} * side + V3{0, -0.3f, 0});
    }

    // Curly tail: a tapering helix off the rump.
    AddTube(
        m, 4, 5,
        [](float t) {
            const float a = t * 2.6f * kPi;
            const float r = 0.03f * (1.0f - 0.6f * t) * Cap(t, 0.08f);
            return TubeRing{{-0.93f - 0.16f * t, 0.86f + 0.07f * std::sin(a),
                             0.07f * (std::cos(a) - 1.0f) * 0.8f},
                            r,
                            r};
        },
        V3{1, 0, 0});
}

void AddEyes(TriMesh& m) {
    for (float side : {-1.0f, 1.0f}) {
        const V3 c{0.64f, 0.98f, 0.15f * side};
        const float radius = 0.085f;
        const size_t first = m.vertices.size();
        AddEllipsoid(m, 7, 4, c, V3{radius, radius, radius});
        // Azimuthal mapping about the gaze: the texture's centre (the pupil) looks forward and a
        // little outward; the back of the eye maps to the texture's white rim.
        const V3 gaze = Normalize(V3{1.0f, 0.05f, 0.35f * side});
        const V3 up = Normalize(V3{0, 1, 0} - gaze * gaze.y);
        const V3 right = Cross(up, gaze);
        for (size_t v = first; v < m.vertices.size(); ++v) {
            const V3 d = Normalize(m.vertices[v].position - c);
            const float theta = std::acos(std::clamp(Dot(d, gaze), -1.0f, 1.0f));
            const V3 q = d - gaze * Dot(d, gaze);
            const float ql = Length(q);
            const float r = 0.5f * theta / kPi;
            m.vertices[v].u = ql > 1e-6f ? 0.5f + r * Dot(q, right) / ql : 0.5f;
            m.vertices[v].v =
                ql > 1e-6f ? 0.5f - r * Dot(q, up) / ql : 0.5f + (theta > 1 ? 0.5f : 0.0f);
        }
    }
}

void AddJaw(TriMesh& m) {
    AddTube(
        m, 8, 4,
        [](float t) {
            const float c = Cap(t, 0.5f);
            return TubeRing{{0.60f + 0.26f * t, 0.625f + 0.03f * t, 0}, 0.13f * c, 0.055f * c};
        },
        V3{0, 0, 1});
}

void AddNostrils(TriMesh& m) {
    for (float side : {-1.0f, 1.0f})
        AddEllipsoid(m, 5, 3, V3{0.985f, 0.795f, 0.055f * side}, V3{0.018f, 0.04f, 0.028f});
}

void AddRing(TriMesh& m) {
    AddTorus(m, 8, 3, V3{0.985f, 0.70f, 0}, V3{0, 0, 1}, 0.075f, 0.013f);
}

void AddTusks(TriMesh& m) {
    for (float side : {-1.0f, 1.0f})
        AddTube(
            m, 4, 3,
            [side](float t) {
                const float r = 0.022f * (1.0f - 0.8f * t) * Cap(t, 0.15f);
                return TubeRing{
                    {0.83f + 0.05f * t, 0.64f + 0.13f * t, (0.085f + 0.02f * t) * side}, r, r};
            },
            V3{0, 0, 1});
}

// Moves the mesh so that its bounding-box centre is the origin; returns that centre.
V3 Recentre(TriMesh& m) {
    V3 lo{FLT_MAX, FLT_MAX, FLT_MAX}, hi{-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (const auto& v : m.vertices) {
        lo = {std::min(lo.x, v.position.x), std::min(lo.y, v.position.y),
              std::min(lo.z, v.position.z)};
        hi = {std::max(hi.x, v.position.x), std::max(hi.y, v.position.y),
              std::max(hi.z, v.position.z)};
    }
    const V3 c = (lo + hi) * 0.5f;
    for (auto& v : m.vertices) v.position = v.position - c;
    return c;
}

}  // namespace

std::vector<PigPart> BuildPig() {
    std::vector<PigPart> parts = {
        {kMeshEyes, {}, {}},     {kMeshBody, {}, {}}, {kMeshJaw, {}, {}},
        {kMeshNostrils, {}, {}}, {kMeshRing, {}, {}}, {kMeshTusks, {}, {}},
    };
    AddEyes(parts[0].mesh);
    AddBody(parts[1].mesh);
    AddJaw(parts[2].mesh);
    AddNostrils(parts[3].mesh);
    AddRing(parts[4].mesh);
    AddTusks(parts[5].mesh);
    for (auto& p : parts) p.placement = Recentre(p.mesh);
    return parts;
}

}  // namespace content
