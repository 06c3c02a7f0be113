// Reloading each kind of file on a headless device with the production's effects, cube meshes and
// flat images: a bad file keeps what runs and names itself in the error, a good one replaces it;
// the timeline's track files are written atomically and not reloaded again as changes of their own.
#include "driver/live_reload.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <memory>

#include "display/device_globals.h"
#include "display/display.h"
#include "display/display_settings.h"
#include "driver/demo_data_folder.h"
#include "filters/filters.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/ui.h"
#include "resources/static_resources.h"
#include "scenes/assets.h"
#include "sync/player_device.h"
#include "sync/track_file.h"

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
void Write(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// One track file: key count, then row, value, kind per key.
std::string TrackBytes(std::initializer_list<std::pair<uint32_t, float>> keys, uint32_t count) {
    std::string bytes(reinterpret_cast<const char*>(&count), 4);
    for (const auto& [row, value] : keys) {
        bytes.append(reinterpret_cast<const char*>(&row), 4);
        bytes.append(reinterpret_cast<const char*>(&value), 4);
        bytes.push_back(0);
    }
    return bytes;
}

class LiveReload : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder_ = new demo_test::DemoDataFolder;
        folder_->WriteAssets(2.0);
        content_ = folder_->Path() / "sources";
        for (const char* fx : {"vessmark/shaders/pig.fx", "DefaultFilters/color.fx"})
            Write(content_ / fx, Read(fs::path(VM_CONTENT_DIR) / fx));
        inFolder_ = new vmtest::ScopedCurrentPath(folder_->Path());

        gfx::Config config;
        config.provider = gfx::ContextProvider::Headless;
        config.headlessModes = {{320, 180, 60, gfx::D3DFMT_X8R8G8B8}};
        config.headlessDesktop = config.headlessModes[0];
        gfx::Configure(config);
        ui::Configure(
            {.headless = true, .messageBox = [](const char* text, const char* caption, uint32_t) {
                 boxes_ += std::string("[") + caption + "] " + text + "\n";
                 return ui::IDOK;
             }});
        display_ = new Display;
        displaySettings.screenWidth = 320;
        displaySettings.screenHeight = 180;
        displaySettings.ComputeRenderArea();
        ASSERT_TRUE(display_->Open("live"));
        LoadFilters();
        LoadScene();
        device_ = new PlayerDevice("s/synced", nullptr);
        boxes_.clear();
    }
    static void TearDownTestSuite() {
        delete device_;
        delete inFolder_;
        delete folder_;
        // The registries release their items at exit, before the device goes (as in the program).
    }

    live::Reloader MakeReloader() {
        return live::Reloader(folder_->Path(), content_, *device_,
                              [] { return std::exchange(boxes_, {}); });
    }

    static inline demo_test::DemoDataFolder* folder_ = nullptr;
    static inline vmtest::ScopedCurrentPath* inFolder_ = nullptr;
    static inline fs::path content_;
    static inline Display* display_ = nullptr;
    static inline PlayerDevice* device_ = nullptr;
    static inline std::string boxes_;
};

TEST_F(LiveReload, EachKindKeepsWhatRunsWhenBadAndReplacesItWhenGood) {
    const fs::path data = folder_->Path();
    // What runs for each kind, as a number that changes exactly when it is replaced.
    auto part = [] { return static_cast<double>(device_->fetchTrack("0_part")->valueAt(0.0f)); };
    auto fade = [] { return static_cast<double>(device_->fetchTrack("0_fade")->valueAt(0.0f)); };
    auto item = [](auto& registry, size_t i) {
        return [&registry, i] {
            return static_cast<double>(reinterpret_cast<uintptr_t>(registry.ItemAt(i)));
        };
    };
    const std::string pig = Read(content_ / "vessmark/shaders/pig.fx");
    const std::string color = Read(data / "DefaultFilters/color.fx");
    const std::string ring = Read(data / "vessmark/gris/gris.SCENEring_2.mesh");
    const std::string dama = Read(data / "vessmark/data/dama.png");
    struct Case {
        fs::path file;
        std::string bad, good;
        std::string error;  // what the bad file's error starts with or holds
        std::function<double()> running;
        double afterGood;  // NaN: only "changed" is checked
    };
    const double changed = std::nan("");
    const Case cases[] = {
        {content_ / "timeline.txt", "track 0_part\n  0 3\n  4 x\n", "track 0_part\n  0 3\n",
         "timeline.txt:3:", part, 3.0},
        {data / "s/synced_0_fade.track", TrackBytes({{0, 0.25f}}, 3), TrackBytes({{0, 0.5f}}, 1),
         "synced_0_fade.track:", fade, 0.5},
        {content_ / "vessmark/shaders/pig.fx", "float4 broken(", pig + "\n// edited\n", "",
         item(sceneEffects, 0), changed},
        {data / "DefaultFilters/color.fx", "technique t { pass p { VertexShader = nothing; } }",
         color, "", item(filterEffects, 4), changed},
        {data / "vessmark/gris/gris.SCENEring_2.mesh", ring.substr(0, 10), ring,
         "gris.SCENEring_2.mesh:", item(meshes, 4), changed},
        {data / "vessmark/data/dama.png", "not an image", dama, "dama.png:", item(textures, 1),
         changed},
    };
    live::Reloader reloader = MakeReloader();
    for (const Case& c : cases) {
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
    EXPECT_EQ(Read(data / "vessmark/shaders/pig.fx"), pig + "\n// edited\n");
    sync::Track written;
    EXPECT_TRUE(sync::ReadTrackFile("s/synced_0_part.track", written).problem.empty());
    EXPECT_EQ(written.keyCount(), 1u);
    live::ReloadStatus untouched{"untouched"};
    EXPECT_FALSE(reloader.Apply(data / "s/synced_0_part.track", &untouched));
    EXPECT_FALSE(reloader.Apply(data / "vessmark/shaders/pig.fx", &untouched));
    EXPECT_FALSE(reloader.Apply(data / "lol.txt", &untouched));
    EXPECT_FALSE(reloader.Apply(data / "s/synced_unknown.track", &untouched));
    EXPECT_EQ(untouched.what, "untouched");
}

}  // namespace
