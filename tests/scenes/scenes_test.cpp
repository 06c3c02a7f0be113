#include "scenes/scenes.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "filters/recorded_resources.h"
#include "scene_core/camera.h"
#include "scene_core/matrix.h"
#include "scene_core/noise.h"
#include "scenes/pig.h"
#include "support/call_lines.h"

namespace {

using vmtest::Lines;
using vmtest::operator+;
using Values = std::vector<std::vector<float>>;

std::string Pig(const std::string& call) {
    return "Effect[pig]." + call;
}

// The five parameters of one pig mesh, with the camera at (1, 2, 3).
Lines MeshParameters(const std::string& color) {
    return {Pig("SetMatrix(matWorldViewProjection)"), Pig("SetMatrix(matWorldView)"),
            Pig("SetMatrix(matWorld)"), Pig("SetFloatArray(CameraPosition, 1, 2, 3)"),
            Pig("SetFloatArray(DiffuseColor, " + color + ")")};
}

// A frame with each pig as one line, "pig" (body pass 0) or "pig fog" (pass 2), its calls left out.
Lines Frame(const Lines& lines) {
    Lines out;
    for (const std::string& line : lines) {
        if (line == Pig("BeginPass(0)") || line == Pig("BeginPass(2)")) {
            out.push_back(line == Pig("BeginPass(0)") ? "pig" : "pig fog");
        } else if (!line.starts_with("Effect[pig]") && !line.starts_with("draw g")) {
            out.push_back(line);
        }
    }
    return out;
}

const Lines kStart{"target sceneTarget", "BeginScene()",
                   "Clear(0, null, TARGET|ZBUFFER, 0x00000000, 1, 0)"};
const Lines kDepthNoBlend{"SetRenderState(CULLMODE, CCW)", "SetRenderState(ZENABLE, TRUE)",
                          "SetRenderState(ALPHABLENDENABLE, FALSE)"};
const Lines kNoDepthBlend{
    "SetRenderState(CULLMODE, NONE)",         "SetRenderState(ZENABLE, FALSE)",
    "SetRenderState(ALPHABLENDENABLE, TRUE)", "SetRenderState(BLENDOP, ADD)",
    "SetRenderState(SRCBLEND, SRCALPHA)",     "SetRenderState(DESTBLEND, INVSRCALPHA)"};
const Lines kEnd{"EndScene()", "target backbuffer"};

Lines Draw(const std::string& effect, const Lines& parameters, const std::string& quad) {
    const std::string fx = "Effect[" + effect + "].";
    Lines lines{fx + "SetMatrix(matWorldViewProjection)"};
    for (const std::string& p : parameters) lines.push_back(fx + p);
    return lines + Lines{fx + "Begin(0)", fx + "BeginPass(0)", "draw " + quad, fx + "EndPass()",
                         fx + "End()"};
}

// A matrix set on an effect, applied to a point.
Vector3 Apply(const std::vector<float>& m, const Vector3& p) {
    Matrix matrix;
    std::copy(m.begin(), m.end(), matrix.data());
    return TransformCoord(p, matrix);
}

void ExpectNear(const Vector3& got, const Vector3& expected) {
    EXPECT_NEAR(got.x, expected.x, 1e-4f);
    EXPECT_NEAR(got.y, expected.y, 1e-4f);
    EXPECT_NEAR(got.z, expected.z, 1e-4f);
}

class ScenesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_camera.Set(1, 2, 3, 0, 0, 0, 1.0f);
        pig.values.clear();
        r.device.ClearCalls();
    }
    // Where the eyes of each pig drawn went (the eye mesh carries the key (1, 2, 3)).
    std::vector<Vector3> Eyes() {
        std::vector<Vector3> eyes;
        const Values& worlds = pig.values["matWorld"];
        for (size_t i = 5; i < worlds.size(); i += 6) eyes.push_back(Apply(worlds[i], {0, 0, 0}));
        return eyes;
    }
    vmtest::RecordedResources& r = vmtest::RecordedResources::Get(true);
    vmtest::FakeEffect& pig = *r.Effect("pig");
};

TEST_F(ScenesTest, PigDrawsTheBodyThenTheTexturedEyesAtTheirKeyPoseFoggedOnPassesTwoAndThree) {
    const char* const colors[] = {
        "0.698039, 0.568627, 0.501961, 0", "0.698039, 0.568627, 0.501961, 0", "0, 0, 0, 0",
        "0.498039, 0.466667, 0.305882, 0", "0.498039, 0.466667, 0.305882, 0"};
    for (const bool fog : {false, true}) {
        r.device.ClearCalls();
        fog ? DrawPigFog(MatrixIdentity(), 12.0f) : DrawPig(MatrixWorld(5, 0, 0, 0, 0, 0, 2));
        Lines expected{Pig("Begin(0)"), Pig(fog ? "BeginPass(2)" : "BeginPass(0)")};
        for (int mesh = 0; mesh < 5; ++mesh) {
            if (fog) expected.push_back(Pig("SetFloat(FogEnd, 12)"));
            expected = expected + MeshParameters(colors[mesh]) +
                       Lines{Pig("CommitChanges()"), "draw g" + std::to_string(mesh + 2)};
        }
        expected = expected +
                   Lines{Pig("EndPass()"), Pig("End()"), Pig("Begin(0)"),
                         Pig(fog ? "BeginPass(3)" : "BeginPass(1)")} +
                   MeshParameters("1, 0, 0, 0") +
                   (fog ? Lines{Pig("SetFloat(FadeEnd, 200)")} : Lines{}) +
                   Lines{Pig("SetTexture(tex0, eyes)"), Pig("CommitChanges()"), "draw g1",
                         Pig("EndPass()"), Pig("End()")};
        EXPECT_LINES(r.Normalized(), expected);
    }
    ExpectNear(Eyes().at(0), {7, 4, 6});  // the mesh's own transform first, then the world
    EXPECT_TRUE(r.boxes.boxes.empty());
}

TEST_F(ScenesTest, PigSceneOrbitsTheEyeAndClearsColourAndDepth) {
    g_camera.Set(1.5707964f, 2, 5, 0, 0, 0, 1.0f);
    ScenePig(0.0f);
    EXPECT_LINES(Frame(r.Normalized()), kStart + kDepthNoBlend + Lines{"pig"} + kEnd);
    ExpectNear(g_camera.eye, {5, 2, 0});
    // sin and cos in double precision, rounded to float: at this angle the float functions of
    // the C library give 0x3F577A0E and 0x3F0A393D instead.
    g_camera.Set(std::bit_cast<float>(0x3F800E44u), 2, 1, 0, 0, 0, 1.0f);
    ScenePig(0.0f);
    EXPECT_EQ(std::bit_cast<uint32_t>(g_camera.eye.x), 0x3F577A0Du);
    EXPECT_EQ(std::bit_cast<uint32_t>(g_camera.eye.z), 0x3F0A393Eu);
}

TEST_F(ScenesTest, ReflectionDrawsTheMirroredRowTheBlendedFloorAndTheUprightRow) {
    SceneReflection(3.0f);
    EXPECT_LINES(Frame(r.Normalized()), kStart + kDepthNoBlend + Lines(10, "pig") +
                                            Lines(kNoDepthBlend.begin() + 2, kNoDepthBlend.end()) +
                                            Draw("floor", {}, "floorQuad") +
                                            Lines{"SetRenderState(ALPHABLENDENABLE, FALSE)"} +
                                            Lines(10, "pig") + kEnd);
    // Upside down one unit below (eyes at (1, -2, -3) from the pig), then upright, z = 3i - 15.
    const std::vector<Vector3> eyes = Eyes();
    ASSERT_EQ(eyes.size(), 20u);
    for (int i = 0; i < 10; ++i) {
        const float z = 3.0f * static_cast<float>(i) - 15.0f;
        ExpectNear(eyes[i], {1, -3, z - 3});
        ExpectNear(eyes[10 + i], {1, 2, z + 3});
    }
    // The floor quad (x, y, 1) lies flat at y = 0: (1.5x, 0, -1.5y).
    const std::vector<float>& floor = r.Effect("floor")->values["matWorldViewProjection"].back();
    for (const Vector3& p : {Vector3{1, 1, 1}, Vector3{-1, 0.5f, 1}, Vector3{0, 0, 1}})
        ExpectNear(Apply(floor, p),
                   TransformCoord({1.5f * p.x, 0, -1.5f * p.y}, g_camera.ViewProjection()));
}

TEST_F(ScenesTest, ParadeMarchesTenPigsAlongXAndAGiantAllInFog) {
    const struct {
        int index;
        float seconds, x;
    } marches[] = {{0, 0, -15}, {9, 0, 12}, {9, 4, -14}, {8, 4, 13}, {5, 2.5f, 2.5f}};
    for (const auto& m : marches) EXPECT_EQ(ParadePigX(m.index, m.seconds), m.x) << m.index;
    SceneParade(4.0f);
    EXPECT_LINES(Frame(r.Normalized()), kStart + kDepthNoBlend + Lines(11, "pig fog") + kEnd);
    EXPECT_EQ(pig.values["FogEnd"], Values(55, {12}));
    ExpectNear(Eyes().at(0), {1 + ParadePigX(0, 4), 2, 3});
    ExpectNear(Eyes().at(10), {10, 20, 30});  // ten times larger at the origin
}

TEST_F(ScenesTest, SwarmFliesOverAFaintBackdropOnNoiseCurvesWithTheFadeAsFog) {
    const Vector3 first = SwarmPigPosition(0, 0.0f);
    EXPECT_EQ(std::tuple(first.x, first.y, first.z),
              std::tuple(200.0f, IntNoise(1) * 60.0f, IntNoise(43) * 60.0f));
    const struct {
        int index;
        float seconds, x;
    } flights[] = {{0, 50, -150}, {0, 60, 180}, {10, 0, 185}};  // 420 wraps to 20; 1.5 apart
    for (const auto& f : flights) EXPECT_EQ(SwarmPigPosition(f.index, f.seconds).x, f.x);

    g_camera.Set(0, 0, 100, 0, 0, 0, 1.0f);
    SceneSwarm(0.0f, 0.5f);
    EXPECT_LINES(
        Frame(r.Normalized()),
        kStart + kNoDepthBlend +
            Draw("texture", {"SetTexture(tex0, bg)", "SetFloat(alpha, 0.4)"}, "backdropQuad") +
            kDepthNoBlend + Lines(200, "pig fog") + kEnd);
    EXPECT_EQ(pig.values["FogEnd"], Values(1000, {100}));
    const Vector3 last = SwarmPigPosition(199, 0.0f);
    ExpectNear(Eyes().at(199), {last.x + 10, last.y + 20, last.z + 30});  // ten times larger
    ExpectNear(g_camera.eye, {0, 0, 100});  // orbit angle 0 keeps the eye
}

TEST_F(ScenesTest, ImageSceneClearsOnlyColourAndBlendsTheNamedImageOverTheTarget) {
    SceneImage("dama", 0.25f);
    const Lines start{"target sceneTarget", "BeginScene()",
                      "Clear(0, null, TARGET, 0x00000000, 1, 0)"};
    EXPECT_LINES(
        r.Normalized(),
        start + kNoDepthBlend +
            Draw("texture", {"SetTexture(tex0, dama)", "SetFloat(alpha, 0.25)"}, "backdropQuad") +
            kEnd);
    // The 800 x 450 backdrop fills the target: its corners land on the clip corners.
    const std::vector<float>& m = r.Effect("texture")->values["matWorldViewProjection"].back();
    ExpectNear(Apply(m, {400, 225, 1}), {1, 1, 1e-5f});
    ExpectNear(Apply(m, {-400, -225, 0}), {-1, -1, 0});
}

}  // namespace
