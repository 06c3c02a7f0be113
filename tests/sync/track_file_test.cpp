// Track files: the record layout, key order and duplicates, and every kind of damaged file.
#include "sync/track_file.h"

#include <gtest/gtest.h>

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
        EXPECT_EQ(report.problem,
                  size == 0 ? "empty file, no key count" : "file too short to hold a key count");
        EXPECT_EQ(zeroCount.keyCount(), 0u);
    }

    sync::Track trailing;  // bytes after the last record are never read
    report = Parse(TrackBytes(1).Key(4, 4.0f, 1).Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), trailing);
    EXPECT_TRUE(report.problem.empty());
    EXPECT_EQ(trailing.keyCount(), 1u);
}

TEST(TrackFile, AHugeCountReadsOnlyWhatTheFileHolds) {
    vmtest::ScratchDir dir;
    TrackBytes(0xFFFFFFFFu).Key(1, 1.0f, 0).WriteTo(dir.File("huge.track"));
    sync::Track track;
    const auto report = sync::ReadTrackFile(dir.File("huge.track"), track);
    EXPECT_EQ(report.declaredKeys, 0xFFFFFFFFu);
    EXPECT_EQ(report.keysRead, 1u);
    EXPECT_EQ(track.valueAt(1.0f), 1.0f);
    EXPECT_FALSE(report.problem.empty());
}

// 2,000,000 records (over 16 MiB): 1,999 rounds of rows 0..999 holding their row as value, a last
// round holding the row + 0.5, one more key and trailing bytes. Every record is read; the last
// write of each row wins.
TEST(TrackFile, AFileOverSixteenMebibytesKeepsEveryKeyAndIgnoresTrailingBytes) {
    constexpr uint32_t kRounds = 2000, kRows = 1000;
    TrackBytes round(0), lastRound(0);
    round.bytes.clear(), lastRound.bytes.clear();
    for (uint32_t row = 0; row < kRows; ++row) {
        round.Key(row, static_cast<float>(row), 1);
        lastRound.Key(row, static_cast<float>(row) + 0.5f, 2);
    }
    TrackBytes bytes(kRounds * kRows + 1);
    for (uint32_t i = 0; i + 1 < kRounds; ++i) bytes.Raw(round.bytes);
    bytes.Raw(lastRound.bytes).Key(5000000, -1.0f, 0).Raw({0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4});
    ASSERT_GT(bytes.bytes.size(), size_t{16} << 20);
    vmtest::ScratchDir dir;
    bytes.WriteTo(dir.File("big.track"));

    sync::Track track;
    const auto report = sync::ReadTrackFile(dir.File("big.track"), track);
    EXPECT_TRUE(report.opened && report.problem.empty()) << report.problem;
    EXPECT_EQ(report.keysRead, kRounds * kRows + 1);
    ASSERT_EQ(track.keyCount(), kRows + 1);
    for (uint32_t row : {0u, 517u, 999u})
        EXPECT_EQ(Keys(track)[row], std::make_tuple(row, static_cast<float>(row) + 0.5f, 2)) << row;
    EXPECT_EQ(Keys(track).back(), std::make_tuple(5000000u, -1.0f, 0));
}

TEST(TrackFile, MissingAndDirectoryFilesAreReported) {
    vmtest::ScratchDir dir;
    sync::Track track;
    auto report = sync::ReadTrackFile(dir.File("missing.track"), track);
    EXPECT_FALSE(report.opened);

    std::filesystem::create_directory(dir.File("folder.track"));
    report = sync::ReadTrackFile(dir.File("folder.track"), track);
    EXPECT_FALSE(report.opened && report.problem.empty());
    EXPECT_EQ(track.keyCount(), 0u);
}

// The file reader and the buffer parser agree on every short or damaged shape.
TEST(TrackFile, ReadingAFileMatchesParsingItsBytes) {
    const std::vector<std::vector<uint8_t>> files = {
        {},
        {1, 0},
        TrackBytes(0).bytes,
        TrackBytes(3).Key(1, 1.0f, 0).Key(2, 2.0f, 3).Raw({9, 0, 0, 0}).bytes,
        TrackBytes(1).Key(4, 4.0f, 1).Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).bytes,
    };
    vmtest::ScratchDir dir;
    for (size_t i = 0; i < files.size(); ++i) {
        TrackBytes b(0);
        b.bytes = files[i];
        b.WriteTo(dir.File("t.track"));
        sync::Track read, parsed;
        const auto r = sync::ReadTrackFile(dir.File("t.track"), read);
        const auto p = Parse(b, parsed);
        EXPECT_EQ(std::tie(r.opened, r.declaredKeys, r.keysRead, r.problem),
                  std::tie(p.opened, p.declaredKeys, p.keysRead, p.problem))
            << i;
        EXPECT_EQ(Keys(read), Keys(parsed)) << i;
    }
}
