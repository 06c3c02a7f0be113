// Bad effect files: a file that does not compile is reported under a caption naming it and loading
// of that registry stops; the effects after it are missing and every lookup of them shows
// "No Match". Effects that compile but lack a technique or a pass are reported at each Begin.
#include <gtest/gtest.h>

#include <string>

#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

constexpr const char* kGaussian = "DefaultFilters/Guassian.fx";
constexpr const char* kColor = "DefaultFilters/color.fx";
constexpr const char* kPig = "vessmark/shaders/pig.fx";

std::string CaptionFor(const std::string& path) { return "Shader Compilation Error In [" + path + "]"; }

class BadEffectTest : public BadDataTest {
protected:
    // The one compilation box for path; its text.
    std::string ExpectCompileFailure(const DemoRun& run, const std::string& path) const {
        ExpectRanToTheEnd(run);
        EXPECT_EQ(run.CountCaption(CaptionFor(path)), 1u) << run.DescribeBoxes();
        for (const Box& box : run.boxes)
            if (box.caption == CaptionFor(path)) {
                EXPECT_FALSE(box.text.empty());
                return box.text;
            }
        return {};
    }
};

TEST_F(BadEffectTest, MissingFilterEffectStopsTheFilterEffectsAndLaterLookupsMiss) {
    Remove(kGaussian);
    const DemoRun run = Run();
    const std::string text = ExpectCompileFailure(run, kGaussian);
    EXPECT_NE(text.find(kGaussian), std::string::npos) << text;
    // "color" draws the border line after every filter: one miss per frame at least.
    EXPECT_GE(static_cast<long>(run.CountBoxes("No Match", "color")), run.frames) << run.DescribeBoxes();
    EXPECT_GE(run.CountBoxes("No Match", "Guassian"), 1u);
    EXPECT_EQ(run.CountBoxes("No Match", "DefaultFilter"), 0u) << "effects before it stay loaded";
}

TEST_F(BadEffectTest, SyntaxErrorIsReportedWithItsFileAndLine) {
    Write(kPig, std::string("float4x4 matWorldViewProjection;\n\nfloat4 Broken( {\n"));
    const DemoRun run = Run();
    const std::string text = ExpectCompileFailure(run, kPig);
    EXPECT_NE(text.find(std::string(kPig) + "(3,"), std::string::npos) << text;
    EXPECT_GE(run.CountBoxes("No Match", "pig"), 1u);
    EXPECT_GE(run.CountBoxes("No Match", "texture"), 1u) << "effects after it are not loaded";
}

TEST_F(BadEffectTest, UnreadableOrNonHlslFilesAreCompilationErrors) {
    const std::string color = ReadText(kColor);
    Write(kColor, color + "\n/* never closed\n");
    const DemoRun unterminated = Run();
    ExpectCompileFailure(unterminated, kColor);
    EXPECT_GE(static_cast<long>(unterminated.CountBoxes("No Match", "color")), unterminated.frames);
    Write(kColor, color);

    Bytes garbage(3000);
    uint32_t x = 12345;
    for (uint8_t& b : garbage) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(x >> 24);
    }
    Write(kGaussian, garbage);
    ExpectCompileFailure(Run(), kGaussian);
    if (MakeUnreadable(kGaussian)) ExpectCompileFailure(Run(), kGaussian);  // root reads anything
    MakeDirectory(kGaussian);
    ExpectCompileFailure(Run(), kGaussian);
}

TEST_F(BadEffectTest, EmptyEffectFileIsReported) {
    Write(kColor, Bytes{});
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    // Either refused when loading, or loaded without a technique and refused at every Begin.
    const size_t atLoad = run.CountCaption(CaptionFor(kColor));
    const size_t atBegin = run.CountBoxes("Effect->Begin", "Begin[Ref == color] Doesn't Have An Current Technique");
    EXPECT_TRUE(atLoad == 1 || static_cast<long>(atBegin) == run.frames) << run.DescribeBoxes();
}

TEST_F(BadEffectTest, EffectWithoutATechniqueIsReportedAtEveryBegin) {
    Write(kColor, std::string("float4x4 matProjection;\n"
                              "float4 VS(float3 p : POSITION) : POSITION { return mul(float4(p, 1), matProjection); }\n"
                              "float4 PS() : COLOR0 { return float4(1, 1, 1, 1); }\n"));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(static_cast<long>(run.CountBoxes("Effect->Begin",
                                               "Begin[Ref == color] Doesn't Have An Current Technique")),
              run.frames)
        << run.DescribeBoxes();
}

TEST_F(BadEffectTest, BlurWithOnePassIsReportedForEveryPassBeyondIt) {
    // A copy of the default filter under the "Blur" name: one pass where three are used.
    Write("DefaultFilters/BlurFilter.fx", Read("DefaultFilters/DefaultFilter.fx"));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    const size_t reports = run.CountCaption("Effect Error [Begin]");
    EXPECT_GE(reports, 1u) << run.DescribeBoxes();
    for (const Box& box : run.boxes) {
        if (box.caption != "Effect Error [Begin]") continue;
        EXPECT_TRUE(box.text == "Effect[Blur] -  has MaxPasses[1] and cannot use Pass[1]\n" ||
                    box.text == "Effect[Blur] -  has MaxPasses[1] and cannot use Pass[2]\n")
            << box.text;
    }
}

TEST_F(BadEffectTest, PassNamingAMissingEntryPointIsReported) {
    Write(kColor, std::string("float4x4 matProjection;\n"
                              "float4 PS() : COLOR0 { return float4(1, 1, 1, 1); }\n"
                              "technique T { pass P0 { VertexShader = compile vs_3_0 NoSuchVS();\n"
                              "                        PixelShader = compile ps_3_0 PS(); } }\n"));
    const std::string text = ExpectCompileFailure(Run(), kColor);
    EXPECT_NE(text.find("NoSuchVS"), std::string::npos) << text;
}

TEST_F(BadEffectTest, OverlongNamesDoNotBreakLoading) {
    const std::string longName(100000, 'n');
    Write(kColor, "float " + longName + " = 1.0;\ntexture t" + longName + ";\n" + ReadText(kColor) +
                      "\ntechnique " + longName + " { }\n");
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    // Compiled, or refused with a message; nothing else.
    for (const Box& box : run.boxes)
        EXPECT_TRUE(box.caption == CaptionFor(kColor) || box.caption == "No Match") << box.caption;
}

// Found by fuzz_effect: a stray ')' or ']' inside a technique kept the pre-pass on the same token,
// adding the same error for ever (the demo hung at load, eating memory).
TEST_F(BadEffectTest, StrayClosingBracketsInATechniqueAreReportedOnce) {
    Write(kColor, ReadText(kColor) + "\ntechnique Broken { ) ] pass P { } }\n");
    RunOptions options;
    options.timeoutSeconds = 30;
    const DemoRun run = Run(options);
    const std::string text = ExpectCompileFailure(run, kColor);
    EXPECT_NE(text.find("found ')'"), std::string::npos) << text;
    EXPECT_LT(text.size(), 2000u) << "each stray bracket is reported once";
}

TEST_F(BadEffectTest, NonUtf8BytesInCommentsAreHarmless) {
    Write(kGaussian, std::string("// \xff\xfe\xc0\x80 caf\xe9 \xed\xa0\x80\n") + ReadText(kGaussian) +
                         "\n/* \x80\x81\x82 */\n");
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
}

}  // namespace
}  // namespace robust
