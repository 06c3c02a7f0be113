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
#include "scene_core/noise.h"
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

// A recorded frame with each pig as one line, "pig" or "pig fog <FogEnd>", and runs of equal
// pig lines as "<line> x<count>"; the pig's own calls are checked by the first test.
Lines Frame(const Lines& lines) {
    Lines out;
    std::string pig;
    int run = 0;
    auto flush = [&] {
        if (run > 0) out.push_back(run == 1 ? pig : pig + " x" + std::to_string(run));
        run = 0;
    };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line == Pig("BeginPass(0)") || line == Pig("BeginPass(2)")) {
            std::string name = "pig";
            if (line == Pig("BeginPass(2)") && i + 1 < lines.size()) {
                const std::string& fog = lines[i + 1];  // "...SetFloat(FogEnd, 12)"
                const size_t at = fog.find("FogEnd, ");
                if (at != std::string::npos)
                    name += " fog " + fog.substr(at + 8, fog.size() - at - 9);
            }
            if (name != pig) flush();
            pig = name;
            ++run;
        } else if (line.rfind("Effect[pig]", 0) != 0 && line.rfind("draw g", 0) != 0) {
            flush();
            out.push_back(line);
        }
    }
    flush();
    return out;
}

const Lines kStart{"target sceneTarget", "BeginScene()",
                   "Clear(0, null, TARGET|ZBUFFER, 0x00000000, 1, 0)"};
const Lines kDepthNoBlend{"SetRenderState(CULLMODE, CCW)", "SetRenderState(ZENABLE, TRUE)",
                          "SetRenderState(ALPHABLENDENABLE, FALSE)"};
const Lines kBlend{"SetRenderState(ALPHABLENDENABLE, TRUE)", "SetRenderState(BLENDOP, ADD)",
                   "SetRenderState(SRCBLEND, SRCALPHA)", "SetRenderState(DESTBLEND, INVSRCALPHA)"};
const Lines kEnd{"EndScene()", "target backbuffer"};

Lines Backdrop(const std::string& texture, const std::string& alpha) {
    return {"Effect[texture].SetMatrix(matWorldViewProjection)",
            "Effect[texture].SetTexture(tex0, " + texture + ")",
            "Effect[texture].SetFloat(alpha, " + alpha + ")",
            "Effect[texture].Begin(0)",
            "Effect[texture].BeginPass(0)",
            "draw backdropQuad",
            "Effect[texture].EndPass()",
            "Effect[texture].End()"};
}

Vector3 Translation(const std::vector<float>& m) {
    return {m[12], m[13], m[14]};
}

void ExpectNear(const Vector3& got, const Vector3& expected, const std::string& what) {
    EXPECT_NEAR(got.x, expected.x, 1e-4f) << what;
    EXPECT_NEAR(got.y, expected.y, 1e-4f) << what;
    EXPECT_NEAR(got.z, expected.z, 1e-4f) << what;
}

class ScenesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resources_ = &RecordedResources::Get(true);
        g_camera.Set(1, 2, 3, 0, 0, 0, 1.0f);
        PigEffect().values.clear();
    }
    Lines Recorded() const { return resources_->Normalized(); }
    vmtest::FakeEffect& PigEffect() const { return *resources_->Effect("pig"); }
    // The eye mesh's world of each pig drawn, in order ("g1" carries the key (1, 2, 3)).
    std::vector<Vector3> EyePositions() const {
        std::vector<Vector3> eyes;
        const auto& worlds = PigEffect().values["matWorld"];
        for (size_t i = 5; i < worlds.size(); i += 6) eyes.push_back(Translation(worlds[i]));
        return eyes;
    }
    RecordedResources* resources_ = nullptr;
};

TEST_F(ScenesTest, PigDrawsTheBodyThenTheTexturedEyesAtTheirFirstKeyPoseFoggedOnPassesTwoAndThree) {
    DrawPig(MatrixWorld(5, 0, 0, 0, 0, 0, 2));
    EXPECT_LINES(Recorded(), ExpectedPig(false));
    // The mesh's own transform comes first, then the world.
    ExpectNear(EyePositions().at(0), {7, 4, 6}, "eyes");
    EXPECT_TRUE(resources_->boxes.boxes.empty());
    resources_->device.ClearCalls();
    DrawPigFog(MatrixIdentity(), 12.0f);
    EXPECT_LINES(Recorded(), ExpectedPig(true));
}

TEST_F(ScenesTest, PigSceneOrbitsTheEyeAndClearsColourAndDepth) {
    g_camera.Set(0, 2, 5, 0, 0, 0, 1.0f);
    ScenePig(0.0f);
    EXPECT_LINES(Frame(Recorded()), kStart + kDepthNoBlend + Lines{"pig"} + kEnd);
    const struct {
        float angle, distance, x, z;
    } orbits[] = {{0.0f, 5.0f, 0.0f, 5.0f}, {1.5707964f, 5.0f, 5.0f, 0.0f}};
    for (const auto& o : orbits) {
        g_camera.Set(o.angle, 2, o.distance, 0, 0, 0, 1.0f);
        ScenePig(0.0f);
        ExpectNear(g_camera.eye, {o.x, 2.0f, o.z}, "orbit " + std::to_string(o.angle));
    }
    // sin and cos in double precision, rounded to float: at this angle the float functions of
    // the C library give 0x3F577A0E and 0x3F0A393D instead.
    g_camera.Set(std::bit_cast<float>(0x3F800E44u), 2, 1, 0, 0, 0, 1.0f);
    ScenePig(0.0f);
    EXPECT_EQ(std::bit_cast<uint32_t>(g_camera.eye.x), 0x3F577A0Du);
    EXPECT_EQ(std::bit_cast<uint32_t>(g_camera.eye.z), 0x3F0A393Eu);
}

TEST_F(ScenesTest, ReflectionDrawsTheMirroredRowTheBlendedFloorAndTheUprightRow) {
    SceneReflection(3.0f);
    EXPECT_LINES(
        Frame(Recorded()),
        (kStart + kDepthNoBlend + Lines{"pig x10"} + kBlend +
         Lines{"Effect[floor].SetMatrix(matWorldViewProjection)", "Effect[floor].Begin(0)",
               "Effect[floor].BeginPass(0)", "draw floorQuad", "Effect[floor].EndPass()",
               "Effect[floor].End()", "SetRenderState(ALPHABLENDENABLE, FALSE)", "pig x10"} +
         kEnd));
    // Upside down one unit below (eyes at (1, -2, -3) from the pig), then upright, z = 3i - 15.
    const std::vector<Vector3> eyes = EyePositions();
    ASSERT_EQ(eyes.size(), 20u);
    for (int i = 0; i < 10; ++i) {
        const float z = 3.0f * static_cast<float>(i) - 15.0f;
        ExpectNear(eyes[i], {1, -3, z - 3}, "mirrored " + std::to_string(i));
        ExpectNear(eyes[10 + i], {1, 2, z + 3}, "upright " + std::to_string(i));
    }
    // The floor quad (x, y, 1) lies flat at y = 0: (1.5x, 0, -1.5y).
    const std::vector<float>& floor =
        resources_->Effect("floor")->values["matWorldViewProjection"].back();
    Matrix floorWvp;
    std::copy(floor.begin(), floor.end(), floorWvp.data());
    const Matrix vp = g_camera.ViewProjection();
    for (const Vector3& p : {Vector3{1, 1, 1}, Vector3{-1, 0.5f, 1}, Vector3{0, 0, 1}}) {
        ExpectNear(TransformCoord(p, floorWvp), TransformCoord({1.5f * p.x, 0, -1.5f * p.y}, vp),
                   "floor corner " + std::to_string(p.x) + " " + std::to_string(p.y));
    }
}

TEST_F(ScenesTest, ParadeMarchesTenPigsAlongXAndAddsAGiantAllInFog) {
    const struct {
        int index;
        float seconds, x;
    } marches[] = {{0, 0, -15}, {9, 0, 12}, {9, 4, -14}, {8, 4, 13}, {5, 2.5f, 2.5f}};
    for (const auto& m : marches) EXPECT_EQ(ParadePigX(m.index, m.seconds), m.x) << m.index;

    SceneParade(4.0f);
    EXPECT_LINES(Frame(Recorded()), kStart + kDepthNoBlend + Lines{"pig fog 12 x11"} + kEnd);
    const std::vector<Vector3> eyes = EyePositions();
    ASSERT_EQ(eyes.size(), 11u);
    ExpectNear(eyes[0], {1 + ParadePigX(0, 4), 2, 3}, "first");
    ExpectNear(eyes[10], {10, 20, 30}, "giant");  // ten times larger at the origin
}

TEST_F(ScenesTest, SwarmFliesOverAFaintBackdropOnNoiseCurvesWithTheFadeAsFog) {
    const Vector3 first = SwarmPigPosition(0, 0.0f);
    EXPECT_EQ(first.x, 200.0f);
    EXPECT_EQ(first.y, IntNoise(1) * 60.0f);
    EXPECT_EQ(first.z, IntNoise(43) * 60.0f);
    const struct {
        int index;
        float seconds, x;
    } flights[] = {{0, 50, -150}, {0, 60, 180}, {10, 0, 185}};  // 420 wraps to 20; 1.5 apart
    for (const auto& f : flights) EXPECT_EQ(SwarmPigPosition(f.index, f.seconds).x, f.x);

    g_camera.Set(0, 0, 100, 0, 0, 0, 1.0f);
    SceneSwarm(0.0f, 0.5f);
    EXPECT_LINES(
        Frame(Recorded()),
        (kStart + Lines{"SetRenderState(CULLMODE, NONE)", "SetRenderState(ZENABLE, FALSE)"} +
         kBlend + Backdrop("bg", "0.4") + kDepthNoBlend + Lines{"pig fog 100 x200"} + kEnd));
    const std::vector<Vector3> eyes = EyePositions();
    ASSERT_EQ(eyes.size(), 200u);
    const Vector3 last = SwarmPigPosition(199, 0.0f);
    ExpectNear(eyes[199], {last.x + 10, last.y + 20, last.z + 30}, "last");  // ten times larger
    ExpectNear(g_camera.eye, {0, 0, 100}, "orbit angle 0 keeps the eye");
}

TEST_F(ScenesTest, ImageSceneClearsOnlyColourAndBlendsTheNamedImage) {
    SceneImage("dama", 0.25f);
    EXPECT_LINES(
        Recorded(),
        (Lines{"target sceneTarget", "BeginScene()", "Clear(0, null, TARGET, 0x00000000, 1, 0)",
               "SetRenderState(CULLMODE, NONE)", "SetRenderState(ZENABLE, FALSE)"} +
         kBlend + Backdrop("dama", "0.25") + kEnd));
    // The 800 x 450 backdrop fills the target: its corners land on the clip corners.
    const std::vector<float>& m =
        resources_->Effect("texture")->values["matWorldViewProjection"].back();
    Matrix wvp;
    std::copy(m.begin(), m.end(), wvp.data());
    ExpectNear(TransformCoord({400, 225, 1}, wvp), {1, 1, 1e-5f}, "upper right");
    ExpectNear(TransformCoord({-400, -225, 0}, wvp), {-1, -1, 0}, "lower left");
}

}  // namespace
