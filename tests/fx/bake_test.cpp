// Baked effects without OpenGL: every effect of the production bakes and reads back as the
// description compiling gives; failures keep their result and messages; damaged files are refused
// with a reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/fx/fx_bake.h"
#include "platform/fx/fx_baker.h"
#include "platform/gfx/gl_bridge.h"
#include "support/scratch_dir.h"

namespace {

using namespace fx::detail;
namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> ProductionEffects() {
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(VM_CONTENT_DIR))
        if (entry.path().extension() == ".fx") found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

bool Compile(const fs::path& path, GlslFlavour flavour, CompiledEffect* out) {
    std::vector<Diagnostic> errors;
    const bool ok = CompileEffectSource(path.string(), ReadText(path), gfx::gl::AttributeLocation,
                                        out, &errors, flavour);
    EXPECT_TRUE(ok) << path << ": " << (errors.empty() ? "" : errors[0].text);
    return ok;
}

int StageIndex(const CompiledEffect& e, const CompiledStage* stage) {
    for (size_t i = 0; i < e.stages.size(); ++i)
        if (e.stages[i].get() == stage) return int(i);
    return -1;
}

// Everything the effect layer uses at run time (the pre-pass's HLSL text and function list are
// for compiling only).
void ExpectSameDescription(const CompiledEffect& got, const CompiledEffect& want,
                           const std::string& what) {
    EXPECT_EQ(got.prepass.parameters, want.prepass.parameters) << what;
    EXPECT_EQ(got.prepass.textures, want.prepass.textures) << what;
    EXPECT_EQ(got.prepass.samplers, want.prepass.samplers) << what;
    EXPECT_EQ(got.prepass.techniques, want.prepass.techniques) << what;
    EXPECT_EQ(got.warnings, want.warnings) << what;
    EXPECT_TRUE(got.parameters == want.parameters) << what << ": parameter table";
    ASSERT_EQ(got.stages.size(), want.stages.size()) << what;
    for (size_t i = 0; i < got.stages.size(); ++i)
        EXPECT_TRUE(*got.stages[i] == *want.stages[i]) << what << ": stage " << i;
    ASSERT_EQ(got.techniques.size(), want.techniques.size()) << what;
    for (size_t t = 0; t < got.techniques.size(); ++t) {
        ASSERT_EQ(got.techniques[t].size(), want.techniques[t].size()) << what;
        for (size_t p = 0; p < got.techniques[t].size(); ++p) {
            const CompiledPass &a = got.techniques[t][p], &b = want.techniques[t][p];
            EXPECT_EQ(a.decl, &got.prepass.techniques[t].passes[p]) << what;
            EXPECT_EQ(StageIndex(got, a.vertex), StageIndex(want, b.vertex)) << what;
            EXPECT_EQ(StageIndex(got, a.pixel), StageIndex(want, b.pixel)) << what;
            EXPECT_EQ(a.samplers, b.samplers) << what;
        }
    }
}

TEST(BakedEffect, EveryProductionEffectReadsBackAsCompilingDescribesIt) {
    const std::vector<fs::path> effects = ProductionEffects();
    ASSERT_GE(effects.size(), 2u);
    for (const fs::path& path : effects) {
        const std::string what = path.filename().string();
        CompiledEffect es, desktop;
        ASSERT_TRUE(Compile(path, GlslFlavour::Es, &es) &&
                    Compile(path, GlslFlavour::Desktop, &desktop));
        const std::string bytes = WriteBakedEffect(gfx::D3D_OK, {}, &es);
        EXPECT_EQ(fx::BakeEffectFile(path.string()).bytes, bytes) << what;
        BakedEffect baked;
        std::string reason;
        ASSERT_TRUE(ReadBakedEffect(bytes, &baked, &reason)) << what << ": " << reason;
        EXPECT_EQ(baked.result, gfx::D3D_OK);
        ExpectSameDescription(baked.effect, es, what);

        // The flavour changes the GLSL and nothing else: same parameters, layouts, varyings.
        ASSERT_EQ(es.stages.size(), desktop.stages.size());
        EXPECT_TRUE(es.parameters == desktop.parameters) << what;
        for (size_t i = 0; i < es.stages.size(); ++i) {
            CompiledStage esStage = *es.stages[i];
            EXPECT_EQ(esStage.glsl.rfind("#version 300 es\n", 0), 0u) << what;
            EXPECT_EQ(desktop.stages[i]->glsl.rfind("#version 330\n", 0), 0u) << what;
            esStage.glsl = desktop.stages[i]->glsl;
            EXPECT_TRUE(esStage == *desktop.stages[i]) << what << ": stage " << i;
        }
        // The vertex stages turn y over and map depth to -1..1 themselves; the desktop ones don't.
        for (const auto& technique : es.techniques) {
            for (const CompiledPass& pass : technique) {
                EXPECT_NE(pass.vertex->glsl.find("gl_Position.y = -gl_Position.y;"),
                          std::string::npos);
                EXPECT_NE(
                    pass.vertex->glsl.find("gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;"),
                    std::string::npos);
            }
        }
        for (const auto& stage : desktop.stages)
            EXPECT_EQ(stage->glsl.find("gl_Position.y = -"), std::string::npos);
    }
}

// A failure keeps the result and located messages loading the effect gives; the layout is pinned
// (little-endian words, strings as length and bytes).
TEST(BakedEffect, FailuresBakeIntoTheirResultAndMessages) {
    const std::string golden = std::string("VMFXBAKE") + std::string("\2\0\0\0", 4) +
                               std::string("\x05\x40\x00\x80", 4) + std::string("\x0c\0\0\0", 4) +
                               "no such file";
    EXPECT_EQ(WriteBakedEffect(gfx::E_FAIL, "no such file", nullptr), golden);

    vmtest::ScratchDir dir("vm-bake");
    const struct {
        std::string path;
        gfx::HRESULT result;
        std::string messages;
    } cases[] = {
        {dir.File("absent.fx"), gfx::E_FAIL, "(1,1): error: cannot open the file\n"},
        {dir.Write("binary.fx", std::string("fx\0", 3)), gfx::D3DXERR_INVALIDDATA,
         "(1,1): error: not a text file\n"},
        {dir.Write("entry.fx",
                   "float4 PS() : COLOR { return 1; }\n"
                   "technique T { pass P { PixelShader = compile ps_2_0 Nope(); } }\n"),
         gfx::D3DXERR_INVALIDDATA, "(2,"},
    };
    for (const auto& c : cases) {
        const fx::BakedFile file = fx::BakeEffectFile(c.path);
        EXPECT_EQ(file.result, c.result) << c.path;
        EXPECT_EQ(file.messages.rfind(c.path + c.messages, 0), 0u) << file.messages;
        BakedEffect baked;
        std::string reason;
        ASSERT_TRUE(ReadBakedEffect(file.bytes, &baked, &reason)) << reason;
        EXPECT_EQ(baked.result, c.result);
        EXPECT_EQ(baked.messages, file.messages);
        EXPECT_TRUE(baked.effect.techniques.empty());
    }
}

TEST(BakedEffect, DamagedFilesAreRefusedWithAReason) {
    const fs::path source = fs::path(VM_CONTENT_DIR) / "DefaultFilters" / "BlurFilter.fx";
    const std::string good = fx::BakeEffectFile(source.string()).bytes;
    ASSERT_GT(good.size(), 100u);
    auto with = [&](size_t offset, std::string_view bytes) {
        std::string damaged = good;
        damaged.replace(offset, bytes.size(), bytes);
        return damaged;
    };
    const struct {
        std::string bytes;
        const char* reason;
    } cases[] = {
        {"", "not a baked effect"},
        {with(0, "VMFXBAKF"), "not a baked effect"},
        {with(8, std::string("\3\0\0\0", 4)), "a baked effect of another version"},
        {with(12, std::string("\5\0\0\x80", 4)), "the result and the messages disagree"},
        {with(20, "\xFF\xFF\xFF\xFF"), "a count runs past the end"},
        // The last pass's last unit reads device stage 16, one past the last.
        {with(good.size() - 8, std::string("\x10\0\0\0", 4)), "an index is out of range"},
        {good + '\0', "bytes follow the end"},
        {good.substr(0, 22), "the file ends early"},
        {good.substr(0, good.size() - 1), "the file ends early"},
        {std::string(kMaxBakedBytes + 1, '\0'), "the file is too large for a baked effect"},
    };
    for (const auto& c : cases) {
        BakedEffect baked;
        baked.result = gfx::E_FAIL;
        std::string reason;
        EXPECT_FALSE(ReadBakedEffect(c.bytes, &baked, &reason)) << c.reason;
        EXPECT_EQ(reason.rfind(c.reason, 0), 0u) << c.reason << " / " << reason;
        EXPECT_EQ(baked.result, gfx::D3D_OK) << "nothing half-read is left";
        EXPECT_TRUE(baked.effect.stages.empty());
    }
    // Cut anywhere, the file is refused, never misread.
    for (size_t length = 0; length < good.size(); ++length) {
        BakedEffect baked;
        std::string reason;
        ASSERT_FALSE(ReadBakedEffect(std::string_view(good).substr(0, length), &baked, &reason))
            << length;
    }
}

}  // namespace
