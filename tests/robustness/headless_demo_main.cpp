// headless_demo: runs the whole demo once, without a screen or an audio device, in a data folder.
//   headless_demo FOLDER WIDTHxHEIGHT BOXES [WAV]
// The dialog is answered with its preselections (Run). Every Present moves the manual audio clock
// on by a quarter second of music. Every message box is appended to the file BOXES as
// "caption\x1ftext\x1e" (written at once, so a crash still leaves the boxes shown before it). After
// 2000 frames a quit message ends the loop, so a demo that would never stop still ends. The exit
// code is the demo's; the frame count goes to stderr as "headless_demo: N frames". WAV records the
// music played (and makes the audio start-up fail when the file cannot be written).
#include <unistd.h>

#include <cstdio>
#include <string>

#include "driver/demo_main.h"
#include "platform/audio/audio.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/scripted_dialog.h"
#include "platform/ui/ui.h"

constexpr double kStep = 0.25;     // seconds of music per frame
constexpr long kMaxFrames = 2000;  // then a quit message

int main(int argc, char** argv) {
    uint32_t width = 0, height = 0;
    // The box log is opened before changing into the data folder, so a relative path means the
    // caller's folder.
    std::FILE* boxLog = argc >= 4 ? std::fopen(argv[3], "wb") : nullptr;
    if (argc < 4 || argc > 5 || std::sscanf(argv[2], "%ux%u", &width, &height) != 2 ||
        boxLog == nullptr || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: headless_demo FOLDER WIDTHxHEIGHT BOXES [WAV]\n");
        return 2;
    }
    const std::string wav = argc == 5 ? argv[4] : "";

    long frames = 0;
    gfx::Config g;
    g.provider = gfx::ContextProvider::Headless;
    g.headlessModes = {{width, height, 60, gfx::D3DFMT_X8R8G8B8}};
    g.headlessDesktop = g.headlessModes[0];
    g.frameSink = [&frames](const gfx::Frame&) {
        ++frames;
        audio::AdvanceManualClock(kStep);
    };
    gfx::Configure(std::move(g));

    ui::ScriptedDialog dialog;
    ui::Config u;
    u.headless = true;
    u.dialog = dialog.Hook();
    u.messageBox = [boxLog](const char* text, const char* caption, uint32_t) {  // as shown
        std::fprintf(boxLog, "%s\x1f%s\x1e", caption ? caption : "", text ? text : "");
        std::fflush(boxLog);
        return ui::IDOK;
    };
    bool quitSent = false;
    u.peekMessage = [&](ui::Msg* msg) {
        if (frames < kMaxFrames || quitSent) return false;
        quitSent = true;
        *msg = ui::Msg{ui::WM_QUIT, 0, 0};
        return true;
    };
    ui::Configure(std::move(u));
    audio::Configure({.manualClock = true, .wavOutput = wav});

    const int rc = DemoMain();
    std::fflush(stdout);
    std::fprintf(stderr, "headless_demo: %ld frames\n", frames);
    std::fclose(boxLog);
    return rc;
}
