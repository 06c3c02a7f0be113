// Bad soundtracks: a file the audio layer cannot open as a stream ends the demo after the
// "fucked stream" box with exit code 0, before anything is loaded; a damaged but decodable file
// plays for as long as it lasts.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace robust
