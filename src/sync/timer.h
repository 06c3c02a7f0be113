// sync::Timer: the music clock of the timeline. Rows are fractional positions (seconds x rows per
// second); the music position is the only clock.
#pragma once

inline namespace vm {
namespace sync {

class Timer {
  public:
    virtual ~Timer() = default;
    virtual void pause() = 0;
    virtual void play() = 0;
    virtual float currentRow() = 0;
    virtual void seekRow(float row) = 0;
    virtual bool isPlaying() = 0;
};

}  // namespace sync
}  // namespace vm
