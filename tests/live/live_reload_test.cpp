// Reloading each kind of file on a headless device with the production's effects, cube meshes and
// flat images: a bad file keeps what runs and names itself in the error, a good one replaces it;
// the timeline's track files are written atomically and not reloaded again as changes of their own.
#include "driver/live_reload.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "display/display.h"
#include "display/display_settings.h"
#include "driver/demo_data_folder.h"
#include "filters/filters.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/ui.h"
#include "resources/static_resources.h"
#include "scenes/assets.h"
#include "support/xvfb_session.h"
#include "sync/player_device.h"
#include "sync/track_bytes.h"
#include "sync/track_file.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string Bytes(const TrackBytes& track) {
    return std::string(track.bytes.begin(), track.bytes.end());
}

TEST(LiveReload, EachKindKeepsWhatRunsWhenBadAndReplacesItWhenGood) {
    demo_test::DemoDataFolder folder;
    folder.WriteAssets(2.0);
    const fs::path data = folder.Path(), content = data / "sources";
    for (const char* fx : {"vessmark/shaders/pig.fx", "DefaultFilters/color.fx"})
        Write(content / fx, vmtest::ReadFile(fs::path(VM_CONTENT_DIR) / fx));
    vmtest::ScopedCurrentPath inFolder(data);
    const gfx::DisplayMode mode{320, 180, 60, gfx::D3DFMT_X8R8G8B8};
    gfx::Configure({.provider = gfx::ContextProvider::Headless,
                    .headlessModes = {mode},
                    .headlessDesktop = mode});
    static std::string boxes;
    ui::Configure({.headless = true, .messageBox = [](const char* text, const char*, uint32_t) {
                       boxes += text + std::string("\n");
                       return ui::IDOK;
                   }});
    // Kept to the end: the registries release their items at exit, before the device goes.
    static Display* display = new Display;
    displaySettings.screenWidth = 320;
    displaySettings.screenHeight = 180;
    displaySettings.ComputeRenderArea();
    ASSERT_TRUE(display->Open("live"));
    LoadFilters();
    LoadScene();
    static PlayerDevice device("s/synced", nullptr);
    live::Reloader reloader(data, content, device, [] { return std::exchange(boxes, {}); });

    // What runs for each kind, as a number that changes exactly when it is replaced.
    auto track = [](const char* name) {
        return [name] { return double(device.fetchTrack(name)->valueAt(0.0f)); };
    };
    auto item = [](auto& registry, size_t i) {
        return [&registry, i] { return double(reinterpret_cast<uintptr_t>(registry.ItemAt(i))); };
    };
    const std::string pig = vmtest::ReadFile(content / "vessmark/shaders/pig.fx");
    const std::string ring = vmtest::ReadFile(data / "vessmark/gris/gris.SCENEring_2.mesh");
    const double changed = std::nan("");
    const struct {
        fs::path file;
        std::string bad, good;
        std::string error;  // what the bad file's error holds
        std::function<double()> running;
        double afterGood;  // NaN: only "changed" is checked
    } cases[] = {
        {content / "timeline.txt", "track 0_part\n  0 3\n  4 x\n", "track 0_part\n  0 3\n",
         "timeline.txt:3:", track("0_part"), 3.0},
        {data / "s/synced_0_fade.track", Bytes(TrackBytes(3).Key(0, 0.25f, 0)),
         Bytes(TrackBytes(1).Key(0, 0.5f, 0)), "synced_0_fade.track:", track("0_fade"), 0.5},
        {content / "vessmark/shaders/pig.fx", "float4 broken(", pig + "\n// edited\n", "",
         item(sceneEffects, 0), changed},
        {data / "DefaultFilters/color.fx", "technique t { pass p { VertexShader = nothing; } }",
         vmtest::ReadFile(data / "DefaultFilters/color.fx"), "", item(filterEffects, 4), changed},
        {data / "vessmark/gris/gris.SCENEring_2.mesh", ring.substr(0, 10), ring,
         "gris.SCENEring_2.mesh:", item(meshes, 4), changed},
        {data / "vessmark/data/dama.png", "not an image",
         vmtest::ReadFile(data / "vessmark/data/dama.png"), "dama.png:", item(textures, 1),
         changed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.string());
        const double before = c.running();
        live::ReloadStatus status;
        Write(c.file, c.bad);
        ASSERT_TRUE(reloader.Apply(c.file, &status));
        EXPECT_FALSE(status.ok);
        EXPECT_FALSE(status.error.empty());
        EXPECT_NE(status.error.find(c.error), std::string::npos) << status.error;
        EXPECT_EQ(c.running(), before) << "kept";

        Write(c.file, c.good);
        ASSERT_TRUE(reloader.Apply(c.file, &status));
        EXPECT_TRUE(status.ok) << status.error;
        EXPECT_NE(status.what.find(c.file.filename().string()), std::string::npos) << status.what;
        if (std::isnan(c.afterGood))
            EXPECT_NE(c.running(), before);
        else
            EXPECT_EQ(c.running(), c.afterGood);
    }
    // The edited effect was copied into the data folder; the tracks compiled from the timeline
    // were written there, and the watcher's reports of both are not reloads.
    EXPECT_EQ(vmtest::ReadFile(data / "vessmark/shaders/pig.fx"), pig + "\n// edited\n");
    sync::Track written;
    EXPECT_TRUE(sync::ReadTrackFile("s/synced_0_part.track", written).problem.empty());
    EXPECT_EQ(written.keyCount(), 1u);
    live::ReloadStatus untouched{"untouched"};
    for (const char* file :
         {"s/synced_0_part.track", "vessmark/shaders/pig.fx", "lol.txt", "s/synced_unknown.track"})
        EXPECT_FALSE(reloader.Apply(data / file, &untouched)) << file;
    EXPECT_EQ(untouched.what, "untouched");
}

}  // namespace
