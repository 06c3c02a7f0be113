#include "platform/audio/playback_stream.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace audio {
namespace {
constexpr int64_t kChunkFrames = 2048;
}  // namespace

PlaybackStream::PlaybackStream(std::unique_ptr<SampleSource> source, int64_t periodFrames)
    : source_(std::move(source)),
      length_(source_->Length()),
      clock_(kDecodeRate, length_, periodFrames),
      scratch_(kChunkFrames * kDecodeChannels),
      period_(std::max<int64_t>(periodFrames, 0)) {
    clock_.Set(0, 0.0);
}

void PlaybackStream::Play(bool restart, double now) {
    if (restart) SetPosition(0, now);
    if (state_ == State::Playing) return;
    const int64_t from = static_cast<int64_t>(std::floor(clock_.Last()));
    if (from >= Length()) {
        state_ = State::Stopped;
        return;
    }
    readHead_ = from;  // audio handed out before a pause but not yet heard is played again
    clock_.Set(from, now);
    state_ = State::Playing;
}

bool PlaybackStream::Pause(double now) {
    if (StateAt(now) != State::Playing) return false;
    clock_.Set(static_cast<int64_t>(std::floor(clock_.Position(now))), now);
    state_ = State::Paused;
    return true;
}

bool PlaybackStream::SetPosition(int64_t frame, double now) {
    if (frame < 0 || frame > Length()) return false;
    readHead_ = frame;
    clock_.Set(frame, now);
    return true;
}

int64_t PlaybackStream::Position(double now) {
    if (state_ == State::Playing) {
        if (clock_.Position(now) >= static_cast<double>(Length())) state_ = State::Stopped;
    }
    return static_cast<int64_t>(std::floor(clock_.Last()));
}

PlaybackStream::State PlaybackStream::StateAt(double now) {
    Position(now);
    return state_;
}

int64_t PlaybackStream::MixPlain(float* out, int64_t frames, double now) {
    if (state_ != State::Playing || frames <= 0) return 0;
    const int64_t covered = std::clamp<int64_t>(Length() - readHead_, 0, frames);
    // The source is only moved when the read head jumped; a failed seek or read leaves silence.
    if (out && covered > 0 && (source_->Tell() == readHead_ || source_->Seek(readHead_))) {
        for (int64_t done = 0; done < covered;) {
            const int64_t want = std::min(covered - done, kChunkFrames);
            const int64_t got = source_->Read(scratch_.data(), want);
            float* to = out + done * kDecodeChannels;
            for (int64_t i = 0; i < got * kDecodeChannels; ++i) to[i] += scratch_[i];
            done += got;
            if (got < want) break;
        }
    }
    readHead_ += frames;
    clock_.OnBuffer(readHead_, now);
    return covered;
}

bool PlaybackStream::SetLoop(int64_t start, int64_t end) {
    const bool valid = start >= 0 && end > start && end <= Length();
    loopStart_ = valid ? start : 0;
    loopEnd_ = valid ? end : -1;
    return valid || end <= start;
}

int64_t PlaybackStream::Mix(float* out, int64_t frames, double now) {
    if (!(readHead_ < loopEnd_ && readHead_ + frames >= loopEnd_))
        return MixPlain(out, frames, now);
    if (state_ != State::Playing) return 0;
    // The buffer reaches the loop's end: spans up to it, each time going on from the loop's start.
    int64_t covered = 0;
    for (int64_t done = 0; done < frames;) {
        int64_t n = frames - done;
        if (readHead_ < loopEnd_) n = std::min(n, loopEnd_ - readHead_);
        covered += MixPlain(out ? out + done * kDecodeChannels : nullptr, n, now);
        done += n;
        if (readHead_ == loopEnd_) readHead_ = loopStart_;
    }
    // The heard position restarts near the loop's start (exactly there without latency).
    clock_.Set(std::max(loopStart_, readHead_ - period_), now);
    return covered;
}

}  // namespace audio
