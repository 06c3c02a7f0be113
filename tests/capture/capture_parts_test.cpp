// The capture tool's own logic: options, the frame clock, the contact sheet.
#include <gtest/gtest.h>
#include <stb/stb_image.h>

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
    const auto o =
        Parse({"--size",           "640x360", "--fps",           "25", "--msaa",          "4",
               "--aspect",         "16:10",   "--start",         "10", "--end",           "20.5",
               "--output",         "a.mp4",   "--png-dir",       "p",  "--contact-sheet", "s.png",
               "--sheet-interval", "2",       "--sheet-columns", "3",  "--quiet"},
              &msg);
    ASSERT_TRUE(o) << msg;
    EXPECT_EQ(std::tie(o->width, o->height, o->fps, o->multiSample, o->aspect, o->start, o->end),
              std::make_tuple(640u, 360u, 25.0, 4u, 1, 10.0, 20.5));
    EXPECT_EQ(std::tie(o->output, o->pngDir, o->contactSheet, o->sheetInterval, o->sheetColumns),
              std::make_tuple("a.mp4", "p", "s.png", 2.0, 3u));
    EXPECT_TRUE(o->quiet);
    EXPECT_FALSE(o->gles);
    // The browser's flavour: OpenGL ES, and effects from baked files only on it.
    const struct {
        const char* flag;
        bool gles, baked;
    } flavours[] = {{"--gles", true, false}, {"--baked-effects", true, true}};
    for (const auto& f : flavours) {
        const auto parsed = Parse({"--png-dir", "p", f.flag}, &msg);
        ASSERT_TRUE(parsed) << msg;
        EXPECT_EQ(std::tie(parsed->gles, parsed->bakedEffects), std::tie(f.gles, f.baked))
            << f.flag;
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
        {{"--fps", "abc", "--output", "a.mp4"}, false},
        {{"--fps", "0.9", "--output", "a.mp4"}, false},
        {{"--fps", "240.5", "--output", "a.mp4"}, false},
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

TEST(CaptureFrameClock, CountsFramesOfTheSpanWithoutDriftSkippingTheTimeBeforeTheStart) {
    for (const auto& [start, end, fps, frames] :
         {std::tuple(0.0, 123.0, 30.0, 3690u), std::tuple(10.0, 11.0, 4.0, 4u)}) {
        capture::FrameClock clock(start, end, fps);
        EXPECT_EQ(clock.FrameCount(), frames);
        const auto first = clock.OnPresent();  // the time before the start, skipped
        EXPECT_EQ(first.keep, start == 0.0);
        double covered = first.advance;
        uint64_t kept = first.keep;
        for (bool done = first.done; !done;) {
            const auto s = clock.OnPresent();
            EXPECT_TRUE(s.keep);
            EXPECT_EQ(s.frame, kept++);
            EXPECT_NEAR(covered, clock.TimeOf(s.frame), 1e-9);
            covered += s.advance;
            done = s.done;
        }
        EXPECT_EQ(kept, frames);
        EXPECT_NEAR(covered, end, 1e-9);
        EXPECT_FALSE(clock.OnPresent().keep);
    }
}

TEST(CaptureContactSheet, LaysOutCellsWritesAReadablePngAndFormatsTimes) {
    capture::ContactSheet sheet(64, 36, 2, 32);
    const vmtest::ScratchDir dir;
    std::string err;
    EXPECT_FALSE(sheet.Write(dir.File("empty.png"), &err));
    EXPECT_FALSE(err.empty());
    std::vector<uint8_t> red(64 * 36 * 4), blue(64 * 36 * 4);
    for (size_t i = 0; i < 64 * 36; ++i) red[i * 4] = blue[i * 4 + 2] = 255;
    sheet.Add(red.data(), 0.0);
    sheet.Add(blue.data(), 65.5);
    sheet.Add(red.data(), 130.0);
    EXPECT_FALSE(sheet.Write("/nonexistent-folder/sheet.png", &err));
    EXPECT_NE(err.find("/nonexistent-folder/sheet.png"), std::string::npos);
    ASSERT_TRUE(sheet.Write(dir.File("sheet.png"), &err)) << err;
    int w = 0, h = 0, n = 0;
    unsigned char* px = stbi_load(dir.File("sheet.png").c_str(), &w, &h, &n, 3);
    ASSERT_NE(px, nullptr);
    // Two columns of 32-pixel cells with 6-pixel gaps; two rows of 18 + 22 + 6.
    EXPECT_EQ(std::tie(w, h), std::make_tuple(6 + 2 * (32 + 6), 6 + 2 * (18 + 22 + 6)));
    auto at = [&](int x, int y) { return px + (size_t(y) * w + x) * 3; };
    EXPECT_EQ(at(10, 10)[0], 255);           // first cell red
    EXPECT_EQ(at(6 + 38 + 10, 10)[2], 255);  // second cell blue
    EXPECT_EQ(at(6 + 38 + 10, 10)[0], 0);
    stbi_image_free(px);
    EXPECT_EQ(capture::FormatTime(65.5), "1:05.50");
    EXPECT_EQ(capture::FormatTime(-3.0), "0:00.00");
}

}  // namespace
