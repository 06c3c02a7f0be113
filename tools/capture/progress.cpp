#include "progress.h"

#include <algorithm>
#include <cstdio>

namespace capture {

Progress::Progress(uint64_t total, bool enabled)
    : total_(std::max<uint64_t>(1, total)),
      enabled_(enabled),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

void Progress::Update(uint64_t done) {
    auto now = std::chrono::steady_clock::now();
    if (now - lastDraw_ < std::chrono::milliseconds(250)) return;
    lastDraw_ = now;
    Draw(done, false);
}

void Progress::Finish(uint64_t done) {
    Draw(done, true);
}

void Progress::Draw(uint64_t done, bool last) {
    if (!enabled_) return;
    double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    double fps = elapsed > 0 ? double(done) / elapsed : 0.0;
    double left = fps > 0 ? double(total_ - std::min(done, total_)) / fps : 0.0;
    constexpr int kWidth = 30;
    int filled = int(kWidth * std::min<uint64_t>(done, total_) / total_);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %llu/%llu frames  %.1f fps  %d:%02d left ", bar,
                 static_cast<unsigned long long>(done), static_cast<unsigned long long>(total_),
                 fps, int(left) / 60, int(left) % 60);
    if (last) std::fprintf(stderr, "\n");
    std::fflush(stderr);
}

}  // namespace capture
