// mp3_stream: an MP3 file decoded on demand with libmpg123, a few sample frames at a time.
//
// WHAT IT DOES
//   Open() opens the file for gapless float decoding at whatever rate and channel count it holds,
//   scans it once (an exact length and a seek index, without decoding), and decodes its first
//   frames to refuse files that hold no MPEG audio. Read() then hands out 44100 Hz interleaved
//   stereo: a file at another rate or in mono is converted by SDL's audio stream (the position
//   stays exact in the file's own time: frame f of the output is f / 44100 seconds into the music).
//   Seek() moves to any frame, sample-exactly for 44100 Hz stereo files.
//   Damaged stretches (garbage in the middle of the file) are found by walking the frames: the
//   decoder skips them and silence of their estimated duration takes their place, so the music
//   after them keeps its time; Open's warning names each stretch. A file whose length falls short
//   of what its LAME/Xing tag announces (a truncated download, say) is kept, with a warning.
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
#include <vector>

#include "platform/audio/sample_source.h"

struct mpg123_handle_struct;
struct _SDL_AudioStream;

namespace audio {

class Mp3Stream final : public SampleSource {
  public:
    Mp3Stream();
    ~Mp3Stream() override;
    Mp3Stream(const Mp3Stream&) = delete;
    Mp3Stream& operator=(const Mp3Stream&) = delete;

    // False on failure, with the reason (starting with the path) in `error`. `warning` (may be
    // null) receives notes about a file that opened but looks damaged, one line each; it is
    // cleared otherwise.
    bool Open(const char* path, std::string* error, std::string* warning);

    int64_t Length() const override { return length_; }     // output frames (44100 Hz)
    int64_t AnnouncedLength() const { return announced_; }  // file's tag, file's rate; -1: none
    int64_t Tell() const override { return next_; }         // the frame Read() gives next
    long FileRate() const { return rate_; }
    int FileChannels() const { return channels_; }

    // Decodes up to `frames` frames (interleaved stereo, 44100 Hz) into `out`; fewer at the end of
    // the file or after a decoding error (Failure() then says what).
    int64_t Read(float* out, int64_t frames) override;
    bool Seek(int64_t frame) override;  // false outside [0, Length()] or when the decoder refuses
    const std::string& Failure() const { return failure_; }

  private:
    // A damaged stretch: the decoder skips its samples [from, to) and plays `silence` frames.
    struct Gap {
        int64_t from, to, silence;
        int64_t start;  // where its silence begins in the file's own timeline
    };
    struct Deleter {
        void operator()(mpg123_handle_struct* handle) const;
        void operator()(_SDL_AudioStream* stream) const;
    };

    bool Direct() const { return rate_ == kDecodeRate && channels_ == kDecodeChannels; }
    void FindGaps(std::string* notes);             // damaged stretches, one note line each
    int64_t FileRead(float* out, int64_t frames);  // the file's rate and channels, gaps filled
    int64_t DecoderRead(float* out, int64_t frames);
    bool FileSeek(int64_t frame);
    bool DecoderSeek(int64_t sample);

    std::unique_ptr<mpg123_handle_struct, Deleter> handle_;
    std::unique_ptr<_SDL_AudioStream, Deleter> resampler_;  // only when not 44100 Hz stereo
    std::string path_;
    long rate_ = kDecodeRate;
    int channels_ = kDecodeChannels;
    std::vector<Gap> gaps_;
    int64_t fileLength_ = 0;  // frames in the file's own timeline, gaps' silence included
    int64_t fileNext_ = 0;
    int64_t decoderNext_ = 0;
    bool flushed_ = false;
    std::vector<float> scratch_;
    int64_t length_ = 0;
    int64_t announced_ = -1;
    int64_t next_ = 0;
    std::string failure_;
};

}  // namespace audio
