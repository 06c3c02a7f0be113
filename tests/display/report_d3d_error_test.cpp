// Failed results in words, cut to 63 characters.
#include "display/report_d3d_error.h"

#include "display/test_env.h"

namespace {

class ReportD3DErrorTest : public DisplayTest {};

TEST_F(ReportD3DErrorTest, EachResultHasItsTextAndLongNamesAreCut) {
    const std::string path(80, 'p');
    const std::pair<gfx::HRESULT, const char*> cases[] = {
        {gfx::D3DERR_INVALIDCALL, "InvalidCall With tex"},
        {gfx::D3DERR_OUTOFVIDEOMEMORY, "OutOfVideoMemory With tex"},
        {gfx::D3DXERR_INVALIDDATA, "InvalidData With tex"},
        {gfx::E_OUTOFMEMORY, "OutOfMemory With tex"},
        {gfx::E_FAIL, "No Case With tex - Everything Should Be Fine"},
    };
    Boxes expected;
    for (const auto& [result, text] : cases) {
        ReportD3DError(result, "TextureStack", "tex");
        expected.push_back({text, "TextureStack", ui::MB_OK});
    }
    ReportD3DError(gfx::E_FAIL, "VertexBuffer", path.c_str());
    expected.push_back({"No Case With " + path.substr(0, 50), "VertexBuffer", ui::MB_OK});
    EXPECT_EQ(boxes, expected);
}

}  // namespace
