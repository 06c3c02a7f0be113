// Writes the seed corpora of the fuzzers: small valid files of every format the demo reads (the
// fuzzers make the damaged ones themselves), under OUT/<fuzzer>/ (and an empty OUT/<fuzzer>-work/
// for what the fuzzer finds). Usage: make_seeds OUT EFFECT_DIR; every .fx file below EFFECT_DIR
// becomes an effect seed.
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "mesh_writer.h"
#include "platform/audio/mp3_writer.h"
#include "sync/track_file.h"

namespace fs = std::filesystem;

namespace {

// One triangle with position, normal and texture coordinate (all zero); one key of each kind, or
// two scales (each block then carries its own count).
std::vector<uint8_t> Mesh(size_t scales) {
    meshfile::MeshFile m{1, 3, 32, 7, {0, 1, 2}, std::vector<uint8_t>(96), {{}}, {{}}, {}};
    m.scaleKeys.resize(scales, {1, 1, 1});
    return meshfile::SerializeMeshFile(m);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds OUTDIR EFFECT_DIR\n");
        return 2;
    }
    const fs::path out = argv[1];
    for (const char* name : {"fuzz_track", "fuzz_mesh", "fuzz_effect", "fuzz_image", "fuzz_mp3",
                             "fuzz_baked_effect"}) {
        fs::create_directories(out / name);
        fs::create_directories(out / (std::string(name) + "-work"));
    }
    std::string error;
    sync::Track track;
    bool ok = sync::WriteTrackFile(out / "fuzz_track/empty.track", track, &error);
    for (int kind = 0; kind < 4; ++kind) track.setKey(uint32_t(kind * 10), {float(kind), kind});
    ok = ok && sync::WriteTrackFile(out / "fuzz_track/keys.track", track, &error);

    for (size_t scales : {1, 2}) {
        const auto bytes = Mesh(scales);
        std::ofstream(out / "fuzz_mesh" / ("keys" + std::to_string(scales) + ".mesh"),
                      std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }

    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(argv[2], ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (it->is_regular_file() && it->path().extension() == ".fx")
            fs::copy_file(it->path(), out / "fuzz_effect" / it->path().filename(),
                          fs::copy_options::overwrite_existing, ec);
    }

    std::vector<uint8_t> px(8 * 6 * 3);
    for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 37);
    stbi_write_png((out / "fuzz_image/small.png").c_str(), 8, 6, 3, px.data(), 8 * 3);
    stbi_write_jpg((out / "fuzz_image/small.jpg").c_str(), 8, 6, 3, px.data(), 80);

    std::vector<float> tone(44100 / 4 * 2);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = 0.3f * std::sin(float(i / 2) * 0.0627f);
    ok = ok && audio::WriteMp3((out / "fuzz_mp3/tone.mp3").c_str(), tone.data(), tone.size() / 2,
                               44100, &error);
    if (!ok) std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
    return ok ? 0 : 1;
}
