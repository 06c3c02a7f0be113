// The capture tool's own logic: options, the frame clock, the contact sheet.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "contact_sheet.h"
#include "frame_clock.h"
#include "options.h"
#include "support/scratch_dir.h"

namespace {

std::optional<capture::Options> Parse(std::vector<const char*> args, std::string* msg) {
    args.insert(args.begin(), "capture");
    return capture::ParseOptions(int(args.size()), args.data(), msg);
}

TEST(CaptureOptions, ReadsEveryOption) {
    std::string msg;
    auto o =
        Parse({"--size",           "640x360", "--fps",           "25", "--msaa",          "4",
               "--aspect",         "16:10",   "--start",         "10", "--end",           "20.5",
               "--output",         "a.mp4",   "--png-dir",       "p",  "--contact-sheet", "s.png",
               "--sheet-interval", "2",       "--sheet-columns", "3",  "--quiet"},
              &msg);
    ASSERT_TRUE(o) << msg;
    EXPECT_EQ(o->width, 640u);
    EXPECT_EQ(o->height, 360u);
    EXPECT_DOUBLE_EQ(o->fps, 25.0);
    EXPECT_EQ(o->multiSample, 4u);
    EXPECT_EQ(o->aspect, 1);
    EXPECT_DOUBLE_EQ(o->start, 10.0);
    EXPECT_DOUBLE_EQ(o->end, 20.5);
    EXPECT_EQ(o->output, "a.mp4");
    EXPECT_EQ(o->pngDir, "p");
    EXPECT_EQ(o->contactSheet, "s.png");
    EXPECT_DOUBLE_EQ(o->sheetInterval, 2.0);
    EXPECT_EQ(o->sheetColumns, 3u);
    EXPECT_TRUE(o->quiet);
    EXPECT_FALSE(o->gles);
    // The browser's flavour: OpenGL ES, and effects from baked files only on it.
    const struct {
        const char* flag;
        bool gles, baked;
    } flavours[] = {{"--gles", true, false}, {"--baked-effects", true, true}};
    for (const auto& f : flavours) {
        o = Parse({"--png-dir", "p", f.flag}, &msg);
        ASSERT_TRUE(o) << msg;
        EXPECT_EQ(o->gles, f.gles) << f.flag;
        EXPECT_EQ(o->bakedEffects, f.baked) << f.flag;
    }
}

TEST(CaptureOptions, RefusesBadValuesWithAMessageAndTakesTheirLimits) {
    const struct {
        std::vector<const char*> args;
        bool ok;
    } cases[] = {
        {{"--size", "640x16", "--fps", "240", "--msaa", "16", "--output", "a.mp4"}, true},
        {{"--size", "8192x8192", "--fps", "1", "--msaa", "0", "--output", "a.mp4"}, true},
        {{"--size", "640", "--output", "a.mp4"}, false},
        {{"--size", "639x360", "--output", "a.mp4"}, false},
        {{"--size", "640x8193", "--output", "a.mp4"}, false},
        {{"--size", "-5x10", "--output", "a.mp4"}, false},
        {{"--fps", "abc", "--output", "a.mp4"}, false},
        {{"--fps", "0.9", "--output", "a.mp4"}, false},
        {{"--fps", "240.5", "--output", "a.mp4"}, false},
        {{"--msaa", "1", "--output", "a.mp4"}, false},
        {{"--msaa", "3", "--output", "a.mp4"}, false},
        {{"--aspect", "21:9", "--output", "a.mp4"}, false},
        {{"--start", "30", "--end", "20", "--output", "a.mp4"}, false},
        {{"--bogus", "1", "--output", "a.mp4"}, false},
        {{"--output"}, false},
        {{}, false},  // nothing to write
    };
    for (const auto& c : cases) {
        std::string msg;
        EXPECT_EQ(Parse(c.args, &msg).has_value(), c.ok) << ::testing::PrintToString(c.args);
        EXPECT_EQ(msg.starts_with("capture"), !c.ok) << msg;
    }
}

TEST(CaptureFrameClock, CountsFramesOfTheSpanWithoutDrift) {
    capture::FrameClock clock(0.0, 123.0, 30.0);
    EXPECT_EQ(clock.FrameCount(), 3690u);
    double covered = 0;
    uint64_t kept = 0;
    for (;;) {
        auto s = clock.OnPresent();
        if (s.keep) {
            EXPECT_EQ(s.frame, kept);
            EXPECT_NEAR(covered, clock.TimeOf(s.frame), 1e-9);
            ++kept;
        }
        covered += s.advance;
        if (s.done) break;
    }
    EXPECT_EQ(kept, 3690u);
    EXPECT_NEAR(covered, 123.0, 1e-9);
}

TEST(CaptureFrameClock, SkipsTheFirstPresentWhenStartingLater) {
    capture::FrameClock clock(10.0, 11.0, 4.0);
    auto first = clock.OnPresent();
    EXPECT_FALSE(first.keep);
    EXPECT_DOUBLE_EQ(first.advance, 10.0);
    for (uint64_t k = 0; k < 4; ++k) {
        auto s = clock.OnPresent();
        EXPECT_TRUE(s.keep);
        EXPECT_EQ(s.frame, k);
        EXPECT_DOUBLE_EQ(s.advance, 0.25);
        EXPECT_EQ(s.done, k == 3);
    }
    EXPECT_FALSE(clock.OnPresent().keep);
}

TEST(CaptureContactSheet, LaysOutCellsAndWritesAReadablePng) {
    const uint32_t w = 64, h = 36;
    capture::ContactSheet sheet(w, h, 2, 32);
    std::vector<uint8_t> red(w * h * 4), blue(w * h * 4);
    for (size_t i = 0; i < size_t(w) * h; ++i) {
        red[i * 4] = 255;
        blue[i * 4 + 2] = 255;
    }
    sheet.Add(red.data(), 0.0);
    sheet.Add(blue.data(), 65.5);
    sheet.Add(red.data(), 130.0);
    EXPECT_EQ(sheet.Count(), 3u);

    const vmtest::ScratchDir dir("vm-capture-sheet");
    const std::filesystem::path path = dir.Path() / "sheet.png";
    std::string err;
    ASSERT_TRUE(sheet.Write(path.string(), &err)) << err;
    int sw = 0, sh = 0, n = 0;
    unsigned char* px = stbi_load(path.string().c_str(), &sw, &sh, &n, 3);
    ASSERT_NE(px, nullptr);
    // Two columns of 32-pixel cells with 6-pixel gaps; two rows of 18 + 22 + 6.
    EXPECT_EQ(sw, 6 + 2 * (32 + 6));
    EXPECT_EQ(sh, 6 + 2 * (18 + 22 + 6));
    auto at = [&](int x, int y) { return px + (size_t(y) * sw + x) * 3; };
    EXPECT_EQ(at(10, 10)[0], 255);           // first cell red
    EXPECT_EQ(at(6 + 38 + 10, 10)[2], 255);  // second cell blue
    EXPECT_EQ(at(6 + 38 + 10, 10)[0], 0);
    stbi_image_free(px);
}

TEST(CaptureContactSheet, RefusesAnEmptySheetAndAnUnwritablePathAndFormatsTimes) {
    const vmtest::ScratchDir dir;
    std::string err;
    EXPECT_FALSE(capture::ContactSheet(16, 16, 2, 8).Write(dir.File("never.png"), &err));
    EXPECT_FALSE(err.empty());

    capture::ContactSheet sheet(16, 16, 2, 8);
    std::vector<uint8_t> px(16 * 16 * 4, 128);
    sheet.Add(px.data(), 1.0);
    EXPECT_FALSE(sheet.Write("/nonexistent-folder/sheet.png", &err));
    EXPECT_NE(err.find("/nonexistent-folder/sheet.png"), std::string::npos);

    EXPECT_EQ(capture::FormatTime(0.0), "0:00.00");
    EXPECT_EQ(capture::FormatTime(65.5), "1:05.50");
    EXPECT_EQ(capture::FormatTime(-3.0), "0:00.00");
}

}  // namespace
