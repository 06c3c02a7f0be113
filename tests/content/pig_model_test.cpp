// The generated pig: within the triangle budget, every part closed and wound outward.
#include "pig_model.h"

#include <gtest/gtest.h>

#include "generate.h"

namespace {

using content::V3;

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
        // space) agrees with the smooth normals of its corners, and the part encloses a positive
        // volume (its faces point outward).
        double volume = 0;
        for (size_t k = 0; k < p.mesh.indices.size(); k += 3) {
            const auto& a = p.mesh.vertices[p.mesh.indices[k]];
            const auto& b = p.mesh.vertices[p.mesh.indices[k + 1]];
            const auto& c = p.mesh.vertices[p.mesh.indices[k + 2]];
            const V3 face = Cross(b.position - a.position, c.position - a.position);
            ASSERT_GT(Dot(face, a.normal + b.normal + c.normal), 0.0f)
                << p.path << " triangle " << k / 3;
            volume += double(Dot(a.position, Cross(b.position, c.position))) / 6.0;
        }
        EXPECT_GT(volume, 0.0) << p.path << " is wound inward";
    }
    // 200 pigs a frame on a software rasteriser: the pig must stay light.
    EXPECT_LE(pig[1].mesh.triangleCount(), 350u);
    EXPECT_LE(total, 600u);
}

}  // namespace
