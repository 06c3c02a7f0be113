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

}  // namespace

TrackFileReport ParseTrackFile(const uint8_t* data, size_t size, Track& track) {
    TrackFileReport report;
    report.opened = true;
    if (size < 4) {
        report.problem =
            size == 0 ? "empty file, no key count" : "file too short to hold a key count";
        return report;
    }
    report.declaredKeys = GetU32(data);
    const size_t available = (size - 4) / kTrackFileRecordBytes;
    const size_t count = std::min<size_t>(report.declaredKeys, available);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* record = data + 4 + i * kTrackFileRecordBytes;
        float value;
        const uint32_t bits = GetU32(record + 4);
        std::memcpy(&value, &bits, sizeof value);
        TrackKey key;
        key.value = value;
        key.interpolation = static_cast<int8_t>(record[8]);  // widened with its sign
        track.setKey(GetU32(record), key);
    }
    report.keysRead = static_cast<uint32_t>(count);
    if (count < report.declaredKeys) {
        report.problem = "file ends after " + std::to_string(count) + " of its " +
                         std::to_string(report.declaredKeys) +
                         " declared keys; keeping the keys read";
    }
    return report;
}

TrackFileReport ReadTrackFile(const std::string& path, Track& track) {
    std::unique_ptr<FILE, FileCloser> file(files::OpenRegular(path.c_str(), "rb"));
    if (!file) return TrackFileReport{};

    // Read in chunks up to the cap: works for files of any kind (pipes, devices) without trusting
    // a size or a count.
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    bool oversized = false;
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, file.get());
        const size_t room = kMaxTrackFileBytes - bytes.size();
        bytes.insert(bytes.end(), chunk, chunk + std::min(n, room));
        if (n > room) oversized = true;
        if (oversized || n < sizeof chunk) break;
    }
    const bool readError = std::ferror(file.get()) != 0;
    TrackFileReport report = ParseTrackFile(bytes.data(), bytes.size(), track);
    if (readError) {
        report.problem = "read error after " + std::to_string(bytes.size()) + " bytes" +
                         (report.problem.empty() ? "" : "; " + report.problem);
    } else if (oversized) {
        report.problem = "file larger than " + std::to_string(kMaxTrackFileBytes >> 20) +
                         " MiB; only its start was read" +
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
