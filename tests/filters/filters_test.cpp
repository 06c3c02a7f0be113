#include "filters/filters.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "filters/recorded_resources.h"
#include "resources/static_resources.h"
#include "scene_core/matrix.h"
#include "support/call_lines.h"

namespace {

using vmtest::Lines;

using vmtest::operator+;
using vmtest::RecordedResources;

std::string Fx(const std::string& effect, const std::string& call) {
    return "Effect[" + effect + "]." + call;
}

// Blending off, no culling, no depth test.
const Lines kFilterStates = {"SetRenderState(ALPHABLENDENABLE, FALSE)",
                             "SetRenderState(CULLMODE, NONE)", "SetRenderState(ZENABLE, FALSE)"};

Lines Pass(const std::string& effect, int pass, const std::string& quad) {
    return {Fx(effect, "Begin(0)"), Fx(effect, "BeginPass(" + std::to_string(pass) + ")"),
            "draw " + quad, Fx(effect, "EndPass()"), Fx(effect, "End()")};
}

Lines Prologue() {
    return Lines{"BeginScene()", "Clear(0, null, TARGET, 0x00000000, 1, 0)"} + kFilterStates;
}

Lines Epilogue() {
    return Lines{Fx("color", "SetMatrix(matProjection)")} + Pass("color", 0, "borderStrip") +
           Lines{"EndScene()"};
}

// target <- a Gaussian step of the given strength over input.
Lines GaussianStep(const std::string& target, const std::string& radius, const std::string& input) {
    return Lines{"target " + target, "BeginScene()", Fx("Guassian", "SetMatrix(matProjection)"),
                 Fx("Guassian", "SetFloat(radius, " + radius + ")"),
                 Fx("Guassian", "SetTexture(tex0, " + input + ")")} +
           Pass("Guassian", 0, "screenQuad") + Lines{"EndScene()", "target backbuffer"};
}

Lines BlurPass(int pass, const std::string& tex0, const std::string& tex1,
               const std::string& radius, const std::string& quad) {
    return Lines{Fx("Blur", "SetMatrix(matProjection)"),
                 Fx("Blur", "SetTexture(tex0, " + tex0 + ")"),
                 Fx("Blur", "SetTexture(tex1, " + tex1 + ")"),
                 Fx("Blur", "SetFloat(radius, " + radius + ")")} +
           Pass("Blur", pass, quad);
}

class FiltersTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resources_ = &RecordedResources::Get();
        resources_->ClearLog();
    }
    Lines Recorded() const { return resources_->Normalized(); }
    RecordedResources* resources_ = nullptr;
};

TEST_F(FiltersTest, SetUpSizesTheTargetsAndPlacesTheQuadsOnTheRenderArea) {
    EXPECT_EQ(sceneTarget.width, 1280);
    EXPECT_EQ(sceneTarget.height, 720);
    EXPECT_EQ(workTarget.width, 1280);
    EXPECT_EQ(halfTargetA.width, 640);
    EXPECT_EQ(halfTargetB.height, 360);
    EXPECT_EQ(quarterTarget.width, 320);
    EXPECT_EQ(quarterTarget.height, 180);
    EXPECT_TRUE(sceneTarget.multisampled);
    ASSERT_NE(sceneTarget.texture, nullptr);
    for (const RenderTexture* used : {&workTarget, &halfTargetA, &halfTargetB, &quarterTarget})
        EXPECT_NE(used->texture, nullptr);
    // Nothing draws into or reads the spares, the DTexture or the fourth quad: they stay empty.
    for (const RenderTexture* spare : {&spareTarget0, &spareTarget1, &spareTarget2, &spareTarget3})
        EXPECT_EQ(spare->texture, nullptr);
    EXPECT_EQ(dtexture.texture, nullptr);
    EXPECT_TRUE(unusedQuad.IsEmpty());

    auto corners = [](const Mesh& quad) {
        const MeshVertex& first = quad.vertexData[0];
        const MeshVertex& last = quad.vertexData[3];
        return std::vector<float>{first.position[0], first.position[1], last.position[0],
                                  last.position[1]};
    };
    // One unit left of centre, the render area's height centred on the screen.
    EXPECT_EQ(corners(renderQuad), (std::vector<float>{-641, -360, 639, 360}));
    EXPECT_EQ(corners(screenQuad), (std::vector<float>{-640, -512, 640, 512}));
    // The lowest two rows of the render area, across the full screen width.
    EXPECT_EQ(corners(borderStrip), (std::vector<float>{-640, -360, 640, -358}));
    EXPECT_EQ(
        resources_->compiler.Compiled(),
        (std::vector<std::string>{"DefaultFilters/DefaultFilter.fx", "DefaultFilters/Guassian.fx",
                                  "DefaultFilters/NearestEdge.fx", "DefaultFilters/BlurFilter.fx",
                                  "DefaultFilters/color.fx"}));
    EXPECT_TRUE(resources_->boxes.boxes.empty());
}

// Each filter's chain as recorded: steps render into the work targets (reading the scene texture
// even when the source is another texture), the final pass draws the render quad and the border.
TEST_F(FiltersTest, EachFilterRunsItsChainOfSteps) {
    const Lines edgeStep =
        Lines{"target workTarget", "BeginScene()", Fx("NearestEgde", "SetMatrix(matProjection)"),
              Fx("NearestEgde", "SetFloat(power, 2)"),
              Fx("NearestEgde", "SetTexture(tex0, sceneTarget)")} +
        Pass("NearestEgde", 0, "screenQuad") + Lines{"EndScene()", "target backbuffer"};
    // Filter five renders filter three into the work target without touching the back buffer.
    const Lines innerFilterThree = kFilterStates + GaussianStep("halfTargetA", "2", "sceneTarget") +
                                   GaussianStep("halfTargetB", "2", "halfTargetA") +
                                   Lines{"target workTarget", "BeginScene()"} +
                                   BlurPass(0, "sceneTarget", "halfTargetB", "1.25", "screenQuad") +
                                   Lines{"EndScene()", "target backbuffer"};
    const struct {
        const char* name;
        std::function<void()> run;
        Lines expected;
    } cases[] = {
        {"final Gaussian", [] { FilterGaussian(1.5f, true, sceneTarget.texture); },
         Prologue() +
             Lines{Fx("Guassian", "SetFloatArray(offset, 0.00078125, 0.00138889)"),
                   Fx("Guassian", "SetMatrix(matProjection)"),
                   Fx("Guassian", "SetFloat(radius, 1.5)"),
                   Fx("Guassian", "SetTexture(tex0, sceneTarget)")} +
             Pass("Guassian", 0, "renderQuad") + Epilogue()},
        {"three", [] { FilterBlurTwoHalf(0.75f, true, workTarget.texture, nullptr); },
         kFilterStates + GaussianStep("halfTargetA", "2", "sceneTarget") +
             GaussianStep("halfTargetB", "2", "halfTargetA") + Prologue() +
             BlurPass(0, "workTarget", "halfTargetB", "0.75", "renderQuad") + Epilogue()},
        {"four", [] { FilterBlurQuarter(0.5f, true, sceneTarget.texture); },
         kFilterStates + GaussianStep("halfTargetA", "3", "sceneTarget") +
             GaussianStep("quarterTarget", "2", "halfTargetA") + Prologue() +
             BlurPass(1, "sceneTarget", "quarterTarget", "0.5", "renderQuad") + Epilogue()},
        {"five", [] { FilterBlurStacked(1.25f, 0.5f, true, sceneTarget.texture); },
         kFilterStates + innerFilterThree + GaussianStep("quarterTarget", "1.25", "halfTargetA") +
             Prologue() + BlurPass(2, "workTarget", "quarterTarget", "0.5", "renderQuad") +
             Epilogue()},
        {"non-final default", [] { FilterDefault(false, halfTargetA.texture); },
         Lines{Fx("DefaultFilter", "SetMatrix(matProjection)"),
               Fx("DefaultFilter", "SetTexture(tex0, halfTargetA)")} +
             Pass("DefaultFilter", 0, "screenQuad")},
        {"six", [] { FilterEdgeBlur(2.0f, true, sceneTarget.texture); },
         kFilterStates + edgeStep + GaussianStep("quarterTarget", "2", "workTarget") + Prologue() +
             BlurPass(2, "workTarget", "quarterTarget", "2", "renderQuad") + Epilogue()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        resources_->ClearLog();
        c.run();
        EXPECT_LINES(Recorded(), c.expected);
    }
    EXPECT_STREQ(filterEffects.CurrentRef(), "color");  // filter six leaves it current
    const Matrix ortho = MatrixOrtho(1280.0f, 1024.0f);
    const std::vector<float> expected(ortho.data(), ortho.data() + 16);
    EXPECT_EQ(resources_->Effect("Guassian")->values["matProjection"], expected);
    EXPECT_EQ(resources_->Effect("color")->values["matProjection"], expected);
}

TEST_F(FiltersTest, AStepKeepsTheOffsetOfTheLastFinalPass) {
    FilterEdge(1.0f, true, sceneTarget.texture);
    FilterGaussian(1.0f, true, sceneTarget.texture);
    resources_->ClearLog();
    FilterBlurQuarter(1.0f, true, sceneTarget.texture);  // steps only: no offset set
    for (const std::string& line : Recorded())
        EXPECT_EQ(line.find("offset"), std::string::npos) << line;
    const std::vector<float> texel{1.0f / 1280.0f, 1.0f / 720.0f};
    EXPECT_EQ(resources_->Effect("Guassian")->values["offset"], texel);
}

}  // namespace
