#include "driver/demo_data_folder.h"

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <fstream>
#include <stdexcept>

#include "audio/test_signal.h"
#include "driver/demo_main.h"
#include "driver/track_names.h"
#include "platform/audio/audio.h"
#include "platform/ui/scripted_dialog.h"
#include "platform/ui/ui.h"
#include "resources/mesh_file_builder.h"
#include "sync/track_bytes.h"

namespace demo_test {
namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    fs::create_directories(path.parent_path());
    if (!std::ofstream(path, std::ios::binary)
             .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())))
        throw std::runtime_error("cannot write " + path.string());
}

// A cube: 12 triangles over its 8 corners, each of position, normal (from the centre) and texture
// coordinate (format bits 7, stride 32), no keys.
void WriteCubeMesh(const fs::path& path) {
    MeshBytes cube;
    cube.Header(12, 8, 32, 7).Indices({0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                                       2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3});
    for (int v = 0; v < 8; ++v) {
        const float x = v & 1 ? 0.5f : -0.5f, y = v & 2 ? 0.5f : -0.5f, z = v & 4 ? 0.5f : -0.5f;
        const float n = 1.1547f;  // unit length
        cube.Floats({x, y, z, x * n, y * n, z * n, float(v & 1), float((v >> 1) & 1)});
    }
    WriteFile(path, cube.NoKeys().data);
}

// A 32 x 32 image: a vertical ramp of one colour, so a flipped picture is told apart.
void WriteImage(const fs::path& path, uint8_t r, uint8_t g, uint8_t b) {
    fs::create_directories(path.parent_path());
    const uint8_t colour[3] = {r, g, b};
    std::vector<uint8_t> rgb(32 * 32 * 3);
    for (size_t i = 0; i < rgb.size(); ++i)  // row i / 96
        rgb[i] = uint8_t(colour[i % 3] * (0.25f + 0.75f * float(i / 96) / 31));
    if (!(path.extension() == ".JPG" ? stbi_write_jpg(path.c_str(), 32, 32, 3, rgb.data(), 95)
                                     : stbi_write_png(path.c_str(), 32, 32, 3, rgb.data(), 32 * 3)))
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

void WriteTrackFiles(const fs::path& folder, Timeline timeline) {
    for (const char* name : driver::kTrackNames) timeline[name];
    for (const auto& [name, keys] : timeline) {
        TrackBytes bytes(static_cast<uint32_t>(keys.size()));
        for (const TrackKey& key : keys) bytes.Key(key.row, key.value, uint8_t(key.kind));
        WriteFile(folder / "s" / ("synced_" + name + ".track"), bytes.bytes);
    }
}

void DemoDataFolder::WriteAssets(double soundtrackSeconds) {
    fs::create_directories(Path() / "vessmark");
    WriteTestMp3((Path() / "vessmark/Tavrin Demo Laat - Vessmark part 2 skal brukes.mp3").string(),
                 static_cast<size_t>(soundtrackSeconds * 44100.0));
    for (const char* mesh :
         {"h.SCENEauge2_3.mesh", "gris.SCENEgrismesh_1.mesh", "gris.SCENEkjeft_0.mesh",
          "gris.SCENEnasabor_7.mesh", "gris.SCENEring_2.mesh", "gris.SCENEtann_8.mesh"})
        WriteCubeMesh(Path() / "vessmark" / "gris" / mesh);
    WriteImage(Path() / "vessmark" / "gris" / "augetext.JPG", 255, 255, 255);
    WriteImage(Path() / "vessmark" / "data" / "dama.png", 230, 60, 60);
    WriteImage(Path() / "vessmark" / "data" / "bg.png", 40, 60, 220);
    WriteImage(Path() / "vessmark" / "data" / "demo.png", 60, 220, 80);
    // The effect files the demo loads, from the content folder.
    for (const char* folder : {"DefaultFilters", "vessmark/shaders"})
        fs::copy(fs::path(VM_CONTENT_DIR) / folder, Path() / folder, fs::copy_options::recursive);
}

HeadlessRun RunHeadless(const DemoDataFolder& folder, uint32_t width, uint32_t height,
                        double framePeriod, std::function<void(const gfx::Frame&, int)> onFrame) {
    int frames = 0;
    const gfx::DisplayMode mode{width, height, 60, gfx::D3DFMT_X8R8G8B8};
    gfx::Configure({.provider = gfx::ContextProvider::Headless,
                    .frameSink =
                        [&](const gfx::Frame& frame) {
                            onFrame(frame, frames++);
                            audio::AdvanceManualClock(framePeriod);
                        },
                    .headlessModes = {mode},
                    .headlessDesktop = mode});
    ui::ScriptedDialog dialog;
    ui::Configure(
        {.headless = true, .dialog = dialog.Hook(), .peekMessage = [](ui::Msg*) { return false; }});
    audio::Configure({.manualClock = true});
    HeadlessRun run;
    testing::internal::CaptureStdout();
    {
        const vmtest::ScopedCurrentPath inFolder(folder.Path());
        run.exitCode = DemoMain();
    }
    run.out = testing::internal::GetCapturedStdout();
    gfx::Configure({});
    ui::Configure({});
    audio::Configure({});
    return run;
}

}  // namespace demo_test
