#include "driver/frame_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace driver {
namespace {

// A scripted timer, track set, pump and renderer in one: every call the loop makes is logged as one
// readable line, and the script says what each pass sees.
class ScriptedWorld : public MusicClock, public TrackSource, public FrameRenderer, public MessagePump {
public:
    // Seconds of music per pass (the last entry repeats); rows are seconds * 12.75.
    std::vector<float> secondsPerPass{1.0f};
    std::map<TrackId, float> values;
    std::vector<bool> updateResults{true};     // per pass, last repeats
    std::vector<bool> activePerPass{true};     // soundtrack active, per pass, last repeats
    std::map<unsigned, std::deque<ui::Msg>> messages;  // pass index -> queue
    std::vector<std::string> log;
    unsigned pass = 0;

    template <typename T>
    static T At(const std::vector<T>& v, unsigned i) { return i < v.size() ? v[i] : v.back(); }

    float currentSeconds() override { return At(secondsPerPass, pass); }
    float currentRow() override { return currentSeconds() * 12.75f; }
    bool soundtrackActive() override { return At(activePerPass, pass); }
    bool update(float row) override {
        log.push_back("update " + Num(row));
        return At(updateResults, pass);
    }
    float value(TrackId track, float) override {
        auto it = values.find(track);
        return it == values.end() ? 0.0f : it->second;
    }
    void SetCamera(float ex, float ey, float ez, float tx, float ty, float tz, float fov) override {
        log.push_back("camera " + Num(ex) + " " + Num(ey) + " " + Num(ez) + " " + Num(tx) + " " +
                      Num(ty) + " " + Num(tz) + " " + Num(fov));
    }
    void ScenePig(float s) override { log.push_back("ScenePig " + Num(s)); }
    void SceneReflection(float s) override { log.push_back("SceneReflection " + Num(s)); }
    void SceneParade(float s) override { log.push_back("SceneParade " + Num(s)); }
    void SceneSwarm(float s, float fade) override {
        log.push_back("SceneSwarm " + Num(s) + " " + Num(fade));
    }
    void SceneImage(const char* image, float s, float flash) override {
        log.push_back(std::string("SceneImage ") + image + " " + Num(s) + " " + Num(flash));
    }
    void ClearBackBuffer(uint32_t color) override {
        char buf[32];
        std::snprintf(buf, sizeof buf, "clear %06X", color);
        log.push_back(buf);
    }
    void FilterDefault() override { log.push_back("FilterDefault"); }
    void FilterGaussian(float r) override { log.push_back("FilterGaussian " + Num(r)); }
    void FilterEdge(float p) override { log.push_back("FilterEdge " + Num(p)); }
    void FilterBlurTwoHalf(float r) override { log.push_back("FilterBlurTwoHalf " + Num(r)); }
    void FilterBlurQuarter(float r) override { log.push_back("FilterBlurQuarter " + Num(r)); }
    void FilterBlurStacked(float r, float r2) override {
        log.push_back("FilterBlurStacked " + Num(r) + " " + Num(r2));
    }
    void FilterEdgeBlur(float r) override { log.push_back("FilterEdgeBlur " + Num(r)); }
    void Present() override { log.push_back("Present"); }
    void UpdateAudio() override {
        log.push_back("UpdateAudio");
    }
    bool Peek(ui::Msg* msg) override {
        auto& queue = messages[pass];
        if (queue.empty()) {
            ++pass;  // the drain ends every pass
            return false;
        }
        *msg = queue.front();
        queue.pop_front();
        return true;
    }
    void Translate(const ui::Msg& m) override { log.push_back("translate " + Hex(m.message)); }
    void Dispatch(const ui::Msg& m) override { log.push_back("dispatch " + Hex(m.message)); }

    static std::string Num(float v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", v);
        return buf;
    }
    static std::string Hex(uint32_t v) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04X", v);
        return buf;
    }
};

class FrameLoopTest : public ::testing::Test {
protected:
    void SetUp() override { out_ = open_memstream(&outBuf_, &outSize_); }
    void TearDown() override {
        if (out_) std::fclose(out_);
        std::free(outBuf_);
    }
    FrameLoop MakeLoop() { return FrameLoop(world, world, world, world, out_); }
    std::string Output() {
        std::fflush(out_);
        return std::string(outBuf_, outSize_);
    }
    // The log lines of the first pass that name a scene, clear or filter.
    std::vector<std::string> DrawCalls() {
        std::vector<std::string> calls;
        for (const auto& line : world.log) {
            if (line.rfind("Scene", 0) == 0 || line.rfind("clear", 0) == 0 ||
                line.rfind("Filter", 0) == 0)
                calls.push_back(line);
        }
        return calls;
    }

    ScriptedWorld world;
    std::FILE* out_ = nullptr;
    char* outBuf_ = nullptr;
    size_t outSize_ = 0;
};


// ---- Dispatch of one pass ------------------------------------------------------------------------

TEST_F(FrameLoopTest, PassRunsItsStepsInOrderWithTheCameraFromItsTracks) {
    world.secondsPerPass = {2.0f};
    world.values = {{TrackId::CamX, 1}, {TrackId::CamY, 2}, {TrackId::CamZ, 3}, {TrackId::ViewX, 4},
                    {TrackId::ViewY, 5}, {TrackId::ViewZ, 6}, {TrackId::CamFov, 0.75f},
                    {TrackId::Part, 3}, {TrackId::Filter, 2}, {TrackId::Fp, 0.5f}};
    world.messages[0] = {{ui::WM_KEYDOWN, 'A', 0}};
    MakeLoop().RunPass();
    EXPECT_EQ(world.log, (std::vector<std::string>{
                             "update 25.5", "camera 1 2 3 4 5 6 0.75", "SceneParade 2",
                             "FilterEdge 0.5", "Present", "UpdateAudio", "translate 0100",
                             "dispatch 0100"}));
}

struct PartCase {
    float value;
    const char* expected;  // the scene call, or the clear
};

TEST_F(FrameLoopTest, PartValueIsTruncatedTowardZero) {
    const PartCase cases[] = {
        {1.99f, "ScenePig 7"},        {1.0f, "ScenePig 7"},
        {2.0f, "SceneReflection 7"},  {3.5f, "SceneParade 7"},
        {4.0f, "SceneSwarm 7 0.25"},  {5.0f, "SceneImage dama 7 0.8"},
        {6.5f, "SceneImage demo 0 0.8"},  // part 6 passes no time
        {0.5f, "clear FFFF00"},       {0.0f, "clear FFFF00"},
        {-0.5f, "clear FFFF00"},      {-1.0f, "clear FFFF00"},
        {7.0f, "clear FFFF00"},       {std::numeric_limits<float>::quiet_NaN(), "clear FFFF00"},
        {3e9f, "clear FFFF00"},       {-std::numeric_limits<float>::infinity(), "clear FFFF00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        world.log.clear();
        world.secondsPerPass = {7.0f};
        world.values = {{TrackId::Part, c.value}, {TrackId::Fade, 0.25f}, {TrackId::Flash, 0.8f},
                        {TrackId::Filter, 1.0f}};
        MakeLoop().RunPass();
        ASSERT_EQ(DrawCalls().size(), 2u);
        EXPECT_EQ(DrawCalls()[0], c.expected);
        EXPECT_EQ(DrawCalls()[1], "FilterGaussian 0");
    }
    // Only part 1 announces itself, once per pass that runs it; filter 1 prints nothing.
    EXPECT_EQ(Output(), "in part 1\nin part 1\n");
}

TEST_F(FrameLoopTest, FilterValueIsTruncatedAndOnlyAnExactZeroAnnouncesTheClear) {
    const struct {
        float value;
        const char* expected;
        const char* output;
    } cases[] = {
        {0.0f, "FilterDefault", "clear\n"},
        {0.9f, "FilterDefault", "clear\n"},
        {-0.5f, "FilterDefault", "clear\n"},  // truncates to 0
        {1.5f, "FilterGaussian 0.5", ""},
        {2.0f, "FilterEdge 0.5", ""},
        {3.0f, "FilterBlurTwoHalf 0.5", ""},
        {4.0f, "FilterBlurQuarter 0.5", ""},
        {5.0f, "FilterBlurStacked 0.5 3", ""},
        {6.9f, "FilterEdgeBlur 0.5", ""},
        {7.0f, "FilterDefault", ""},
        {-1.0f, "FilterDefault", ""},
        {std::numeric_limits<float>::quiet_NaN(), "FilterDefault", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        // A fresh stream per case so each case's output is checked on its own.
        std::fclose(out_);
        std::free(outBuf_);
        outBuf_ = nullptr;
        out_ = open_memstream(&outBuf_, &outSize_);
        world.log.clear();
        world.values = {{TrackId::Part, 0.0f}, {TrackId::Filter, c.value}, {TrackId::Fp, 0.5f},
                        {TrackId::Fp2, 3.0f}};
        MakeLoop().RunPass();
        ASSERT_EQ(DrawCalls().size(), 2u);
        EXPECT_EQ(DrawCalls()[1], c.expected);
        EXPECT_EQ(Output(), c.output);
    }
}

TEST(TruncateSelector, TruncatesTowardZeroAndMapsUnrepresentableValuesToMinusOne) {
    EXPECT_EQ(TruncateSelector(1.99f), 1);
    EXPECT_EQ(TruncateSelector(-1.99f), -1);
    EXPECT_EQ(TruncateSelector(-0.99f), 0);
    EXPECT_EQ(TruncateSelector(2147483520.0f), 2147483520);  // largest float below 2^31
    EXPECT_EQ(TruncateSelector(2147483648.0f), -1);
    EXPECT_EQ(TruncateSelector(-2147483648.0f), -1);
    EXPECT_EQ(TruncateSelector(std::numeric_limits<float>::quiet_NaN()), -1);
}

// ---- Stop conditions ----------------------------------------------------------------------------

TEST_F(FrameLoopTest, EndTimeStopsOnlyOnceTheMusicIsStrictlyPastIt) {
    world.secondsPerPass = {122.5f, 123.0f, 123.0001f, 130.0f};
    EXPECT_EQ(MakeLoop().Run(), 3u);
}

TEST_F(FrameLoopTest, EscapeKeyDownStopsAfterTheCurrentPassOtherKeysDoNot) {
    world.messages[0] = {{ui::WM_KEYUP, ui::VK_ESCAPE, 0}, {ui::WM_KEYDOWN, ui::VK_SPACE, 0},
                         {ui::WM_KEYDOWN, ui::VK_RETURN, 0}};
    world.messages[1] = {{ui::WM_KEYDOWN, ui::VK_ESCAPE | 0x10000u, 0},  // high bits ignored
                         {ui::WM_KEYUP, ui::VK_ESCAPE, 0}};
    world.messages[2] = {{ui::WM_KEYDOWN, ui::VK_ESCAPE, 0}};  // never reached
    EXPECT_EQ(MakeLoop().Run(), 2u);
    // The stopping pass was presented and its queue drained to the end.
    const std::vector<std::string> tail(world.log.end() - 6, world.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"Present", "UpdateAudio", "translate 0100",
                                              "dispatch 0100", "translate 0101", "dispatch 0101"}));
}

TEST_F(FrameLoopTest, QuitMessageStopsAfterBeingTranslatedAndDispatched) {
    world.messages[0] = {{ui::WM_QUIT, 0, 0}, {ui::WM_KEYDOWN, 'X', 0}};
    EXPECT_EQ(MakeLoop().Run(), 1u);
    const std::vector<std::string> tail(world.log.end() - 4, world.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"translate 0012", "dispatch 0012", "translate 0100",
                                              "dispatch 0100"}));
}

TEST_F(FrameLoopTest, SyncDeviceRefusalStillRendersAndPresentsThatPass) {
    world.updateResults = {true, true, false, true};
    world.values = {{TrackId::Part, 2.0f}};
    EXPECT_EQ(MakeLoop().Run(), 3u);
    const std::vector<std::string> lastPass(world.log.end() - 6, world.log.end());
    EXPECT_EQ(lastPass[0], "update 12.75");
    EXPECT_EQ(lastPass[2], "SceneReflection 1");
    EXPECT_EQ(lastPass[4], "Present");
}

TEST_F(FrameLoopTest, StoppedSoundtrackEndsTheLoopButAPausedOrPlayingOneDoesNot) {
    world.secondsPerPass = {10.0f, 20.0f, 20.0f};
    world.activePerPass = {true, true, false};
    EXPECT_EQ(MakeLoop().Run(), 3u);
    EXPECT_EQ(std::count(world.log.begin(), world.log.end(), "Present"), 3);
}

}  // namespace
}  // namespace driver
