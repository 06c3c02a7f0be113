// capture: renders the demo frame by frame, whatever the machine's speed, with the same system code
// as the interactive demo. The platform is configured for an offscreen context, a dialog answered
// from the command line, an audio clock that moves one frame period per presented frame, and a
// frame sink that keeps each presented picture.
#include <fcntl.h>
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "contact_sheet.h"
#include "driver/data_folder.h"
#include "driver/demo_main.h"
#include "ffmpeg_encoder.h"
#include "frame_clock.h"
#include "options.h"
#include "platform/audio/audio.h"
#include "platform/fx/fx.h"
#include "platform/gfx/gfx.h"
#include "platform/ui/scripted_dialog.h"
#include "platform/ui/ui.h"
#include "progress.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFullscreenBox = 1001;
constexpr int kResolutionList = 1003;
constexpr int kVsyncBox = 1015;
constexpr int kAspectList = 1016;
constexpr int kMultisampleList = 1017;

// Checks that a file can be created at path (and removes the probe).
bool CanWrite(const fs::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return false;
    std::fclose(f);
    std::error_code ec;
    if (fs::file_size(path, ec) == 0) fs::remove(path, ec);
    return true;
}

struct Capture {
    capture::Options opts;
    capture::FrameClock clock;
    capture::Progress progress;
    std::string ffmpeg;
    std::unique_ptr<capture::FfmpegEncoder> encoder;
    std::unique_ptr<capture::ContactSheet> sheet;
    fs::path videoOnly, wav;
    double nextSheetTime = 0.0;
    uint64_t framesKept = 0;
    bool done = false;
    bool escapeSent = false;
    bool failed = false;
    std::string error;

    explicit Capture(const capture::Options& o)
        : opts(o), clock(o.start, o.end, o.fps), progress(clock.FrameCount(), !o.quiet) {}

    void OnFrame(const gfx::Frame& frame) {
        auto step = clock.OnPresent();
        if (step.keep && !failed) Keep(frame, step.frame);
        if (step.advance > 0.0) audio::AdvanceManualClock(step.advance);
        if (step.done) done = true;
    }

    void Keep(const gfx::Frame& frame, uint64_t k) {
        if (frame.width != opts.width || frame.height != opts.height) {
            Fail("capture: the demo presented " + std::to_string(frame.width) + "x" +
                 std::to_string(frame.height) + " frames, not the size asked for");
            return;
        }
        const double t = clock.TimeOf(k);
        if (encoder && !encoder->Write(frame.rgba)) Fail("capture: ffmpeg stopped taking frames");
        if (!opts.pngDir.empty()) {
            char name[32];
            std::snprintf(name, sizeof name, "frame-%06llu.png",
                          static_cast<unsigned long long>(k));
            fs::path p = fs::path(opts.pngDir) / name;
            if (!stbi_write_png(p.c_str(), int(frame.width), int(frame.height), 4, frame.rgba,
                                int(frame.width * 4)))
                Fail("capture: cannot write " + p.string());
        }
        if (sheet && t + 1e-9 >= nextSheetTime) {
            sheet->Add(frame.rgba, t);
            nextSheetTime += opts.sheetInterval;
        }
        ++framesKept;
        progress.Update(framesKept);
    }

    void Fail(const std::string& message) {
        if (!failed) {
            failed = true;
            error = message;
            done = true;
        }
    }

    // Ends the demo's frame loop once the span is covered: an Escape key press, sent once.
    bool Peek(ui::Msg* msg) {
        if (!done || escapeSent) return false;
        escapeSent = true;
        *msg = ui::Msg{ui::WM_KEYDOWN, ui::VK_ESCAPE, 0};
        return true;
    }
};

// Sends standard output to a file (or nowhere) while the demo runs: its per-frame lines would bury
// the progress bar. Restored when this goes out of scope.
class RedirectedStdout {
  public:
    explicit RedirectedStdout(const std::string& path) {
        std::fflush(stdout);
        const int target = open(path.empty() ? "/dev/null" : path.c_str(),
                                O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (target < 0) {
            std::fprintf(stderr, "capture: cannot write %s; the demo's lines go to the terminal\n",
                         path.c_str());
            return;
        }
        saved_ = dup(STDOUT_FILENO);
        dup2(target, STDOUT_FILENO);
        close(target);
    }
    ~RedirectedStdout() {
        std::fflush(stdout);
        if (saved_ < 0) return;
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    RedirectedStdout(const RedirectedStdout&) = delete;
    RedirectedStdout& operator=(const RedirectedStdout&) = delete;

  private:
    int saved_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
    std::string message;
    auto parsed = capture::ParseOptions(argc, argv, &message);
    if (!parsed) {
        const bool help = message.rfind("usage:", 0) == 0;
        std::fputs(message.c_str(), help ? stdout : stderr);
        return help ? 0 : 2;
    }
    // Output paths are the caller's, relative to the folder the tool was started in.
    for (std::string* path :
         {&parsed->output, &parsed->pngDir, &parsed->contactSheet, &parsed->demoLog})
        if (!path->empty()) *path = fs::absolute(*path).string();
    std::string note;
    if (!driver::EnterDataFolder(parsed->dataDir, &message, &note)) {
        std::fprintf(stderr, "capture: %s\n", message.c_str());
        return 2;
    }
    if (!note.empty()) std::fprintf(stderr, "capture: %s\n", note.c_str());
    Capture cap(*parsed);
    const capture::Options& o = cap.opts;

    if (!o.output.empty()) {
        cap.ffmpeg = capture::FindFfmpeg();
        if (cap.ffmpeg.empty()) {
            std::fprintf(stderr,
                         "capture: ffmpeg is not installed (apt-get install ffmpeg): no video will "
                         "be written%s\n",
                         o.pngDir.empty() && o.contactSheet.empty() ? "" : "; PNG output goes on");
            if (o.pngDir.empty() && o.contactSheet.empty()) return 2;
        } else if (!CanWrite(o.output)) {
            std::fprintf(stderr, "capture: cannot write %s\n", o.output.c_str());
            return 2;
        }
    }
    if (!o.pngDir.empty()) {
        std::error_code ec;
        fs::create_directories(o.pngDir, ec);
        if (ec || !CanWrite(fs::path(o.pngDir) / ".probe")) {
            std::fprintf(stderr, "capture: cannot write PNG files into %s\n", o.pngDir.c_str());
            return 2;
        }
    }
    if (!o.contactSheet.empty() && !CanWrite(o.contactSheet)) {
        std::fprintf(stderr, "capture: cannot write %s\n", o.contactSheet.c_str());
        return 2;
    }

    // Working files: the video without sound and the audio of the span.
    char tmpl[] = "/tmp/vessmark-capture-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::fprintf(stderr, "capture: cannot make a working folder in /tmp\n");
        return 2;
    }
    const fs::path work = tmpl;
    cap.videoOnly = work / "video.mp4";
    cap.wav = work / "audio.wav";

    if (!cap.ffmpeg.empty()) {
        cap.encoder = std::make_unique<capture::FfmpegEncoder>();
        if (!cap.encoder->Open(cap.ffmpeg, cap.videoOnly, o.width, o.height, o.fps, &message)) {
            std::fprintf(stderr, "%s\n", message.c_str());
            return 2;
        }
    }
    if (!o.contactSheet.empty())
        cap.sheet = std::make_unique<capture::ContactSheet>(o.width, o.height, o.sheetColumns, 320);
    cap.nextSheetTime = o.start;

    audio::Configure({.manualClock = true, .wavOutput = cap.wav.string()});

    gfx::Config g;
    g.provider = o.gles ? gfx::ContextProvider::HeadlessEs : gfx::ContextProvider::Headless;
    if (o.bakedEffects) fx::SetEffectSource(fx::EffectSource::Baked);
    g.headlessModes = {{o.width, o.height, 60, gfx::D3DFMT_X8R8G8B8}};
    g.headlessDesktop = {o.width, o.height, 60, gfx::D3DFMT_X8R8G8B8};
    g.frameSink = [&cap](const gfx::Frame& f) { cap.OnFrame(f); };
    gfx::Configure(std::move(g));

    // The dialog's answers: the one mode, the chosen multisampling and aspect, full screen.
    const int msPosition = int(o.multiSample / 2);
    ui::ScriptedDialog dialog(
        {.selections = {{kResolutionList, 0},
                        {kMultisampleList, msPosition},
                        {kAspectList, o.aspect}},
         .checks = {{kFullscreenBox, ui::BST_CHECKED}, {kVsyncBox, ui::BST_UNCHECKED}}});
    ui::Config u;
    u.headless = true;
    u.dialog = [&dialog, msPosition, &o](const ui::DialogTemplate& t, ui::DialogProc proc,
                                         intptr_t param) {
        intptr_t r = dialog.Run(t, proc, param);
        if (dialog.LastRun().Selection(kMultisampleList) != msPosition)
            std::fprintf(stderr, "capture: %ux multisampling is not available here; using %s\n",
                         o.multiSample, "the dialog's choice");
        return r;
    };
    u.peekMessage = [&cap](ui::Msg* m) { return cap.Peek(m); };
    ui::Configure(std::move(u));

    int rc = 0;
    {
        RedirectedStdout demoOutput(o.demoLog);
        rc = DemoMain();
    }
    cap.progress.Finish(cap.framesKept);

    bool ok = !cap.failed && rc == 0;
    if (cap.failed) std::fprintf(stderr, "%s\n", cap.error.c_str());
    if (rc != 0) std::fprintf(stderr, "capture: the demo ended with code %d\n", rc);

    if (cap.encoder) {
        if (!cap.encoder->Close(&message)) {
            std::fprintf(stderr, "%s\n", message.c_str());
            ok = false;
        } else if (cap.framesKept > 0) {
            // The WAV starts at music time 0: cut it to the span while muxing.
            std::error_code ec;
            if (!fs::exists(cap.wav, ec)) {
                std::fprintf(stderr,
                             "capture: no soundtrack audio was recorded; the video is silent\n");
                fs::copy_file(cap.videoOnly, o.output, fs::copy_options::overwrite_existing, ec);
            } else if (!capture::MuxAudio(cap.ffmpeg, cap.videoOnly, cap.wav, o.start,
                                          double(cap.framesKept) / o.fps, o.output, &message)) {
                std::fprintf(stderr, "%s\n", message.c_str());
                ok = false;
            }
            if (ok)
                std::printf("capture: video %s (%llu frames)\n", o.output.c_str(),
                            static_cast<unsigned long long>(cap.framesKept));
        }
    }
    if (!o.pngDir.empty() && cap.framesKept > 0)
        std::printf("capture: %llu PNG files in %s\n",
                    static_cast<unsigned long long>(cap.framesKept), o.pngDir.c_str());
    if (cap.sheet) {
        if (cap.sheet->Write(o.contactSheet, &message))
            std::printf("capture: contact sheet %s (%zu frames)\n", o.contactSheet.c_str(),
                        cap.sheet->Count());
        else {
            std::fprintf(stderr, "%s\n", message.c_str());
            ok = false;
        }
    }
    std::error_code ec;
    fs::remove_all(work, ec);
    return ok ? 0 : 1;
}
