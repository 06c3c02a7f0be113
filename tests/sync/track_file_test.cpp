// Track files: the record layout, key order and duplicates, and every kind of damaged file.
#include "sync/track_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <iterator>
#include <tuple>

#include "support/scratch_dir.h"
#include "sync/track_bytes.h"

namespace {

// (row, value, kind) of every key, in row order.
std::vector<std::tuple<uint32_t, float, int32_t>> Keys(const sync::Track& track) {
    std::vector<std::tuple<uint32_t, float, int32_t>> keys;
    for (const auto& [row, key] : track.keys())
        keys.emplace_back(row, key.value, key.interpolation);
    return keys;
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
    EXPECT_EQ(report.keysRead, 5u);
    using K = std::tuple<uint32_t, float, int32_t>;
    EXPECT_EQ(Keys(track),
              (std::vector<K>{{5, 2.0f, 3}, {10, 1.0f, 2}, {20, 2.0f, 1}, {30, -4.25f, -1}}));
}

TEST(TrackFile, WritesTheExactLayoutInRowOrderAndReadsItBack) {
    vmtest::ScratchDir dir;
    sync::Track written;
    written.setKey(300, {0.1f, sync::Cosine});
    written.setKey(7, {-1e30f, -128});
    written.setKey(4294967295u, {42.0f, 127});
    std::string error;
    ASSERT_TRUE(sync::WriteTrackFile(dir.File("t.track"), written, &error)) << error;
    const auto expected =
        TrackBytes(3).Key(7, -1e30f, 0x80).Key(300, 0.1f, 2).Key(4294967295u, 42.0f, 127).bytes;
    std::ifstream in(dir.File("t.track"), std::ios::binary);
    EXPECT_EQ(std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}), expected);

    sync::Track read;
    const auto report = sync::ReadTrackFile(dir.File("t.track"), read);
    EXPECT_TRUE(report.opened && report.problem.empty()) << report.problem;
    EXPECT_EQ(Keys(read), Keys(written));

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

    const uint8_t tiny[3] = {0xAB, 0xAB, 0xAB};
    for (size_t size : {0u, 1u, 3u}) {
        report = sync::ParseTrackFile(tiny, size, zeroCount);
        EXPECT_FALSE(report.problem.empty()) << size;
        EXPECT_EQ(zeroCount.keyCount(), 0u);
    }

    sync::Track trailing;  // bytes after the last record are never read
    report = Parse(TrackBytes(1).Key(4, 4.0f, 1).Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), trailing);
    EXPECT_TRUE(report.problem.empty());
    EXPECT_EQ(trailing.keyCount(), 1u);
}

TEST(TrackFile, AHugeCountReadsOnlyWhatTheFileHoldsAndReturnsAtOnce) {
    vmtest::ScratchDir dir;
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
    vmtest::ScratchDir dir;
    TrackBytes(0).WriteTo(dir.File("big.track"));
    std::filesystem::resize_file(dir.File("big.track"),
                                 sync::kMaxTrackFileBytes + 100);  // sparse zeros
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
