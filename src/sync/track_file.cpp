#include "sync/track_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/file/regular_file.h"

inline namespace vm {
namespace sync {
namespace {

uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// Sets `count` packed records starting at `records` into the track, in file order.
void SetRecords(const uint8_t* records, size_t count, Track& track) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* record = records + i * kTrackFileRecordBytes;
        float value;
        const uint32_t bits = GetU32(record + 4);
        std::memcpy(&value, &bits, sizeof value);
        TrackKey key;
        key.value = value;
        key.interpolation = static_cast<int8_t>(record[8]);  // widened with its sign
        track.setKey(GetU32(record), key);
    }
}

std::string ShortCountProblem(size_t size) {
    return size == 0 ? "empty file, no key count" : "file too short to hold a key count";
}

// Empty when every declared key was read.
std::string MissingKeysProblem(const TrackFileReport& report) {
    if (report.keysRead >= report.declaredKeys) return {};
    return "file ends after " + std::to_string(report.keysRead) + " of its " +
           std::to_string(report.declaredKeys) + " declared keys; keeping the keys read";
}

}  // namespace

TrackFileReport ParseTrackFile(const uint8_t* data, size_t size, Track& track) {
    TrackFileReport report;
    report.opened = true;
    if (size < 4) {
        report.problem = ShortCountProblem(size);
        return report;
    }
    report.declaredKeys = GetU32(data);
    const size_t count = std::min<size_t>(report.declaredKeys, (size - 4) / kTrackFileRecordBytes);
    SetRecords(data + 4, count, track);
    report.keysRead = static_cast<uint32_t>(count);
    report.problem = MissingKeysProblem(report);
    return report;
}

TrackFileReport ReadTrackFile(const std::string& path, Track& track) {
    std::unique_ptr<FILE, FileCloser> file(files::OpenRegular(path.c_str(), "rb"));
    if (!file) return TrackFileReport{};

    // Streams the records through a fixed buffer: works for files of any size and kind (pipes,
    // devices), asks for no more records than the count declares (bytes after the last record
    // are never read), and holds no more keys than the file really has.
    TrackFileReport report;
    report.opened = true;
    std::setvbuf(file.get(), nullptr, _IONBF, 0);  // no read-ahead beyond what is asked for
    uint8_t countBytes[4];
    const size_t countRead = std::fread(countBytes, 1, sizeof countBytes, file.get());
    if (countRead < sizeof countBytes) {
        report.problem = ShortCountProblem(countRead);
    } else {
        report.declaredKeys = GetU32(countBytes);
        constexpr size_t kChunkRecords = 1024;
        uint8_t chunk[kChunkRecords * kTrackFileRecordBytes];
        while (report.keysRead < report.declaredKeys) {
            const size_t wanted =
                std::min<size_t>(report.declaredKeys - report.keysRead, kChunkRecords);
            const size_t got = std::fread(chunk, 1, wanted * kTrackFileRecordBytes, file.get()) /
                               kTrackFileRecordBytes;
            SetRecords(chunk, got, track);
            report.keysRead += static_cast<uint32_t>(got);
            if (got < wanted) break;
        }
        report.problem = MissingKeysProblem(report);
    }
    if (std::ferror(file.get()) != 0) {
        report.problem = "read error after " + std::to_string(report.keysRead) + " keys" +
                         (report.problem.empty() ? "" : "; " + report.problem);
    }
    return report;
}

bool WriteTrackFile(const std::string& path, const Track& track, std::string* error) {
    std::vector<uint8_t> bytes(4 + track.keyCount() * kTrackFileRecordBytes);
    PutU32(bytes.data(), static_cast<uint32_t>(track.keyCount()));
    uint8_t* record = bytes.data() + 4;
    for (const auto& [row, key] : track.keys()) {
        if (key.interpolation < INT8_MIN || key.interpolation > INT8_MAX) {
            if (error)
                *error = "kind " + std::to_string(key.interpolation) + " at row " +
                         std::to_string(row) + " does not fit in the file's signed byte";
            return false;
        }
        uint32_t bits;
        std::memcpy(&bits, &key.value, sizeof bits);
        PutU32(record, row);
        PutU32(record + 4, bits);
        record[8] = static_cast<uint8_t>(static_cast<int8_t>(key.interpolation));
        record += kTrackFileRecordBytes;
    }
    std::unique_ptr<FILE, FileCloser> file(files::OpenRegular(path.c_str(), "wb"));
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
        std::fflush(file.get()) != 0) {
        if (error) *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace sync
}  // namespace vm
