// vessmark: the interactive demo. Without arguments it reads no configuration: a real window, the
// setup dialog, the sound card, modal message boxes. "--live" runs live mode instead.
#include "driver/demo_main.h"
#include "driver/live_main.h"
#include "platform/audio/audio.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/ui.h"

int main(int argc, char** argv) {
    if (live::WantsLive(argc, argv)) return live::LiveMain(argc, argv);
    gfx::Configure(gfx::Config{});
    ui::Configure(ui::Config{});
    audio::Configure(audio::Config{});
    return DemoMain();
}
