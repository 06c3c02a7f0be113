#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "music.h"
#include "tracktool/timeline_text.h"

namespace {

constexpr float kEndRow = 1568.25f;  // 123 s at 12.75 rows a second

class Timeline : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::ifstream in(std::string(VM_CONTENT_SOURCE_DIR) + "/timeline.txt");
        std::stringstream text;
        text << in.rdbuf();
        std::vector<tracktool::TimelineTrack> parsed;
        std::vector<std::string> errors;
        ok_ = tracktool::ParseTimeline(text.str(), "timeline.txt", &parsed, &errors);
        for (const auto& e : errors) errors_ += e + "\n";
        tracks_ = new std::map<std::string, sync::Track>();
        for (auto& t : parsed) (*tracks_)[t.name] = t.track;
    }
    static void TearDownTestSuite() { delete tracks_; }
    static float at(const char* name, float row) { return tracks_->at(name).valueAt(row); }
    static bool ok_;
    static std::string errors_;
    static std::map<std::string, sync::Track>* tracks_;
};
bool Timeline::ok_ = false;
std::string Timeline::errors_;
std::map<std::string, sync::Track>* Timeline::tracks_ = nullptr;

TEST_F(Timeline, ParsesAndHasEveryTrackTheDemoFetches) {
    ASSERT_TRUE(ok_) << errors_;
    for (const char* name : {"0_part", "0_filter", "0_fp", "0_fp2", "0_fade", "0_flash", "0_gradient", "1_cam.x",
                             "1_cam.y", "1_cam.z", "1_cam.fov", "1_cam.rot", "1_view.x", "1_view.y", "1_view.z",
                             "2_st1", "2_st2", "2_st3", "2_st4", "2_st5", "2_st6", "2_st7", "3_smile"}) {
        ASSERT_TRUE(tracks_->count(name)) << name;
        EXPECT_GT(tracks_->at(name).keyCount(), 0u) << name;
    }
    EXPECT_EQ(tracks_->size(), 23u);
}

TEST_F(Timeline, PartsRunInOrderOnTheMusicSectionsAndEveryFilterIsUsed) {
    ASSERT_TRUE(ok_) << errors_;
    std::set<int> filters;
    int lastPart = 0;
    for (float row = 0; row <= kEndRow; row += 0.25f) {
        const int part = int(at("0_part", row));
        ASSERT_GE(part, lastPart) << "row " << row;
        ASSERT_GE(part, 1);
        ASSERT_LE(part, 6);
        lastPart = part;
        filters.insert(int(at("0_filter", row)));
    }
    EXPECT_EQ(lastPart, 6);
    EXPECT_EQ(filters, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    // Part k begins exactly on the bar where the soundtrack's section k begins.
    for (int k = 0; k < 6; ++k) {
        const float row = float(content::kSectionBars[k] * 20);
        EXPECT_EQ(int(at("0_part", row)), k + 1);
        if (row > 0) {
            EXPECT_EQ(int(at("0_part", row - 0.5f)), k);
        }
    }
}

TEST_F(Timeline, CameraKeepsThePigsInView) {
    ASSERT_TRUE(ok_) << errors_;
    for (float row = 0; row <= kEndRow; row += 1.0f) {
        const int part = int(at("0_part", row));
        const float fov = at("1_cam.fov", row);
        EXPECT_GT(fov, 0.5f) << row;
        EXPECT_LT(fov, 1.3f) << row;
        const float x = at("1_cam.x", row), y = at("1_cam.y", row), z = at("1_cam.z", row);
        const float tx = at("1_view.x", row), ty = at("1_view.y", row), tz = at("1_view.z", row);
        if (part == 1) {
            EXPECT_GT(z, 2.5f) << row;  // orbit radius around the one pig
            EXPECT_LT(z, 8.0f) << row;
            EXPECT_GT(y, 0.0f) << row;
        } else if (part == 2 || part == 3) {
            const float d = std::sqrt((x - tx) * (x - tx) + (y - ty) * (y - ty) + (z - tz) * (z - tz));
            EXPECT_GT(d, 2.0f) << row;
            EXPECT_LT(d, part == 3 ? 11.0f : 20.0f) << row;  // part 3 fogs beyond 12 units
            EXPECT_GT(y, 0.3f) << row;                       // above the floor / ground
        } else if (part == 4) {
            EXPECT_GT(z, 60.0f) << row;  // outside the swarm (noise amplitude 60)
            EXPECT_LT(z, 300.0f) << row;
        }
    }
}

TEST_F(Timeline, ImageAndFogValuesStayInRange) {
    ASSERT_TRUE(ok_) << errors_;
    float brightest = 0;
    for (float row = 0; row <= kEndRow; row += 0.5f) {
        const float flash = at("0_flash", row), fade = at("0_fade", row);
        EXPECT_GE(flash, 0.0f);
        EXPECT_LE(flash, 1.0f);
        EXPECT_GE(fade, 0.0f);
        EXPECT_LE(fade, 1.0f);
        if (int(at("0_part", row)) >= 5) brightest = std::max(brightest, flash);
        if (int(at("0_part", row)) == 4 && row > 50 * 20 && row < 56 * 20) {
            EXPECT_GT(fade, 0.5f) << row;
        }
    }
    EXPECT_FLOAT_EQ(brightest, 1.0f);
    EXPECT_LT(at("0_flash", kEndRow), 0.05f);  // the end card has faded out
}

}  // namespace
