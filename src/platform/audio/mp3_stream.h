// mp3_stream: an MP3 file decoded on demand with libmpg123, a few sample frames at a time.
//
// WHAT IT DOES
//   Open() opens the file for gapless decoding (MPG123_GAPLESS | MPG123_FORCE_FLOAT) forced to
//   44100 Hz interleaved stereo float, scans it once (an exact length and a seek index, without
//   decoding), and decodes its first frames to refuse files that hold no MPEG audio. Read() then
//   decodes the next frames; Seek() moves to any frame, sample-exactly, through the seek index.
//   A file whose scanned length falls short of what its LAME/Xing tag announces (a truncated
//   download, say) is kept, with a warning.
//
// WHAT IT DOES NOT DO
//   No locking: one thread at a time. No metadata. Memory stays small (the decoder's own buffers
//   and its seek index) whatever the file's length.
//
// STEP BY STEP
//   1. Mp3Stream s; s.Open(path, &error, &warning)     false on failure, reason in error
//   2. s.Length(); s.Read(out, frames) ...; s.Seek(frame) ...
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/sample_source.h"

struct mpg123_handle_struct;

namespace audio {

class Mp3Stream final : public SampleSource {
  public:
    Mp3Stream();
    ~Mp3Stream() override;
    Mp3Stream(const Mp3Stream&) = delete;
    Mp3Stream& operator=(const Mp3Stream&) = delete;

    // False on failure, with the reason (starting with the path) in `error`. `warning` (may be
    // null) receives a note about a file that opened but looks damaged; it is cleared otherwise.
    bool Open(const char* path, std::string* error, std::string* warning);

    int64_t Length() const override { return length_; }     // sample frames, exact after the scan
    int64_t AnnouncedLength() const { return announced_; }  // from the file's tag; -1 without one
    int64_t Tell() const override { return next_; }         // the frame Read() decodes next

    // Decodes up to `frames` frames (interleaved stereo) into `out`; fewer at the end of the file
    // or after a decoding error (Failure() then says what).
    int64_t Read(float* out, int64_t frames) override;
    bool Seek(int64_t frame) override;  // false outside [0, Length()] or when the decoder refuses
    const std::string& Failure() const { return failure_; }

  private:
    struct Deleter {
        void operator()(mpg123_handle_struct* handle) const;
    };
    std::unique_ptr<mpg123_handle_struct, Deleter> handle_;
    std::string path_;
    int64_t length_ = 0;
    int64_t announced_ = -1;
    int64_t next_ = 0;
    std::string failure_;
};

}  // namespace audio
