// Loading, drawing and placing meshes from mesh files written by the tests.
#include "resources/mesh.h"

#include <gtest/gtest.h>

#include <cmath>

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
    std::string Write(const MeshBytes& bytes) { return folder.Write("test.mesh", bytes.data); }
    const std::vector<gfx::VertexElement>& Elements(const Mesh& m) {
        return static_cast<vmtest::FakeVertexDeclaration*>(m.declaration)->elements;
    }
    void ExpectEmpty(const Mesh& m) {
        EXPECT_EQ(m.vertexCount, 0u);
        EXPECT_EQ(m.triangleCount, 0u);
        EXPECT_EQ(m.vertexBuffer, nullptr);
        EXPECT_EQ(m.indexBuffer, nullptr);
        EXPECT_EQ(m.declaration, nullptr);
        EXPECT_EQ(m.positionKeys.count + m.rotationKeys.count + m.scaleKeys.count, 0u);
    }

    vmtest::ScratchDir folder;
    vmtest::RecordingDevice device;
    vmtest::ScopedDevice use{&device};
    vmtest::BoxRecorder boxes;
    Mesh mesh;
};

TEST_F(MeshTest, Stride32MeshWithPositionNormalAndTexcoordKeepsCopies) {
    MeshBytes bytes;
    bytes.Header(2, 4, 32, 7).Indices({0, 1, 2, 3, 2, 1}).Vertices(4, 32).KeyCount(4);
    for (int k = 0; k < 4; ++k) bytes.Floats({float(k), 0, 0});
    for (int k = 0; k < 4; ++k) bytes.Floats({0, 0, 0, 1});
    for (int k = 0; k < 4; ++k) bytes.Floats({1, 1, 1});
    mesh.LoadFromFile(Write(bytes).c_str());

    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_LINES(device.Calls(), (Lines{"CreateVertexDeclaration(4 elements)",
                                        "CreateIndexBuffer(12, WRITEONLY, INDEX16, MANAGED)",
                                        "CreateVertexBuffer(128, WRITEONLY|DYNAMIC, 0, DEFAULT)",
                                        "ib1.Lock(0, 0, 0)", "ib1.Unlock()",
                                        "vb1.Lock(0, 0, DISCARD)", "vb1.Unlock()"}));
    const auto& e = Elements(mesh);
    EXPECT_EQ(e[0].Usage, gfx::D3DDECLUSAGE_POSITION);
    EXPECT_EQ(e[1].Offset, 12);
    EXPECT_EQ(e[1].Usage, gfx::D3DDECLUSAGE_NORMAL);
    EXPECT_EQ(e[2].Offset, 24);
    EXPECT_EQ(e[2].Type, gfx::D3DDECLTYPE_FLOAT2);
    EXPECT_EQ(static_cast<vmtest::FakeIndexBuffer*>(mesh.indexBuffer)->Indices(),
              (std::vector<uint16_t>{0, 1, 2, 3, 2, 1}));
    auto* vb = static_cast<vmtest::FakeVertexBuffer*>(mesh.vertexBuffer);
    ASSERT_NE(mesh.vertexData, nullptr);
    ASSERT_NE(mesh.vertexData2, nullptr);
    EXPECT_EQ(0, std::memcmp(vb->bytes.data(), mesh.vertexData.get(), 128));
    EXPECT_EQ(0, std::memcmp(vb->bytes.data(), mesh.vertexData2.get(), 128));
    EXPECT_EQ(mesh.vertexData[3].uv[1], 31.0f);
    EXPECT_EQ(mesh.indexData[3], 3);
    EXPECT_EQ(mesh.positionKeys.count, 4u);
    EXPECT_EQ(mesh.positionKeys.keys[3].x, 3.0f);
    EXPECT_EQ(mesh.rotationKeys.keys[2].w, 1.0f);
    EXPECT_EQ(mesh.scaleKeys.count, 4u);

    device.ClearCalls();
    mesh.Draw();
    EXPECT_LINES(device.Calls(),
                 (Lines{"SetStreamSource(0, vb1, 0, 32)", "SetVertexDeclaration(decl1)",
                        "SetIndices(ib1)", "DrawIndexedPrimitive(TRIANGLELIST, 0, 0, 4, 0, 2)"}));
}

TEST_F(MeshTest, FormatBitsLayTheElementsOutInBitOrder) {
    // Bits 0, 1, 2, 6 with stride 36: a blend weight at 32 and no in-memory copies.
    MeshBytes weighted;
    weighted.Header(1, 3, 36, 71).Indices({0, 1, 2}).Vertices(3, 36).NoKeys();
    mesh.LoadFromFile(Write(weighted).c_str());
    ASSERT_EQ(Elements(mesh).size(), 5u);
    EXPECT_EQ(Elements(mesh)[3].Offset, 32);
    EXPECT_EQ(Elements(mesh)[3].Type, gfx::D3DDECLTYPE_FLOAT1);
    EXPECT_EQ(Elements(mesh)[3].Usage, gfx::D3DDECLUSAGE_BLENDWEIGHT);
    EXPECT_EQ(mesh.vertexData, nullptr);
    EXPECT_EQ(mesh.vertexData2, nullptr);
    EXPECT_EQ(mesh.stride, 36u);

    // Bits 0, 2, 7: two texture coordinates, both usage index 0.
    Mesh twoTexcoords;
    MeshBytes texcoords;
    texcoords.Header(1, 3, 32, 133).Indices({0, 1, 2}).Vertices(3, 32).NoKeys();
    twoTexcoords.LoadFromFile(Write(texcoords).c_str());
    const auto& e = Elements(twoTexcoords);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[1].Offset, 12);
    EXPECT_EQ(e[1].Type, gfx::D3DDECLTYPE_FLOAT2);
    EXPECT_EQ(e[2].Offset, 20);
    EXPECT_EQ(e[2].Type, gfx::D3DDECLTYPE_FLOAT3);
    EXPECT_EQ(e[1].Usage, gfx::D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(e[2].Usage, gfx::D3DDECLUSAGE_TEXCOORD);
    EXPECT_EQ(e[1].UsageIndex + e[2].UsageIndex, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MeshTest, UnknownFormatBitsAreReportedAndSkipped) {
    MeshBytes bytes;
    bytes.Header(1, 3, 32, 1031).Indices({0, 1, 2}).Vertices(3, 32).NoKeys();
    const std::string path = Write(bytes);
    testing::internal::CaptureStdout();
    mesh.LoadFromFile(path.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "vertexdecl bit[3]\n");
    EXPECT_EQ(boxes.boxes, (Boxes{{"There's something very wrong", "VertexDecl"}}));
    EXPECT_EQ(Elements(mesh).size(), 4u);  // bits 0..2 and the end marker
    EXPECT_NE(mesh.vertexBuffer, nullptr);
}

TEST_F(MeshTest, KeyBlocksWithTheirOwnCounts) {
    MeshBytes bytes;
    bytes.Header(1, 3, 12, 1).Indices({0, 1, 2}).Vertices(3, 12).KeyCount(0);
    bytes.U32(2).Floats({1, 2, 3, 4, 5, 6});
    bytes.U32(1).Floats({0, 0, 0, 1});
    bytes.U32(2).Floats({2, 2, 2, 4, 4, 4});
    mesh.LoadFromFile(Write(bytes).c_str());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(mesh.positionKeys.count, 2u);
    EXPECT_EQ(mesh.rotationKeys.count, 1u);
    EXPECT_EQ(mesh.scaleKeys.count, 2u);
    EXPECT_EQ(mesh.scaleKeys.keys[1].z, 4.0f);
}

TEST_F(MeshTest, LocalTransformScalesRotatesThenTranslates) {
    MeshBytes none;
    none.Header(1, 3, 12, 1).Indices({0, 1, 2}).Vertices(3, 12).NoKeys();
    mesh.LoadFromFile(Write(none).c_str());
    for (float time : {0.0f, 0.5f, -1.0f, 100.0f}) {
        const Matrix m = mesh.LocalTransform(time);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) EXPECT_EQ(m.m[r][c], r == c ? 1.0f : 0.0f);
    }

    // Scale 2, a quarter turn about z, then move by (10, 0, 0): (1, 0, 0) -> (2, 0, 0) -> (0, 2, 0)
    // -> (10, 2, 0).
    const float s = std::sqrt(0.5f);
    MeshBytes keyed;
    keyed.Header(1, 3, 12, 1).Indices({0, 1, 2}).Vertices(3, 12).KeyCount(1);
    keyed.Floats({10, 0, 0}).Floats({0, 0, s, s}).Floats({2, 2, 2});
    Mesh placed;
    placed.LoadFromFile(folder.Write("keyed.mesh", keyed.data).c_str());
    const Vector3 p = TransformCoord({1, 0, 0}, placed.LocalTransform(0.0f));
    EXPECT_NEAR(p.x, 10.0f, 1e-5f);
    EXPECT_NEAR(p.y, 2.0f, 1e-5f);
    EXPECT_NEAR(p.z, 0.0f, 1e-5f);

    // An empty scale track next to filled ones scales to zero.
    MeshBytes noScale;
    noScale.Header(1, 3, 12, 1).Indices({0, 1, 2}).Vertices(3, 12).KeyCount(0);
    noScale.U32(1).Floats({5, 6, 7}).U32(0).U32(0);
    Mesh flat;
    flat.LoadFromFile(folder.Write("flat.mesh", noScale.data).c_str());
    const Vector3 q = TransformCoord({1, 1, 1}, flat.LocalTransform(0.0f));
    EXPECT_EQ(q.x, 5.0f);
    EXPECT_EQ(q.y, 6.0f);
    EXPECT_EQ(q.z, 7.0f);
}

TEST_F(MeshTest, MalformedFilesAreRefusedWithTheirReasonAndLeftEmpty) {
    auto valid = [] {
        MeshBytes b;
        b.Header(2, 4, 32, 7).Indices({0, 1, 2, 3, 2, 1}).Vertices(4, 32).KeyCount(1);
        b.Floats({0, 0, 0}).Floats({0, 0, 0, 1}).Floats({1, 1, 1});
        return b;
    };
    const size_t full = valid().data.size();
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reasonPart;
    };
    auto cut = [&](size_t size) {
        std::vector<uint8_t> bytes = valid().data;
        bytes.resize(size);
        return bytes;
    };
    auto small = [](uint32_t triangles, uint32_t vertices, uint32_t stride, uint16_t format) {
        return MeshBytes().Header(triangles, vertices, stride, format).Indices({0, 1, 2});
    };
    const Case cases[] = {
        {"empty", {}, "header"},
        {"short header", cut(85), "header"},
        {"short indices", cut(86 + 11), "indices"},
        {"short vertices", cut(86 + 12 + 127), "vertices"},
        {"no key count", cut(86 + 12 + 128 + 16), "key count"},
        {"short keys", cut(full - 1), "keys"},
        {"odd stride", small(1, 3, 30, 1).Vertices(3, 32).data, "not a multiple of 4"},
        {"stride below elements", small(1, 3, 28, 7).Vertices(3, 28).NoKeys().data,
         "smaller than its elements (32 bytes)"},
        {"index past vertices",
         MeshBytes().Header(2, 4, 12, 1).Indices({0, 1, 2, 3, 2, 4}).Vertices(4, 12).NoKeys().data,
         "indices reach past the 4 vertices"},
        {"huge triangle count", small(0x40000000, 3, 12, 1).data, "indices"},
        {"huge vertex count", small(1, 0xFFFFFFFF, 12, 1).data, "vertices"},
        {"huge key count", small(1, 3, 12, 1).Vertices(3, 12).KeyCount(0x7FFFFFFF).data, "keys"},
        {"huge block count",
         small(1, 3, 12, 1).Vertices(3, 12).KeyCount(0).U32(0).U32(0xFFFFFFF).U32(0).data,
         "key count"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.boxes.clear();
        const std::string path = folder.Write("bad.mesh", c.bytes);
        Mesh bad;
        bad.LoadFromFile(path.c_str());
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].caption, "MeshFile");
        EXPECT_EQ(boxes.boxes[0].text.rfind(path + ": ", 0), 0u) << boxes.boxes[0].text;
        EXPECT_NE(boxes.boxes[0].text.find(c.reasonPart), std::string::npos) << boxes.boxes[0].text;
        ExpectEmpty(bad);
    }
    EXPECT_TRUE(device.Calls().empty());
}

TEST_F(MeshTest, MissingOversizedAndUnreadableFilesAreRefused) {
    const std::string absent = (folder.Path() / "absent.mesh").string();
    mesh.LoadFromFile(absent.c_str());
    EXPECT_EQ(boxes.boxes, (Boxes{{absent, "Failed To Open The MeshFile"}}));
    ExpectEmpty(mesh);
    mesh.Draw();
    EXPECT_TRUE(device.Calls().empty());

    boxes.boxes.clear();
    const std::string big = (folder.Path() / "big.mesh").string();
    { std::ofstream(big, std::ios::binary).put('x'); }
    std::filesystem::resize_file(big, (size_t{256} << 20) + 1);  // sparse: nothing is written
    mesh.LoadFromFile(big.c_str());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("larger than"), std::string::npos);
    EXPECT_EQ(boxes.boxes[0].caption, "MeshFile");

    boxes.boxes.clear();
    mesh.LoadFromFile(folder.Path().string().c_str());  // a folder opens but cannot be read
    ASSERT_EQ(boxes.boxes.size(), 1u);
    ExpectEmpty(mesh);
}

TEST_F(MeshTest, DeviceFailuresAreReportedWithTheFailingCall) {
    MeshBytes bytes;
    bytes.Header(1, 3, 32, 7).Indices({0, 1, 2}).Vertices(3, 32).NoKeys();
    const std::string path = folder.Write("m.mesh", bytes.data);

    device.FailOn("CreateIndexBuffer", gfx::D3DERR_OUTOFVIDEOMEMORY);
    mesh.LoadFromFile(path.c_str());
    EXPECT_EQ(boxes.boxes, (Boxes{{"OutOfVideoMemory With " + path, "IndexBuffer"}}));
    EXPECT_EQ(mesh.triangleCount, 1u);
    EXPECT_NE(mesh.declaration, nullptr);
    EXPECT_EQ(mesh.indexBuffer, nullptr);

    boxes.boxes.clear();
    Mesh second;
    device.FailOn("CreateVertexBuffer", gfx::E_OUTOFMEMORY);
    second.LoadFromFile(path.c_str());
    EXPECT_EQ(boxes.boxes, (Boxes{{"OutOfMemory With " + path, "VertexBuffer"}}));
    EXPECT_NE(second.indexBuffer, nullptr);
    EXPECT_EQ(second.vertexBuffer, nullptr);
    device.ClearCalls();
    second.Draw();
    EXPECT_TRUE(device.Calls().empty());

    boxes.boxes.clear();
    Mesh third;
    device.FailOn("CreateVertexDeclaration", gfx::D3DERR_INVALIDCALL);
    third.LoadFromFile(path.c_str());
    EXPECT_EQ(boxes.boxes, (Boxes{{"InvalidCall With Pellic", "VertexDecl"}}));
    EXPECT_NE(third.vertexBuffer, nullptr);  // loading went on
    EXPECT_EQ(third.declaration, nullptr);

    mesh.Release();
    second.Release();
    third.Release();
    EXPECT_TRUE(device.LiveObjects().empty());
    EXPECT_EQ(device.Faults(), 0);
}

}  // namespace
