#include "driver/live_music.h"

namespace live {
namespace {
constexpr uint64_t kBytesPerFrame = 8;  // stereo 32-bit float
}

int64_t StreamMusic::Frame() {
    return static_cast<int64_t>(audio::ChannelGetPosition(stream_) / kBytesPerFrame);
}
int64_t StreamMusic::Length() {
    return static_cast<int64_t>(audio::ChannelGetLength(stream_) / kBytesPerFrame);
}
void StreamMusic::Seek(int64_t frame) {
    audio::ChannelSetPosition(stream_, static_cast<uint64_t>(frame) * kBytesPerFrame);
}
void StreamMusic::Play() {
    audio::ChannelPlay(stream_, false);
}
void StreamMusic::Pause() {
    audio::ChannelPause(stream_);
}
void StreamMusic::SetLoop(int64_t start, int64_t end) {
    audio::ChannelSetLoop(stream_, static_cast<uint64_t>(start) * kBytesPerFrame,
                          static_cast<uint64_t>(end) * kBytesPerFrame);
}

}  // namespace live
