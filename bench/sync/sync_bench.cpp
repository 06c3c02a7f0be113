// Figures for the sync layer and the soundtrack decode:
//   - valueAt cost per call on a 1000-key track (each kind, rows spread over the whole track);
//   - for a synthesised 125-second soundtrack: WriteMp3 time; the streaming open (scan and first
//     frames) and what it adds to peak memory; the cost of decoding one 1024-frame device buffer
//     (mean and worst) and of a seek; then the whole-file decode and its peak memory, for
//     comparison.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "platform/audio/mp3_decoder.h"
#include "platform/audio/mp3_stream.h"
#include "platform/audio/mp3_writer.h"
#include "sync/track.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void BenchValueAt() {
    const char* names[] = {"step", "linear", "cosine", "quadratic"};
    for (int32_t kind = 0; kind < 4; ++kind) {
        sync::Track track;
        for (uint32_t i = 0; i < 1000; ++i) track.setKey(i * 7, {static_cast<float>(i % 13), kind});
        constexpr int kCalls = 2'000'000;
        volatile float sink = 0.0f;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kCalls; ++i)
            sink = sink + track.valueAt(static_cast<float>((i * 37) % 7000) + 0.25f);
        const double perCall = Seconds(start) / kCalls * 1e9;
        std::printf("valueAt, 1000 keys, %-9s: %6.1f ns per call\n", names[kind], perCall);
    }
}

void BenchStreaming(const std::string& path) {
    const double before = PeakMiB();
    std::string error, warning;
    const auto openStart = std::chrono::steady_clock::now();
    audio::Mp3Stream stream;
    if (!stream.Open(path.c_str(), &error, &warning)) {
        std::printf("Mp3Stream::Open failed: %s\n", error.c_str());
        return;
    }
    const double opened = Seconds(openStart);
    constexpr int64_t kBuffer = 1024;
    std::vector<float> buffer(kBuffer * 2);
    double worst = 0.0;
    int64_t buffers = 0;
    const auto playStart = std::chrono::steady_clock::now();
    for (;;) {
        const auto start = std::chrono::steady_clock::now();
        const int64_t got = stream.Read(buffer.data(), kBuffer);
        worst = std::max(worst, Seconds(start));
        if (got == 0) break;
        ++buffers;
    }
    const double played = Seconds(playStart);
    constexpr int kSeeks = 200;
    double seekWorst = 0.0;
    const auto seekStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kSeeks; ++i) {
        const auto start = std::chrono::steady_clock::now();
        stream.Seek((stream.Length() / kSeeks) * ((i * 73) % kSeeks));
        stream.Read(buffer.data(), kBuffer);
        seekWorst = std::max(seekWorst, Seconds(start));
    }
    const double seeks = Seconds(seekStart) / kSeeks;
    std::printf(
        "Mp3Stream::Open (scan + first frames), 125 s: %.1f ms, %lld frames; peak memory %.1f MiB "
        "(before %.1f)\n",
        opened * 1e3, static_cast<long long>(stream.Length()), PeakMiB(), before);
    std::printf(
        "streaming decode, 1024-frame buffers: %.1f us mean, %.1f us worst (%lld buffers, %.3f s "
        "in all)\n",
        played / static_cast<double>(buffers) * 1e6, worst * 1e6, static_cast<long long>(buffers),
        played);
    std::printf("seek + one buffer: %.1f us mean, %.1f us worst\n", seeks * 1e6, seekWorst * 1e6);
}

void BenchDecode() {
    constexpr size_t kFrames = 125 * 44100;
    const std::string path =
        (std::filesystem::temp_directory_path() / "vm-sync-bench.mp3").string();
    // Synthesis and encoding run in a child process so that the decode's peak memory below is its
    // own.
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const double before = PeakMiB();
        std::vector<float> samples(kFrames * 2);
        for (size_t i = 0; i < kFrames; ++i) {
            const double t = static_cast<double>(i) / 44100.0;
            samples[2 * i] =
                0.4f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 220.0 * t));
            samples[2 * i + 1] = 0.4f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 330.0 *
                                                                    t * (1.0 + t / 250.0)));
        }
        std::string error;
        const auto start = std::chrono::steady_clock::now();
        if (!audio::WriteMp3(path.c_str(), samples.data(), kFrames, 44100, &error)) {
            std::printf("WriteMp3 failed: %s\n", error.c_str());
            std::fflush(stdout);
            _exit(1);
        }
        std::printf(
            "WriteMp3, 125 s stereo: %.2f s, %.1f MiB file; peak memory %.1f MiB (from %.1f)\n",
            Seconds(start), std::filesystem::file_size(path) / 1048576.0, PeakMiB(), before);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        std::printf("encoding the test soundtrack failed\n");
        return;
    }
    BenchStreaming(path);
    const double before = PeakMiB();
    audio::DecodedAudio decoded;
    std::string error, warning;
    const auto start = std::chrono::steady_clock::now();
    const bool ok = audio::DecodeMp3File(path.c_str(), &decoded, &error, &warning);
    const double took = Seconds(start);
    std::filesystem::remove(path);
    if (!ok) {
        std::printf("decode failed: %s\n", error.c_str());
        return;
    }
    std::printf(
        "DecodeMp3File, 125 s: %.3f s, %lld frames, %.1f MiB of samples; peak memory %.1f MiB "
        "(before %.1f)\n",
        took, static_cast<long long>(decoded.frames),
        decoded.samples.size() * sizeof(float) / 1048576.0, PeakMiB(), before);
}

}  // namespace

int main() {
    BenchValueAt();
    BenchDecode();
    return 0;
}
