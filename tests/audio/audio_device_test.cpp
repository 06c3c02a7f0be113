// Playback through real SDL audio drivers: the disk driver records what was played, so it can be
// compared sample for sample with the decoded file; the position clock runs in real time.
#include <SDL.h>
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

constexpr uint64_t kBytesPerFrame = 8;

std::vector<float> ReadFloats(const std::string& path) {
    const std::vector<char> bytes = ReadBytes(path);
    std::vector<float> floats(bytes.size() / sizeof(float));
    std::memcpy(floats.data(), bytes.data(), floats.size() * sizeof(float));
    return floats;
}

// The frame offset in `recorded` at which decoded[from, to) appears bit for bit, or -1.
int64_t FindSegment(const std::vector<float>& recorded, const std::vector<float>& decoded,
                    int64_t from, int64_t to, int64_t searchFrom = 0) {
    const int64_t frames = static_cast<int64_t>(recorded.size() / 2);
    for (int64_t at = searchFrom; at + (to - from) <= frames; ++at) {
        if (std::memcmp(&recorded[at * 2], &decoded[from * 2], (to - from) * 2 * sizeof(float)) ==
            0)
            return at;
    }
    return -1;
}

bool WaitUntilStopped(audio::Handle stream, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (audio::ChannelIsActive(stream) == audio::BASS_ACTIVE_STOPPED) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

class DiskDriver : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteTestMp3(dir.File("music.mp3"), 13230);  // 0.3 s
        std::string error;
        ASSERT_TRUE(audio::DecodeMp3File(dir.File("music.mp3").c_str(), &decoded, &error, nullptr))
            << error;
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", dir.File("played.raw").c_str(), 1);
        audio::Configure({});
        ASSERT_TRUE(audio::Init(1, 44100, audio::BASS_DEVICE_LATENCY));
        stream = audio::StreamCreateFile(false, dir.File("music.mp3").c_str(), 0, 0,
                                         audio::BASS_STREAM_PRESCAN);
        ASSERT_NE(stream, 0u);
    }
    void TearDown() override {
        audio::Free();
        unsetenv("SDL_AUDIODRIVER");
        unsetenv("SDL_DISKAUDIOFILE");
    }

    vmtest::ScratchDir dir;
    audio::DecodedAudio decoded;
    audio::Handle stream = 0;
};

}  // namespace

TEST_F(DiskDriver, PlaysTheDecodedSamplesExactlyPausesResumesAndStopsAtTheEnd) {
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
    EXPECT_EQ(audio::ChannelIsActive(stream), audio::BASS_ACTIVE_PAUSED);

    ASSERT_TRUE(audio::ChannelPlay(stream, false));
    EXPECT_GE(audio::ChannelGetPosition(stream), frozen);
    ASSERT_TRUE(WaitUntilStopped(stream, 5.0));
    EXPECT_EQ(audio::ChannelGetPosition(stream), audio::ChannelGetLength(stream));
    ASSERT_TRUE(audio::Free());

    // Recorded: silence, the start, silence while paused, everything from the frozen position on
    // (bit for bit), then silence.
    const int64_t frozenFrame = static_cast<int64_t>(frozen / kBytesPerFrame);
    const std::vector<float> recorded = ReadFloats(dir.File("played.raw"));
    const int64_t start = FindSegment(recorded, decoded.samples, 0, frozenFrame);
    ASSERT_GE(start, 0);
    const int64_t resumed =
        FindSegment(recorded, decoded.samples, frozenFrame, decoded.frames, start + frozenFrame);
    ASSERT_GE(resumed, start + frozenFrame) << "playback did not resume at the frozen position";
    for (size_t i = (resumed + decoded.frames - frozenFrame) * 2; i < recorded.size(); ++i)
        ASSERT_EQ(recorded[i], 0.0f);
}

TEST(AudioDriverChoice, AFailingChosenDriverFailsInitCleanlyAndSaysWhich) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    audio::Configure({});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(audio::Init(1, 44100, 0));
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("no-such-driver"), std::string::npos) << messages;
    EXPECT_FALSE(audio::Free());  // nothing was left open
    unsetenv("SDL_AUDIODRIVER");
}
