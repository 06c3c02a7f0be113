// vessmark-fxbake over a small production: every effect file gets its baked file (a broken one
// too, recording its failure), messages name effects as the demo does (relative to the production
// folder), and only usage and write problems fail the run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/fx/fx_bake.h"
#include "support/scratch_dir.h"
#include "support/shell.h"

namespace {

namespace fs = std::filesystem;
using testsupport::Shell;

std::string Bake(const std::string& args) {
    const auto r = Shell("'" VM_FXBAKE_EXE "' " + args);
    return std::to_string(r.code) + "\n" + r.output;
}

TEST(FxBakeTool, BakesEveryEffectAndKeepsBrokenOnesAsTheirFailure) {
    vmtest::ScratchDir dir("vm-fxbake");
    const std::string good =
        "float4 VS(float4 p : POSITION) : POSITION { return p; }\n"
        "float4 PS() : COLOR { return 1; }\n"
        "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 "
        "PS(); } }\n";
    dir.Write("prod/b/good.fx", good);
    dir.Write("prod/a.fx",
              "float4 PS() : COLOR { return 1; }\n"
              "technique T { pass P { PixelShader = compile ps_2_0 Nope(); } }\n");
    dir.Write("prod/notes.txt", "not an effect");
    const fs::path prod = dir.Path() / "prod", out = dir.Path() / "out";

    EXPECT_EQ(Bake("--out '" + out.string() + "' '" + prod.string() + "'"),
              "0\na.fx: baked as failing to load\n"
              "a.fx(2,53): error: entry point 'Nope' not found\n"
              "b/good.fx: baked\nfxbake: 2 effects\n");
    for (const char* baked : {"a.fx.baked", "b/good.fx.baked"}) {
        fx::detail::BakedEffect effect;
        std::string reason, bytes;
        std::ifstream in(out / baked, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        EXPECT_TRUE(fx::detail::ReadBakedEffect(bytes, &effect, &reason)) << baked << reason;
    }
    EXPECT_FALSE(fs::exists(out / "notes.txt.baked"));
    // Without --out the baked files go beside the effects.
    EXPECT_EQ(Bake("'" + prod.string() + "'").substr(0, 2), "0\n");
    EXPECT_TRUE(fs::exists(prod / "b" / "good.fx.baked"));

    EXPECT_EQ(Bake(""), "2\nusage: vessmark-fxbake [--out DIR] PRODUCTION_DIR\n");
    EXPECT_EQ(Bake("--out"), "2\nusage: vessmark-fxbake [--out DIR] PRODUCTION_DIR\n");
    EXPECT_EQ(Bake("'" + (dir.Path() / "missing").string() + "'").substr(0, 2), "1\n");
    dir.Write("blocked", "a file where the output folder should be");
    const std::string blocked =
        Bake("--out '" + (dir.Path() / "blocked").string() + "' '" + prod.string() + "'");
    EXPECT_EQ(blocked.substr(0, 2), "1\n");
    EXPECT_NE(blocked.find("fxbake: cannot write"), std::string::npos) << blocked;
}

}  // namespace
