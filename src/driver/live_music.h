// The soundtrack stream as the live transport drives it: the audio layer's position, seek, pause,
// play and loop, in sample frames.
#pragma once

#include "driver/live_transport.h"
#include "platform/audio/audio.h"

namespace live {

class StreamMusic : public Music {
  public:
    explicit StreamMusic(audio::Handle stream) : stream_(stream) {}
    int64_t Frame() override;
    int64_t Length() override;
    void Seek(int64_t frame) override;
    void Play() override;
    void Pause() override;
    void SetLoop(int64_t start, int64_t end) override;

  private:
    audio::Handle stream_;
};

}  // namespace live
