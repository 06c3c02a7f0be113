#include "ffmpeg_encoder.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace capture {

namespace {

// Quotes an argument for /bin/sh.
std::string ShellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

int RunShell(const std::string& command) {
    int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace

std::string FindFfmpeg() {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        if (dir.empty()) continue;
        std::string candidate = dir + "/ffmpeg";
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

FfmpegEncoder::~FfmpegEncoder() {
    std::string ignored;
    Close(&ignored);
}

bool FfmpegEncoder::Open(const std::string& ffmpeg, const std::string& videoPath, uint32_t width,
                         uint32_t height, double fps, std::string* error) {
    std::ostringstream cmd;
    cmd << ShellQuote(ffmpeg) << " -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgba -s "
        << width << "x" << height << " -framerate " << fps
        << " -i - -an -c:v libx264 -preset medium -crf 18 -pix_fmt yuv420p "
        << ShellQuote(videoPath);
    // A broken pipe must come back as a write error, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    pipe_ = popen(cmd.str().c_str(), "w");
    if (!pipe_) {
        *error = "capture: cannot start ffmpeg";
        return false;
    }
    frameBytes_ = size_t(width) * height * 4;
    failed_ = false;
    return true;
}

bool FfmpegEncoder::Write(const uint8_t* rgba) {
    if (!pipe_ || failed_) return false;
    if (std::fwrite(rgba, 1, frameBytes_, pipe_) != frameBytes_) failed_ = true;
    return !failed_;
}

bool FfmpegEncoder::Close(std::string* error) {
    if (!pipe_) return !failed_;
    int status = pclose(pipe_);
    pipe_ = nullptr;
    if (failed_ || status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        *error = "capture: ffmpeg could not encode the video (see its messages above)";
        failed_ = true;
        return false;
    }
    return true;
}

bool MuxAudio(const std::string& ffmpeg, const std::string& videoPath, const std::string& wavPath,
              double audioStart, double duration, const std::string& outputPath,
              std::string* error) {
    char span[96];
    std::snprintf(span, sizeof span, " -ss %.6f -t %.6f -i ", audioStart, duration);
    std::string cmd = ShellQuote(ffmpeg) + " -hide_banner -loglevel error -y -i " +
                      ShellQuote(videoPath) + span + ShellQuote(wavPath) +
                      " -map 0:v:0 -map 1:a:0 -c:v copy -c:a aac -b:a 192k " +
                      "-movflags +faststart " + ShellQuote(outputPath);
    if (RunShell(cmd) != 0) {
        *error = "capture: ffmpeg could not write " + outputPath;
        return false;
    }
    return true;
}

}  // namespace capture
