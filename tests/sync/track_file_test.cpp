// Track files: the record layout, key order and duplicates, and every kind of damaged file.
#include "sync/track_file.h"

#include <gtest/gtest.h>

#include <iterator>
#include <tuple>

#include "support/scratch_dir.h"
#include "sync/track_bytes.h"

namespace {

using Key = std::tuple<uint32_t, float, int32_t>;  // row, value, kind

std::vector<Key> Keys(const sync::Track& track) {
    std::vector<Key> keys;
    for (const auto& [row, key] : track.keys())
        keys.emplace_back(row, key.value, key.interpolation);
    return keys;
}

}  // namespace

TEST(TrackFile, ReadsRecordsInAnyOrderLaterDuplicatesWinKindsAreSignExtended) {
    const auto b = TrackBytes(5)
                       .Key(20, 2.0f, 1)
                       .Key(10, 1.0f, 2)
                       .Key(5, 1.0f, 0)
                       .Key(5, 2.0f, 3)
                       .Key(30, -4.25f, 0xFF);
    sync::Track track;
    const auto report = sync::ParseTrackFile(b.bytes.data(), b.bytes.size(), track);
    EXPECT_EQ(std::tie(report.keysRead, report.problem), std::make_tuple(5u, std::string()));
    EXPECT_EQ(Keys(track),
              (std::vector<Key>{{5, 2.0f, 3}, {10, 1.0f, 2}, {20, 2.0f, 1}, {30, -4.25f, -1}}));
}

TEST(TrackFile, WritesTheExactLayoutInRowOrder) {
    vmtest::ScratchDir dir;
    sync::Track written;
    written.setKey(300, {0.1f, sync::Cosine});
    written.setKey(7, {-1e30f, -128});
    written.setKey(4294967295u, {42.0f, 127});
    std::string error;
    ASSERT_TRUE(sync::WriteTrackFile(dir.File("t.track"), written, &error)) << error;
    std::ifstream in(dir.File("t.track"), std::ios::binary);
    EXPECT_EQ(
        std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}),
        TrackBytes(3).Key(7, -1e30f, 0x80).Key(300, 0.1f, 2).Key(4294967295u, 42.0f, 127).bytes);

    written.setKey(0, {1.0f, 300});
    EXPECT_FALSE(sync::WriteTrackFile(dir.File("wide.track"), written, &error));
    EXPECT_EQ(error, "kind 300 at row 0 does not fit in the file's signed byte");
}

// The file reader and the buffer parser give the same report and keys for every short, damaged or
// oversized shape; the complete records are kept.
TEST(TrackFile, ShortAndDamagedFilesKeepTheCompleteRecordsAndSaySo) {
    const struct {
        std::vector<uint8_t> bytes;
        uint32_t declared, read;
        std::string problem;
    } cases[] = {
        {{}, 0, 0, "empty file, no key count"},
        {{0xAB, 0xAB, 0xAB}, 0, 0, "file too short to hold a key count"},
        {TrackBytes(0).bytes, 0, 0, ""},
        {TrackBytes(3).Key(1, 1.0f, 0).Key(2, 2.0f, 3).Raw({9, 0, 0, 0}).bytes, 3, 2,
         "file ends after 2 of its 3 declared keys; keeping the keys read"},
        {TrackBytes(1).Key(4, 4.0f, 1).Raw({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}).bytes, 1, 1, ""},
        {TrackBytes(0xFFFFFFFFu).Key(1, 1.0f, 0).bytes, 0xFFFFFFFFu, 1,
         "file ends after 1 of its 4294967295 declared keys; keeping the keys read"},
    };
    vmtest::ScratchDir dir;
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto& c = cases[i];
        dir.Write("t.track", c.bytes);
        sync::Track read, parsed;
        const auto r = sync::ReadTrackFile(dir.File("t.track"), read);
        const auto p = sync::ParseTrackFile(c.bytes.data(), c.bytes.size(), parsed);
        for (const auto& report : {r, p})
            EXPECT_EQ(std::tie(report.opened, report.declaredKeys, report.keysRead, report.problem),
                      std::make_tuple(true, c.declared, c.read, c.problem));
        EXPECT_EQ(Keys(read), Keys(parsed));
        EXPECT_EQ(read.keyCount(), c.read);
    }
}

// Over 16 MiB of records: rows 0..999 again and again (the last round wins), then trailing bytes.
TEST(TrackFile, AFileOverSixteenMebibytesKeepsEveryKey) {
    constexpr uint32_t kKeys = 2000000;
    TrackBytes bytes(kKeys);
    for (uint32_t i = 0; i < kKeys; ++i) bytes.Key(i % 1000, static_cast<float>(i / 1000), 1);
    bytes.Raw({0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4});
    vmtest::ScratchDir dir;
    bytes.WriteTo(dir.File("big.track"));
    sync::Track track;
    const auto report = sync::ReadTrackFile(dir.File("big.track"), track);
    EXPECT_EQ(std::tie(report.keysRead, report.problem), std::make_tuple(kKeys, std::string()));
    ASSERT_EQ(track.keyCount(), 1000u);
    EXPECT_EQ(Keys(track)[517], Key(517, 1999.0f, 1));
}
