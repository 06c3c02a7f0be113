#include "music.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

double Rms(const std::vector<float>& s, double from, double to) {
    const size_t a = size_t(from * content::kSampleRate) * 2, b = size_t(to * content::kSampleRate) * 2;
    double sum = 0;
    for (size_t i = a; i < b && i < s.size(); ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(b - a));
}

double Db(double v) { return 20.0 * std::log10(std::max(v, 1e-12)); }

class Soundtrack : public ::testing::Test {
protected:
    static void SetUpTestSuite() { song_ = new std::vector<float>(content::RenderSoundtrack()); }
    static void TearDownTestSuite() { delete song_; }
    static std::vector<float>* song_;
};
std::vector<float>* Soundtrack::song_ = nullptr;

TEST_F(Soundtrack, LongEnoughLoudEnoughAndNeverClipping) {
    const auto& s = *song_;
    EXPECT_GE(s.size() / 2, size_t(125 * content::kSampleRate));
    float peak = 0;
    for (float v : s) {
        ASSERT_TRUE(std::isfinite(v));
        peak = std::max(peak, std::fabs(v));
    }
    EXPECT_LT(peak, 0.9f);  // below -1 dBFS before encoding
    EXPECT_NEAR(Db(Rms(s, 0, 126)), -14.0, 1.5);
}

TEST_F(Soundtrack, SectionsFollowThePartsAndTheEndingIsCalm) {
    const auto& s = *song_;
    const double bar = content::BarSeconds();
    EXPECT_NEAR(bar, 4 * 60.0 / 153.0, 1e-9);
    const double intro = Rms(s, 0, 4 * bar);                 // pads swelling in
    const double groove = Rms(s, 20 * bar, 26 * bar);        // part 2: full beat
    const double peak = Rms(s, 44 * bar, 56 * bar);          // part 4
    const double breakdown = Rms(s, 61 * bar, 66 * bar);     // part 5: no beat
    const double ending = Rms(s, 124.5, 125.5);              // fading out
    EXPECT_GT(intro, 0.005);
    EXPECT_GT(groove, intro * 1.5);
    EXPECT_GT(peak, breakdown);
    EXPECT_LT(ending, peak * 0.1);
}

TEST_F(Soundtrack, KickLandsOnTheBeat) {
    // In the groove the energy of the 20 ms after each beat clearly exceeds that just before it.
    const auto& s = *song_;
    const double beat = 60.0 / 153.0;
    int louder = 0, beats = 0;
    for (int b = 16 * 4; b < 24 * 4; ++b, ++beats) {
        const double t = b * beat;
        if (Rms(s, t + 0.005, t + 0.025) > 1.5 * Rms(s, t - 0.03, t - 0.01)) ++louder;
    }
    EXPECT_GE(louder, beats * 9 / 10);
}

TEST(SoundtrackRender, IsDeterministic) {
    const auto a = content::RenderSoundtrack(3.0), b = content::RenderSoundtrack(3.0);
    ASSERT_EQ(a.size(), b.size());
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), size_t(3 * content::kSampleRate) * 2);
}

}  // namespace
