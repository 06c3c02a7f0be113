// A data folder the demo can run in, built from scratch by a test: a short synthetic soundtrack,
// track files, a small cube for each pig mesh, four flat images and the content folder's effect
// files (VM_CONTENT_DIR names that folder); and one headless run of the demo in it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/gfx/gfx.h"
#include "support/scratch_dir.h"

namespace demo_test {

struct TrackKey {
    uint32_t row;
    float value;
    int8_t kind;  // 0 step, 1 linear, 2 cosine, 3 quadratic
};

using Timeline = std::map<std::string, std::vector<TrackKey>>;  // track name -> keys

// Writes "<folder>/s/synced_<name>.track" for every track the demo fetches: the timeline's keys,
// none for a track it leaves out (the value 0, and no box).
void WriteTrackFiles(const std::filesystem::path& folder, Timeline timeline);

class DemoDataFolder {
  public:
    const std::filesystem::path& Path() const { return folder_.Path(); }

    // Soundtrack of the given length (a quiet sine), meshes, images and effects.
    void WriteAssets(double soundtrackSeconds);

  private:
    vmtest::ScratchDir folder_{"vessmark-demo"};
};

struct HeadlessRun {
    int exitCode;
    std::string out;  // standard output
};

// Runs the demo once in folder on an offscreen width x height device, the dialog answered with its
// preselections (Run), no window messages: each presented frame goes to onFrame with its index and
// then moves the manual audio clock on by framePeriod seconds. The platform is reset afterwards.
HeadlessRun RunHeadless(const DemoDataFolder& folder, uint32_t width, uint32_t height,
                        double framePeriod, std::function<void(const gfx::Frame&, int)> onFrame);

}  // namespace demo_test
