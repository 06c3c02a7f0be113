#include "pig_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

#include "generate.h"

namespace {

using content::V3;

class PigModel : public ::testing::Test {
protected:
    static void SetUpTestSuite() { pig_ = new std::vector<content::PigPart>(content::BuildPig()); }
    static void TearDownTestSuite() { delete pig_; }
    static const content::PigPart& part(size_t i) { return (*pig_)[i]; }
    static std::vector<content::PigPart>* pig_;
};
std::vector<content::PigPart>* PigModel::pig_ = nullptr;

// Groups triangles into pieces that share positions (union-find on welded vertices) and returns the
// signed volume of each piece.
std::vector<double> PieceVolumes(const content::TriMesh& m) {
    std::map<std::tuple<long, long, long>, size_t> weld;
    std::vector<size_t> id(m.vertices.size());
    for (size_t v = 0; v < m.vertices.size(); ++v) {
        const V3 p = m.vertices[v].position;
        const auto key = std::make_tuple(std::lround(p.x * 1e4f), std::lround(p.y * 1e4f), std::lround(p.z * 1e4f));
        id[v] = weld.emplace(key, weld.size()).first->second;
    }
    std::vector<size_t> parent(weld.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](size_t x) {
        while (parent[x] != x) x = parent[x] = parent[parent[x]];
        return x;
    };
    for (size_t k = 0; k < m.indices.size(); k += 3) {
        parent[find(id[m.indices[k]])] = find(id[m.indices[k + 1]]);
        parent[find(id[m.indices[k]])] = find(id[m.indices[k + 2]]);
    }
    std::map<size_t, double> volume;
    for (size_t k = 0; k < m.indices.size(); k += 3) {
        const V3 a = m.vertices[m.indices[k]].position, b = m.vertices[m.indices[k + 1]].position,
                 c = m.vertices[m.indices[k + 2]].position;
        volume[find(id[m.indices[k]])] += double(Dot(a, Cross(b, c))) / 6.0;
    }
    std::vector<double> out;
    for (const auto& [root, v] : volume) out.push_back(v);
    return out;
}

TEST_F(PigModel, SixPartsAtTheirPathsWithinTheTriangleBudget) {
    ASSERT_EQ(pig_->size(), 6u);
    EXPECT_EQ(part(0).path, "vessmark/gris/h.SCENEauge2_3.mesh");
    EXPECT_EQ(part(1).path, "vessmark/gris/gris.SCENEgrismesh_1.mesh");
    EXPECT_EQ(part(5).path, "vessmark/gris/gris.SCENEtann_8.mesh");
    size_t total = 0;
    for (const auto& p : *pig_) {
        EXPECT_GT(p.mesh.triangleCount(), 0u) << p.path;
        EXPECT_LT(p.mesh.vertices.size(), 65536u) << p.path;
        total += p.mesh.triangleCount();
    }
    // Part 4 draws 200 pigs a frame on a software rasteriser: the pig must stay light.
    EXPECT_LE(part(1).mesh.triangleCount(), 350u);
    EXPECT_LE(total, 600u);
}

TEST_F(PigModel, EveryPieceIsClosedAndWoundOutwardWithUnitNormals) {
    for (const auto& p : *pig_) {
        for (const auto& v : p.mesh.vertices) ASSERT_NEAR(content::Length(v.normal), 1.0f, 1e-4f) << p.path;
        for (size_t k = 0; k < p.mesh.indices.size(); k += 3) {
            const auto& a = p.mesh.vertices[p.mesh.indices[k]];
            const auto& b = p.mesh.vertices[p.mesh.indices[k + 1]];
            const auto& c = p.mesh.vertices[p.mesh.indices[k + 2]];
            const V3 face = Cross(b.position - a.position, c.position - a.position);
            ASSERT_GT(Dot(face, a.normal + b.normal + c.normal), 0.0f) << p.path << " triangle " << k / 3;
        }
        for (double v : PieceVolumes(p.mesh)) EXPECT_GT(v, 0.0) << p.path << ": a piece is wound inward";
    }
}

TEST_F(PigModel, AssembledPigStandsOnTheGroundFacingPlusX) {
    V3 lo{FLT_MAX, FLT_MAX, FLT_MAX}, hi{-FLT_MAX, -FLT_MAX, -FLT_MAX};
    for (const auto& p : *pig_)
        for (const auto& v : p.mesh.vertices) {
            const V3 w = v.position + p.placement;
            lo = {std::min(lo.x, w.x), std::min(lo.y, w.y), std::min(lo.z, w.z)};
            hi = {std::max(hi.x, w.x), std::max(hi.y, w.y), std::max(hi.z, w.z)};
        }
    EXPECT_NEAR(hi.x - lo.x, 2.1f, 0.3f);   // about two units long
    EXPECT_NEAR(lo.y, 0.0f, 0.02f);          // trotters on y = 0
    EXPECT_NEAR(hi.y - lo.y, 1.3f, 0.3f);
    EXPECT_NEAR(lo.z + hi.z, 0.0f, 0.02f);   // symmetric about z = 0
    EXPECT_LT(hi.z - lo.z, hi.x - lo.x);     // longer than wide
    // Snout parts in front, eyes up front and high.
    EXPECT_GT(part(3).placement.x, 0.85f);   // nostrils
    EXPECT_GT(part(4).placement.x, 0.85f);   // nose ring
    EXPECT_GT(part(0).placement.x, 0.5f);
    EXPECT_GT(part(0).placement.y, 0.8f);
}

TEST_F(PigModel, EyePupilsLookForward) {
    // The texture's centre (the pupil) lies on the front of each eye, its rim on the back.
    const auto& eyes = part(0).mesh;
    int front = 0, back = 0;
    for (const auto& v : eyes.vertices) {
        const float fromCentre = std::hypot(v.u - 0.5f, v.v - 0.5f);
        ASSERT_LE(fromCentre, 0.5f + 1e-4f);
        if (v.normal.x > 0.9f) {
            EXPECT_LT(fromCentre, 0.15f);
            ++front;
        }
        if (v.normal.x < -0.9f) {
            EXPECT_GT(fromCentre, 0.35f);
            ++back;
        }
    }
    EXPECT_GT(front, 0);
    EXPECT_GT(back, 0);
}

TEST_F(PigModel, MeshFileCarriesOnePlacingKey) {
    const auto f = content::ToMeshFile(part(2).mesh, part(2).placement);
    EXPECT_EQ(f.formatBits, 7);
    EXPECT_EQ(f.stride, 32u);
    EXPECT_EQ(f.vertexBytes.size(), part(2).mesh.vertices.size() * 32);
    ASSERT_EQ(f.positionKeys.size(), 1u);
    ASSERT_EQ(f.scaleKeys.size(), 1u);
    EXPECT_FLOAT_EQ(f.positionKeys[0].x, part(2).placement.x);
    EXPECT_FLOAT_EQ(f.rotationKeys[0].w, 1.0f);
    EXPECT_FLOAT_EQ(f.scaleKeys[0].x, 1.0f);
    EXPECT_FLOAT_EQ(f.scaleKeys[0].z, 1.0f);
    // The normal of vertex 0 sits at byte 12.
    EXPECT_FLOAT_EQ(meshfile::VertexFloat(f, 0, 12), part(2).mesh.vertices[0].normal.x);
}

}  // namespace
