// Frame time, CPU time and heap allocations per frame by part, by filter and by (part, filter)
// pair, over the default production on the headless context.
//
//   frame_bench [--size WxH] [--step SECONDS] [--until SECONDS] [--data DIR]
//
// The music clock moves on by --step seconds of music per pass (default 0.5), so one run samples
// the whole timeline in a few hundred frames. A frame is timed from the end of one pass to the end
// of the next, with glFinish at each end, so it holds the sync update, the scene, the filter and
// Present (no read-back: no frame sink is installed). "cpu" is every thread of the process
// (llvmpipe's rasteriser threads included), "main" the demo's own thread.
//
// Allocations: "new" counts operator new from anywhere, "malloc" counts malloc/calloc/realloc
// called from this executable's code (the system is linked in statically), "all C" counts them
// from every library (Mesa included). The steady state is every frame except the first two of
// the run and the first frame of each (part, filter) pair, whose first uses may fill caches.
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "alloc_counter.h"
#include "display/display_settings.h"
#include "headless_demo.h"
#include "platform/audio/audio.h"
#include "sync/player_device.h"

namespace {

struct FrameRecord {
    double musicSeconds;
    double wall, cpu, mainCpu;
    bench::AllocCounts allocs;
};

struct Row {
    std::vector<double> walls;
    double cpu = 0, mainCpu = 0;
    bench::AllocCounts allocs;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : (n % 2 ? v[n / 2] : 0.5 * (v[n / 2 - 1] + v[n / 2]));
}

void PrintHeader(const char* key) {
    std::printf("%-10s %6s %9s %9s %9s %9s %9s %8s %8s %8s\n", key, "frames", "mean ms", "median",
                "worst", "cpu ms", "main ms", "new/f", "malloc/f", "allC/f");
}

void PrintRow(const char* key, const Row& r) {
    const double n = static_cast<double>(r.walls.size());
    double sum = 0, worst = 0;
    for (double w : r.walls) {
        sum += w;
        worst = std::max(worst, w);
    }
    std::printf("%-10s %6zu %9.2f %9.2f %9.2f %9.2f %9.2f %8.2f %8.2f %8.2f\n", key, r.walls.size(),
                1000 * sum / n, 1000 * Median(r.walls), 1000 * worst, 1000 * r.cpu / n,
                1000 * r.mainCpu / n, static_cast<double>(r.allocs.cppNew) / n,
                static_cast<double>(r.allocs.cOurs) / n, static_cast<double>(r.allocs.cAll) / n);
}

void Add(Row& row, const FrameRecord& f) {
    row.walls.push_back(f.wall);
    row.cpu += f.cpu;
    row.mainCpu += f.mainCpu;
    row.allocs.cppNew += f.allocs.cppNew;
    row.allocs.cOurs += f.allocs.cOurs;
    row.allocs.cAll += f.allocs.cAll;
}

int Selector(float value) {
    return value > -1e6f && value < 1e6f ? static_cast<int>(value)
                                         : -1;  // as the frame loop truncates
}

}  // namespace

int main(int argc, char** argv) {
    std::filesystem::path data = VM_DEFAULT_DATA_DIR;
    bench::HeadlessRun run;
    double step = 0.5, until = 1e9;
    for (int i = 1; i < argc; i += 2) {
        const bool hasValue = i + 1 < argc;
        if (hasValue && !std::strcmp(argv[i], "--data"))
            data = argv[i + 1];
        else if (hasValue && !std::strcmp(argv[i], "--step"))
            step = std::atof(argv[i + 1]);
        else if (hasValue && !std::strcmp(argv[i], "--until"))
            until = std::atof(argv[i + 1]);
        else if (hasValue && !std::strcmp(argv[i], "--size") &&
                 bench::ParseSize(argv[i + 1], &run.width, &run.height)) {
        } else {
            std::fprintf(stderr,
                         "usage: %s [--size WxH] [--step SECONDS] [--until SECONDS] [--data DIR]\n",
                         argv[0]);
            return 2;
        }
    }
    if (!(step > 0)) {
        std::fprintf(stderr, "frame_bench: --step must be positive\n");
        return 2;
    }
    if (!bench::EnterDataFolder(data)) return 1;

    // The selector tracks, read from the same files the demo reads, to label each frame.
    PlayerDevice tracks("s/synced", nullptr);
    sync::Track* partTrack = tracks.fetchTrack("0_part");
    sync::Track* filterTrack = tracks.fetchTrack("0_filter");

    std::vector<FrameRecord> frames;
    frames.reserve(static_cast<size_t>(200.0 / step) + 16);
    double music = 0.0;  // music time of the pass now running
    bool started = false;
    double lastWall = 0, lastCpu = 0, lastMain = 0;
    bench::AllocCounts lastAllocs;
    run.endOfPass = [&] {
        glFinish();
        const double wall = bench::WallSeconds(), cpu = bench::ProcessCpuSeconds();
        const double mainCpu = bench::ThreadCpuSeconds();
        const bench::AllocCounts allocs = bench::AllocSnapshot();
        if (started && frames.size() < frames.capacity())
            frames.push_back(
                {music, wall - lastWall, cpu - lastCpu, mainCpu - lastMain, allocs - lastAllocs});
        started = true;
        music += step;
        audio::AdvanceManualClock(step);
        const bool last = music > until;
        // Restart the clocks after this bookkeeping so that it is not charged to the next frame.
        lastWall = bench::WallSeconds();
        lastCpu = bench::ProcessCpuSeconds();
        lastMain = bench::ThreadCpuSeconds();
        lastAllocs = bench::AllocSnapshot();
        return last;
    };
    run.Configure();
    const double startWall = bench::WallSeconds();
    const int result = run.RunQuietly();
    const double total = bench::WallSeconds() - startWall;

    std::map<int, Row> byPart, byFilter;
    std::map<std::pair<int, int>, Row> byPair;
    std::set<std::pair<int, int>> seen;
    Row steady;
    uint64_t steadyFramesWithAlloc = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        const FrameRecord& f = frames[i];
        const float row = static_cast<float>(f.musicSeconds) * 12.75f;
        const int part = Selector(partTrack->valueAt(row));
        const int filter = Selector(filterTrack->valueAt(row));
        Add(byPart[part], f);
        Add(byFilter[filter], f);
        Add(byPair[{part, filter}], f);
        const bool firstOfPair = seen.insert({part, filter}).second;
        if (i >= 2 && !firstOfPair) {
            Add(steady, f);
            if (f.allocs.Ours() > 0) ++steadyFramesWithAlloc;
        }
    }

    std::printf(
        "%ux%u: DemoMain returned %d after %.1f s; %zu frames at %.3f s of music each; %llu "
        "message boxes\n",
        run.width, run.height, result, total, frames.size(), step,
        static_cast<unsigned long long>(run.messageBoxes));
    std::printf("multisampling chosen by the dialog: %u\n", displaySettings.multiSample);
    std::printf("\n");
    PrintHeader("part");
    for (const auto& [part, r] : byPart) PrintRow(std::to_string(part).c_str(), r);
    std::printf("\n");
    PrintHeader("filter");
    for (const auto& [filter, r] : byFilter) PrintRow(std::to_string(filter).c_str(), r);
    std::printf("\n");
    PrintHeader("part/filt");
    for (const auto& [pair, r] : byPair) {
        const std::string key = std::to_string(pair.first) + "/" + std::to_string(pair.second);
        PrintRow(key.c_str(), r);
    }
    // The slowest pairs by median frame time (pairs with at least two frames).
    std::vector<std::pair<double, std::pair<int, int>>> ranked;
    for (const auto& [pair, r] : byPair)
        if (r.walls.size() >= 2) ranked.push_back({Median(r.walls), pair});
    std::sort(ranked.rbegin(), ranked.rend());
    std::printf("\nslowest part/filter pairs (median ms):");
    for (size_t i = 0; i < ranked.size() && i < 3; ++i)
        std::printf(" %d/%d %.2f;", ranked[i].second.first, ranked[i].second.second,
                    1000 * ranked[i].first);
    std::printf("\n");

    const double n = static_cast<double>(std::max<size_t>(steady.walls.size(), 1));
    std::printf(
        "steady state: %zu frames, %llu with an allocation by our code; per frame: new %.3f, "
        "malloc %.3f, all C %.2f\n",
        steady.walls.size(), static_cast<unsigned long long>(steadyFramesWithAlloc),
        static_cast<double>(steady.allocs.cppNew) / n, static_cast<double>(steady.allocs.cOurs) / n,
        static_cast<double>(steady.allocs.cAll) / n);
    std::printf("peak memory (maxrss): %.1f MB\n", bench::PeakRssKilobytes() / 1024.0);
    return result == 0 ? 0 : 1;
}
