#include "mesh_builder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using content::V3;
constexpr double kPi = 3.14159265358979;

// Every triangle wound so that its standard cross product points outward (clockwise seen from
// outside in a left-handed space) agrees with the smooth normals of its corners.
void ExpectWindingMatchesNormals(const content::TriMesh& m) {
    for (size_t k = 0; k < m.indices.size(); k += 3) {
        const auto& a = m.vertices[m.indices[k]];
        const auto& b = m.vertices[m.indices[k + 1]];
        const auto& c = m.vertices[m.indices[k + 2]];
        const V3 face = Cross(b.position - a.position, c.position - a.position);
        EXPECT_GT(Dot(face, a.normal + b.normal + c.normal), 0.0f) << "triangle " << k / 3;
    }
}

TEST(MeshBuilder, EllipsoidHasItsVolumeAndOutwardNormals) {
    content::TriMesh m;
    content::AddEllipsoid(m, 24, 16, V3{1, 2, 3}, V3{0.5f, 0.3f, 0.2f});
    const double exact = 4.0 / 3.0 * kPi * 0.5 * 0.3 * 0.2;
    EXPECT_NEAR(content::SignedVolume(m), exact, exact * 0.05);
    for (const auto& v : m.vertices) {
        EXPECT_NEAR(content::Length(v.normal), 1.0f, 1e-4f);
        EXPECT_GT(Dot(v.normal, v.position - V3{1, 2, 3}), 0.0f);
    }
    ExpectWindingMatchesNormals(m);
}

TEST(MeshBuilder, TorusIsClosedAndWoundOutward) {
    content::TriMesh m;
    content::AddTorus(m, 20, 8, V3{0, 0, 0}, V3{0, 0, 1}, 1.0f, 0.25f);
    const double exact = 2 * kPi * kPi * 1.0 * 0.25 * 0.25;
    EXPECT_NEAR(content::SignedVolume(m), exact, exact * 0.15);  // polygonal cross-section
    ExpectWindingMatchesNormals(m);
}

TEST(MeshBuilder, TubeIsTurnedOutwardWhicheverWayItRuns) {
    // The same closed tube traced in both directions along x must end up wound the same way.
    for (float dir : {1.0f, -1.0f}) {
        content::TriMesh m;
        content::AddTube(m, 10, 8, [dir](float t) {
            const float r = 0.3f * std::sin(t * float(kPi));
            return content::TubeRing{{dir * t, 0, 0}, r, r};
        }, V3{0, 1, 0});
        EXPECT_GT(content::SignedVolume(m), 0.0) << "direction " << dir;
        ExpectWindingMatchesNormals(m);
    }
}

TEST(MeshBuilder, PrimitivesAppendWithoutDisturbingEarlierOnes) {
    content::TriMesh m;
    content::AddEllipsoid(m, 8, 6, V3{0, 0, 0}, V3{1, 1, 1});
    const size_t firstVertices = m.vertices.size(), firstIndices = m.indices.size();
    content::AddEllipsoid(m, 8, 6, V3{5, 0, 0}, V3{1, 1, 1});
    EXPECT_EQ(m.vertices.size(), 2 * firstVertices);
    EXPECT_EQ(m.indices.size(), 2 * firstIndices);
    for (size_t k = firstIndices; k < m.indices.size(); ++k) EXPECT_GE(m.indices[k], firstVertices);
    // The second sphere's normals are its own (not welded to the first one's).
    for (size_t v = firstVertices; v < m.vertices.size(); ++v)
        EXPECT_GT(Dot(m.vertices[v].normal, m.vertices[v].position - V3{5, 0, 0}), 0.0f);
}

}  // namespace
