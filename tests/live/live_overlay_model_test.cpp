// What the overlay is given to show: the text lines, the strip's part blocks and filter marks, the
// loop, the track values, the selected curve with its keys, and the last reload.
#include "driver/live_overlay_model.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

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

    // The strip (loop ends on their first sample frames), then the selected curve (40 rows either
    // side) and its keys.
    std::ostringstream strip;
    strip << std::setprecision(5) << m.endRow << " @" << m.playheadRow << " parts";
    for (const auto& p : m.parts) strip << " " << p.from << ".." << p.to << ":" << p.value;
    strip << " marks";
    for (float mark : m.marks) strip << " " << mark;
    strip << " loop " << m.loopSet << m.looping << " " << m.loopFrom << ".." << m.loopTo;
    std::ostringstream curve;
    curve << m.trackNames.size() << " tracks, " << m.trackNames[7] << " selected "
          << m.selectedTrack << " (" << m.trackValues[0] << ") " << m.curveFrom << ".." << m.curveTo
          << " from " << m.curve.front() << " keys";
    for (const auto& k : m.keys) curve << " " << k.row << ":" << k.value << ":" << k.kind;
    EXPECT_EQ(
        (std::vector<std::string>{m.lines[0], m.lines[1], strip.str(), curve.str(), m.reload}),
        (std::vector<std::string>{"00:02.00  row 25.50  @1:1:0  part 2  filter 3",
                                  "paused   speed 1.00x  loop on  26..30  frame 20.5 ms",
                                  "1530 @25.5 parts 0..20:1 20..1530:2 marks 0 25 loop 11 25.5..30",
                                  "23 tracks, 1_cam.x selected 7 (2) -14.5..65.5 from 1 keys "
                                  "10:1:cosine 40:4:linear",
                                  "reload failed: pig.fx(3): syntax error"}));
    EXPECT_EQ(m.lines.size(), 2u);
    EXPECT_TRUE(m.reloadFailed);

    const live::ReloadStatus good{"timeline.txt: 23 tracks compiled, 23 in use", 12.34, true, {}};
    const ui::OverlayModel ok = live::BuildOverlayModel({&transport, &tracks, 0, {}, &good});
    EXPECT_FALSE(ok.reloadFailed);
    EXPECT_EQ(ok.reload, "reload: timeline.txt: 23 tracks compiled, 23 in use (12.3 ms)");
}

}  // namespace
