// Writes the seed corpora of the fuzzers: small valid files of every format the demo reads (the
// fuzzers make the damaged ones themselves), under OUT/<fuzzer>/ (and an empty OUT/<fuzzer>-work/
// for what the fuzzer finds). Usage: make_seeds OUT [EFFECT_DIR]; every .fx file below EFFECT_DIR
// becomes an effect seed.
#include <stb/stb_image_write.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <tuple>
#include <vector>

#include "platform/audio/mp3_writer.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
void PutF(Bytes& b, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    Put32(b, v);
}
void Put16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void Write(const fs::path& p, const Bytes& b) {
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), b.size());
}
void Write(const fs::path& p, const std::string& s) {
    std::ofstream(p) << s;
}

Bytes Track(const std::vector<std::tuple<uint32_t, float, int8_t>>& keys) {
    Bytes b;
    Put32(b, uint32_t(keys.size()));
    for (auto [row, value, kind] : keys) {
        Put32(b, row);
        PutF(b, value);
        b.push_back(uint8_t(kind));
    }
    return b;
}

// A one-triangle mesh with position, normal and texture coordinate, and K keys per track.
Bytes Mesh(uint32_t keys) {
    Bytes b;
    Put32(b, 0);
    for (int i = 0; i < 16; ++i) PutF(b, i % 5 == 0 ? 1.0f : 0.0f);
    Put32(b, 0);
    Put32(b, 1);   // triangles
    Put32(b, 3);   // vertices
    Put32(b, 32);  // stride
    Put16(b, 7);   // position, normal, texture coordinate
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, 2);
    const float v[3][8] = {
        {0, 0, 0, 0, 0, -1, 0, 0}, {0, 1, 0, 0, 0, -1, 0, 1}, {1, 0, 0, 0, 0, -1, 1, 0}};
    for (auto& vert : v)
        for (float f : vert) PutF(b, f);
    b.push_back(0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, keys);
    auto block = [&](int floats) {
        if (keys == 0) Put32(b, 1);
        for (uint32_t k = 0; k < (keys ? keys : 1); ++k)
            for (int i = 0; i < floats; ++i) PutF(b, floats == 4 && i == 3 ? 1.0f : 0.5f);
    };
    block(3);
    block(4);
    block(3);
    return b;
}

const char* kEffect = R"(float4x4 matProjection;
float radius = 1.5;
float2 offset = {0.001, 0.002};
texture tex0;
sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Linear; };
struct VSOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };
VSOut VS(float3 p : POSITION, float2 uv : TEXCOORD0) {
    VSOut o; o.pos = mul(float4(p, 1), matProjection); o.uv = uv; return o;
}
float4 PS(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(s0, uv + offset * radius); }
technique T { pass p0 { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS();
  AlphaBlendEnable = false; CullMode = None; ZEnable = false; } }
)";

void ImageSeeds(const fs::path& dir) {
    std::vector<uint8_t> px(8 * 6 * 3);
    for (size_t i = 0; i < px.size(); ++i) px[i] = uint8_t(i * 37);
    stbi_write_png((dir / "small.png").c_str(), 8, 6, 3, px.data(), 8 * 3);
    stbi_write_jpg((dir / "small.jpg").c_str(), 8, 6, 3, px.data(), 80);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_seeds OUTDIR [EFFECT_DIR]\n");
        return 2;
    }
    const fs::path out = argv[1];
    for (const char* name : {"fuzz_track", "fuzz_mesh", "fuzz_effect", "fuzz_image", "fuzz_mp3",
                             "fuzz_baked_effect"}) {
        fs::create_directories(out / name);
        fs::create_directories(out / (std::string(name) + "-work"));
    }
    Write(out / "fuzz_track/empty.track", Track({}));
    Write(out / "fuzz_track/keys.track",
          Track({{0, 1.0f, 0}, {10, 2.0f, 1}, {20, 0.5f, 2}, {30, 3.0f, 3}}));
    Write(out / "fuzz_track/odd.track", Track({{20, 1.0f, -1}, {10, 2.0f, 7}, {10, 4.0f, 1}}));

    Write(out / "fuzz_mesh/keys1.mesh", Mesh(1));
    Write(out / "fuzz_mesh/keys0.mesh", Mesh(0));

    Write(out / "fuzz_effect/filter.fx", std::string(kEffect));
    if (argc == 3) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(argv[2], ec); !ec && it != fs::end(it);
             it.increment(ec)) {
            if (it->is_regular_file() && it->path().extension() == ".fx")
                fs::copy_file(it->path(), out / "fuzz_effect" / it->path().filename(),
                              fs::copy_options::overwrite_existing, ec);
        }
    }

    ImageSeeds(out / "fuzz_image");

    std::vector<float> tone(44100 / 4 * 2);
    for (size_t i = 0; i < tone.size() / 2; ++i)
        tone[2 * i] = tone[2 * i + 1] = 0.3f * std::sin(float(i) * 0.0627f);
    std::string error;
    if (!audio::WriteMp3((out / "fuzz_mp3/tone.mp3").c_str(), tone.data(), tone.size() / 2, 44100,
                         &error)) {
        std::fprintf(stderr, "make_seeds: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
