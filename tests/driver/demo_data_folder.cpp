#include "driver/demo_data_folder.h"

#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include "platform/audio/audio.h"
#include "platform/audio/mp3_writer.h"
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

// A unit cube as a mesh file: 12 triangles, 24 vertices of position, normal and texture
// coordinate (format bits 7, stride 32), no keys.
void WriteCubeMesh(const fs::path& path) {
    std::ofstream out = OpenForWriting(path);
    Put<uint32_t>(out, 0);
    for (int i = 0; i < 16; ++i) Put<float>(out, i % 5 == 0 ? 1.0f : 0.0f);
    Put<uint32_t>(out, 0);
    Put<uint32_t>(out, 12);  // triangles
    Put<uint32_t>(out, 24);  // vertices
    Put<uint32_t>(out, 32);  // stride
    Put<uint16_t>(out, 7);   // position, normal, texture coordinate
    for (uint16_t face = 0; face < 6; ++face) {
        const uint16_t b = face * 4;
        for (uint16_t index : {b, uint16_t(b + 1), uint16_t(b + 2), uint16_t(b + 2),
                               uint16_t(b + 1), uint16_t(b + 3)})
            Put<uint16_t>(out, index);
    }
    for (int face = 0; face < 6; ++face) {
        const int axis = face / 2;
        const float sign = face % 2 == 0 ? 1.0f : -1.0f;
        for (int corner = 0; corner < 4; ++corner) {
            float p[3];
            const float u = corner & 1 ? 0.5f : -0.5f;
            const float v = corner & 2 ? 0.5f : -0.5f;
            p[axis] = 0.5f * sign;
            p[(axis + 1) % 3] = u * sign;
            p[(axis + 2) % 3] = v;
            float n[3] = {0, 0, 0};
            n[axis] = sign;
            for (float c : p) Put<float>(out, c);
            for (float c : n) Put<float>(out, c);
            Put<float>(out, corner & 1 ? 1.0f : 0.0f);
            Put<float>(out, corner & 2 ? 1.0f : 0.0f);
        }
    }
    Put<uint8_t>(out, 0);
    for (int i = 0; i < 3; ++i) Put<uint32_t>(out, 0);
    Put<uint32_t>(out, 0);                              // K = 0: each block has its own count
    for (int i = 0; i < 3; ++i) Put<uint32_t>(out, 0);  // no position, rotation or scale keys
}

// A 32 x 32 image: a vertical ramp of one colour, so a flipped picture is told apart.
void WriteImage(const fs::path& path, uint8_t r, uint8_t g, uint8_t b) {
    fs::create_directories(path.parent_path());
    constexpr int kSize = 32;
    std::vector<uint8_t> rgb(kSize * kSize * 3);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
            uint8_t* px = &rgb[(y * kSize + x) * 3];
            const float k = 0.25f + 0.75f * static_cast<float>(y) / (kSize - 1);
            px[0] = static_cast<uint8_t>(r * k);
            px[1] = static_cast<uint8_t>(g * k);
            px[2] = static_cast<uint8_t>(b * k);
        }
    const std::string ext = path.extension().string();
    const int ok = (ext == ".JPG" || ext == ".jpg")
                       ? stbi_write_jpg(path.c_str(), kSize, kSize, 3, rgb.data(), 95)
                       : stbi_write_png(path.c_str(), kSize, kSize, 3, rgb.data(), kSize * 3);
    if (!ok) throw std::runtime_error("cannot write " + path.string());
}

void WriteSoundtrack(const fs::path& path, double seconds) {
    fs::create_directories(path.parent_path());
    const size_t frames = static_cast<size_t>(seconds * 44100.0);
    std::vector<float> samples(frames * 2);
    for (size_t i = 0; i < frames; ++i) {
        const float s = 0.2f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * i / 44100.0));
        samples[2 * i] = samples[2 * i + 1] = s;
    }
    std::string error;
    if (!audio::WriteMp3(path.c_str(), samples.data(), frames, 44100, &error))
        throw std::runtime_error("cannot write the soundtrack: " + error);
}

// The effect files the demo loads, copied from the content folder.
void WriteEffects(const fs::path& folder) {
    for (const char* relative : {"DefaultFilters/DefaultFilter.fx", "DefaultFilters/Guassian.fx",
                                 "DefaultFilters/NearestEdge.fx", "DefaultFilters/BlurFilter.fx",
                                 "DefaultFilters/color.fx", "vessmark/shaders/pig.fx",
                                 "vessmark/shaders/floor.fx", "vessmark/shaders/texture.fx"}) {
        const fs::path source = fs::path(VM_CONTENT_DIR) / relative;
        const fs::path target = folder / relative;
        fs::create_directories(target.parent_path());
        if (!fs::is_regular_file(source))
            throw std::runtime_error("no effect file " + source.string());
        fs::copy_file(source, target, fs::copy_options::overwrite_existing);
    }
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
    WriteSoundtrack(Path() / "vessmark" / "Tavrin Demo Laat - Vessmark part 2 skal brukes.mp3",
                    soundtrackSeconds);
    for (const char* mesh :
         {"h.SCENEauge2_3.mesh", "gris.SCENEgrismesh_1.mesh", "gris.SCENEkjeft_0.mesh",
          "gris.SCENEnasabor_7.mesh", "gris.SCENEring_2.mesh", "gris.SCENEtann_8.mesh"})
        WriteCubeMesh(Path() / "vessmark" / "gris" / mesh);
    WriteImage(Path() / "vessmark" / "gris" / "augetext.JPG", 255, 255, 255);
    WriteImage(Path() / "vessmark" / "data" / "dama.png", 230, 60, 60);
    WriteImage(Path() / "vessmark" / "data" / "bg.png", 40, 60, 220);
    WriteImage(Path() / "vessmark" / "data" / "demo.png", 60, 220, 80);
    WriteEffects(Path());
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
