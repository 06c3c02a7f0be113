// The helpers other tests lean on: line diffs, value names, scratch folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/call_lines.h"
#include "support/device_value_names.h"
#include "support/scratch_dir.h"

namespace {

using vmtest::Lines;
using vmtest::operator+;

TEST(LineDiff, MarksLinesOnlyInOneListAndKeepsCommonOnes) {
    struct Case {
        Lines expected, actual;
        std::string diff;
    };
    const Case cases[] = {
        {{"a", "b"}, {"a", "b"}, " a\n b\n"},
        {{"a", "SetFloat(radius, 3)", "c"},
         {"a", "SetFloat(radius, 2)", "c"},
         " a\n-SetFloat(radius, 3)\n+SetFloat(radius, 2)\n c\n"},
        {{"a", "b", "c"}, {"a", "c"}, " a\n-b\n c\n"},
        {{"a"}, {"a", "x", "y"}, " a\n+x\n+y\n"},
        {{}, {"x"}, "+x\n"},
        {{"b", "a"}, {"a", "b"}, "-b\n a\n+b\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(vmtest::LineDiff(c.expected, c.actual), c.diff);
    EXPECT_EQ((Lines{"a"} + Lines{"b", "c"}), (Lines{"a", "b", "c"}));
}

TEST(LineDiff, FailureMessageCarriesTheDiff) {
    const testing::AssertionResult same = vmtest::SameLines("a", "e", {"x"}, {"x"});
    EXPECT_TRUE(same);
    const testing::AssertionResult differ = vmtest::SameLines("a", "e", {"y"}, {"x"});
    EXPECT_FALSE(differ);
    EXPECT_EQ(std::string(differ.message()), "a differs from e (-expected, +actual):\n-x\n+y\n");
}

TEST(DeviceValueNames, NamesFollowTheFamilyAndUnknownValuesStayNumbers) {
    using namespace gfx;
    EXPECT_EQ(vmtest::RenderStateName(D3DRS_CULLMODE), "CULLMODE");
    EXPECT_EQ(vmtest::RenderStateName(static_cast<D3DRENDERSTATETYPE>(99)), "99");
    EXPECT_EQ(vmtest::RenderStateValueName(D3DRS_CULLMODE, D3DCULL_NONE), "NONE");
    EXPECT_EQ(vmtest::RenderStateValueName(D3DRS_ZFUNC, D3DCMP_LESSEQUAL), "LESSEQUAL");
    EXPECT_EQ(vmtest::RenderStateValueName(D3DRS_SRCBLEND, D3DBLEND_INVSRCALPHA), "INVSRCALPHA");
    EXPECT_EQ(vmtest::RenderStateValueName(D3DRS_DESTBLEND, D3DBLEND_ONE), "ONE");
    EXPECT_EQ(vmtest::RenderStateValueName(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT), "REVSUBTRACT");
    EXPECT_EQ(vmtest::RenderStateValueName(D3DRS_ZENABLE, 1), "TRUE");
    EXPECT_EQ(vmtest::RenderStateValueName(D3DRS_ALPHABLENDENABLE, 0), "FALSE");
    EXPECT_EQ(vmtest::RenderStateValueName(D3DRS_ZWRITEENABLE, 7), "7");
    EXPECT_EQ(vmtest::FormatName(D3DFMT_X8R8G8B8), "X8R8G8B8");
    EXPECT_EQ(vmtest::UsageName(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC), "RENDERTARGET|DYNAMIC");
    EXPECT_EQ(vmtest::UsageName(static_cast<D3DUSAGE>(0x10008)), "WRITEONLY|65536");
    EXPECT_EQ(vmtest::UsageName(D3DUSAGE_NONE), "0");
    EXPECT_EQ(vmtest::PoolName(D3DPOOL_MANAGED), "MANAGED");
    EXPECT_EQ(vmtest::MultiSampleName(4), "4_SAMPLES");
    EXPECT_EQ(vmtest::MultiSampleName(D3DMULTISAMPLE_NONE), "NONE");
    EXPECT_EQ(vmtest::ClearFlagsName(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER), "TARGET|ZBUFFER");
    EXPECT_EQ(vmtest::TextureFilterName(D3DTEXF_LINEAR), "LINEAR");
    EXPECT_EQ(vmtest::PrimitiveTypeName(D3DPT_TRIANGLELIST), "TRIANGLELIST");
}

TEST(ScratchDir, FreshFolderPerObjectGoneAfterwards) {
    std::filesystem::path kept;
    {
        vmtest::ScratchDir one, two;
        EXPECT_NE(one.Path(), two.Path());
        EXPECT_TRUE(std::filesystem::is_empty(one.Path()));
        const std::string file = one.Write("sub/x.bin", std::string_view("abc"));
        EXPECT_EQ(file, one.File("sub/x.bin"));
        EXPECT_EQ(std::filesystem::file_size(file), 3u);
        kept = one.Path();
    }
    EXPECT_FALSE(std::filesystem::exists(kept));
}

}  // namespace
