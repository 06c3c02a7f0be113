// BassTimer: the music timer over an audio stream. The stream is not owned and never freed here;
// every query asks the audio layer afresh.
#pragma once

#include "platform/audio/audio.h"
#include "sync/timer.h"

class BassTimer : public sync::Timer {
  public:
    // rowsPerSecond = beatsPerMinute / 60 x rowsPerBeat (153 and 5 give 12.75).
    BassTimer(audio::Handle musicStream, float beatsPerMinute, int rowsPerBeat);

    void pause() override;
    void play() override;  // resumes without restarting
    float currentRow() override;
    void seekRow(float row) override;
    bool isPlaying() override;  // true only while the stream is playing

    float currentSeconds();

    audio::Handle stream;
    float rowsPerSecond;
};
