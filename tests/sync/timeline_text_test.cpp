// The readable timeline format: rows in bars and beats, kinds, comments, and errors with lines.
#include "tracktool/timeline_text.h"

#include <gtest/gtest.h>

#include <sstream>

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
        "  10 1e2 -1\n";
    std::vector<tracktool::TimelineTrack> tracks;
    std::vector<std::string> errors;
    ASSERT_TRUE(tracktool::ParseTimeline(text, "t.txt", &tracks, &errors)) << errors.size();
    ASSERT_EQ(tracks.size(), 2u);
    EXPECT_EQ(tracks[0].name, "0_part");
    EXPECT_EQ(tracks[0].line, 2);
    std::ostringstream keys;
    for (const auto& track : tracks)
        for (const auto& [row, key] : track.track.keys())
            keys << row << ":" << key.value << ":" << tracktool::KindName(key.interpolation) << " ";
    // Bar 6 beat 2 is row 130; bar 1 beat 3 row 4 is 20 + 15 + 4; the kind defaults to step.
    EXPECT_EQ(keys.str(), "0:1:step 39:4:quadratic 130:2:linear 140:3:step 10:100:-1 ");
}

TEST(TimelineText, RowKindAndValueTokensHaveExactLimits) {
    std::string error;
    uint32_t row = 0;
    for (const auto& [token, expected] :
         {std::pair{"4294967295", 4294967295u}, {"@0:0:0", 0u}, {"@3", 60u}, {"@1:3:4", 39u}}) {
        EXPECT_TRUE(tracktool::ParseRow(token, &row, &error)) << token;
        EXPECT_EQ(row, expected) << token;
    }
    for (const char* bad :
         {"4294967296", "-1", "1.5", "@", "@1:4", "@1:0:5", "@1:2:3:4", "@x", "@1:", "12a", ""})
        EXPECT_FALSE(tracktool::ParseRow(bad, &row, &error)) << bad;

    int32_t kind = 0;
    EXPECT_TRUE(tracktool::ParseKind("-128", &kind, &error) && kind == -128);
    EXPECT_TRUE(tracktool::ParseKind("127", &kind, &error) && kind == 127);
    for (const char* bad : {"128", "-129", "Linear"})
        EXPECT_FALSE(tracktool::ParseKind(bad, &kind, &error)) << bad;
    EXPECT_EQ(tracktool::KindName(2), "cosine");
    EXPECT_EQ(tracktool::KindName(4), "4");

    float value = 0.0f;
    for (const char* bad : {"nan", "1e99", "1,5"})
        EXPECT_FALSE(tracktool::ParseValue(bad, &value, &error)) << bad;
}

TEST(TimelineText, EveryErrorIsReportedWithItsLineAndNothingIsProduced) {
    std::vector<tracktool::TimelineTrack> tracks;
    std::vector<std::string> errors;
    EXPECT_FALSE(
        tracktool::ParseTimeline("0 1 step\n"  // 1: key before any track
                                 "track a\n"
                                 "  0 1 step\n"
                                 "  0 2 step\n"        // 4: duplicate row
                                 "  @1:4 1\n"          // 5: bad beat
                                 "  1 x\n"             // 6: bad value
                                 "  2 1 smooth\n"      // 7: bad kind
                                 "  3 1 step extra\n"  // 8: too many tokens
                                 "track a\n"           // 9: duplicate track
                                 "track ../evil\n"     // 10: not a file name
                                 "track\n",            // 11: no name
                                 "t.txt", &tracks, &errors));
    EXPECT_TRUE(tracks.empty());
    ASSERT_EQ(errors.size(), 9u);
    const int lines[] = {1, 4, 5, 6, 7, 8, 9, 10, 11};
    for (size_t i = 0; i < errors.size(); ++i)
        EXPECT_TRUE(errors[i].starts_with("t.txt:" + std::to_string(lines[i]) + ":")) << errors[i];
    EXPECT_NE(errors[1].find("line 3"), std::string::npos) << errors[1];
    EXPECT_NE(errors[6].find("line 2"), std::string::npos) << errors[6];
}
