// Loading, drawing and placing meshes from mesh files written by the tests.
#include "resources/mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <tuple>

#include "mesh_file_builder.h"
#include "scene_core/matrix.h"
#include "support/call_lines.h"
#include "support/recording_device.h"
#include "support/scratch_dir.h"

namespace {

using Boxes = std::vector<vmtest::BoxRecorder::Box>;
using vmtest::Lines;

class MeshTest : public ::testing::Test {
  protected:
    // Loads bytes written to a file into mesh; returns the file's path.
    std::string Load(Mesh& mesh, const MeshBytes& bytes) {
        const std::string path = folder.Write("m" + std::to_string(++files_) + ".mesh", bytes.data);
        mesh.LoadFromFile(path.c_str());
        return path;
    }
    static MeshBytes Triangle(uint32_t stride, uint16_t format) {
        return MeshBytes().Header(1, 3, stride, format).Indices({0, 1, 2}).Vertices(3, stride);
    }

    vmtest::ScratchDir folder;
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    int files_ = 0;
};

TEST_F(MeshTest, LoadsTheBuffersDrawsThemAndLaysTheElementsOutByTheFormatBits) {
    Mesh mesh;
    MeshBytes bytes;
    bytes.Header(2, 4, 32, 7).Indices({0, 1, 2, 3, 2, 1}).Vertices(4, 32).NoKeys();
    Load(mesh, bytes);
    mesh.Draw();
    EXPECT_LINES(
        device.Calls(),
        (Lines{"CreateVertexDeclaration(0 FLOAT3 POSITION0, 12 FLOAT3 NORMAL0, 24 FLOAT2 "
               "TEXCOORD0)",
               "CreateIndexBuffer(12, WRITEONLY, INDEX16, MANAGED)",
               "CreateVertexBuffer(128, WRITEONLY|DYNAMIC, 0, DEFAULT)", "ib1.Lock(0, 0, 0)",
               "ib1.Unlock()", "vb1.Lock(0, 0, DISCARD)", "vb1.Unlock()",
               "SetStreamSource(0, vb1, 0, 32)", "SetVertexDeclaration(decl1)", "SetIndices(ib1)",
               "DrawIndexedPrimitive(TRIANGLELIST, 0, 0, 4, 0, 2)"}));
    const auto& vb = static_cast<vmtest::FakeObject*>(mesh.vertexBuffer)->bytes;
    const auto& ib = static_cast<vmtest::FakeObject*>(mesh.indexBuffer)->bytes;
    const uint8_t* fileIndices = bytes.data.data() + 86;
    EXPECT_EQ(ib, std::vector<uint8_t>(fileIndices, fileIndices + 12));
    EXPECT_EQ(vb, std::vector<uint8_t>(fileIndices + 12, fileIndices + 140));
    EXPECT_EQ(std::memcmp(mesh.vertexData2.get(), vb.data(), 128), 0);
    EXPECT_TRUE(boxes.boxes.empty());

    // Other format bits lay the elements out in bit order; only 32-byte vertices are copied.
    const std::tuple<uint32_t, uint16_t, const char*> layouts[] = {
        {36, 71,
         "0 FLOAT3 POSITION0, 12 FLOAT3 NORMAL0, 24 FLOAT2 TEXCOORD0, 32 FLOAT1 BLENDWEIGHT0"},
        {32, 133, "0 FLOAT3 POSITION0, 12 FLOAT2 TEXCOORD0, 20 FLOAT3 TEXCOORD0"}};
    for (const auto& [stride, format, declaration] : layouts) {
        Mesh other;
        device.ClearCalls();
        Load(other, Triangle(stride, format).NoKeys());
        EXPECT_EQ(device.Calls().at(0),
                  "CreateVertexDeclaration(" + std::string(declaration) + ")");
        EXPECT_EQ(other.vertexData == nullptr, stride != 32);
    }
}

TEST_F(MeshTest, LocalTransformScalesRotatesThenTranslatesAndIsTheIdentityWithoutKeys) {
    // Scale 2, a quarter turn about z, then move by (10, 0, 0): (1, 0, 0) -> (2, 0, 0) -> (0, 2, 0)
    // -> (10, 2, 0). An empty scale track next to filled ones scales to zero.
    const float s = std::sqrt(0.5f);
    const struct {
        MeshBytes bytes;
        Vector3 expected;
    } cases[] = {
        {Triangle(12, 1).NoKeys(), {1, 0, 0}},
        {Triangle(12, 1).KeyCount(1).Floats({10, 0, 0, 0, 0, s, s, 2, 2, 2}), {10, 2, 0}},
        {Triangle(12, 1).KeyCount(0).U32(1).Floats({5, 6, 7}).U32(0).U32(0), {5, 6, 7}},
    };
    for (const auto& c : cases) {
        Mesh mesh;
        Load(mesh, c.bytes);
        const Vector3 p = TransformCoord({1, 0, 0}, mesh.LocalTransform(0.0f));
        EXPECT_NEAR(p.x, c.expected.x, 1e-5f);
        EXPECT_NEAR(p.y, c.expected.y, 1e-5f);
        EXPECT_NEAR(p.z, c.expected.z, 1e-5f);
    }
}

TEST_F(MeshTest, MalformedOversizedAndUnreadableFilesAreRefusedWithTheirReasonAndLeftEmpty) {
    MeshBytes valid;
    valid.Header(2, 4, 32, 7).Indices({0, 1, 2, 3, 2, 1}).Vertices(4, 32).KeyCount(1);
    valid.Floats({0, 0, 0}).Floats({0, 0, 0, 1}).Floats({1, 1, 1});
    auto cut = [&valid](size_t size) {
        MeshBytes bytes = valid;
        bytes.data.resize(size);
        return bytes;
    };
    auto small = [](uint32_t triangles, uint32_t vertices, uint32_t stride) {
        return MeshBytes().Header(triangles, vertices, stride, 1).Indices({0, 1, 2});
    };
    const struct {
        MeshBytes bytes;
        const char* reasonPart;
    } cases[] = {
        {cut(85), "header"},
        {cut(86 + 11), "indices"},
        {cut(86 + 12 + 127), "vertices"},
        {cut(86 + 12 + 128 + 16), "key count"},
        {cut(valid.data.size() - 1), "keys"},
        {Triangle(30, 1).Vertices(3, 32), "not a multiple of 4"},
        {Triangle(28, 7).NoKeys(), "smaller than its elements (32 bytes)"},
        {MeshBytes().Header(2, 4, 12, 1).Indices({0, 1, 2, 3, 2, 4}).Vertices(4, 12).NoKeys(),
         "indices reach past the 4 vertices"},
        {small(0x40000000, 3, 12), "indices"},
        {small(1, 0xFFFFFFFF, 12), "vertices"},
        {small(1, 3, 12).Vertices(3, 12).KeyCount(0x7FFFFFFF), "keys"},
        {small(1, 3, 12).Vertices(3, 12).KeyCount(0).U32(0).U32(0xFFFFFFF).U32(0), "key count"},
    };
    for (const auto& c : cases) {
        Mesh bad;
        const std::string path = Load(bad, c.bytes);
        ASSERT_EQ(boxes.boxes.size(), 1u) << c.reasonPart;
        const std::string& text = boxes.boxes[0].text;
        EXPECT_TRUE(text.starts_with(path + ": ") && text.find(c.reasonPart) != std::string::npos &&
                    boxes.boxes[0].caption == "MeshFile")
            << text;
        EXPECT_EQ(bad.vertexCount + bad.triangleCount + bad.positionKeys.count, 0u);
        boxes.boxes.clear();
    }
    const std::string big = (folder.Path() / "big.mesh").string();
    { std::ofstream(big, std::ios::binary).put('x'); }
    std::filesystem::resize_file(big, (size_t{256} << 20) + 1);      // sparse: nothing is written
    for (const std::string& path : {big, folder.Path().string()}) {  // a folder opens, unreadable
        Mesh bad;
        bad.LoadFromFile(path.c_str());
        bad.Draw();
    }
    ASSERT_EQ(boxes.boxes.size(), 2u);
    EXPECT_NE(boxes.boxes[0].text.find("larger than"), std::string::npos);
    EXPECT_TRUE(device.Calls().empty());
}

TEST_F(MeshTest, DeviceFailuresAreReportedWithTheFailingCallAndLoadingGoesOn) {
    const struct {
        const char* call;
        gfx::HRESULT result;
        const char* text;
        const char* caption;
        size_t live, draws;  // objects made (declaration, buffers); calls Draw makes
    } cases[] = {
        {"CreateIndexBuffer", gfx::D3DERR_OUTOFVIDEOMEMORY, "OutOfVideoMemory With ", "IndexBuffer",
         1, 0},
        {"CreateVertexBuffer", gfx::E_OUTOFMEMORY, "OutOfMemory With ", "VertexBuffer", 2, 0},
        {"CreateVertexDeclaration", gfx::D3DERR_INVALIDCALL, "InvalidCall With Pellic",
         "VertexDecl", 2, 4},
    };
    for (const auto& c : cases) {
        Mesh mesh;
        device.FailOn(c.call, c.result);
        const std::string path = Load(mesh, Triangle(32, 7).NoKeys());
        const std::string text = c.text + (c.caption == std::string("VertexDecl") ? "" : path);
        EXPECT_EQ(boxes.boxes, (Boxes{{text, c.caption}}));
        EXPECT_EQ(device.LiveObjects().size(), c.live);
        device.ClearCalls();
        mesh.Draw();
        EXPECT_EQ(device.Calls().size(), c.draws);
        boxes.boxes.clear();
    }
    EXPECT_EQ(device.LiveObjects(), Lines{});
    EXPECT_EQ(device.faults, 0);
}

}  // namespace
