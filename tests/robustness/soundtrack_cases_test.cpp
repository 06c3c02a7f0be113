// Bad soundtracks: a file the audio layer cannot open as a stream ends the demo after the
// "fucked stream" box with exit code 0, before anything is loaded; a damaged but decodable file
// plays for as long as it lasts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/audio/mp3_writer.h"
#include "robustness/bad_data_fixture.h"

namespace robust {
namespace {

class BadSoundtrackTest : public BadDataTest {
  protected:
    void ExpectNoStream(const DemoRun& run) const {
        ExpectSurvived(run);
        EXPECT_EQ(run.exitCode, 0) << run.DescribeBoxes();
        ASSERT_EQ(run.boxes.size(), 1u) << run.DescribeBoxes();
        EXPECT_EQ(run.boxes[0].caption, "fucked stream");
        EXPECT_EQ(run.boxes[0].text, "error");
        EXPECT_EQ(run.frames, 0);
        EXPECT_EQ(run.out.find("loading complete"), std::string::npos);
        // The audio layer says why on stderr.
        EXPECT_NE(run.err.find(kSoundtrack), std::string::npos) << run.err;
    }
};

// One refusal stands for all (a missing file is the empty-folder case): the decoder's reasons are
// checked with the audio tests.
TEST_F(BadSoundtrackTest, TextBehindTheMp3ExtensionIsRefused) {
    Write(kSoundtrack, std::string("ID3 but not really\nthis is text, not MPEG audio\n"));
    ExpectNoStream(Run());
}

TEST_F(BadSoundtrackTest, TruncatedSoundtrackPlaysWhatItHoldsAndEnds) {
    Bytes mp3 = Read(kSoundtrack);
    mp3.resize(mp3.size() / 2);
    Write(kSoundtrack, mp3);
    const DemoRun run = Run();
    ExpectSurvived(run);
    EXPECT_EQ(run.exitCode, 0) << run.DescribeBoxes();
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
    EXPECT_GE(run.frames, 2);
    EXPECT_LT(run.frames, kFullRunFrames) << "about half the music, so about half the frames";
}

// Garbage in the middle: the music plays on after it, in time, with one line saying where.
TEST_F(BadSoundtrackTest, DamagedStretchPlaysOnToTheEndWithOneLine) {
    Bytes mp3 = Read(kSoundtrack);
    std::mt19937 random(5);
    for (size_t i = mp3.size() / 2; i < mp3.size() / 2 + 4096; ++i)
        mp3[i] = static_cast<uint8_t>(random());
    Write(kSoundtrack, mp3);
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
    const size_t note = run.err.find("damaged bytes at byte");
    ASSERT_NE(note, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("damaged bytes", note + 1), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("truncated"), std::string::npos) << run.err;
}

// Makers' music is often 48 kHz or mono: it plays, at its own length.
TEST_F(BadSoundtrackTest, SoundtrackAtAnotherRateOrInMonoPlaysToTheEnd) {
    for (const bool mono : {false, true}) {
        SCOPED_TRACE(mono ? "48 kHz mono" : "48 kHz stereo");
        const std::vector<float> silence(size_t(kSoundtrackSeconds * 48000) * 2, 0.0f);
        std::string error;
        ASSERT_TRUE(audio::WriteMp3(Path(kSoundtrack).c_str(), silence.data(), silence.size() / 2,
                                    48000, &error, mono))
            << error;
        const DemoRun run = Run();
        ExpectRanToTheEnd(run);
        EXPECT_TRUE(run.boxes.empty()) << run.DescribeBoxes();
    }
}

}  // namespace
}  // namespace robust
