// vessmark: the interactive demo: a real window, the setup dialog, the sound card, modal message
// boxes. Without arguments, run inside a data folder, it reads no options at all; elsewhere it
// first enters the installed production (or the one given with --data). "--live" runs live mode.
#include <cstdio>
#include <string>

#include "driver/command_line.h"
#include "driver/data_folder.h"
#include "driver/demo_main.h"
#include "driver/live_main.h"
#include "platform/audio/audio.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/ui.h"

int main(int argc, char** argv) {
    if (live::WantsLive(argc, argv)) return live::LiveMain(argc, argv);

    const driver::CommandLine line = driver::ParseCommandLine(argc, argv);
    if (line.action != driver::CommandLine::Action::Run) {
        std::string text = line.text;
        if (line.action == driver::CommandLine::Action::Help) text += live::kLiveUsage;
        std::fputs(text.c_str(),
                   line.action == driver::CommandLine::Action::Error ? stderr : stdout);
        return driver::ExitCodeOf(line.action);
    }
    std::string error, note;
    if (!driver::EnterDataFolder(line.dataFolder, &error, &note)) {
        std::fprintf(stderr, "vessmark: %s\n", error.c_str());
        return 2;
    }
    if (!note.empty()) std::fprintf(stderr, "vessmark: %s\n", note.c_str());

    gfx::Configure(gfx::Config{});
    ui::Configure(ui::Config{});
    audio::Configure(audio::Config{});
    return DemoMain();
}
