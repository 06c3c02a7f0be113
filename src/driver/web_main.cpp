// vessmark in a web page: the same entry function as the interactive program, over the web
// platform. The page packs the production at /production; main() enters it, configures the
// platform for the page (WebGL2 canvas, effects baked at build time, HTML dialog, page messages,
// Web Audio) and runs the demo, which
// yields to the browser once a frame (in the message pump). The page may ask for the next
// presented frame (vessmark.grab), for tests.
#include <emscripten.h>
#include <unistd.h>

#include <cstdio>

#include "driver/demo_main.h"
#include "platform/audio/audio.h"
#include "platform/fx/fx.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/ui.h"

// clang-format off
EM_JS(int, vm_page_grab_wanted, (), { return vessmark.grabWanted ? 1 : 0; });
EM_JS(void, vm_page_take_frame, (const uint8_t* rgba, uint32_t width, uint32_t height), {
    vessmark.takeFrame(rgba, width, height);
});
EM_JS(void, vm_page_ended, (int code), { vessmark.ended(code); });
// clang-format on

namespace {

constexpr const char* kProductionFolder = "/production";

// What the adapter offers in a page: common canvas sizes (the page scales the canvas to fit).
std::vector<gfx::DisplayMode> PageModes() {
    return {{640, 360, 60, gfx::D3DFMT_X8R8G8B8},
            {800, 600, 60, gfx::D3DFMT_X8R8G8B8},
            {1024, 768, 60, gfx::D3DFMT_X8R8G8B8},
            {1280, 720, 60, gfx::D3DFMT_X8R8G8B8},
            {1920, 1080, 60, gfx::D3DFMT_X8R8G8B8}};
}

}  // namespace

int main() {
    if (chdir(kProductionFolder) != 0) {
        std::fprintf(stderr, "vessmark: the page holds no production at %s\n", kProductionFolder);
        return 2;
    }
    gfx::Config graphics;
    graphics.provider = gfx::ContextProvider::Canvas;
    graphics.headlessModes = PageModes();
    graphics.headlessDesktop = {1920, 1080, 60, gfx::D3DFMT_X8R8G8B8};
    graphics.frameWanted = [] { return vm_page_grab_wanted() != 0; };
    graphics.frameSink = [](const gfx::Frame& frame) {
        vm_page_take_frame(frame.rgba, frame.width, frame.height);
    };
    gfx::Configure(std::move(graphics));
    fx::SetEffectSource(fx::EffectSource::Baked);
    ui::Configure(ui::Config{});
    audio::Configure(audio::Config{});
    const int code = DemoMain();
    // The runtime returned from main() long ago (at the first wait): the page hears the exit code
    // from here. (Exiting the runtime instead would throw past the browser's event loop.)
    std::fflush(stdout);
    vm_page_ended(code);
    return code;
}
