// tracktool: inspects track files and compiles a readable timeline into them.
//
//   vessmark-tracktool dump FILE           one line per key: ROW VALUE KIND
//   vessmark-tracktool eval FILE ROW...    one line per row: ROW VALUE
//   vessmark-tracktool compile TEXT OUTDIR PREFIX
//                                          writes OUTDIR/PREFIX_<track>.track per track block
//
// Exit codes: 0 success, 1 bad or unreadable input (with a message on stderr), 2 usage.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sync/track_file.h"
#include "tracktool/timeline_text.h"

namespace {

constexpr const char* kUsage =
    "usage: vessmark-tracktool dump FILE\n"
    "       vessmark-tracktool eval FILE ROW...\n"
    "       vessmark-tracktool compile TEXT OUTDIR PREFIX\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// Loads a track file; false (with a message) when it cannot be opened or is damaged. A damaged
// file still fills `track` with the keys it holds.
bool Load(const char* path, sync::Track* track) {
    const sync::TrackFileReport report = sync::ReadTrackFile(path, *track);
    if (!report.opened) {
        std::fprintf(stderr, "tracktool: cannot open %s: %s\n", path, std::strerror(errno));
        return false;
    }
    if (!report.problem.empty()) {
        std::fprintf(stderr, "tracktool: %s: %s\n", path, report.problem.c_str());
        return false;
    }
    return true;
}

int Dump(const char* path) {
    sync::Track track;
    const bool ok = Load(path, &track);
    std::printf("# %s: %zu keys\n", path, track.keyCount());
    for (const auto& [row, key] : track.keys())
        std::printf("%u %.9g %s\n", row, static_cast<double>(key.value),
                    tracktool::KindName(key.interpolation).c_str());
    return ok ? 0 : 1;
}

int Eval(const char* path, int count, char** rows) {
    sync::Track track;
    bool ok = Load(path, &track);
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        const float row = std::strtof(rows[i], &end);
        if (end == rows[i] || *end != '\0') {
            std::fprintf(stderr, "tracktool: row \"%s\" is not a number\n", rows[i]);
            ok = false;
            continue;
        }
        std::printf("%s %.9g\n", rows[i], static_cast<double>(track.valueAt(row)));
    }
    return ok ? 0 : 1;
}

int Compile(const char* textPath, const char* outDir, const char* prefix) {
    std::ifstream in(textPath, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "tracktool: cannot open %s\n", textPath);
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<tracktool::TimelineTrack> tracks;
    std::vector<std::string> errors;
    if (!tracktool::ParseTimeline(text.str(), textPath, &tracks, &errors)) {
        for (const std::string& e : errors) std::fprintf(stderr, "%s\n", e.c_str());
        std::fprintf(stderr, "tracktool: %zu error(s); no track files written\n", errors.size());
        return 1;
    }
    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);
    if (ec) {
        std::fprintf(stderr, "tracktool: cannot create %s: %s\n", outDir, ec.message().c_str());
        return 1;
    }
    for (const tracktool::TimelineTrack& t : tracks) {
        const std::string path =
            (std::filesystem::path(outDir) / (std::string(prefix) + "_" + t.name + ".track"))
                .string();
        std::string error;
        if (!sync::WriteTrackFile(path, t.track, &error)) {
            std::fprintf(stderr, "%s:%d: track \"%s\": %s\n", textPath, t.line, t.name.c_str(),
                         error.c_str());
            return 1;
        }
    }
    std::printf("tracktool: wrote %zu track files to %s\n", tracks.size(), outDir);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "dump" && argc == 3) return Dump(argv[2]);
    if (command == "eval" && argc >= 4) return Eval(argv[2], argc - 3, argv + 3);
    if (command == "compile" && argc == 5) return Compile(argv[2], argv[3], argv[4]);
    return Usage();
}
