// headless_demo: runs the whole demo once, without a screen or an audio device, in a data folder.
//   headless_demo FOLDER [--step SECONDS] [--size WxH] [--max-frames N] [--boxes FILE] [--wav FILE]
// The dialog is answered with its preselections (Run). Every Present moves the manual audio clock
// on by --step seconds of music. Every message box is appended to --boxes as "caption\x1ftext\x1e"
// (written at once, so a crash still leaves the boxes shown before it). After --max-frames frames a
// quit message ends the loop, so a demo that would never stop still ends. The exit code is the
// demo's; the frame count goes to stderr as "headless_demo: N frames". --wav records the music
// played (and makes the audio start-up fail when the file cannot be written).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "driver/demo_main.h"
#include "platform/audio/audio.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/scripted_dialog.h"
#include "platform/ui/ui.h"

namespace {

struct Options {
    std::string folder;
    double step = 0.25;
    uint32_t width = 640, height = 360;
    long maxFrames = 2000;
    std::string boxes;
    std::string wav;
};

[[noreturn]] void Usage(const char* why) {
    std::fprintf(stderr,
                 "headless_demo: %s\nusage: headless_demo FOLDER [--step SECONDS] [--size WxH] "
                 "[--max-frames N] [--boxes FILE] [--wav FILE]\n",
                 why);
    std::exit(2);
}

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--step" && hasValue) {
            o.step = std::atof(argv[++i]);
            if (!(o.step > 0.0 && o.step <= 10.0)) Usage("--step must be between 0 and 10 seconds");
        } else if (arg == "--size" && hasValue) {
            unsigned w = 0, h = 0;
            if (std::sscanf(argv[++i], "%ux%u", &w, &h) != 2 || w < 640 || h < 200 || w > 32768 ||
                h > 32768)
                Usage("--size must be WxH, at least 640x200");
            o.width = w;
            o.height = h;
        } else if (arg == "--max-frames" && hasValue) {
            o.maxFrames = std::atol(argv[++i]);
            if (o.maxFrames < 1) Usage("--max-frames must be at least 1");
        } else if (arg == "--boxes" && hasValue) {
            o.boxes = argv[++i];
        } else if (arg == "--wav" && hasValue) {
            o.wav = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && o.folder.empty()) {
            o.folder = arg;
        } else {
            Usage(("unknown argument " + arg).c_str());
        }
    }
    if (o.folder.empty()) Usage("no data folder given");
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = Parse(argc, argv);
    // The box log is opened before changing into the data folder, so a relative path means the
    // caller's folder.
    std::FILE* boxLog = options.boxes.empty() ? nullptr : std::fopen(options.boxes.c_str(), "wb");
    if (!options.boxes.empty() && boxLog == nullptr) Usage("cannot write the box log");
    if (chdir(options.folder.c_str()) != 0) Usage("cannot enter the data folder");

    long frames = 0;
    gfx::Config g;
    g.provider = gfx::ContextProvider::Headless;
    g.headlessModes = {{options.width, options.height, 60, gfx::D3DFMT_X8R8G8B8}};
    g.headlessDesktop = {options.width, options.height, 60, gfx::D3DFMT_X8R8G8B8};
    g.frameSink = [&frames, &options](const gfx::Frame&) {
        ++frames;
        audio::AdvanceManualClock(options.step);
    };
    gfx::Configure(std::move(g));

    ui::ScriptedDialog dialog;
    ui::Config u;
    u.headless = true;
    u.dialog = dialog.Hook();
    u.messageBox = [boxLog](const char* text, const char* caption, uint32_t) {
        std::fprintf(stderr, "[%s] %s\n", caption ? caption : "", text ? text : "");
        if (boxLog != nullptr) {
            std::fprintf(boxLog, "%s\x1f%s\x1e", caption ? caption : "", text ? text : "");
            std::fflush(boxLog);
        }
        return ui::IDOK;
    };
    bool quitSent = false;
    u.peekMessage = [&](ui::Msg* msg) {
        if (frames < options.maxFrames || quitSent) return false;
        quitSent = true;
        std::fprintf(stderr, "headless_demo: frame limit reached, sending WM_QUIT\n");
        *msg = ui::Msg{ui::WM_QUIT, 0, 0};
        return true;
    };
    ui::Configure(std::move(u));
    audio::Configure({.manualClock = true, .wavOutput = options.wav});

    const int rc = DemoMain();
    std::fflush(stdout);
    std::fprintf(stderr, "headless_demo: %ld frames\n", frames);
    if (boxLog != nullptr) std::fclose(boxLog);
    return rc;
}
