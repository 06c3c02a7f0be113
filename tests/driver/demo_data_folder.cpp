#include "driver/demo_data_folder.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

#include <stb/stb_image_write.h>

#include "platform/audio/mp3_writer.h"

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
    Put<uint32_t>(out, 0);                               // K = 0: each block has its own count
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

// ---- Stand-in effects ---------------------------------------------------------------------------

constexpr const char* kQuadHeader = R"(
float4x4 matProjection;
texture tex0;
sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Linear;
                               AddressU = Clamp; AddressV = Clamp; };
struct QuadOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };
QuadOut QuadVS(float3 pos : POSITION, float2 uv : TEXCOORD0) {
    QuadOut o;
    o.pos = mul(float4(pos, 1), matProjection);
    o.uv = uv;
    return o;
}
)";

std::string OnePass(const char* pixelShader) {
    return std::string("technique Main { pass P0 { VertexShader = compile vs_3_0 QuadVS(); "
                       "PixelShader = compile ps_3_0 ") +
           pixelShader + "(); } }\n";
}

const std::map<std::string, std::string>& StandInEffects() {
    static const std::map<std::string, std::string> effects = {
        {"DefaultFilters/DefaultFilter.fx",
         std::string(kQuadHeader) + "float4 Copy(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(s0, uv); }\n" +
             OnePass("Copy")},
        {"DefaultFilters/Guassian.fx",
         std::string(kQuadHeader) +
             "float2 offset = float2(0.001, 0.001);\nfloat radius = 1.0;\n"
             "float4 Soft(float2 uv : TEXCOORD0) : COLOR0 {\n"
             "  float2 d = offset * radius;\n"
             "  return 0.25 * (tex2D(s0, uv + d) + tex2D(s0, uv - d) + tex2D(s0, uv + float2(d.x, -d.y)) +\n"
             "                 tex2D(s0, uv + float2(-d.x, d.y)));\n}\n" +
             OnePass("Soft")},
        {"DefaultFilters/NearestEdge.fx",
         std::string(kQuadHeader) +
             "float2 offset = float2(0.001, 0.001);\nfloat power = 1.0;\n"
             "float4 Edge(float2 uv : TEXCOORD0) : COLOR0 {\n"
             "  float4 c = tex2D(s0, uv);\n"
             "  return c + power * abs(c - tex2D(s0, uv + offset));\n}\n" +
             OnePass("Edge")},
        {"DefaultFilters/BlurFilter.fx",
         std::string(kQuadHeader) +
             "texture tex1;\nsampler2D s1 = sampler_state { Texture = <tex1>; MinFilter = Linear; "
             "MagFilter = Linear; AddressU = Clamp; AddressV = Clamp; };\nfloat radius = 1.0;\n"
             "float4 Mix(float2 uv : TEXCOORD0) : COLOR0 { return lerp(tex2D(s0, uv), tex2D(s1, uv), 0.5); }\n"
             "float4 Add(float2 uv : TEXCOORD0) : COLOR0 { return tex2D(s0, uv) + 0.5 * tex2D(s1, uv); }\n"
             "float4 Glow(float2 uv : TEXCOORD0) : COLOR0 { return max(tex2D(s0, uv), tex2D(s1, uv)); }\n"
             "technique Main {\n"
             " pass P0 { VertexShader = compile vs_3_0 QuadVS(); PixelShader = compile ps_3_0 Mix(); }\n"
             " pass P1 { VertexShader = compile vs_3_0 QuadVS(); PixelShader = compile ps_3_0 Add(); }\n"
             " pass P2 { VertexShader = compile vs_3_0 QuadVS(); PixelShader = compile ps_3_0 Glow(); }\n"
             "}\n"},
        {"DefaultFilters/color.fx",
         std::string(kQuadHeader) +
             "float4 Line(float2 uv : TEXCOORD0) : COLOR0 { return float4(1, 1, 1, 1); }\n" +
             OnePass("Line")},
        {"vessmark/shaders/pig.fx",
         R"(float4x4 matWorldViewProjection;
float4x4 matWorldView;
float4x4 matWorld;
float3 CameraPosition;
float4 DiffuseColor;
float FogEnd = 100.0;
float FadeEnd = 200.0;
texture tex0;
sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Linear; };
struct PigOut { float4 pos : POSITION; float2 uv : TEXCOORD0; float3 normal : TEXCOORD1; float depth : TEXCOORD2; };
PigOut PigVS(float3 pos : POSITION, float3 normal : NORMAL, float2 uv : TEXCOORD0) {
    PigOut o;
    o.pos = mul(float4(pos, 1), matWorldViewProjection);
    o.uv = uv;
    o.normal = mul(float4(normal, 0), matWorld).xyz;
    o.depth = mul(float4(pos, 1), matWorldView).z;
    return o;
}
float4 Body(PigOut i) : COLOR0 { return float4(DiffuseColor.rgb * (0.5 + 0.5 * abs(normalize(i.normal).y)), 1); }
float4 Eyes(PigOut i) : COLOR0 { return float4(tex2D(s0, i.uv).rgb + DiffuseColor.rgb, 1); }
float4 BodyFog(PigOut i) : COLOR0 { return float4(lerp(DiffuseColor.rgb, float3(0.2, 0.2, 0.3), saturate(i.depth / max(FogEnd, 1.0))), 1); }
float4 EyesFog(PigOut i) : COLOR0 { return float4(lerp(tex2D(s0, i.uv).rgb, float3(0.2, 0.2, 0.3), saturate(i.depth / FadeEnd)), 1); }
technique Main {
 pass P0 { VertexShader = compile vs_3_0 PigVS(); PixelShader = compile ps_3_0 Body(); }
 pass P1 { VertexShader = compile vs_3_0 PigVS(); PixelShader = compile ps_3_0 Eyes(); }
 pass P2 { VertexShader = compile vs_3_0 PigVS(); PixelShader = compile ps_3_0 BodyFog(); }
 pass P3 { VertexShader = compile vs_3_0 PigVS(); PixelShader = compile ps_3_0 EyesFog(); }
}
)"},
        {"vessmark/shaders/floor.fx",
         R"(float4x4 matWorldViewProjection;
float4 FloorVS(float3 pos : POSITION) : POSITION { return mul(float4(pos, 1), matWorldViewProjection); }
float4 FloorPS() : COLOR0 { return float4(0.3, 0.5, 0.7, 0.5); }
technique Main { pass P0 { VertexShader = compile vs_3_0 FloorVS(); PixelShader = compile ps_3_0 FloorPS(); } }
)"},
        {"vessmark/shaders/texture.fx",
         R"(float4x4 matWorldViewProjection;
float alpha = 1.0;
texture tex0;
sampler2D s0 = sampler_state { Texture = <tex0>; MinFilter = Linear; MagFilter = Linear; };
struct ImageOut { float4 pos : POSITION; float2 uv : TEXCOORD0; };
ImageOut ImageVS(float3 pos : POSITION, float2 uv : TEXCOORD0) {
    ImageOut o;
    o.pos = mul(float4(pos, 1), matWorldViewProjection);
    o.uv = uv;
    return o;
}
float4 ImagePS(float2 uv : TEXCOORD0) : COLOR0 { return float4(tex2D(s0, uv).rgb, 0.5 + 0.5 * alpha); }
technique Main { pass P0 { VertexShader = compile vs_3_0 ImageVS(); PixelShader = compile ps_3_0 ImagePS(); } }
)"},
    };
    return effects;
}

// The content folder's copy of an effect file, found by its file name anywhere below the folder.
fs::path FindContentEffect(const std::string& relative) {
#ifdef VM_CONTENT_DIR
    const fs::path root(VM_CONTENT_DIR);
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return {};
    const fs::path exact = root / relative;
    if (fs::is_regular_file(exact, ec)) return exact;
    const std::string name = fs::path(relative).filename().string();
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        if (it->is_regular_file() && it->path().filename() == name) return it->path();
    }
#else
    (void)relative;
#endif
    return {};
}

void WriteEffects(const fs::path& folder) {
    std::ofstream used = OpenForWriting(folder / "content-effects-used.txt");
    for (const auto& [relative, standIn] : StandInEffects()) {
        const fs::path target = folder / relative;
        fs::create_directories(target.parent_path());
        const fs::path content = FindContentEffect(relative);
        if (!content.empty()) {
            fs::copy_file(content, target, fs::copy_options::overwrite_existing);
            used << relative << "\n";
        } else {
            OpenForWriting(target) << standIn;
        }
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

DemoDataFolder::DemoDataFolder() {
    std::string pattern = (fs::temp_directory_path() / "vessmark-demo-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

DemoDataFolder::~DemoDataFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void DemoDataFolder::WriteAssets(double soundtrackSeconds) {
    WriteSoundtrack(path_ / "vessmark" / "Tavrin Demo Laat - Vessmark part 2 skal brukes.mp3",
                    soundtrackSeconds);
    for (const char* mesh : {"h.SCENEauge2_3.mesh", "gris.SCENEgrismesh_1.mesh",
                             "gris.SCENEkjeft_0.mesh", "gris.SCENEnasabor_7.mesh",
                             "gris.SCENEring_2.mesh", "gris.SCENEtann_8.mesh"})
        WriteCubeMesh(path_ / "vessmark" / "gris" / mesh);
    WriteImage(path_ / "vessmark" / "gris" / "augetext.JPG", 255, 255, 255);
    WriteImage(path_ / "vessmark" / "data" / "dama.png", 230, 60, 60);
    WriteImage(path_ / "vessmark" / "data" / "bg.png", 40, 60, 220);
    WriteImage(path_ / "vessmark" / "data" / "demo.png", 60, 220, 80);
    WriteEffects(path_);
}

std::vector<std::string> ContentEffectsUsed(const fs::path& folder) {
    std::vector<std::string> used;
    std::ifstream in(folder / "content-effects-used.txt");
    for (std::string line; std::getline(in, line);) used.push_back(line);
    return used;
}

}  // namespace demo_test
