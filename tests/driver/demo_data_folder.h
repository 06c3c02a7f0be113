// A data folder the demo can run in, built from scratch by a test: a short synthetic soundtrack,
// track files, a small cube for each pig mesh, four flat images and the content folder's effect
// files (VM_CONTENT_DIR names that folder).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/gfx/gfx.h"
#include "platform/ui/scripted_dialog.h"
#include "support/scratch_dir.h"

namespace demo_test {

struct TrackKey {
    uint32_t row;
    float value;
    int8_t kind;  // 0 step, 1 linear, 2 cosine, 3 quadratic
};

using Timeline = std::map<std::string, std::vector<TrackKey>>;  // track name -> keys

// Configures the platform for one headless demo run at width x height: an offscreen device whose
// presented frames go to frameSink, the dialog answered by dialog (which must outlive the run), no
// window messages, and the manual audio clock.
void ConfigureHeadlessDemo(uint32_t width, uint32_t height,
                           std::function<void(const gfx::Frame&)> frameSink,
                           ui::ScriptedDialog& dialog);

// Writes "<folder>/s/synced_<name>.track" for every track of the timeline.
void WriteTrackFiles(const std::filesystem::path& folder, const Timeline& timeline);

class DemoDataFolder {
  public:
    // A fresh folder under the system's temporary directory, removed again by the destructor.
    DemoDataFolder() = default;
    DemoDataFolder(const DemoDataFolder&) = delete;
    DemoDataFolder& operator=(const DemoDataFolder&) = delete;

    const std::filesystem::path& Path() const { return folder_.Path(); }

    // Soundtrack of the given length (a quiet sine), meshes, images and effects.
    void WriteAssets(double soundtrackSeconds);

  private:
    vmtest::ScratchDir folder_{"vessmark-demo"};
};

}  // namespace demo_test
