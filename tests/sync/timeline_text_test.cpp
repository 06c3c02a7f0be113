// The readable timeline format: rows in bars and beats, kinds, comments, and errors with lines.
#include "tracktool/timeline_text.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Errors(const std::string& text) {
    std::vector<tracktool::TimelineTrack> tracks;
    std::vector<std::string> errors;
    EXPECT_FALSE(tracktool::ParseTimeline(text, "t.txt", &tracks, &errors));
    EXPECT_TRUE(tracks.empty());
    return errors;
}

}  // namespace

TEST(TimelineText, ParsesTracksKeysCommentsAndBarBeatRows) {
    const std::string text =
        "# production\n"
        "track 0_part\n"
        "  0     1   step        # first part\n"
        "  @6:2  2   linear\n"
        "\t@7    3\n"
        "  @1:3:4  4  quadratic\r\n"
        "\n"
        "track 1_cam.x\n"
        "  0 -0.5 cosine\n"
        "  10 1e2 -1\n"
        "track empty\n";
    std::vector<tracktool::TimelineTrack> tracks;
    std::vector<std::string> errors;
    ASSERT_TRUE(tracktool::ParseTimeline(text, "t.txt", &tracks, &errors))
        << (errors.empty() ? "" : errors[0]);
    ASSERT_EQ(tracks.size(), 3u);
    EXPECT_EQ(tracks[0].name, "0_part");
    EXPECT_EQ(tracks[0].line, 2);
    const auto& part = tracks[0].track.keys();
    ASSERT_EQ(part.size(), 4u);
    EXPECT_EQ(part.at(0).value, 1.0f);
    EXPECT_EQ(part.at(130).interpolation, sync::Linear);    // bar 6 beat 2
    EXPECT_EQ(part.at(140).interpolation, sync::Step);      // kind defaults to step
    EXPECT_EQ(part.at(39).interpolation, sync::Quadratic);  // 20 + 15 + 4
    EXPECT_EQ(tracks[1].track.keys().at(0).interpolation, sync::Cosine);
    EXPECT_EQ(tracks[1].track.keys().at(10).value, 100.0f);
    EXPECT_EQ(tracks[1].track.keys().at(10).interpolation, -1);
    EXPECT_EQ(tracks[2].track.keyCount(), 0u);
}

TEST(TimelineText, RowAndKindTokensHaveExactLimits) {
    uint32_t row = 0;
    std::string error;
    EXPECT_TRUE(tracktool::ParseRow("4294967295", &row, &error));
    EXPECT_EQ(row, 4294967295u);
    EXPECT_TRUE(tracktool::ParseRow("@0:0:0", &row, &error));
    EXPECT_EQ(row, 0u);
    EXPECT_TRUE(tracktool::ParseRow("@3", &row, &error));
    EXPECT_EQ(row, 60u);
    for (const char* bad :
         {"4294967296", "-1", "1.5", "@", "@1:4", "@1:0:5", "@1:2:3:4", "@x", "@1:", "12a", ""})
        EXPECT_FALSE(tracktool::ParseRow(bad, &row, &error)) << bad;

    int32_t kind = 0;
    EXPECT_TRUE(tracktool::ParseKind("-128", &kind, &error));
    EXPECT_EQ(kind, -128);
    EXPECT_TRUE(tracktool::ParseKind("127", &kind, &error));
    EXPECT_FALSE(tracktool::ParseKind("128", &kind, &error));
    EXPECT_FALSE(tracktool::ParseKind("-129", &kind, &error));
    EXPECT_FALSE(tracktool::ParseKind("Linear", &kind, &error));
    EXPECT_EQ(tracktool::KindName(2), "cosine");
    EXPECT_EQ(tracktool::KindName(-1), "-1");
    EXPECT_EQ(tracktool::KindName(4), "4");

    float value = 0.0f;
    EXPECT_FALSE(tracktool::ParseValue("nan", &value, &error));
    EXPECT_FALSE(tracktool::ParseValue("1e99", &value, &error));
    EXPECT_FALSE(tracktool::ParseValue("1,5", &value, &error));
}

TEST(TimelineText, EveryErrorIsReportedWithItsLineAndNothingIsProduced) {
    const auto errors = Errors(
        "0 1 step\n"  // 1: key before any track
        "track a\n"
        "  0 1 step\n"
        "  0 2 step\n"        // 4: duplicate row
        "  @1:4 1\n"          // 5: bad beat
        "  1 x\n"             // 6: bad value
        "  2 1 smooth\n"      // 7: bad kind
        "  3 1 step extra\n"  // 8: too many tokens
        "track a\n"           // 9: duplicate track
        "track ../evil\n"     // 10: not a file name
        "track\n");           // 11: no name
    ASSERT_EQ(errors.size(), 9u);
    const char* lines[] = {"t.txt:1:", "t.txt:4:", "t.txt:5:",  "t.txt:6:", "t.txt:7:",
                           "t.txt:8:", "t.txt:9:", "t.txt:10:", "t.txt:11:"};
    for (size_t i = 0; i < errors.size(); ++i)
        EXPECT_EQ(errors[i].rfind(lines[i], 0), 0u) << errors[i];
    EXPECT_NE(errors[1].find("line 3"), std::string::npos) << errors[1];
    EXPECT_NE(errors[6].find("line 2"), std::string::npos) << errors[6];
}
