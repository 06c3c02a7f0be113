// Track files: the record layout, key order and duplicates, and every kind of damaged file.
#include <chrono>
#include <filesystem>
#include <random>

#include <gtest/gtest.h>

#include "audio/scratch_dir.h"
#include "sync/track_bytes.h"
#include "sync/track_file.h"

namespace {

std::vector<std::pair<uint32_t, sync::TrackKey>> Keys(const sync::Track& track) {
    return {track.keys().begin(), track.keys().end()};
}

sync::TrackFileReport Parse(const TrackBytes& b, sync::Track& track) {
    return sync::ParseTrackFile(b.bytes.data(), b.bytes.size(), track);
}

}  // namespace

TEST(TrackFile, ReadsRecordsInAnyOrderLaterDuplicatesWinKindsAreSignExtended) {
    sync::Track track;
    const auto report = Parse(TrackBytes(5)
                                  .Key(20, 2.0f, 1)
                                  .Key(10, 1.0f, 2)
                                  .Key(5, 1.0f, 0)
                                  .Key(5, 2.0f, 3)
                                  .Key(30, -4.25f, 0xFF),
                              track);
    EXPECT_TRUE(report.problem.empty()) << report.problem;
    EXPECT_EQ(report.declaredKeys, 5u);
    EXPECT_EQ(report.keysRead, 5u);
    const auto keys = Keys(track);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].first, 5u);
    EXPECT_EQ(keys[0].second.value, 2.0f);
    EXPECT_EQ(keys[0].second.interpolation, sync::Quadratic);
    EXPECT_EQ(keys[1].first, 10u);
    EXPECT_EQ(keys[1].second.interpolation, sync::Cosine);
    EXPECT_EQ(keys[2].first, 20u);
    EXPECT_EQ(keys[3].first, 30u);
    EXPECT_EQ(keys[3].second.value, -4.25f);
    EXPECT_EQ(keys[3].second.interpolation, -1);
}

TEST(TrackFile, WriteThenReadGivesTheSameKeysAndTheExactLayout) {
    ScratchDir dir;
    sync::Track written;
    written.setKey(300, {0.1f, sync::Cosine});
    written.setKey(7, {-1e30f, -128});
    written.setKey(4294967295u, {42.0f, 127});
    std::string error;
    ASSERT_TRUE(sync::WriteTrackFile(dir.File("t.track"), written, &error)) << error;
    EXPECT_EQ(std::filesystem::file_size(dir.File("t.track")), 4u + 3u * 9u);

    const std::vector<uint8_t> expectedStart = TrackBytes(3).Key(7, -1e30f, 0x80).bytes;
    std::ifstream in(dir.File("t.track"), std::ios::binary);
    std::vector<uint8_t> start(expectedStart.size());
    in.read(reinterpret_cast<char*>(start.data()), static_cast<std::streamsize>(start.size()));
    EXPECT_EQ(start, expectedStart);

    sync::Track read;
    const auto report = sync::ReadTrackFile(dir.File("t.track"), read);
    EXPECT_TRUE(report.opened);
    EXPECT_TRUE(report.problem.empty()) << report.problem;
    ASSERT_EQ(read.keyCount(), 3u);
    for (const auto& [row, key] : written.keys()) {
        ASSERT_TRUE(read.keys().count(row)) << row;
        EXPECT_EQ(read.keys().at(row).value, key.value);
        EXPECT_EQ(read.keys().at(row).interpolation, key.interpolation);
    }

    sync::Track tooWide;
    tooWide.setKey(0, {1.0f, 300});
    EXPECT_FALSE(sync::WriteTrackFile(dir.File("wide.track"), tooWide, &error));
    EXPECT_NE(error.find("300"), std::string::npos) << error;
}

TEST(TrackFile, ShortFilesKeepTheCompleteRecordsAndSaySo) {
    sync::Track zeroCount;
    auto report = Parse(TrackBytes(0), zeroCount);
    EXPECT_TRUE(report.problem.empty());
    EXPECT_EQ(zeroCount.keyCount(), 0u);

    sync::Track truncated;  // 3 declared, 2 complete, 4 bytes of a third
    report = Parse(TrackBytes(3).Key(1, 1.0f, 0).Key(2, 2.0f, 0).Raw({9, 0, 0, 0}), truncated);
    EXPECT_EQ(report.keysRead, 2u);
    EXPECT_EQ(truncated.keyCount(), 2u);
    EXPECT_NE(report.problem.find("2 of its 3"), std::string::npos) << report.problem;

    for (size_t size : {0u, 1u, 3u}) {
        sync::Track tiny;
        const std::vector<uint8_t> bytes(size, 0xAB);
        report = sync::ParseTrackFile(bytes.data(), bytes.size(), tiny);
        EXPECT_TRUE(report.opened);
        EXPECT_FALSE(report.problem.empty()) << size;
        EXPECT_EQ(tiny.keyCount(), 0u);
    }

    sync::Track trailing;  // bytes after the last record are never read
    report = Parse(TrackBytes(1).Key(4, 4.0f, 1).Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), trailing);
    EXPECT_TRUE(report.problem.empty());
    EXPECT_EQ(trailing.keyCount(), 1u);
}

TEST(TrackFile, AHugeCountReadsOnlyWhatTheFileHoldsAndReturnsAtOnce) {
    ScratchDir dir;
    TrackBytes(0xFFFFFFFFu).Key(1, 1.0f, 0).WriteTo(dir.File("huge.track"));
    sync::Track track;
    const auto start = std::chrono::steady_clock::now();
    const auto report = sync::ReadTrackFile(dir.File("huge.track"), track);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(report.declaredKeys, 0xFFFFFFFFu);
    EXPECT_EQ(report.keysRead, 1u);
    EXPECT_EQ(track.valueAt(1.0f), 1.0f);
    EXPECT_FALSE(report.problem.empty());
}

TEST(TrackFile, OversizedMissingAndDirectoryFilesAreReported) {
    ScratchDir dir;
    TrackBytes(0).WriteTo(dir.File("big.track"));
    std::filesystem::resize_file(dir.File("big.track"), sync::kMaxTrackFileBytes + 100);  // sparse zeros
    sync::Track track;
    auto report = sync::ReadTrackFile(dir.File("big.track"), track);
    EXPECT_TRUE(report.opened);
    EXPECT_NE(report.problem.find("larger than"), std::string::npos) << report.problem;

    report = sync::ReadTrackFile(dir.File("missing.track"), track);
    EXPECT_FALSE(report.opened);

    std::filesystem::create_directory(dir.File("folder.track"));
    report = sync::ReadTrackFile(dir.File("folder.track"), track);
    EXPECT_FALSE(report.opened && report.problem.empty());
    EXPECT_EQ(track.keyCount(), 0u);
}

TEST(TrackFile, GarbageNeverReadsBeyondTheBytesGiven) {
    std::mt19937 random(11);
    for (int round = 0; round < 2000; ++round) {
        // Exact-size heap copies so that a read past the end is caught by sanitizer builds.
        std::vector<uint8_t> bytes(random() % 200);
        for (auto& b : bytes) b = static_cast<uint8_t>(random());
        if (round % 2 && bytes.size() >= 4) bytes[3] = 0;  // plausible counts as well as huge ones
        sync::Track track;
        const auto report = sync::ParseTrackFile(bytes.data(), bytes.size(), track);
        const size_t capacity = bytes.size() < 4 ? 0 : (bytes.size() - 4) / 9;
        ASSERT_LE(report.keysRead, capacity);
        ASSERT_LE(track.keyCount(), report.keysRead);
        ASSERT_EQ(report.problem.empty(), bytes.size() >= 4 && report.keysRead == report.declaredKeys);
    }
}
