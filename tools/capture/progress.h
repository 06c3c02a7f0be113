// A one-line progress bar on stderr: frames done, frames per second, time left.
#pragma once

#include <chrono>
#include <cstdint>

namespace capture {

class Progress {
  public:
    Progress(uint64_t total, bool enabled);
    void Update(uint64_t done);
    void Finish(uint64_t done);

  private:
    void Draw(uint64_t done, bool last);
    uint64_t total_;
    bool enabled_;
    std::chrono::steady_clock::time_point start_, lastDraw_;
};

}  // namespace capture
