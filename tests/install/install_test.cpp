// The installed programs: `cmake --install` into a temporary root (DESTDIR), then the installed
// capture tool renders one second of the installed production from an unrelated folder, and each
// program answers --help, --version and a wrong option with the promised exit codes.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/scratch_dir.h"
#include "support/shell.h"

namespace fs = std::filesystem;
using testsupport::Shell;

namespace {

class Installed : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        auto r = Shell("DESTDIR='" + root_.string() +
                       "' '" VM_CMAKE "' --install '" VM_BUILD_DIR "' --prefix /usr");
        ASSERT_EQ(r.code, 0) << r.output;
    }
    void SetUp() override {
        if (!fs::exists(root_ / "usr/share/vessmark/vessmark"))
            GTEST_SKIP() << "the default production was not built";
    }
    static fs::path Program(const std::string& name) { return root_ / "usr/bin" / name; }
    static inline const vmtest::ScratchDir scratch_{"vessmark-install"};
    static inline const fs::path root_ = scratch_.Path();
};

TEST_F(Installed, CaptureRendersTheInstalledProductionFromAnyFolder) {
    // A folder that is not a data folder, far from the build and the install.
    const fs::path elsewhere = root_ / "elsewhere";
    fs::create_directories(elsewhere);
    auto r = Shell("cd '" + elsewhere.string() + "' && '" + Program("vessmark-capture").string() +
                   "' --quiet --size 640x360 --fps 12 --end 1 --png-dir frames");
    ASSERT_EQ(r.code, 0) << r.output;
    // Every file the first second needs was installed: no missing file, no lookup miss.
    EXPECT_EQ(r.output.find("cannot open"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("[No Match]"), std::string::npos) << r.output;

    int count = 0;
    for (const auto& entry : fs::directory_iterator(elsewhere / "frames")) {
        ++count;
        int w = 0, h = 0, n = 0;
        unsigned char* px = stbi_load(entry.path().c_str(), &w, &h, &n, 3);
        ASSERT_NE(px, nullptr) << entry.path();
        EXPECT_EQ(std::tie(w, h), std::make_tuple(640, 360));
        // The first second is the pig through a blur: many colours, never one flat fill.
        std::set<uint32_t> colours;
        for (int i = 0; i < w * h; ++i)
            colours.insert(uint32_t(px[3 * i]) << 16 | uint32_t(px[3 * i + 1]) << 8 |
                           px[3 * i + 2]);
        stbi_image_free(px);
        EXPECT_GE(colours.size(), 100u) << entry.path() << " looks blank";
    }
    EXPECT_EQ(count, 12);
    // Started outside a data folder, the demo ran (and wrote its settings) elsewhere.
    EXPECT_FALSE(fs::exists(elsewhere / "lol.txt"));
}

TEST_F(Installed, ProgramsAnswerHelpVersionAndWrongOptions) {
    const struct {
        const char* program;
        const char* args;
        int code;
        const char* says;
    } cases[] = {
        {"vessmark", "--help", 0, "usage: vessmark [--data DIR]"},
        {"vessmark", "--version", 0, "vessmark " VM_VERSION "\n"},
        {"vessmark", "--frobnicate", 2, "vessmark: unknown option --frobnicate\nusage: vessmark"},
        {"vessmark", "--data /nonexistent", 2, "\"/nonexistent\" is not a data folder"},
        {"vessmark-capture", "--help", 0, "usage: vessmark-capture"},
        {"vessmark-capture", "--frobnicate x", 2, "unknown option --frobnicate"},
        {"vessmark-capture", "--data /nonexistent --png-dir f", 2, "is not a data folder"},
        {"vessmark-tracktool", "--help", 0, "usage: vessmark-tracktool dump FILE"},
        {"vessmark-tracktool", "frobnicate", 2, "usage: vessmark-tracktool"},
        {"vessmark-meshtool", "--help", 0, "usage: vessmark-meshtool FILE.mesh"},
        {"vessmark-meshtool", "", 2, "usage: vessmark-meshtool"},
    };
    for (const auto& c : cases) {
        auto r = Shell("cd / && '" + Program(c.program).string() + "' " + c.args);
        EXPECT_EQ(r.code, c.code) << c.program << " " << c.args << "\n" << r.output;
        EXPECT_NE(r.output.find(c.says), std::string::npos) << c.program << " " << c.args << "\n"
                                                            << r.output;
    }
}

}  // namespace
