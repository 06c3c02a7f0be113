#include "filters/filters.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "filters/recorded_resources.h"
#include "resources/static_resources.h"
#include "scene_core/matrix.h"
#include "support/call_lines.h"

namespace {

using vmtest::Lines;
using vmtest::operator+;

std::string Fx(const std::string& effect, const std::string& call) {
    return "Effect[" + effect + "]." + call;
}

// Blending off, no culling, no depth test.
const Lines kFilterStates = {"SetRenderState(ALPHABLENDENABLE, FALSE)",
                             "SetRenderState(CULLMODE, NONE)", "SetRenderState(ZENABLE, FALSE)"};

// The parameters set, then one pass over quad.
Lines Pass(const std::string& effect, int pass, const Lines& parameters, const std::string& quad) {
    Lines lines{Fx(effect, "SetMatrix(matProjection)")};
    for (const std::string& p : parameters) lines.push_back(Fx(effect, p));
    return lines + Lines{Fx(effect, "Begin(0)"),
                         Fx(effect, "BeginPass(" + std::to_string(pass) + ")"), "draw " + quad,
                         Fx(effect, "EndPass()"), Fx(effect, "End()")};
}

// A final pass into the back buffer, the border line over it.
Lines Final(const Lines& pass) {
    return Lines{"BeginScene()", "Clear(0, null, TARGET, 0x00000000, 1, 0)"} + kFilterStates +
           pass + Pass("color", 0, {}, "borderStrip") + Lines{"EndScene()"};
}

// A step into target (its own scene) from a pass over the screen quad.
Lines Step(const std::string& target, const Lines& pass) {
    return Lines{"target " + target, "BeginScene()"} + pass +
           Lines{"EndScene()", "target backbuffer"};
}

Lines GaussianStep(const std::string& target, const std::string& radius, const std::string& input) {
    return Step(
        target,
        Pass("Guassian", 0, {"SetFloat(radius, " + radius + ")", "SetTexture(tex0, " + input + ")"},
             "screenQuad"));
}

Lines Blur(int pass, const std::string& tex0, const std::string& tex1, const std::string& radius,
           const std::string& quad) {
    return Pass("Blur", pass,
                {"SetTexture(tex0, " + tex0 + ")", "SetTexture(tex1, " + tex1 + ")",
                 "SetFloat(radius, " + radius + ")"},
                quad);
}

// Each filter's chain as recorded: steps render into the work targets (reading the scene texture
// even when the source is another texture), the final pass draws the render quad and the border.
TEST(Filters, EachFilterRunsItsChainOfSteps) {
    vmtest::RecordedResources& r = vmtest::RecordedResources::Get();
    // Filter five renders filter three into the work target without touching the back buffer.
    const Lines innerFilterThree =
        kFilterStates + GaussianStep("halfTargetA", "2", "sceneTarget") +
        GaussianStep("halfTargetB", "2", "halfTargetA") +
        Step("workTarget", Blur(0, "sceneTarget", "halfTargetB", "1.25", "screenQuad"));
    const struct {
        const char* name;
        std::function<void()> run;
        Lines expected;
    } cases[] = {
        {"final Gaussian", [] { FilterGaussian(1.5f, true, sceneTarget.texture); },
         Final(Lines{Fx("Guassian", "SetFloatArray(offset, 0.00078125, 0.00138889)")} +
               Pass("Guassian", 0, {"SetFloat(radius, 1.5)", "SetTexture(tex0, sceneTarget)"},
                    "renderQuad"))},
        {"non-final edge", [] { FilterEdge(2.0f, false, halfTargetA.texture); },
         Pass("NearestEdge", 0, {"SetFloat(power, 2)", "SetTexture(tex0, halfTargetA)"},
              "screenQuad")},
        {"final default", [] { FilterDefault(true, halfTargetA.texture); },
         Final(Pass("DefaultFilter", 0, {"SetTexture(tex0, halfTargetA)"}, "renderQuad"))},
        {"three", [] { FilterBlurTwoHalf(0.75f, true, workTarget.texture, nullptr); },
         kFilterStates + GaussianStep("halfTargetA", "2", "sceneTarget") +
             GaussianStep("halfTargetB", "2", "halfTargetA") +
             Final(Blur(0, "workTarget", "halfTargetB", "0.75", "renderQuad"))},
        {"four", [] { FilterBlurQuarter(0.5f, true, sceneTarget.texture); },
         kFilterStates + GaussianStep("halfTargetA", "3", "sceneTarget") +
             GaussianStep("quarterTarget", "2", "halfTargetA") +
             Final(Blur(1, "sceneTarget", "quarterTarget", "0.5", "renderQuad"))},
        {"five", [] { FilterBlurStacked(1.25f, 0.5f, true, sceneTarget.texture); },
         kFilterStates + innerFilterThree + GaussianStep("quarterTarget", "1.25", "halfTargetA") +
             Final(Blur(2, "workTarget", "quarterTarget", "0.5", "renderQuad"))},
        {"six", [] { FilterEdgeBlur(2.0f, true, sceneTarget.texture); },
         kFilterStates +
             Step("workTarget",
                  Pass("NearestEdge", 0, {"SetFloat(power, 2)", "SetTexture(tex0, sceneTarget)"},
                       "screenQuad")) +
             GaussianStep("quarterTarget", "2", "workTarget") +
             Final(Blur(2, "workTarget", "quarterTarget", "2", "renderQuad"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        r.device.ClearCalls();
        c.run();
        EXPECT_LINES(r.Normalized(), c.expected);
    }
    // The projection covers the screen.
    const Matrix ortho = MatrixOrtho(1280.0f, 1024.0f);
    EXPECT_EQ(r.Effect("Guassian")->values["matProjection"].back(),
              std::vector<float>(ortho.data(), ortho.data() + 16));
    EXPECT_TRUE(r.boxes.boxes.empty());
}

TEST(Filters, SetUpSizesTheTargetsAndPlacesTheQuadsOnTheRenderArea) {
    vmtest::RecordedResources::Get();
    EXPECT_EQ(std::tuple(sceneTarget.height, halfTargetA.width, quarterTarget.height),
              std::tuple(720, 640, 180));
    EXPECT_TRUE(unusedQuad.IsEmpty() && dtexture.texture == nullptr &&
                spareTarget0.texture == nullptr);
    // Corners: one unit left of centre with the render area's height; the screen; the lowest two
    // rows of the render area across the full screen width.
    const std::pair<const Mesh*, std::vector<float>> quads[] = {
        {&renderQuad, {-641, -360, 639, 360}},
        {&screenQuad, {-640, -512, 640, 512}},
        {&borderStrip, {-640, -360, 640, -358}}};
    for (const auto& [quad, corners] : quads) {
        const MeshVertex& first = quad->vertexData[0];
        const MeshVertex& last = quad->vertexData[3];
        EXPECT_EQ((std::vector<float>{first.position[0], first.position[1], last.position[0],
                                      last.position[1]}),
                  corners);
    }
}

}  // namespace
