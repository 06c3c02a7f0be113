// The playback device: file names, one read per name, message boxes for missing files, the store.
#include "sync/player_device.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "support/scratch_dir.h"
#include "sync/track_bytes.h"

namespace {

class MockTimer : public sync::Timer {
  public:
    MOCK_METHOD(void, pause, (), (override));
    MOCK_METHOD(void, play, (), (override));
    MOCK_METHOD(float, currentRow, (), (override));
    MOCK_METHOD(void, seekRow, (float), (override));
    MOCK_METHOD(bool, isPlaying, (), (override));
};

struct Box {
    std::string text, caption;
    uint32_t type;
};

class PlayerDeviceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(dir.Path() / "s");
        prefix = dir.File("s/synced");
        ui::Configure({.messageBox = [this](const char* text, const char* caption, uint32_t type) {
            boxes.push_back({text, caption, type});
            return ui::IDOK;
        }});
    }
    void TearDown() override { ui::Configure({}); }
    std::string TrackPath(const std::string& name) { return prefix + "_" + name + ".track"; }

    vmtest::ScratchDir dir;
    std::string prefix;
    std::vector<Box> boxes;
    ::testing::StrictMock<MockTimer> timer;  // kept by the device, never called
};

}  // namespace

TEST_F(PlayerDeviceTest, ReadsEachTrackFromPrefixUnderscoreNameDotTrackOnce) {
    TrackBytes(2).Key(0, 1.0f, 1).Key(10, 2.0f, 0).WriteTo(TrackPath("1_cam.fov"));
    std::unique_ptr<sync::Device> device = std::make_unique<PlayerDevice>(prefix, &timer);
    EXPECT_EQ(device->baseName, prefix);

    sync::Track* fov = device->fetchTrack("1_cam.fov");
    ASSERT_NE(fov, nullptr);
    EXPECT_EQ(fov->valueAt(5.0f), 1.5f);
    EXPECT_TRUE(boxes.empty());

    // The file is read on the first fetch only.
    TrackBytes(1).Key(0, 99.0f, 0).WriteTo(TrackPath("1_cam.fov"));
    EXPECT_EQ(device->fetchTrack("1_cam.fov"), fov);
    EXPECT_EQ(fov->valueAt(5.0f), 1.5f);
}

TEST_F(PlayerDeviceTest, AMissingFileShowsOneBoxWithItsNameAndLeavesAnEmptyTrack) {
    PlayerDevice device(prefix, &timer);
    sync::Track* part = device.fetchTrack("0_part");
    ASSERT_NE(part, nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, TrackPath("0_part"));
    EXPECT_EQ(boxes[0].caption, "ikkenoesync");
    EXPECT_EQ(boxes[0].type, ui::MB_OK);
    EXPECT_EQ(part->keyCount(), 0u);
    EXPECT_EQ(part->valueAt(100.0f), 0.0f);

    // No retry, no second box; the file appearing later changes nothing.
    TrackBytes(1).Key(0, 5.0f, 0).WriteTo(TrackPath("0_part"));
    EXPECT_EQ(device.fetchTrack("0_part"), part);
    EXPECT_EQ(boxes.size(), 1u);
    EXPECT_EQ(part->valueAt(0.0f), 0.0f);
}

TEST_F(PlayerDeviceTest, DamagedFilesKeepTheirKeysWithoutABox) {
    TrackBytes(1000).Key(3, 7.0f, 0).Raw({1, 2}).WriteTo(TrackPath("0_fp"));
    TrackBytes(0).WriteTo(TrackPath("0_fade"));
    PlayerDevice device(prefix, &timer);
    testing::internal::CaptureStderr();
    sync::Track* fp = device.fetchTrack("0_fp");
    sync::Track* fade = device.fetchTrack("0_fade");
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(fp->valueAt(0.0f), 7.0f);
    EXPECT_EQ(fade->keyCount(), 0u);
    EXPECT_NE(messages.find(TrackPath("0_fp")), std::string::npos) << messages;
    EXPECT_EQ(messages.find(TrackPath("0_fade")), std::string::npos) << messages;
}

TEST_F(PlayerDeviceTest, NamesAreCaseSensitiveIndexedInFetchOrderAndUpdateNeverStops) {
    TrackBytes(1).Key(0, 1.0f, 0).WriteTo(TrackPath("0_part"));
    TrackBytes(1).Key(0, 2.0f, 0).WriteTo(TrackPath("0_Part"));
    PlayerDevice device(prefix, &timer);
    sync::Track* lower = device.fetchTrack("0_part");
    sync::Track* upper = device.fetchTrack("0_Part");
    EXPECT_NE(lower, upper);
    EXPECT_EQ(lower->valueAt(0.0f), 1.0f);
    EXPECT_EQ(upper->valueAt(0.0f), 2.0f);
    EXPECT_EQ(device.tracks.indexByName.at("0_part"), 0u);
    EXPECT_EQ(device.tracks.indexByName.at("0_Part"), 1u);
    EXPECT_EQ(device.tracks.trackAt(1), upper);
    EXPECT_EQ(device.timer, &timer);
    for (float row : {0.0f, 1568.25f, -1.0f, 1e30f}) EXPECT_TRUE(device.update(row));
}

TEST(TrackStore, FindOrAddNumbersNewNamesAndKeepsTracksInPlace) {
    sync::TrackStore store;
    EXPECT_EQ(store.findOrAdd("a"), 0u);
    EXPECT_EQ(store.findOrAdd("b"), 1u);
    EXPECT_EQ(store.findOrAdd("a"), 0u);
    sync::Track* first = store.trackAt(0);
    for (int i = 0; i < 1000; ++i) store.findOrAdd("t" + std::to_string(i));  // the list grows
    EXPECT_EQ(store.trackAt(0), first);
    EXPECT_EQ(store.trackCount(), 1002u);
    EXPECT_EQ(store.findOrAdd("t999"), 1001u);
    for (const auto& [name, index] : store.indexByName)
        EXPECT_EQ(store.trackAt(index), store.trackList[index].get());
}
