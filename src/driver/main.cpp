// vessmark: the interactive demo. Takes no arguments and reads no configuration: a real window, the
// setup dialog, the sound card, modal message boxes.
#include "driver/demo_main.h"
#include "platform/audio/audio.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/ui.h"

int main() {
    gfx::Configure(gfx::Config{});
    ui::Configure(ui::Config{});
    audio::Configure(audio::Config{});
    return DemoMain();
}
