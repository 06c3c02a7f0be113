#include "driver/frame_loop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "driver/live_frame.h"
#include "support/call_lines.h"
#include "sync/device.h"

namespace driver {
namespace {

// A scripted timer, track set, pump and renderer in one: every call the loop makes is logged as one
// readable line, and the script says what each pass sees.
class ScriptedWorld : public MusicClock,
                      public TrackSource,
                      public FrameRenderer,
                      public MessagePump {
  public:
    // Seconds of music per pass (the last entry repeats); rows are seconds * 12.75.
    std::vector<float> secondsPerPass{1.0f};
    std::map<TrackId, float> values;
    std::vector<bool> updateResults{true};             // per pass, last repeats
    std::vector<bool> activePerPass{true};             // soundtrack active, per pass, last repeats
    std::map<unsigned, std::deque<ui::Msg>> messages;  // pass index -> queue
    std::vector<std::string> log;
    unsigned pass = 0;

    template <typename T>
    static T At(const std::vector<T>& v, unsigned i) {
        return i < v.size() ? v[i] : v.back();
    }

    float currentSeconds() override { return At(secondsPerPass, pass); }
    float currentRow() override { return currentSeconds() * 12.75f; }
    bool soundtrackActive() override { return At(activePerPass, pass); }
    bool update(float row) override {
        Log("update", row);
        return At(updateResults, pass);
    }
    float value(TrackId track, float) override {
        auto it = values.find(track);
        return it == values.end() ? 0.0f : it->second;
    }
    void SetCamera(float ex, float ey, float ez, float tx, float ty, float tz, float fov) override {
        Log("camera", ex, ey, ez, tx, ty, tz, fov);
    }
    void ScenePig(float s) override { Log("ScenePig", s); }
    void SceneReflection(float s) override { Log("SceneReflection", s); }
    void SceneParade(float s) override { Log("SceneParade", s); }
    void SceneSwarm(float s, float fade) override { Log("SceneSwarm", s, fade); }
    void SceneImage(const char* image, float s, float flash) override {
        Log((std::string("SceneImage ") + image).c_str(), s, flash);
    }
    void ClearBackBuffer(uint32_t color) override { log.push_back(Format("clear %06X", color)); }
    void FilterDefault() override { Log("FilterDefault"); }
    void FilterGaussian(float r) override { Log("FilterGaussian", r); }
    void FilterEdge(float p) override { Log("FilterEdge", p); }
    void FilterBlurTwoHalf(float r) override { Log("FilterBlurTwoHalf", r); }
    void FilterBlurQuarter(float r) override { Log("FilterBlurQuarter", r); }
    void FilterBlurStacked(float r, float r2) override { Log("FilterBlurStacked", r, r2); }
    void FilterEdgeBlur(float r) override { Log("FilterEdgeBlur", r); }
    void Present() override { Log("Present"); }
    void UpdateAudio() override { Log("UpdateAudio"); }
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
    void Translate(const ui::Msg& m) override {
        log.push_back(Format("translate %04X", m.message));
    }
    void Dispatch(const ui::Msg& m) override { log.push_back(Format("dispatch %04X", m.message)); }

    static std::string Format(const char* format, uint32_t v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, format, v);
        return buf;
    }
    // "name a b c" with the numbers in %g.
    template <typename... Floats>
    void Log(const char* name, Floats... numbers) {
        std::string line = name;
        char buf[32];
        ((std::snprintf(buf, sizeof buf, " %g", double(numbers)), line += buf), ...);
        log.push_back(line);
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

// ---- Dispatch of one pass
// ------------------------------------------------------------------------

TEST_F(FrameLoopTest, PassRunsItsStepsInOrderWithTheCameraFromItsTracks) {
    world.secondsPerPass = {2.0f};
    world.values = {{TrackId::CamX, 1},       {TrackId::CamY, 2},  {TrackId::CamZ, 3},
                    {TrackId::ViewX, 4},      {TrackId::ViewY, 5}, {TrackId::ViewZ, 6},
                    {TrackId::CamFov, 0.75f}, {TrackId::Part, 3},  {TrackId::Filter, 2},
                    {TrackId::Fp, 0.5f}};
    world.messages[0] = {{ui::WM_KEYDOWN, 'A', 0}};
    MakeLoop().RunPass();
    EXPECT_EQ(world.log,
              (std::vector<std::string>{"update 25.5", "camera 1 2 3 4 5 6 0.75", "SceneParade 2",
                                        "FilterEdge 0.5", "Present", "UpdateAudio",
                                        "translate 0100", "dispatch 0100"}));
}

struct PartCase {
    float value;
    const char* expected;  // the scene call, or the clear
};

TEST_F(FrameLoopTest, PartValueIsTruncatedTowardZero) {
    const PartCase cases[] = {
        {1.99f, "ScenePig 7"},           {1.0f, "ScenePig 7"},
        {2.0f, "SceneReflection 7"},     {3.5f, "SceneParade 7"},
        {4.0f, "SceneSwarm 7 0.25"},     {5.0f, "SceneImage dama 7 0.8"},
        {6.5f, "SceneImage demo 0 0.8"},  // part 6 passes no time
        {0.5f, "clear FFFF00"},          {0.0f, "clear FFFF00"},
        {-0.5f, "clear FFFF00"},         {-1.0f, "clear FFFF00"},
        {7.0f, "clear FFFF00"},          {std::numeric_limits<float>::quiet_NaN(), "clear FFFF00"},
        {3e9f, "clear FFFF00"},          {-std::numeric_limits<float>::infinity(), "clear FFFF00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        world.log.clear();
        world.secondsPerPass = {7.0f};
        world.values = {{TrackId::Part, c.value},
                        {TrackId::Fade, 0.25f},
                        {TrackId::Flash, 0.8f},
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
        world.values = {{TrackId::Part, 0.0f},
                        {TrackId::Filter, c.value},
                        {TrackId::Fp, 0.5f},
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

// The loop stops after a pass once the music is strictly past 123 s, after the pass that drained an
// Escape key-down (high bits ignored) or WM_QUIT, when the soundtrack has stopped (a paused one
// plays on), or when the sync device refuses an update; the stopping pass is still rendered,
// presented and its queue drained.
TEST(FrameLoopStops, AfterThePassThatMeetsAStopCondition) {
    using Messages = std::map<unsigned, std::deque<ui::Msg>>;
    struct Case {
        const char* what;
        std::vector<float> seconds;
        std::vector<bool> active, updates;
        Messages messages;
        unsigned passes;
        std::vector<std::string> tail;  // the last lines of the log
    };
    const Messages escape{
        {0, {{ui::WM_KEYUP, ui::VK_ESCAPE, 0}, {ui::WM_KEYDOWN, ui::VK_SPACE, 0}}},
        {1, {{ui::WM_KEYDOWN, ui::VK_ESCAPE | 0x10000u, 0}, {ui::WM_KEYUP, ui::VK_ESCAPE, 0}}},
        {2, {{ui::WM_KEYDOWN, ui::VK_ESCAPE, 0}}}};  // never reached
    const Messages quit{{0, {{ui::WM_QUIT, 0, 0}, {ui::WM_KEYDOWN, 'X', 0}}}};
    const Case cases[] = {
        {"end time",
         {122.5f, 123.0f, 123.0001f, 130.0f},
         {true},
         {true},
         {},
         3,
         {"Present", "UpdateAudio"}},
        {"escape",
         {1.0f},
         {true},
         {true},
         escape,
         2,
         {"Present", "UpdateAudio", "translate 0100", "dispatch 0100", "translate 0101",
          "dispatch 0101"}},
        {"quit",
         {1.0f},
         {true},
         {true},
         quit,
         1,
         {"translate 0012", "dispatch 0012", "translate 0100", "dispatch 0100"}},
        {"stopped soundtrack",
         {10.0f, 20.0f},
         {true, true, false},
         {true},
         {},
         3,
         {"Present", "UpdateAudio"}},
        {"refused update",
         {1.0f},
         {true},
         {true, false, true},
         {},
         2,
         {"update 12.75", "camera 0 0 0 0 0 0 0", "SceneReflection 1", "FilterDefault", "Present",
          "UpdateAudio"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedWorld world;
        world.secondsPerPass = c.seconds;
        world.activePerPass = c.active;
        world.updateResults = c.updates;
        world.messages = c.messages;
        world.values = {{TrackId::Part, 2.0f}};
        std::FILE* out = std::tmpfile();
        EXPECT_EQ(FrameLoop(world, world, world, world, out).Run(), c.passes);
        std::fclose(out);
        ASSERT_GE(world.log.size(), c.tail.size());
        EXPECT_EQ(std::vector<std::string>(world.log.end() - long(c.tail.size()), world.log.end()),
                  c.tail);
        EXPECT_EQ(std::count(world.log.begin(), world.log.end(), "Present"), long(c.passes));
    }
}

// ---- Tracks -------------------------------------------------------------------------------------

// A device whose tracks each hold one key: their fetch number.
class NumberedTracks : public sync::Device {
  public:
    NumberedTracks() : sync::Device("s/synced") {}
    sync::Track* fetchTrack(const std::string& name) override {
        names.push_back(name);
        tracks.push_back(std::make_unique<sync::Track>());
        tracks.back()->setKey(0, {static_cast<float>(names.size() - 1), sync::Step});
        return tracks.back().get();
    }
    bool update(float) override { return true; }
    vmtest::Lines names;
    std::vector<std::unique_ptr<sync::Track>> tracks;
};

TEST(DeviceTracks, FetchesEveryTrackOnceInOrderAndReadsEachByItsOwnName) {
    NumberedTracks device;
    DeviceTracks tracks(device);
    EXPECT_LINES(
        device.names,
        (vmtest::Lines{"0_part",     "0_filter", "0_fp",     "0_fp2",   "0_fade",    "0_flash",
                       "0_gradient", "1_cam.x",  "1_cam.y",  "1_cam.z", "1_cam.fov", "1_cam.rot",
                       "1_view.x",   "1_view.y", "1_view.z", "2_st1",   "2_st2",     "2_st3",
                       "2_st4",      "2_st5",    "2_st6",    "2_st7",   "3_smile"}));
    const std::pair<TrackId, const char*> read[] = {
        {TrackId::Part, "0_part"},      {TrackId::Filter, "0_filter"}, {TrackId::Fp, "0_fp"},
        {TrackId::Fp2, "0_fp2"},        {TrackId::Fade, "0_fade"},     {TrackId::Flash, "0_flash"},
        {TrackId::CamX, "1_cam.x"},     {TrackId::CamY, "1_cam.y"},    {TrackId::CamZ, "1_cam.z"},
        {TrackId::CamFov, "1_cam.fov"}, {TrackId::ViewX, "1_view.x"},  {TrackId::ViewY, "1_view.y"},
        {TrackId::ViewZ, "1_view.z"}};
    for (const auto& [id, name] : read) {
        const auto fetched = static_cast<size_t>(tracks.value(id, 7.0f));
        ASSERT_LT(fetched, device.names.size()) << name;
        EXPECT_EQ(device.names[fetched], name);
    }
}

}  // namespace
}  // namespace driver
