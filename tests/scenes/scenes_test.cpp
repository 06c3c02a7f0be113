#include "scenes/scenes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <string>
#include <vector>

#include "filters/recorded_resources.h"
#include "resources/static_resources.h"
#include "scene_core/camera.h"
#include "scene_core/matrix.h"
#include "scenes/pig.h"
#include "support/call_lines.h"

namespace {

using vmtest::Lines;

using vmtest::operator+;
using vmtest::RecordedResources;

std::string Pig(const std::string& call) {
    return "Effect[pig]." + call;
}

// The five parameters of one pig mesh, with the camera at (1, 2, 3).
Lines MeshParameters(const std::string& color) {
    return {Pig("SetMatrix(matWorldViewProjection)"), Pig("SetMatrix(matWorldView)"),
            Pig("SetMatrix(matWorld)"), Pig("SetFloatArray(CameraPosition, 1, 2, 3)"),
            Pig("SetFloatArray(DiffuseColor, " + color + ")")};
}

const char* const kBodyColors[] = {
    "0.698039, 0.568627, 0.501961, 0", "0.698039, 0.568627, 0.501961, 0", "0, 0, 0, 0",
    "0.498039, 0.466667, 0.305882, 0", "0.498039, 0.466667, 0.305882, 0"};

Lines ExpectedPig(bool fog) {
    Lines lines{Pig("Begin(0)"), Pig(fog ? "BeginPass(2)" : "BeginPass(0)")};
    for (int mesh = 0; mesh < 5; ++mesh) {
        if (fog) lines.push_back(Pig("SetFloat(FogEnd, 12)"));
        lines = lines + MeshParameters(kBodyColors[mesh]) +
                Lines{Pig("CommitChanges()"), "draw g" + std::to_string(mesh + 2)};
    }
    lines = lines +
            Lines{Pig("EndPass()"), Pig("End()"), Pig("Begin(0)"),
                  Pig(fog ? "BeginPass(3)" : "BeginPass(1)")} +
            MeshParameters("1, 0, 0, 0");
    if (fog) lines.push_back(Pig("SetFloat(FadeEnd, 200)"));
    return lines + Lines{Pig("SetTexture(tex0, eyes)"), Pig("CommitChanges()"), "draw g1",
                         Pig("EndPass()"), Pig("End()")};
}

size_t Count(const Lines& lines, const std::string& line) {
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

std::vector<float> Translation(const std::vector<float>& m) {
    return {m[12], m[13], m[14]};
}

class ScenesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resources_ = &RecordedResources::Get(true);
        g_camera.Set(1, 2, 3, 0, 0, 0, 1.0f);
        resources_->ClearLog();
    }
    Lines Recorded() const { return resources_->Normalized(); }
    vmtest::FakeEffect& PigEffect() const { return *resources_->Effect("pig"); }
    RecordedResources* resources_ = nullptr;
};

TEST_F(ScenesTest, PigDrawsTheBodyThenTheTexturedEyesAtTheirFirstKeyPoseFoggedOnPassesTwoAndThree) {
    DrawPig(MatrixWorld(5, 0, 0, 0, 0, 0, 2));
    EXPECT_LINES(Recorded(), ExpectedPig(false));
    // "g1" carries the key (1, 2, 3): its own transform comes first, then the world.
    EXPECT_EQ(Translation(PigEffect().values["matWorld"]), (std::vector<float>{7, 4, 6}));
    EXPECT_TRUE(resources_->boxes.boxes.empty());
    resources_->ClearLog();
    DrawPigFog(MatrixIdentity(), 12.0f);
    EXPECT_LINES(Recorded(), ExpectedPig(true));
}

TEST_F(ScenesTest, PigSceneOrbitsTheEyeAndClearsColourAndDepth) {
    g_camera.Set(0, 2, 5, 0, 0, 0, 1.0f);
    ScenePig(0.0f);
    EXPECT_NEAR(g_camera.eye.x, 0.0f, 1e-6f);
    EXPECT_FLOAT_EQ(g_camera.eye.z, 5.0f);
    const Lines lines = Recorded();
    const Lines frameStart{"target sceneTarget",
                           "BeginScene()",
                           "Clear(0, null, TARGET|ZBUFFER, 0x00000000, 1, 0)",
                           "SetRenderState(CULLMODE, CCW)",
                           "SetRenderState(ZENABLE, TRUE)",
                           "SetRenderState(ALPHABLENDENABLE, FALSE)"};
    ASSERT_GT(lines.size(), frameStart.size() + 2);
    EXPECT_EQ(Lines(lines.begin(), lines.begin() + 6), frameStart);
    EXPECT_EQ(Lines(lines.end() - 2, lines.end()), (Lines{"EndScene()", "target backbuffer"}));

    g_camera.Set(1.5707964f, 2, 5, 0, 0, 0, 1.0f);
    ScenePig(0.0f);
    EXPECT_NEAR(g_camera.eye.x, 5.0f, 1e-5f);
    EXPECT_FLOAT_EQ(g_camera.eye.y, 2.0f);
    EXPECT_NEAR(g_camera.eye.z, 0.0f, 1e-5f);

    // sin and cos in double precision, rounded to float: at this angle the float functions of
    // the C library give 0x3F577A0E and 0x3F0A393D instead.
    const float angle = std::bit_cast<float>(0x3F800E44u);
    g_camera.Set(angle, 2, 1, 0, 0, 0, 1.0f);
    ScenePig(0.0f);
    EXPECT_EQ(std::bit_cast<uint32_t>(g_camera.eye.x), 0x3F577A0Du);
    EXPECT_EQ(std::bit_cast<uint32_t>(g_camera.eye.z), 0x3F0A393Eu);
}

TEST_F(ScenesTest, ReflectionDrawsTheBlendedFloorBetweenTheTwoRows) {
    SceneReflection(3.0f);
    Lines outsidePigs;
    size_t pigsBeforeFloor = 0;
    bool floorSeen = false;
    for (const std::string& line : Recorded()) {
        if (line == Pig("BeginPass(0)")) pigsBeforeFloor += floorSeen ? 0 : 1;
        if (line.rfind("Effect[pig]", 0) == 0 || (line.rfind("draw g", 0) == 0)) continue;
        floorSeen = floorSeen || line == "draw floorQuad";
        outsidePigs.push_back(line);
    }
    EXPECT_EQ(pigsBeforeFloor, 10u);
    EXPECT_EQ(Count(Recorded(), Pig("BeginPass(0)")), 20u);
    EXPECT_EQ(
        outsidePigs,
        (Lines{"target sceneTarget", "BeginScene()",
               "Clear(0, null, TARGET|ZBUFFER, 0x00000000, 1, 0)", "SetRenderState(CULLMODE, CCW)",
               "SetRenderState(ZENABLE, TRUE)", "SetRenderState(ALPHABLENDENABLE, FALSE)",
               "SetRenderState(ALPHABLENDENABLE, TRUE)", "SetRenderState(BLENDOP, ADD)",
               "SetRenderState(SRCBLEND, SRCALPHA)", "SetRenderState(DESTBLEND, INVSRCALPHA)",
               "Effect[floor].SetMatrix(matWorldViewProjection)", "Effect[floor].Begin(0)",
               "Effect[floor].BeginPass(0)", "draw floorQuad", "Effect[floor].EndPass()",
               "Effect[floor].End()", "SetRenderState(ALPHABLENDENABLE, FALSE)", "EndScene()",
               "target backbuffer"}));
    // The last pig is upright, at the end of the row.
    EXPECT_EQ(Translation(PigEffect().values["matWorld"]), (std::vector<float>{1, 2, 15}));
}

TEST_F(ScenesTest, ParadeMarchesTenPigsAlongXAndAddsAGiant) {
    for (int i = 0; i < kParadePigCount; ++i)
        EXPECT_FLOAT_EQ(ParadePigX(i, 0.0f), -15.0f + 3.0f * i) << i;
    EXPECT_FLOAT_EQ(ParadePigX(9, 4.0f), -14.0f);  // 31 wraps to 1
    EXPECT_FLOAT_EQ(ParadePigX(8, 4.0f), 13.0f);

    SceneParade(4.0f);
    const Lines lines = Recorded();
    EXPECT_EQ(Count(lines, Pig("BeginPass(2)")), 11u);
    EXPECT_EQ(Count(lines, Pig("SetFloat(FogEnd, 12)")), 55u);
    // The giant: ten times larger at the origin.
    EXPECT_EQ(Translation(PigEffect().values["matWorld"]), (std::vector<float>{10, 20, 30}));
}

TEST_F(ScenesTest, SwarmPigsStartAtTheRightEdgeOnTheirNoiseCurves) {
    const Vector3 first = SwarmPigPosition(0, 0.0f);
    EXPECT_FLOAT_EQ(first.x, 200.0f);
    EXPECT_NEAR(first.y, -13.58238f, 1e-4f);
    EXPECT_NEAR(first.z, -53.72126f, 1e-4f);
    EXPECT_FLOAT_EQ(SwarmPigPosition(0, 50.0f).x, -150.0f);  // 7 units a second toward -x
    EXPECT_FLOAT_EQ(SwarmPigPosition(0, 60.0f).x, 180.0f);   // 420 wraps to 20: back at the right
    EXPECT_FLOAT_EQ(SwarmPigPosition(10, 0.0f).x, 185.0f);   // 1.5 apart

    g_camera.Set(0, 0, 100, 0, 0, 0, 1.0f);
    SceneSwarm(0.0f, 0.0f);
    const Lines lines = Recorded();
    EXPECT_EQ(Count(lines, Pig("BeginPass(2)")), 200u);
    EXPECT_EQ(Count(lines, Pig("SetFloat(FogEnd, 0)")), 1000u);
    const auto backdrop = std::find(lines.begin(), lines.end(), "draw backdropQuad");
    const auto firstPig = std::find(lines.begin(), lines.end(), Pig("BeginPass(2)"));
    EXPECT_LT(backdrop, firstPig);
    EXPECT_NE(std::find(lines.begin(), backdrop, "Effect[texture].SetFloat(alpha, 0.4)"), backdrop);
    EXPECT_NE(std::find(lines.begin(), backdrop, "Effect[texture].SetTexture(tex0, bg)"), backdrop);
    EXPECT_NEAR(g_camera.eye.z, 100.0f, 1e-4f);  // orbit angle 0 keeps the eye
}

TEST_F(ScenesTest, ImageSceneClearsOnlyColourAndBlendsTheNamedImage) {
    SceneImage("dama", 0.0f);
    EXPECT_LINES(
        Recorded(),
        (Lines{"target sceneTarget", "BeginScene()", "Clear(0, null, TARGET, 0x00000000, 1, 0)",
               "SetRenderState(CULLMODE, NONE)", "SetRenderState(ZENABLE, FALSE)",
               "SetRenderState(ALPHABLENDENABLE, TRUE)", "SetRenderState(BLENDOP, ADD)",
               "SetRenderState(SRCBLEND, SRCALPHA)", "SetRenderState(DESTBLEND, INVSRCALPHA)",
               "Effect[texture].SetMatrix(matWorldViewProjection)",
               "Effect[texture].SetTexture(tex0, dama)", "Effect[texture].SetFloat(alpha, 0)",
               "Effect[texture].Begin(0)", "Effect[texture].BeginPass(0)", "draw backdropQuad",
               "Effect[texture].EndPass()", "Effect[texture].End()", "EndScene()",
               "target backbuffer"}));
    const Matrix ortho = MatrixOrtho(800.0f, 450.0f);
    EXPECT_EQ(resources_->Effect("texture")->values["matWorldViewProjection"],
              std::vector<float>(ortho.data(), ortho.data() + 16));
}

}  // namespace
