// The live transport through the same hooks the program uses: key messages from the windowing
// layer's pump hook, the soundtrack on the audio layer's manual clock. Every key's effect on the
// playhead, the loop, pause and speed; seeks land on the exact sample frame; the music loops
// sample-exactly.
#include <gtest/gtest.h>

#include <deque>

#include "audio/test_signal.h"
#include "driver/live_keys.h"
#include "driver/live_music.h"
#include "driver/live_session.h"
#include "live/map_device.h"
#include "platform/audio/audio.h"
#include "platform/image/image.h"
#include "platform/ui/ui.h"
#include "support/scratch_dir.h"

namespace {

constexpr float kRowsPerSecond = 12.75f;
constexpr int64_t kSoundtrackFrames = 44100 * 10;  // 127.5 rows

class LiveTransport : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteTestMp3(dir.File("music.mp3"), kSoundtrackFrames, true);
        audio::Configure({.manualClock = true});
        ASSERT_TRUE(audio::Init(1, 44100, audio::BASS_DEVICE_LATENCY));
        stream = audio::StreamCreateFile(false, dir.File("music.mp3").c_str(), 0, 0, 0);
        ASSERT_NE(stream, 0u);
        ui::Configure({.headless = true, .peekMessage = [this](ui::Msg* msg) {
                           if (queue.empty()) return false;
                           *msg = queue.front();
                           queue.pop_front();
                           return true;
                       }});
        // Parts 1, 2, 4, 3, 5, 6 every 20 rows.
        const float parts[] = {1, 2, 4, 3, 5, 6};
        for (uint32_t i = 0; i < 6; ++i)
            device.tracks["0_part"].setKey(i * 20, {parts[i], sync::Step});
        music = std::make_unique<live::StreamMusic>(stream);
        std::filesystem::create_directory(dir.Path() / "data");
        session = std::make_unique<live::Session>(*music, live::TimelineShape{}, device,
                                                  live::SessionPaths{dir.Path() / "data", {}});
        session->Start();
    }
    void TearDown() override {
        session.reset();
        audio::Free();
        audio::Configure({});
        ui::Configure({});
    }

    // Presses a key (with Shift or Ctrl held around it) and runs the loop's drain and next frame.
    void Press(uint32_t key, uint32_t modifier = 0) {
        if (modifier != 0) queue.push_back({ui::WM_KEYDOWN, modifier, 0});
        queue.push_back({ui::WM_KEYDOWN, key, 0});
        queue.push_back({ui::WM_KEYUP, key, 0});
        if (modifier != 0) queue.push_back({ui::WM_KEYUP, modifier, 0});
        ui::Msg msg;
        while (session->Pump().Peek(&msg)) {
        }
        session->Clock().currentRow();
    }
    live::Transport& T() { return session->GetTransport(); }
    int64_t MusicFrame() { return static_cast<int64_t>(audio::ChannelGetPosition(stream) / 8); }

    vmtest::ScratchDir dir;
    audio::Handle stream = 0;
    std::deque<ui::Msg> queue;
    MapDevice device;
    std::unique_ptr<live::StreamMusic> music;
    std::unique_ptr<live::Session> session;
};

using namespace live;

TEST_F(LiveTransport, EveryKeyMovesThePlayheadTheLoopAndTheSpeedAsItsTableSays) {
    struct Step {
        uint32_t key, modifier;
        float row;  // playhead afterwards
        bool paused, looping;
        double speed;
    };
    const Step steps[] = {
        {ui::VK_SPACE, 0, 0, true, false, 1.0},
        {VK_RIGHT, 0, 5, true, false, 1.0},            // a beat
        {VK_RIGHT, VK_SHIFT, 20, true, false, 1.0},    // to the next bar
        {VK_RIGHT, VK_CONTROL, 21, true, false, 1.0},  // a row
        {VK_LEFT, 0, 20, true, false, 1.0},            // back to the beat
        {VK_LEFT, VK_SHIFT, 0, true, false, 1.0},
        {VK_LEFT, 0, 0, true, false, 1.0},  // nothing before the start
        {VK_NEXT, 0, 20, true, false, 1.0},
        {VK_PRIOR, 0, 0, true, false, 1.0},
        {'4', 0, 40, true, false, 1.0},
        {'6', 0, 100, true, false, 1.0},
        {VK_NEXT, 0, 100, true, false, 1.0},  // no later change
        {VK_HOME, 0, 0, true, false, 1.0},
        {'5', 0, 80, true, false, 1.0},
        {VK_OEM_4, 0, 80, true, false, 1.0},  // [ loop start
        {'L', 0, 80, true, false, 1.0},       // no end yet: stays off
        {VK_RIGHT, VK_SHIFT, 100, true, false, 1.0},
        {VK_OEM_6, 0, 100, true, false, 1.0},  // ] loop end
        {'L', 0, 80, true, true, 1.0},         // on, from outside the range: to its start
        {'L', 0, 80, true, false, 1.0},
        {VK_OEM_MINUS, 0, 80, true, false, 0.75},
        {VK_OEM_MINUS, 0, 80, true, false, 0.5},
        {VK_OEM_MINUS, 0, 80, true, false, 0.25},
        {VK_OEM_MINUS, 0, 80, true, false, 0.25},
        {VK_OEM_PLUS, 0, 80, true, false, 0.5},
        {VK_OEM_PLUS, 0, 80, true, false, 0.75},
        {VK_OEM_PLUS, 0, 80, true, false, 1.0},
        {VK_OEM_PLUS, 0, 80, true, false, 1.5},
        {VK_OEM_PLUS, 0, 80, true, false, 2.0},
        {VK_OEM_PLUS, 0, 80, true, false, 2.0},
        {'7', 0, 80, true, false, 2.0},  // not a part key
        {ui::VK_SPACE, 0, 80, false, false, 2.0},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        const Step& s = steps[i];
        Press(s.key, s.modifier);
        if (!s.paused) continue;  // a running playhead moves with the steady clock
        // The first sample frame at or after the row: never before it, less than a frame after.
        EXPECT_GE(T().Row(), s.row) << "step " << i;
        EXPECT_LT(T().Row(), s.row + 1.0f / 3458.0f) << "step " << i;
        const int64_t frame = FrameOfRow(s.row, kRowsPerSecond);
        EXPECT_EQ(std::tuple(T().Frame(), MusicFrame(), T().Looping(), T().Speed()),
                  std::tuple(frame, frame, s.looping, s.speed))
            << "step " << i;
    }
    EXPECT_FALSE(T().Paused());
    // Away from 1x the music is muted (paused) and the steady clock moves the playhead.
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_PAUSED);
    Press(VK_OEM_MINUS);
    Press(VK_OEM_MINUS);
    EXPECT_EQ(T().Speed(), 1.0);
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_PLAYING);

    EXPECT_TRUE(session->OverlayVisible());
    EXPECT_FALSE(session->FrameWanted());
    Press(VK_F1);
    Press(VK_F12);
    EXPECT_FALSE(session->OverlayVisible());
    EXPECT_TRUE(session->FrameWanted());

    // The next presented frame goes to a PNG beside the data folder, named with the row.
    Press(ui::VK_SPACE);
    T().SeekRow(37.5);
    const uint8_t rgba[2 * 2 * 4] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 9, 9, 9, 255};
    session->OnFrame({rgba, 2, 2});
    EXPECT_FALSE(session->FrameWanted());
    EXPECT_EQ(session->LastScreenshot(), dir.Path() / "vessmark-row0037.50.png");
    const auto png = image::LoadFile((dir.Path() / "vessmark-row0037.50.png").string());
    ASSERT_TRUE(png.has_value());
    EXPECT_EQ(png->rgba, std::vector<uint8_t>(std::begin(rgba), std::end(rgba)));
}

// (Every step of the key table lands on its exact frame.) Playing on from a seek, the music and the
// playhead move together; a seek past the end holds at the end, paused.
TEST_F(LiveTransport, TheMusicPlaysOnFromASeekAndASeekPastTheEndHoldsThere) {
    T().SeekRow(25.5);  // two seconds
    audio::AdvanceManualClock(0.5);
    session->Clock().currentRow();
    EXPECT_EQ(std::tuple(T().Frame(), MusicFrame()), std::tuple(88200 + 22050, 88200 + 22050));
    EXPECT_FLOAT_EQ(session->Clock().currentSeconds(), 2.5f);
    T().Seek(kSoundtrackFrames + 5);
    session->Clock().currentRow();
    EXPECT_EQ(T().Frame(), kSoundtrackFrames);
    EXPECT_TRUE(T().Paused());
}

TEST_F(LiveTransport, TheMusicLoopsSampleExactlyWithThePlayhead) {
    Press('2');  // row 20
    Press(VK_OEM_4);
    Press(VK_RIGHT, VK_SHIFT);  // row 40
    Press(VK_OEM_6);
    Press('L');
    const int64_t start = FrameOfRow(20, kRowsPerSecond), end = FrameOfRow(40, kRowsPerSecond);
    ASSERT_TRUE(T().Looping());
    ASSERT_EQ(T().Frame(), start);
    ASSERT_FALSE(T().Paused());
    // Three whole loops and 1000 frames later, in frame-sized steps.
    const int64_t total = 3 * (end - start) + 1000;
    for (int64_t done = 0; done < total; done += 735) {
        audio::AdvanceManualClock(static_cast<double>(std::min<int64_t>(735, total - done)) /
                                  44100);
        session->Clock().currentRow();
        ASSERT_GE(T().Frame(), start);
        ASSERT_LT(T().Frame(), end);
    }
    EXPECT_EQ(std::tuple(T().Frame(), MusicFrame()), std::tuple(start + 1000, start + 1000));
}

}  // namespace
