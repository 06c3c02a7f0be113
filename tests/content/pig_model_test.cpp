// The generated pig: within the triangle budget, every piece closed and wound outward.
#include "pig_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

#include "generate.h"

namespace {

using content::V3;

// Groups triangles into pieces that share positions (union-find on welded vertices) and returns the
// signed volume of each piece.
std::vector<double> PieceVolumes(const content::TriMesh& m) {
    std::map<std::tuple<long, long, long>, size_t> weld;
    std::vector<size_t> id(m.vertices.size());
    for (size_t v = 0; v < m.vertices.size(); ++v) {
        const V3 p = m.vertices[v].position;
        const auto key = std::make_tuple(std::lround(p.x * 1e4f), std::lround(p.y * 1e4f),
                                         std::lround(p.z * 1e4f));
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

TEST(PigModel, SixClosedPartsWoundOutwardWithinTheTriangleBudget) {
    const std::vector<content::PigPart> pig = content::BuildPig();
    ASSERT_EQ(pig.size(), 6u);
    size_t total = 0;
    for (const auto& p : pig) {
        ASSERT_GT(p.mesh.triangleCount(), 0u) << p.path;
        EXPECT_LT(p.mesh.vertices.size(), 65536u) << p.path;
        total += p.mesh.triangleCount();
        for (const auto& v : p.mesh.vertices)
            ASSERT_NEAR(content::Length(v.normal), 1.0f, 1e-4f) << p.path;
        // Each triangle's standard cross product (clockwise seen from outside in a left-handed
        // space) agrees with the smooth normals of its corners.
        for (size_t k = 0; k < p.mesh.indices.size(); k += 3) {
            const auto& a = p.mesh.vertices[p.mesh.indices[k]];
            const auto& b = p.mesh.vertices[p.mesh.indices[k + 1]];
            const auto& c = p.mesh.vertices[p.mesh.indices[k + 2]];
            const V3 face = Cross(b.position - a.position, c.position - a.position);
            ASSERT_GT(Dot(face, a.normal + b.normal + c.normal), 0.0f)
                << p.path << " triangle " << k / 3;
        }
        for (double v : PieceVolumes(p.mesh))
            EXPECT_GT(v, 0.0) << p.path << ": a piece is wound inward";
    }
    // Part 4 draws 200 pigs a frame on a software rasteriser: the pig must stay light.
    EXPECT_LE(pig[1].mesh.triangleCount(), 350u);
    EXPECT_LE(total, 600u);
}

}  // namespace
