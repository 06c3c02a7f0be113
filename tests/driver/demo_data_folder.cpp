#include "driver/demo_data_folder.h"

#include <stb/stb_image_write.h>

#include <fstream>
#include <stdexcept>

#include "audio/test_signal.h"
#include "platform/audio/audio.h"
#include "platform/ui/ui.h"

namespace demo_test {
namespace fs = std::filesystem;

namespace {

template <typename T>
void Put(std::ofstream& out, T value) {
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

std::ofstream OpenForWriting(const fs::path& path) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    if (!out) throw std::runtime_error("cannot write " + path.string());
    return out;
}

// A cube as a mesh file: 12 triangles over its 8 corners, each of position, normal (from the
// centre) and texture coordinate (format bits 7, stride 32), no keys.
void WriteCubeMesh(const fs::path& path) {
    std::ofstream out = OpenForWriting(path);
    Put<uint32_t>(out, 0);
    for (int i = 0; i < 16; ++i) Put<float>(out, i % 5 == 0 ? 1.0f : 0.0f);  // identity
    for (uint32_t v : {0u, 12u, 8u, 32u}) Put<uint32_t>(out, v);  // -, triangles, vertices, stride
    Put<uint16_t>(out, 7);
    for (uint16_t i : {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                       2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3})
        Put<uint16_t>(out, i);
    for (int v = 0; v < 8; ++v) {
        const float p[3] = {v & 1 ? 0.5f : -0.5f, v & 2 ? 0.5f : -0.5f, v & 4 ? 0.5f : -0.5f};
        for (float c : p) Put<float>(out, c);
        for (float c : p) Put<float>(out, c * 1.1547f);  // unit length
        Put<float>(out, v & 1 ? 1.0f : 0.0f);
        Put<float>(out, v & 2 ? 1.0f : 0.0f);
    }
    Put<uint8_t>(out, 0);
    for (int i = 0; i < 3; ++i) Put<uint32_t>(out, 0);
    Put<uint32_t>(out, 0);                              // K = 0: each block has its own count
    for (int i = 0; i < 3; ++i) Put<uint32_t>(out, 0);  // no position, rotation or scale keys
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

void WriteTrackFiles(const fs::path& folder, const Timeline& timeline) {
    for (const auto& [name, keys] : timeline) {
        std::ofstream out = OpenForWriting(folder / "s" / ("synced_" + name + ".track"));
        Put<uint32_t>(out, static_cast<uint32_t>(keys.size()));
        for (const TrackKey& key : keys) {
            Put<uint32_t>(out, key.row);
            Put<float>(out, key.value);
            Put<int8_t>(out, key.kind);
        }
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

void ConfigureHeadlessDemo(uint32_t width, uint32_t height,
                           std::function<void(const gfx::Frame&)> frameSink,
                           ui::ScriptedDialog& dialog) {
    gfx::Config gfxConfig;
    gfxConfig.provider = gfx::ContextProvider::Headless;
    gfxConfig.headlessModes = {{width, height, 60, gfx::D3DFMT_X8R8G8B8}};
    gfxConfig.headlessDesktop = {width, height, 60, gfx::D3DFMT_X8R8G8B8};
    gfxConfig.frameSink = std::move(frameSink);
    gfx::Configure(gfxConfig);

    ui::Config uiConfig;
    uiConfig.headless = true;
    uiConfig.dialog = dialog.Hook();
    uiConfig.peekMessage = [](ui::Msg*) { return false; };
    ui::Configure(uiConfig);

    audio::Config audioConfig;
    audioConfig.manualClock = true;
    audio::Configure(audioConfig);
}

}  // namespace demo_test
