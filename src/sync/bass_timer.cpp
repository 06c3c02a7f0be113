#include "sync/bass_timer.h"

BassTimer::BassTimer(audio::Handle musicStream, float beatsPerMinute, int rowsPerBeat)
    : stream(musicStream),
      rowsPerSecond(static_cast<float>(static_cast<double>(beatsPerMinute) / 60.0 * rowsPerBeat)) {}

void BassTimer::pause() {
    audio::ChannelPause(stream);
}

void BassTimer::play() {
    audio::ChannelPlay(stream, false);
}

float BassTimer::currentSeconds() {
    const uint64_t bytes = audio::ChannelGetPosition(stream);
    return static_cast<float>(audio::ChannelBytes2Seconds(stream, bytes));
}

float BassTimer::currentRow() {
    return currentSeconds() * rowsPerSecond;
}

void BassTimer::seekRow(float row) {
    const float seconds = row / rowsPerSecond;
    const uint64_t bytes = audio::ChannelSeconds2Bytes(stream, seconds);
    audio::ChannelSetPosition(stream, bytes);
}

bool BassTimer::isPlaying() {
    return audio::ChannelIsActive(stream) == audio::BASS_ACTIVE_PLAYING;
}
