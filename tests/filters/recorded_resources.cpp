#include "filters/recorded_resources.h"

#include "display/device_globals.h"
#include "display/display_settings.h"
#include "filters/filters.h"
#include "resources/mesh_file_builder.h"
#include "resources/static_resources.h"
#include "scenes/assets.h"
#include "support/scratch_dir.h"

namespace vmtest {
namespace {

void Rename(gfx::Unknown* object, const std::string& role) {
    if (auto* fake = dynamic_cast<FakeBase*>(object)) fake->label = role;
}

}  // namespace

RecordedResources& RecordedResources::Get(bool withScene) {
    // Never destroyed: the static resource objects release into it when the program ends.
    static RecordedResources* const loaded = [withScene] {
        auto* r = new RecordedResources;
        g_device = &r->device;
        displaySettings = {1280, 1024, 60, 1.3333334f, false, true, 0, 1280, 720, 152};
        Effect::SetCompiler(r->compiler.AsFunction());
        for (const char* name : {"DefaultFilter", "Guassian", "NearestEdge", "color"})
            r->compiler.Add("DefaultFilters/" + std::string(name) + ".fx", name);
        r->compiler.Add("DefaultFilters/BlurFilter.fx", "Blur", 3);
        r->compiler.Add("vessmark/shaders/pig.fx", "pig", 4);
        r->compiler.Add("vessmark/shaders/floor.fx", "floor");
        r->compiler.Add("vessmark/shaders/texture.fx", "texture");
        LoadFilters();
        if (withScene) {
            // One-triangle meshes in a scratch folder; g1 (the eyes) has a key at (1, 2, 3).
            const ScratchDir dir("vm-scene");
            const ScopedCurrentPath inDir(dir.Path());
            for (int i = 0; i < 6; ++i) {
                MeshBytes mesh = MeshBytes().Header(1, 3, 32, 7).Indices({0, 1, 2}).Vertices(3, 32);
                i == 0 ? mesh.KeyCount(1).Floats({1, 2, 3, 0, 0, 0, 1, 1, 1, 1}) : mesh.NoKeys();
                dir.Write(SceneMeshFiles()[2 * i], mesh.data);
            }
            LoadScene();
        }
        const std::pair<RenderTexture*, const char*> targets[] = {
            {&sceneTarget, "sceneTarget"},
            {&workTarget, "workTarget"},
            {&halfTargetA, "halfTargetA"},
            {&halfTargetB, "halfTargetB"},
            {&quarterTarget, "quarterTarget"}};
        for (const auto& [rt, role] : targets) {
            Rename(rt->texture, role);
            Rename(rt->msTarget, role);
        }
        const std::pair<Mesh*, const char*> quads[] = {{&renderQuad, "renderQuad"},
                                                       {&screenQuad, "screenQuad"},
                                                       {&borderStrip, "borderStrip"},
                                                       {&floorQuad, "floorQuad"},
                                                       {&backdropQuad, "backdropQuad"}};
        for (const auto& [mesh, role] : quads) Rename(mesh->vertexBuffer, role);
        for (size_t i = 0; i < meshes.Count(); ++i)
            Rename(meshes.ItemAt(i)->vertexBuffer, meshes.NameAt(i));
        for (size_t i = 0; i < textures.Count(); ++i)
            Rename(textures.ItemAt(i), textures.NameAt(i));
        return r;
    }();
    loaded->device.ClearCalls();
    return *loaded;
}

std::vector<std::string> RecordedResources::Normalized() const {
    std::vector<std::string> lines;
    std::string stream;
    for (const std::string& line : device.Calls()) {
        const size_t from = line.find(", ") + 2;
        if (line.starts_with("SetStreamSource(0, ")) {
            stream = line.substr(from, line.find(',', from) - from);
        } else if (line.starts_with("DrawIndexedPrimitive(")) {
            lines.push_back("draw " + stream);
        } else if (line.starts_with("SetRenderTarget(0, ")) {
            lines.push_back("target " + line.substr(from, line.size() - from - 1));
        } else {
            for (const char* kept :
                 {"Effect[", "BeginScene", "EndScene", "Clear(", "SetRenderState("})
                if (line.starts_with(kept)) lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace vmtest
