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

std::string CaptionFor(const std::string& path) {
    return "Shader Compilation Error In [" + path + "]";
}

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
    EXPECT_GE(static_cast<long>(run.CountBoxes("No Match", "color")), run.frames)
        << run.DescribeBoxes();
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

// Megabytes of stray brackets: one error per bracket, the box shows the first ones and a count
// (the compiler's own limits on nesting and macros are checked with the compiler tests).
TEST_F(BadEffectTest, ThousandsOfErrorsMakeABoundedReport) {
    Write(kPig, "float4x4 m;\n" + std::string(20000, '}'));
    const std::string text = ExpectCompileFailure(Run(), kPig);
    EXPECT_EQ(text.rfind(std::string(kPig) + "(2,", 0), 0u) << text.substr(0, 200);
    EXPECT_NE(text.find("... and 19980 more lines"), std::string::npos) << text.substr(0, 2000);
    EXPECT_LE(text.size(), 21u * 304);
}

TEST_F(BadEffectTest, EffectWithoutATechniqueIsReportedAtEveryBegin) {
    Write(kColor, std::string("float4x4 matProjection;\n"
                              "float4 VS(float3 p : POSITION) : POSITION { return mul(float4(p, "
                              "1), matProjection); }\n"
                              "float4 PS() : COLOR0 { return float4(1, 1, 1, 1); }\n"));
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_EQ(static_cast<long>(run.CountBoxes(
                  "Effect->Begin", "Begin[Ref == color] Doesn't Have An Current Technique")),
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

TEST_F(BadEffectTest, NonUtf8BytesInCommentsAreHarmless) {
    Write(kGaussian, std::string("// \xff\xfe\xc0\x80 caf\xe9 \xed\xa0\x80\n") +
                         ReadText(kGaussian) + "\n/* \x80\x81\x82 */\n");
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
}

}  // namespace
}  // namespace robust
