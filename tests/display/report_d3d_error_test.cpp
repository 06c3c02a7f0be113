// Failed results in words, bounded to 63 characters.
#include "display/report_d3d_error.h"

#include "display/test_env.h"

namespace {

class ReportD3DErrorTest : public DisplayTest {};

TEST_F(ReportD3DErrorTest, EachKnownResultHasItsText) {
    const std::pair<gfx::HRESULT, std::string> cases[] = {
        {gfx::D3DERR_INVALIDCALL, "InvalidCall With tex"},
        {gfx::D3DERR_OUTOFVIDEOMEMORY, "OutOfVideoMemory With tex"},
        {gfx::D3DXERR_INVALIDDATA, "InvalidData With tex"},
        {gfx::E_OUTOFMEMORY, "OutOfMemory With tex"},
        {gfx::D3DERR_NOTAVAILABLE, "No Case With tex - Everything Should Be Fine"},
        {gfx::E_FAIL, "No Case With tex - Everything Should Be Fine"},
    };
    for (const auto& [result, text] : cases) {
        boxes.clear();
        ReportD3DError(result, "TextureStack", "tex");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, text);
        EXPECT_EQ(boxes[0].caption, "TextureStack");
        EXPECT_EQ(boxes[0].type, ui::MB_OK);
    }
}

TEST_F(ReportD3DErrorTest, LongNamesAreCutToSixtyThreeCharacters) {
    const std::string path = "vessmark/gris/a-rather-long-mesh-file-name-for-the-pig-scene.mesh";
    ReportD3DError(gfx::E_FAIL, "VertexBuffer", path.c_str());
    ASSERT_EQ(boxes.size(), 1u);
    const std::string full = "No Case With " + path + " - Everything Should Be Fine";
    EXPECT_EQ(boxes[0].text, full.substr(0, 63));
    ReportD3DError(gfx::D3DERR_INVALIDCALL, "IndexBuffer", path.c_str());
    EXPECT_EQ(boxes[1].text, ("InvalidCall With " + path).substr(0, 63));
}

}  // namespace
