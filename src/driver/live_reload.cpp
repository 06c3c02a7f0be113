#include "driver/live_reload.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "display/device_globals.h"
#include "driver/live_atomic_write.h"
#include "driver/track_names.h"
#include "filters/filters.h"
#include "platform/image/image.h"
#include "resources/static_resources.h"
#include "scenes/assets.h"
#include "sync/track_file.h"
#include "tracktool/timeline_text.h"

namespace live {
namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxSourceBytes = size_t{16} << 20;

bool ReadSource(const fs::path& file, std::string* text, std::string* error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        *error = file.string() + ": cannot be read";
        return false;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    *text = bytes.str();
    if (text->size() > kMaxSourceBytes) {
        *error = file.string() + ": larger than 16 MiB";
        return false;
    }
    return true;
}

bool IsProductionTrack(const std::string& name) {
    for (const char* known : driver::kTrackNames)
        if (name == known) return true;
    return false;
}

// Index of `relative` among the file entries of a ParameterList; -1 when absent.
long IndexIn(ParameterList list, const fs::path& relative) {
    for (long i = 0; list[2 * i] != nullptr; ++i)
        if (fs::path(list[2 * i]) == relative) return i;
    return -1;
}

// Times `work`, which fills the status.
template <class Work>
ReloadStatus Timed(Work work) {
    const auto start = std::chrono::steady_clock::now();
    ReloadStatus status = work();
    status.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return status;
}

ReloadStatus Failed(std::string what, std::string error) {
    return {std::move(what), 0.0, false, std::move(error)};
}

// The first line of a compiler's or loader's messages, plus how many more there were.
std::string Summary(const std::string& messages) {
    std::istringstream lines(messages);
    std::string first, line;
    int more = 0;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        if (first.empty())
            first = line;
        else
            ++more;
    }
    if (more > 0) first += " (+" + std::to_string(more) + " more lines)";
    return first;
}

}  // namespace

Reloader::Reloader(fs::path dataDir, fs::path contentDir, sync::Device& device,
                   std::function<std::string()> takeBoxes)
    : dataDir_(std::move(dataDir)),
      contentDir_(std::move(contentDir)),
      device_(device),
      takeBoxes_(std::move(takeBoxes)) {}

void Reloader::RememberWrite(const fs::path& file) {
    std::error_code ec;
    ownWrites_[file] = fs::last_write_time(file, ec);
}

bool Reloader::Apply(const fs::path& changed, ReloadStatus* status) {
    std::error_code ec;
    const auto own = ownWrites_.find(changed);
    if (own != ownWrites_.end() && own->second == fs::last_write_time(changed, ec)) return false;

    const fs::path inContent = changed.lexically_relative(contentDir_);
    if (!contentDir_.empty() && !inContent.empty() && *inContent.begin() != "..") {
        if (inContent == "timeline.txt") {
            *status = Timeline(changed);
            return true;
        }
        for (auto [registry, list] : {std::pair{&sceneEffects, SceneEffectFiles()},
                                      std::pair{&filterEffects, FilterEffectFiles()}}) {
            const long i = IndexIn(list, inContent);
            if (i < 0) continue;
            *status = EffectFile(*registry, static_cast<size_t>(i), changed, dataDir_ / inContent);
            return true;
        }
    }
    const fs::path inData = changed.lexically_relative(dataDir_);
    if (inData.empty() || *inData.begin() == "..") return false;
    return ApplyInData(inData, status);
}

bool Reloader::ApplyInData(const fs::path& relative, ReloadStatus* status) {
    const fs::path file = dataDir_ / relative;
    const std::string trackPrefix = fs::path(device_.baseName).filename().string() + "_";
    const std::string name = relative.filename().string();
    if (relative.parent_path() == fs::path(device_.baseName).parent_path() &&
        name.rfind(trackPrefix, 0) == 0 && relative.extension() == ".track") {
        const std::string track =
            name.substr(trackPrefix.size(), name.size() - trackPrefix.size() - 6);
        if (!IsProductionTrack(track)) return false;
        *status = TrackFile(track, file);
        return true;
    }
    for (auto [registry, list] : {std::pair{&sceneEffects, SceneEffectFiles()},
                                  std::pair{&filterEffects, FilterEffectFiles()}}) {
        if (const long i = IndexIn(list, relative); i >= 0) {
            *status = EffectFile(*registry, static_cast<size_t>(i), file, {});
            return true;
        }
    }
    if (const long i = IndexIn(SceneMeshFiles(), relative); i >= 0) {
        *status = MeshFile(static_cast<size_t>(i), file);
        return true;
    }
    if (const long i = IndexIn(SceneTextureFiles(), relative); i >= 0) {
        *status = ImageFile(static_cast<size_t>(i), file);
        return true;
    }
    return false;
}

ReloadStatus Reloader::Timeline(const fs::path& text) {
    return Timed([&] {
        const std::string what = text.filename().string();
        std::string source, error;
        if (!ReadSource(text, &source, &error)) return Failed(what, error);
        std::vector<tracktool::TimelineTrack> tracks;
        std::vector<std::string> errors;
        if (!tracktool::ParseTimeline(source, what, &tracks, &errors)) {
            std::string message = errors.empty() ? what + ": not compiled" : errors.front();
            if (errors.size() > 1)
                message += " (+" + std::to_string(errors.size() - 1) + " more errors)";
            return Failed(what, message);
        }
        std::error_code ec;
        fs::create_directories((dataDir_ / device_.baseName).parent_path(), ec);
        std::vector<PendingFile> files;
        for (const tracktool::TimelineTrack& t : tracks) {
            const fs::path target = dataDir_ / (device_.baseName + "_" + t.name + ".track");
            files.push_back({target, [&t](const std::string& path, std::string* why) {
                                 return sync::WriteTrackFile(path, t.track, why);
                             }});
        }
        if (!ReplaceFilesAtomically(files, &error)) return Failed(what, error);
        for (const PendingFile& f : files) RememberWrite(f.target);
        size_t used = 0;
        for (tracktool::TimelineTrack& t : tracks) {
            if (!IsProductionTrack(t.name)) continue;
            *device_.fetchTrack(t.name) = std::move(t.track);
            ++used;
        }
        return ReloadStatus{what + ": " + std::to_string(tracks.size()) + " tracks compiled, " +
                                std::to_string(used) + " in use",
                            0.0,
                            true,
                            {}};
    });
}

ReloadStatus Reloader::TrackFile(const std::string& name, const fs::path& file) {
    return Timed([&] {
        const std::string what = file.filename().string();
        sync::Track fresh;
        const sync::TrackFileReport report = sync::ReadTrackFile(file.string(), fresh);
        if (!report.opened) return Failed(what, what + ": cannot be opened");
        if (!report.problem.empty()) return Failed(what, what + ": " + report.problem);
        *device_.fetchTrack(name) = std::move(fresh);
        return ReloadStatus{what + ": " + std::to_string(report.keysRead) + " keys", 0.0, true, {}};
    });
}

ReloadStatus Reloader::EffectFile(Effect& registry, size_t index, const fs::path& file,
                                  const fs::path& copyTo) {
    return Timed([&] {
        const std::string what = file.filename().string();
        fx::Effect* effect = nullptr;
        std::string messages;
        const gfx::HRESULT result = Effect::Compile(file.c_str(), &effect, &messages);
        if (gfx::Failed(result) || effect == nullptr) {
            if (effect != nullptr) effect->Release();
            return Failed(what, messages.empty() ? what + ": the effect could not be created"
                                                 : Summary(messages));
        }
        if (fx::Effect* old = registry.Replace(index, effect)) old->Release();
        if (!copyTo.empty()) {
            std::string source, error;
            if (!ReadSource(file, &source, &error) ||
                !ReplaceFilesAtomically({{copyTo, BytesWriter(source)}}, &error))
                return Failed(what, "compiled and running, but not copied: " + error);
            RememberWrite(copyTo);
        }
        return ReloadStatus{what + ": compiled", 0.0, true, {}};
    });
}

ReloadStatus Reloader::MeshFile(size_t index, const fs::path& file) {
    return Timed([&] {
        const std::string what = file.filename().string();
        takeBoxes_();
        auto* mesh = new Mesh;
        mesh->LoadFromFile(file.c_str());
        if (mesh->IsEmpty()) {
            delete mesh;
            const std::string why = Summary(takeBoxes_());
            return Failed(what, what + ": " + (why.empty() ? "no triangles" : why));
        }
        if (Mesh* old = meshes.Replace(index, mesh)) {
            old->Release();
            delete old;
        }
        return ReloadStatus{
            what + ": " + std::to_string(mesh->triangleCount) + " triangles", 0.0, true, {}};
    });
}

ReloadStatus Reloader::ImageFile(size_t index, const fs::path& file) {
    return Timed([&] {
        const std::string what = file.filename().string();
        std::string why;
        if (!image::LoadFile(file.string(), &why)) return Failed(what, what + ": " + why);
        gfx::Texture* texture = nullptr;
        if (gfx::Failed(g_device->CreateTextureFromFile(file.c_str(), &texture)) ||
            texture == nullptr)
            return Failed(what, what + ": the texture could not be created");
        if (gfx::Texture* old = textures.Replace(index, texture)) old->Release();
        return ReloadStatus{what + ": reloaded", 0.0, true, {}};
    });
}

}  // namespace live
