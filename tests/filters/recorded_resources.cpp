#include "filters/recorded_resources.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "display/display_settings.h"
#include "filters/filters.h"
#include "resources/static_resources.h"
#include "scenes/assets.h"
#include "support/scratch_dir.h"

namespace vmtest {
namespace {

namespace fs = std::filesystem;

RecordedResources* g_loaded = nullptr;
ScopedDevice* g_scope = nullptr;

template <typename T>
void Put(std::ofstream& out, T value) {
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

// Releases what the static objects hold while the recording device still exists.
class ReleaseAtEnd : public ::testing::Environment {
  public:
    void TearDown() override {
        if (g_loaded == nullptr) return;
        for (RenderTexture* rt :
             {&sceneTarget, &workTarget, &spareTarget0, &spareTarget1, &spareTarget2, &spareTarget3,
              &halfTargetB, &halfTargetA, &quarterTarget})
            rt->Release();
        for (Mesh* quad :
             {&renderQuad, &screenQuad, &borderStrip, &unusedQuad, &floorQuad, &backdropQuad})
            quad->Release();
        filterEffects.Release();
        sceneEffects.Release();
        textures.Release();
        meshes.Release();
        dtexture.Release();
        delete g_scope;
        delete g_loaded;
        g_scope = nullptr;
        g_loaded = nullptr;
    }
};

[[maybe_unused]] ::testing::Environment* const g_release =
    ::testing::AddGlobalTestEnvironment(new ReleaseAtEnd);

}  // namespace

void WriteTriangleMesh(const std::string& path, float x, float y, float z, bool withKey) {
    std::ofstream out(path, std::ios::binary);
    Put<uint32_t>(out, 0);
    for (int i = 0; i < 16; ++i) Put<float>(out, 0.0f);
    Put<uint32_t>(out, 0);
    Put<uint32_t>(out, 1);   // triangles
    Put<uint32_t>(out, 3);   // vertices
    Put<uint32_t>(out, 32);  // stride
    Put<uint16_t>(out, 7);
    for (uint16_t i : {0, 1, 2}) Put<uint16_t>(out, i);
    for (int v = 0; v < 3; ++v)
        for (int f = 0; f < 8; ++f) Put<float>(out, f == v ? 1.0f : 0.0f);
    Put<uint8_t>(out, 0);
    for (int i = 0; i < 3; ++i) Put<uint32_t>(out, 0);
    Put<uint32_t>(out, withKey ? 1 : 0);
    if (withKey) {
        for (float c : {x, y, z}) Put<float>(out, c);                 // position
        for (float c : {0.0f, 0.0f, 0.0f, 1.0f}) Put<float>(out, c);  // rotation
        for (float c : {1.0f, 1.0f, 1.0f}) Put<float>(out, c);        // scale
    } else {
        for (int i = 0; i < 3; ++i) Put<uint32_t>(out, 0);
    }
}

RecordedResources& RecordedResources::Get(bool withScene) {
    if (g_loaded != nullptr) return *g_loaded;
    g_loaded = new RecordedResources;
    g_scope = new ScopedDevice(&g_loaded->device);
    RecordedResources& r = *g_loaded;

    displaySettings.screenWidth = 1280;
    displaySettings.screenHeight = 1024;
    displaySettings.renderWidth = 1280;
    displaySettings.renderHeight = 720;
    displaySettings.offset = 152;
    displaySettings.multiSample = 0;

    Effect::SetCompiler(r.compiler.AsFunction());
    r.compiler.Add("DefaultFilters/DefaultFilter.fx", "DefaultFilter");
    r.compiler.Add("DefaultFilters/Guassian.fx", "Guassian");
    r.compiler.Add("DefaultFilters/NearestEdge.fx", "NearestEgde");
    r.compiler.Add("DefaultFilters/BlurFilter.fx", "Blur", 3);
    r.compiler.Add("DefaultFilters/color.fx", "color");
    r.compiler.Add("vessmark/shaders/pig.fx", "pig", 4);
    r.compiler.Add("vessmark/shaders/floor.fx", "floor");
    r.compiler.Add("vessmark/shaders/texture.fx", "texture");

    LoadFilters();
    if (withScene) {
        // Mesh files in a scratch folder; "g1" carries a key that moves it to (1, 2, 3).
        const vmtest::ScratchDir dir("vm-scene");
        const ScopedCurrentPath inDir(dir.Path());
        fs::create_directories("vessmark/gris");
        const char* files[] = {"h.SCENEauge2_3.mesh",    "gris.SCENEgrismesh_1.mesh",
                               "gris.SCENEkjeft_0.mesh", "gris.SCENEnasabor_7.mesh",
                               "gris.SCENEring_2.mesh",  "gris.SCENEtann_8.mesh"};
        for (int i = 0; i < 6; ++i)
            WriteTriangleMesh("vessmark/gris/" + std::string(files[i]), 1, 2, 3, i == 0);
        LoadScene();
    }
    r.NameObjects();
    r.ClearLog();
    return r;
}

void RecordedResources::NameObjects() {
    auto name = [this](const gfx::Unknown* object, const std::string& role) {
        if (object != nullptr) roles_.emplace_back(RecordingDevice::Name(object), role);
    };
    const std::pair<RenderTexture*, const char*> targets[] = {{&sceneTarget, "sceneTarget"},
                                                              {&workTarget, "workTarget"},
                                                              {&halfTargetA, "halfTargetA"},
                                                              {&halfTargetB, "halfTargetB"},
                                                              {&quarterTarget, "quarterTarget"}};
    for (const auto& [rt, role] : targets) {
        name(rt->texture, role);
        name(rt->msTarget, role);
        name(rt->surface, rt->msTarget != nullptr ? std::string(role) + ".surface" : role);
    }
    name(device.BackBuffer(), "backbuffer");
    const std::pair<Mesh*, const char*> quads[] = {
        {&renderQuad, "renderQuad"}, {&screenQuad, "screenQuad"}, {&borderStrip, "borderStrip"},
        {&unusedQuad, "unusedQuad"}, {&floorQuad, "floorQuad"},   {&backdropQuad, "backdropQuad"}};
    for (const auto& [mesh, role] : quads) name(mesh->vertexBuffer, role);
    for (size_t i = 0; i < meshes.Count(); ++i)
        name(meshes.ItemAt(i)->vertexBuffer, meshes.NameAt(i));
    for (size_t i = 0; i < textures.Count(); ++i) name(textures.ItemAt(i), textures.NameAt(i));
}

std::string RecordedResources::Role(const std::string& label) const {
    for (const auto& [object, role] : roles_)
        if (object == label) return role;
    return label;
}

std::vector<std::string> RecordedResources::Normalized() const {
    std::vector<std::string> lines;
    std::string streamSource;
    for (const std::string& line : device.Calls()) {
        auto argument = [&line](size_t from) {
            const size_t end = line.find_first_of(",)", from);
            return line.substr(from, end - from);
        };
        if (line.rfind("SetRenderTarget(0, ", 0) == 0) {
            lines.push_back("target " + Role(argument(19)));
        } else if (line.rfind("SetStreamSource(0, ", 0) == 0) {
            streamSource = Role(argument(19));
        } else if (line.rfind("DrawIndexedPrimitive(", 0) == 0) {
            lines.push_back("draw " + streamSource);
        } else if (line.rfind("Effect[", 0) == 0) {
            const size_t texture = line.find(".SetTexture(");
            if (texture == std::string::npos) {
                lines.push_back(line);
            } else {
                const size_t comma = line.find(", ", texture);
                lines.push_back(line.substr(0, comma + 2) + Role(argument(comma + 2)) + ")");
            }
        } else if (line.rfind("BeginScene", 0) == 0 || line.rfind("EndScene", 0) == 0 ||
                   line.rfind("Clear(", 0) == 0 || line.rfind("SetRenderState(", 0) == 0 ||
                   line.rfind("Present(", 0) == 0) {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace vmtest
