// Playback through real SDL audio drivers: the disk driver records what was played, so it can be
// compared sample for sample with the decoded file; the position clock runs in real time.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "audio/test_signal.h"
#include "platform/audio/audio.h"
#include "platform/audio/mp3_decoder.h"
#include "support/scratch_dir.h"

namespace {

// The frame offset in `recorded` from `searchFrom` on at which decoded[from, to) appears bit for
// bit, or -1.
int64_t FindSegment(const std::vector<float>& recorded, const std::vector<float>& decoded,
                    int64_t from, int64_t to, int64_t searchFrom = 0) {
    for (int64_t at = searchFrom; (at + to - from) * 2 <= int64_t(recorded.size()); ++at)
        if (std::memcmp(&recorded[at * 2], &decoded[from * 2], (to - from) * 2 * sizeof(float)) ==
            0)
            return at;
    return -1;
}

}  // namespace

TEST(DiskDriver, PlaysTheDecodedSamplesExactlyPausesResumesAndStopsAtTheEnd) {
    vmtest::ScratchDir dir;
    WriteTestMp3(dir.File("music.mp3"), 13230);  // 0.3 s
    audio::DecodedAudio decoded;
    std::string error;
    ASSERT_TRUE(audio::DecodeMp3File(dir.File("music.mp3").c_str(), &decoded, &error, nullptr));
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", dir.File("played.raw").c_str(), 1);
    audio::Configure({});
    ASSERT_TRUE(audio::Init(1, 44100, audio::BASS_DEVICE_LATENCY));
    const audio::Handle stream =
        audio::StreamCreateFile(false, dir.File("music.mp3").c_str(), 0, 0, 0);
    ASSERT_TRUE(audio::ChannelPlay(stream, false));
    uint64_t last = 0;
    for (auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(120);
         std::chrono::steady_clock::now() < until;) {
        const uint64_t position = audio::ChannelGetPosition(stream);
        ASSERT_GE(position, last);
        last = position;
    }
    ASSERT_TRUE(audio::ChannelPause(stream));
    const uint64_t frozen = audio::ChannelGetPosition(stream);
    EXPECT_GT(frozen, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(audio::ChannelGetPosition(stream), frozen);
    ASSERT_TRUE(audio::ChannelPlay(stream, false));
    for (int i = 0; i < 1000 && audio::ChannelIsActive(stream) != audio::BASS_ACTIVE_STOPPED; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(audio::ChannelGetPosition(stream), audio::ChannelGetLength(stream));
    ASSERT_TRUE(audio::Free());
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");

    // Recorded: silence, the start, silence while paused, everything from the frozen position on
    // (bit for bit), then silence.
    const int64_t frozenFrame = static_cast<int64_t>(frozen / 8);
    const std::string bytes = dir.Read("played.raw");
    std::vector<float> recorded(bytes.size() / sizeof(float));
    std::memcpy(recorded.data(), bytes.data(), recorded.size() * sizeof(float));
    const int64_t start = FindSegment(recorded, decoded.samples, 0, frozenFrame);
    ASSERT_GE(start, 0);
    const int64_t resumed =
        FindSegment(recorded, decoded.samples, frozenFrame, decoded.frames, start + frozenFrame);
    ASSERT_GE(resumed, start + frozenFrame) << "playback did not resume at the frozen position";
    for (size_t i = (resumed + decoded.frames - frozenFrame) * 2; i < recorded.size(); ++i)
        ASSERT_EQ(recorded[i], 0.0f);
}
