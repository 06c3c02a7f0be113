// The production's timeline text: every track the demo fetches, parts 1 to 6 in order on the
// soundtrack's sections, every filter used, values in range.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "driver/track_names.h"
#include "music.h"
#include "tracktool/timeline_text.h"

namespace {

constexpr float kEndRow = 1568.25f;  // 123 s at 12.75 rows a second

TEST(Timeline, HoldsEveryTrackAndRunsEveryPartAndFilterWithValuesInRange) {
    std::ifstream in(std::string(VM_CONTENT_SOURCE_DIR) + "/timeline.txt");
    std::stringstream text;
    text << in.rdbuf();
    std::vector<tracktool::TimelineTrack> parsed;
    std::vector<std::string> errors;
    ASSERT_TRUE(tracktool::ParseTimeline(text.str(), "timeline.txt", &parsed, &errors))
        << ::testing::PrintToString(errors);
    std::map<std::string, sync::Track> tracks;
    for (auto& t : parsed) tracks[t.name] = t.track;
    EXPECT_EQ(tracks.size(), driver::kTrackNames.size());
    for (const char* name : driver::kTrackNames)
        ASSERT_TRUE(tracks.count(name) && tracks.at(name).keyCount() > 0) << name;
    auto at = [&tracks](const char* name, float row) { return tracks.at(name).valueAt(row); };

    std::set<int> filters;
    int lastPart = 1;
    float brightest = 0;
    for (float row = 0; row <= kEndRow; row += 0.25f) {
        const int part = int(at("0_part", row));
        ASSERT_TRUE(part >= lastPart && part <= 6) << "row " << row;
        lastPart = part;
        filters.insert(int(at("0_filter", row)));
        const float flash = at("0_flash", row), fade = at("0_fade", row),
                    fov = at("1_cam.fov", row);
        // Fade scales the swarm's fog distance (1 = 200 units); it may open beyond that.
        ASSERT_TRUE(flash >= 0 && flash <= 1 && fade >= 0 && fade <= 3) << "row " << row;
        ASSERT_TRUE(fov > 0.5f && fov < 1.3f) << "row " << row;
        if (part >= 5) brightest = std::max(brightest, flash);
    }
    EXPECT_EQ(lastPart, 6);
    EXPECT_EQ(filters, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(brightest, 1.0f);
    EXPECT_LT(at("0_flash", kEndRow), 0.05f);  // the end card has faded out
    // Part k begins exactly on the bar where the soundtrack's section k begins.
    EXPECT_EQ(int(at("0_part", 0)), 1);
    for (int k = 1; k < 6; ++k) {
        const float row = float(content::kSectionBars[k] * 20);
        EXPECT_EQ(int(at("0_part", row - 0.5f)) * 10 + int(at("0_part", row)), k * 10 + k + 1);
    }
}

}  // namespace
