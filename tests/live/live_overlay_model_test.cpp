// What the overlay is given to show: the text lines, the strip's part blocks and filter marks, the
// loop, the track values, the selected curve with its keys, and the last reload.
#include "driver/live_overlay_model.h"

#include <gtest/gtest.h>

#include "live/map_device.h"

namespace {

// A music position the test sets; two minutes long.
class SetMusic : public live::Music {
  public:
    int64_t Frame() override { return frame; }
    int64_t Length() override { return 44100 * 120; }
    void Seek(int64_t f) override { frame = f; }
    void Play() override {}
    void Pause() override {}
    void SetLoop(int64_t, int64_t) override {}
    int64_t frame = 0;
};

TEST(OverlayModel, ClockAndGridTexts) {
    const live::TimelineShape shape;
    EXPECT_EQ(live::ClockText(0.0) + " " + live::GridText(0.0f, shape), "00:00.00 @0:0:0");
    EXPECT_EQ(live::ClockText(61.239) + " " + live::GridText(4.99f, shape), "01:01.23 @0:0:4");
    EXPECT_EQ(live::ClockText(123.0) + " " + live::GridText(1568.25f, shape), "02:03.00 @78:1:3");
}

TEST(OverlayModel, ShowsThePlayheadTimelineTracksCurveAndReload) {
    MapDevice device;
    device.tracks["0_part"].setKey(0, {1, sync::Step});
    device.tracks["0_part"].setKey(20, {2, sync::Step});
    device.tracks["0_part"].setKey(30, {2.5f, sync::Linear});  // same part: no new block
    device.tracks["0_filter"].setKey(0, {0, sync::Step});
    device.tracks["0_filter"].setKey(25, {3, sync::Step});
    device.tracks["1_cam.x"].setKey(10, {1, sync::Cosine});
    device.tracks["1_cam.x"].setKey(40, {4, sync::Linear});
    device.tracks["1_cam.x"].setKey(100, {0, sync::Step});  // outside the curve's 40 rows
    driver::DeviceTracks tracks(device);
    SetMusic music;
    live::Transport transport(music, {});
    transport.Start(0.0);
    transport.SeekRow(25.5);
    transport.SetLoopStart();
    transport.SeekRow(30);
    transport.SetLoopEnd();
    transport.ToggleLoop();  // playhead outside [25.5, 30): back to 25.5
    transport.TogglePause();
    const live::ReloadStatus failed{"pig.fx", 0.0, false, "pig.fx(3): syntax error"};
    const ui::OverlayModel m =
        live::BuildOverlayModel({&transport, &tracks, 7, {16, 20.5f}, &failed});

    EXPECT_EQ(m.lines,
              (std::vector<std::string>{"00:02.00  row 25.50  @1:1:0  part 2  filter 3",
                                        "paused   speed 1.00x  loop on  26..30  frame 20.5 ms"}));
    EXPECT_EQ(m.endRow, 1530.0f);  // the two-minute soundtrack ends first
    EXPECT_EQ(m.playheadRow, transport.Row());
    ASSERT_EQ(m.parts.size(), 2u);
    EXPECT_EQ(std::tie(m.parts[0].from, m.parts[0].to, m.parts[0].value),
              std::tuple(0.0f, 20.0f, 1));
    EXPECT_EQ(m.parts[1].to, 1530.0f);
    EXPECT_EQ(m.marks, (std::vector<float>{0.0f, 25.0f}));
    EXPECT_TRUE(m.loopSet && m.looping);
    EXPECT_NEAR(m.loopFrom, 25.5f, 0.001f);
    EXPECT_NEAR(m.loopTo, 30.0f, 0.001f);

    ASSERT_EQ(m.trackNames.size(), 23u);
    EXPECT_EQ(m.trackNames[7], "1_cam.x");
    EXPECT_EQ(m.trackValues[0], 2.0f);
    EXPECT_EQ(m.selectedTrack, 7);
    EXPECT_NEAR(m.curveFrom, 25.5f - 40.0f, 0.001f);
    EXPECT_NEAR(m.curveTo, 25.5f + 40.0f, 0.001f);
    EXPECT_EQ(m.curve.front(), 1.0f);  // rows before the first key
    ASSERT_EQ(m.keys.size(), 2u);
    EXPECT_EQ(std::tie(m.keys[0].row, m.keys[0].kind), std::tuple(10.0f, "cosine"));
    EXPECT_EQ(std::tie(m.keys[1].value, m.keys[1].kind), std::tuple(4.0f, "linear"));
    EXPECT_TRUE(m.reloadFailed);
    EXPECT_EQ(m.reload, "reload failed: pig.fx(3): syntax error");

    const live::ReloadStatus good{"timeline.txt: 23 tracks compiled, 23 in use", 12.34, true, {}};
    const ui::OverlayModel ok = live::BuildOverlayModel({&transport, &tracks, 0, {}, &good});
    EXPECT_FALSE(ok.reloadFailed);
    EXPECT_EQ(ok.reload, "reload: timeline.txt: 23 tracks compiled, 23 in use (12.3 ms)");
}

}  // namespace
