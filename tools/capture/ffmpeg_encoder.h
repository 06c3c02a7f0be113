// Video through the ffmpeg program: raw frames are piped to it while the demo renders; the
// soundtrack of the span is muxed in afterwards, once the audio layer has finished its WAV file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace capture {

// Full path of the ffmpeg program, or empty when it is not installed.
std::string FindFfmpeg();

class FfmpegEncoder {
  public:
    FfmpegEncoder() = default;
    ~FfmpegEncoder();
    FfmpegEncoder(const FfmpegEncoder&) = delete;
    FfmpegEncoder& operator=(const FfmpegEncoder&) = delete;

    // Starts ffmpeg writing an H.264 video-only file; false with a message when it cannot.
    bool Open(const std::string& ffmpeg, const std::string& videoPath, uint32_t width,
              uint32_t height, double fps, std::string* error);
    // One frame, top row first, RGBA.
    bool Write(const uint8_t* rgba);
    // Closes the pipe and waits; false when ffmpeg failed.
    bool Close(std::string* error);

  private:
    FILE* pipe_ = nullptr;
    size_t frameBytes_ = 0;
    bool failed_ = false;
};

// Muxes a video-only file with the span [audioStart, audioStart + duration) of a WAV file into the
// output, the audio encoded as AAC.
bool MuxAudio(const std::string& ffmpeg, const std::string& videoPath, const std::string& wavPath,
              double audioStart, double duration, const std::string& outputPath,
              std::string* error);

}  // namespace capture
