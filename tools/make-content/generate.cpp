#include "generate.h"

#include <cstring>

#include "content_paths.h"
#include "images.h"
#include "music.h"
#include "pig_model.h"
#include "platform/audio/mp3_writer.h"

namespace content {
namespace {

bool PrepareFolder(const std::filesystem::path& file, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    if (ec) {
        *error = "cannot create " + file.parent_path().string() + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace

meshfile::MeshFile ToMeshFile(const TriMesh& mesh, V3 placement) {
    meshfile::MeshFile f;
    f.formatBits = 7;
    f.stride = 32;
    f.vertexCount = uint32_t(mesh.vertices.size());
    f.triangleCount = uint32_t(mesh.triangleCount());
    for (uint32_t i : mesh.indices) f.indices.push_back(uint16_t(i));
    f.vertexBytes.resize(mesh.vertices.size() * 32);
    for (size_t v = 0; v < mesh.vertices.size(); ++v) {
        const Vertex& s = mesh.vertices[v];
        const float data[8] = {s.position.x, s.position.y, s.position.z, s.normal.x,
                               s.normal.y,   s.normal.z,   s.u,          s.v};
        std::memcpy(f.vertexBytes.data() + v * 32, data, 32);
    }
    f.positionKeys = {{placement.x, placement.y, placement.z}};
    f.rotationKeys = {{0, 0, 0, 1}};
    f.scaleKeys = {{1, 1, 1}};
    return f;
}

bool GeneratePigMeshes(const std::filesystem::path& out, std::string* error) {
    for (const PigPart& part : BuildPig()) {
        if (part.mesh.vertices.size() > 65535) {
            *error = part.path + ": too many vertices for 16-bit indices";
            return false;
        }
        const auto path = out / part.path;
        if (!PrepareFolder(path, error) ||
            !meshfile::WriteMeshFile(ToMeshFile(part.mesh, part.placement), path.string(), error))
            return false;
    }
    return true;
}

bool GenerateImages(const std::filesystem::path& out, std::string* error) {
    Canvas title(1, 1), end(1, 1);
    if (!DrawTitleCard(&title, error) || !DrawEndCard(&end, error)) return false;
    const auto eye = out / kEyeImage, bg = out / kBackdropImage, dama = out / kTitleImage,
               demo = out / kEndImage;
    return PrepareFolder(eye, error) && PrepareFolder(bg, error) &&
           WriteJpeg(DrawEyeTexture(), eye.string(), 92, error) &&
           WritePng(DrawBackdrop(), bg.string(), error) && WritePng(title, dama.string(), error) &&
           WritePng(end, demo.string(), error);
}

bool GenerateSoundtrack(const std::filesystem::path& out, std::string* error) {
    const auto path = out / kSoundtrack;
    if (!PrepareFolder(path, error)) return false;
    const std::vector<float> samples = RenderSoundtrack();
    return audio::WriteMp3(path.string().c_str(), samples.data(), samples.size() / 2, kSampleRate,
                           error);
}

}  // namespace content
