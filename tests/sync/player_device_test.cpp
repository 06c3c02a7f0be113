// The playback device: file names, one read per name, message boxes for missing files.
#include "sync/player_device.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/ui.h"
#include "support/scratch_dir.h"
#include "sync/track_bytes.h"

TEST(PlayerDevice, ReadsEachTrackOnceFromItsFileAndShowsOneBoxPerMissingFile) {
    vmtest::ScratchDir dir;
    const std::string prefix = dir.File("synced");
    auto path = [&](const char* name) { return prefix + "_" + name + ".track"; };
    std::vector<std::string> boxes;
    ui::Configure({.messageBox = [&](const char* text, const char* caption, uint32_t type) {
        boxes.push_back(std::string(caption) + ": " + text + " " + std::to_string(type));
        return ui::IDOK;
    }});
    TrackBytes(2).Key(0, 1.0f, 1).Key(10, 2.0f, 0).WriteTo(path("1_cam.fov"));
    TrackBytes(1).Key(0, 2.0f, 0).WriteTo(path("1_Cam.fov"));
    TrackBytes(1000).Key(3, 7.0f, 0).Raw({1, 2}).WriteTo(path("0_fp"));
    PlayerDevice device(prefix, nullptr);  // the timer is kept, never called
    testing::internal::CaptureStderr();
    sync::Track* fov = device.fetchTrack("1_cam.fov");
    sync::Track* upper = device.fetchTrack("1_Cam.fov");  // names are case-sensitive
    sync::Track* fp = device.fetchTrack("0_fp");
    sync::Track* part = device.fetchTrack("0_part");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "sync: " + path("0_fp") +
                  ": file ends after 1 of its 1000 declared keys; keeping the keys read\n"
                  "[ikkenoesync] " +
                  path("0_part") + "\n");
    EXPECT_EQ(boxes, std::vector<std::string>{"ikkenoesync: " + path("0_part") + " " +
                                              std::to_string(ui::MB_OK)});
    EXPECT_EQ(fov->valueAt(5.0f), 1.5f);
    EXPECT_EQ(upper->valueAt(5.0f), 2.0f);
    EXPECT_EQ(fp->valueAt(0.0f), 7.0f);
    EXPECT_EQ(device.tracks.indexByName.at("1_Cam.fov"), 1u);
    EXPECT_TRUE(device.update(1e30f));

    // Read on the first fetch only: files written later change nothing and show no second box.
    TrackBytes(1).Key(0, 99.0f, 0).WriteTo(path("1_cam.fov"));
    TrackBytes(1).Key(0, 99.0f, 0).WriteTo(path("0_part"));
    EXPECT_EQ(device.fetchTrack("1_cam.fov"), fov);
    EXPECT_EQ(device.fetchTrack("0_part"), part);
    EXPECT_EQ(fov->valueAt(5.0f), 1.5f);
    EXPECT_EQ(part->keyCount(), 0u);
    EXPECT_EQ(boxes.size(), 1u);
    ui::Configure({});
}
