// The music timer over a stream of the audio layer, driven by its manual clock.
#include "sync/bass_timer.h"

#include <gtest/gtest.h>

#include "audio/test_signal.h"
#include "platform/audio/audio.h"
#include "support/scratch_dir.h"

// One silent (so quick to encode) soundtrack long enough to reach 123 s.
TEST(BassTimer, RowsFollowTheMusicAt12AndThreeQuarterRowsPerSecondAndPauseHoldsThem) {
    vmtest::ScratchDir dir;
    WriteTestMp3(dir.File("long.mp3"), 124 * 44100, true);
    audio::Configure({.manualClock = true});
    ASSERT_TRUE(audio::Init(1, 44100, audio::BASS_DEVICE_LATENCY));
    const audio::Handle stream =
        audio::StreamCreateFile(false, dir.File("long.mp3").c_str(), 0, 0, 0);
    ASSERT_NE(stream, 0u);
    BassTimer timer(stream, 153.0f, 5);
    EXPECT_EQ(timer.rowsPerSecond, 12.75f);
    EXPECT_EQ(BassTimer(stream, 120.0f, 4).rowsPerSecond, 8.0f);
    EXPECT_FALSE(timer.isPlaying());
    timer.play();
    audio::AdvanceManualClock(1.0);
    timer.pause();
    EXPECT_FALSE(timer.isPlaying());
    audio::AdvanceManualClock(5.0);
    EXPECT_EQ(timer.currentRow(), 12.75f);
    timer.play();  // on from where it paused
    EXPECT_TRUE(timer.isPlaying());
    audio::AdvanceManualClock(1.0);
    EXPECT_EQ(timer.currentRow(), 25.5f);
    audio::AdvanceManualClock(121.0);
    EXPECT_EQ(timer.currentSeconds(), 123.0f);
    EXPECT_EQ(timer.currentRow(), 1568.25f);

    timer.seekRow(25.5f);
    EXPECT_EQ(audio::ChannelGetPosition(stream), 88200u * 8u);
    timer.seekRow(141.125f);  // 141.125 / 12.75 is 11.0686274 s in float (x 1/12.75: ...283)
    EXPECT_EQ(audio::ChannelGetPosition(stream), 488126u * 8u);
    audio::Free();
    audio::Configure({});
}
