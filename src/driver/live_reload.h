// Hot reload of the running production, applied between two frames: the readable timeline
// (compiled in process, track files replaced atomically, new keys used from the next frame), track
// files written by other tools, effect files, meshes and images. A bad file keeps what runs and
// says why (file, line where known, message); nothing here shows a message box of its own.
//
// Paths: the data folder the demo runs in, and the content folder its sources came from. An effect
// saved in the content folder is compiled from there and, once it compiles, copied into the data
// folder; the data folder's own files are reloaded in place. Files this object writes itself are
// not reloaded again when the watcher reports them.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "resources/effect_registry.h"
#include "sync/device.h"

namespace live {

struct ReloadStatus {
    std::string what;  // the file and what became of it
    double milliseconds = 0.0;
    bool ok = true;
    std::string error;  // "file:line: message" or "file: message"
};

class Reloader {
  public:
    // takeBoxes: the message-box texts shown since its last call (the layers below report bad
    // meshes that way), emptied by the call.
    Reloader(std::filesystem::path dataDir, std::filesystem::path contentDir, sync::Device& device,
             std::function<std::string()> takeBoxes);

    // Reloads what a saved file is; false when the file is none of the production's sources (or
    // one this object wrote), with the status untouched.
    bool Apply(const std::filesystem::path& changed, ReloadStatus* status);

    ReloadStatus Timeline(const std::filesystem::path& text);
    ReloadStatus TrackFile(const std::string& name, const std::filesystem::path& file);
    // `copyTo` not empty: the compiled file's bytes replace that file too.
    ReloadStatus EffectFile(Effect& registry, size_t index, const std::filesystem::path& file,
                            const std::filesystem::path& copyTo);
    ReloadStatus MeshFile(size_t index, const std::filesystem::path& file);
    ReloadStatus ImageFile(size_t index, const std::filesystem::path& file);

  private:
    bool ApplyInData(const std::filesystem::path& relative, ReloadStatus* status);
    void RememberWrite(const std::filesystem::path& file);

    std::filesystem::path dataDir_;
    std::filesystem::path contentDir_;
    sync::Device& device_;
    std::function<std::string()> takeBoxes_;
    std::map<std::filesystem::path, std::filesystem::file_time_type> ownWrites_;
};

}  // namespace live
