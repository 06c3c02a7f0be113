#include "driver/frame_loop.h"

#include <gtest/gtest.h>

#include <cstdio>
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
    // Per pass, the last entry repeating: seconds of music (rows are seconds * 12.75), whether the
    // soundtrack is active and what the device's update answers.
    std::vector<float> seconds{1.0f};
    std::vector<bool> active{true}, updates{true};
    std::map<TrackId, float> values;
    std::map<unsigned, std::deque<ui::Msg>> messages;  // pass index -> queue
    vmtest::Lines log;
    unsigned pass = 0;

    template <typename T>
    static T At(const std::vector<T>& v, unsigned i) {
        return i < v.size() ? v[i] : v.back();
    }

    float currentSeconds() override { return At(seconds, pass); }
    float currentRow() override { return currentSeconds() * 12.75f; }
    bool soundtrackActive() override { return At(active, pass); }
    bool update(float row) override {
        Log("update", row);
        return At(updates, pass);
    }
    float value(TrackId track, float) override {
        return values.contains(track) ? values[track] : 0;
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
    void ClearBackBuffer(uint32_t color) override {
        char buf[16];
        std::snprintf(buf, sizeof buf, "clear %06X", color);
        log.push_back(buf);
    }
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
    void Translate(const ui::Msg& m) override { Log("translate", m.message); }
    void Dispatch(const ui::Msg& m) override { Log("dispatch", m.message); }

    // "name a b c" with the numbers in %g.
    template <typename... Numbers>
    void Log(const char* name, Numbers... numbers) {
        std::string line = name;
        char buf[32];
        ((std::snprintf(buf, sizeof buf, " %g", double(numbers)), line += buf), ...);
        log.push_back(line);
    }

    // Runs one pass (or the whole loop, counting its passes) and returns what it printed.
    std::string Printed(unsigned* passes = nullptr) {
        FrameLoop loop(*this, *this, *this, *this, stdout);
        testing::internal::CaptureStdout();
        passes ? void(*passes = loop.Run()) : void(loop.RunPass());
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }
};

// The part and filter values are truncated toward zero; values without an integer (NaN, beyond
// int32) or out of range clear the back buffer yellow (0xFFFF00) and run the default filter. Only
// part 1 and filter 0 print a line. A pass updates the device, sets the camera from its tracks,
// draws, filters, presents, updates the audio and drains the messages.
TEST(FrameLoop, PassesChooseTheSceneAndTheFilterByTheirTracks) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        float part, filter;
        const char *scene, *filterCall, *printed;
    } cases[] = {
        {1.99f, 0.9f, "ScenePig 7", "FilterDefault", "in part 1\nclear\n"},
        {2.0f, -0.5f, "SceneReflection 7", "FilterDefault", "clear\n"},
        {3.5f, 1.5f, "SceneParade 7", "FilterGaussian 0.5", ""},
        {4.0f, 2.0f, "SceneSwarm 7 0.25", "FilterEdge 0.5", ""},
        {5.0f, 3.0f, "SceneImage dama 7 0.8", "FilterBlurTwoHalf 0.5", ""},
        {6.5f, 4.0f, "SceneImage demo 0 0.8", "FilterBlurQuarter 0.5", ""},  // part 6: no time
        {0.5f, 5.0f, "clear FFFF00", "FilterBlurStacked 0.5 3", ""},
        {-1.0f, 6.9f, "clear FFFF00", "FilterEdgeBlur 0.5", ""},
        {7.0f, 7.0f, "clear FFFF00", "FilterDefault", ""},
        {nan, nan, "clear FFFF00", "FilterDefault", ""},
        {3e9f, -1.0f, "clear FFFF00", "FilterDefault", ""},
        {-std::numeric_limits<float>::infinity(), 2147483648.0f, "clear FFFF00", "FilterDefault",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.part << " " << c.filter);
        ScriptedWorld world;
        world.seconds = {7.0f};
        world.values = {
            {TrackId::Part, c.part}, {TrackId::Filter, c.filter}, {TrackId::Fade, 0.25f},
            {TrackId::Flash, 0.8f},  {TrackId::Fp, 0.5f},         {TrackId::Fp2, 3.0f},
            {TrackId::CamX, 1},      {TrackId::CamY, 2},          {TrackId::CamZ, 3},
            {TrackId::ViewX, 4},     {TrackId::ViewY, 5},         {TrackId::ViewZ, 6},
            {TrackId::CamFov, 0.75f}};
        world.messages[0] = {{ui::WM_KEYDOWN, 'A', 0}};
        EXPECT_EQ(world.Printed(), c.printed);
        EXPECT_LINES(world.log, (vmtest::Lines{"update 89.25", "camera 1 2 3 4 5 6 0.75", c.scene,
                                               c.filterCall, "Present", "UpdateAudio",
                                               "translate 256", "dispatch 256"}));
    }
}

// The loop stops after a pass once the music is strictly past 123 s, after the pass that drained an
// Escape key-down (high bits ignored) or WM_QUIT, when the soundtrack has stopped (a paused one
// plays on), or when the sync device refuses an update; the stopping pass is still rendered,
// presented and its queue drained.
TEST(FrameLoop, StopsAfterThePassThatMeetsAStopCondition) {
    using Messages = std::map<unsigned, std::deque<ui::Msg>>;
    const Messages escape{
        {0, {{ui::WM_KEYUP, ui::VK_ESCAPE, 0}, {ui::WM_KEYDOWN, ui::VK_SPACE, 0}}},
        {1, {{ui::WM_KEYDOWN, ui::VK_ESCAPE | 0x10000u, 0}, {ui::WM_KEYUP, ui::VK_ESCAPE, 0}}},
        {2, {{ui::WM_KEYDOWN, ui::VK_ESCAPE, 0}}}};  // never reached
    const Messages quit{{0, {{ui::WM_QUIT, 0, 0}, {ui::WM_KEYDOWN, 'X', 0}}}};
    const struct {
        const char* what;
        std::vector<float> seconds;
        std::vector<bool> active, updates;
        Messages messages;
        unsigned passes;
        vmtest::Lines tail;  // the last lines of the log
    } cases[] = {
        {"end time", {122.5f, 123.0f, 123.0001f, 130.0f}, {true}, {true}, {}, 3, {"UpdateAudio"}},
        {"escape", {1.0f}, {true}, {true}, escape, 2, {"translate 257", "dispatch 257"}},
        {"quit", {1.0f}, {true}, {true}, quit, 1, {"translate 256", "dispatch 256"}},
        {"stopped soundtrack", {10.0f}, {true, true, false}, {true}, {}, 3, {"UpdateAudio"}},
        {"refused update", {1.0f}, {true}, {true, false, true}, {}, 2, {"UpdateAudio"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedWorld world;
        world.seconds = c.seconds;
        world.active = c.active;
        world.updates = c.updates;
        world.messages = c.messages;
        unsigned passes = 0;
        world.Printed(&passes);
        EXPECT_EQ(passes, c.passes);
        EXPECT_EQ(std::count(world.log.begin(), world.log.end(), "Present"), long(c.passes));
        ASSERT_GE(world.log.size(), c.tail.size());
        EXPECT_LINES(vmtest::Lines(world.log.end() - long(c.tail.size()), world.log.end()), c.tail);
    }
}

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
    EXPECT_LINES(device.names, vmtest::Lines(kTrackNames.begin(), kTrackNames.end()));
    for (TrackId id : {TrackId::Part, TrackId::Filter, TrackId::Fp, TrackId::Fp2, TrackId::Fade,
                       TrackId::Flash, TrackId::CamX, TrackId::CamY, TrackId::CamZ, TrackId::CamFov,
                       TrackId::ViewX, TrackId::ViewY, TrackId::ViewZ})
        EXPECT_EQ(tracks.value(id, 7.0f), static_cast<float>(id)) << kTrackNames[size_t(id)];
}

}  // namespace
}  // namespace driver
