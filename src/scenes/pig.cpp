#include "scenes/pig.h"

#include "resources/effect_parameters.h"
#include "resources/static_resources.h"
#include "scene_core/camera.h"
#include "scene_core/matrix.h"

const Vector4 pigColors[6] = {
    {1.0f, 0.0f, 0.0f, 0.0f},  // g1, eyes
    ColorFromArgb(0xB29180),   // g2
    ColorFromArgb(0xB29180),   // g3
    {0.0f, 0.0f, 0.0f, 0.0f},  // g4
    ColorFromArgb(0x7F774E),   // g5
    ColorFromArgb(0x7F774E),   // g6
};

namespace {

constexpr const char* kMeshNames[6] = {"g1", "g2", "g3", "g4", "g5", "g6"};
constexpr float kEyeFadeEnd = 200.0f;

// The mesh's first-key pose times the world matrix; a missing mesh has been reported by Find.
Matrix MeshWorld(const char* name, const Matrix& world) {
    const Mesh* mesh = meshes.Find(name);
    return (mesh != nullptr ? mesh->LocalTransform(0.0f) : MatrixIdentity()) * world;
}

void SetTransformAndColor(const Matrix& meshWorld, const Vector4& color) {
    SetMatrixParameter(sceneEffects, "matWorldViewProjection",
                       meshWorld * g_camera.ViewProjection());
    SetMatrixParameter(sceneEffects, "matWorldView", meshWorld * g_camera.View());
    SetMatrixParameter(sceneEffects, "matWorld", meshWorld);
    SetFloatArrayParameter(sceneEffects, "CameraPosition", &g_camera.eye.x, 3);
    SetFloatArrayParameter(sceneEffects, "DiffuseColor", color.data(), 4);
}

void DrawMesh(const char* name) {
    if (const Mesh* mesh = meshes.Find(name)) mesh->Draw();
}

// fogEnd null: the plain passes without fog parameters.
void DrawPigPasses(const Matrix& world, uint32_t bodyPass, uint32_t eyePass, const float* fogEnd) {
    sceneEffects.SetCurrentRef("pig");
    sceneEffects.Begin(bodyPass, nullptr);
    for (int i = 1; i < 6; ++i) {
        const Matrix meshWorld = MeshWorld(kMeshNames[i], world);
        if (fogEnd != nullptr) SetFloatParameter(sceneEffects, "FogEnd", *fogEnd);
        SetTransformAndColor(meshWorld, pigColors[i]);
        CommitParameterChanges(sceneEffects);
        DrawMesh(kMeshNames[i]);
    }
    sceneEffects.End(nullptr);

    sceneEffects.Begin(eyePass, nullptr);
    const Matrix eyeWorld = MeshWorld(kMeshNames[0], world);
    SetTransformAndColor(eyeWorld, pigColors[0]);
    if (fogEnd != nullptr) SetFloatParameter(sceneEffects, "FadeEnd", kEyeFadeEnd);
    if (gfx::Texture* eyes = textures.Find("eyes")) SetTextureParameter(sceneEffects, "tex0", eyes);
    CommitParameterChanges(sceneEffects);
    DrawMesh(kMeshNames[0]);
    sceneEffects.End(nullptr);
}

}  // namespace

void DrawPig(const Matrix& world) {
    DrawPigPasses(world, 0, 1, nullptr);
}

void DrawPigFog(const Matrix& world, float fogEnd) {
    DrawPigPasses(world, 2, 3, &fogEnd);
}
