#include "robustness/bad_data_fixture.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace robust {
namespace fs = std::filesystem;

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutF(Bytes& b, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    Put32(b, v);
}
void Set32(Bytes& b, size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(offset + i) = static_cast<uint8_t>(v >> (8 * i));
}
void Set16(Bytes& b, size_t offset, uint16_t v) {
    b.at(offset) = static_cast<uint8_t>(v);
    b.at(offset + 1) = static_cast<uint8_t>(v >> 8);
}

Bytes TrackFile(const std::vector<Key>& keys) {
    Bytes b;
    Put32(b, static_cast<uint32_t>(keys.size()));
    for (const Key& key : keys) {
        Put32(b, key.row);
        PutF(b, key.value);
        b.push_back(static_cast<uint8_t>(key.kind));
    }
    return b;
}

void BadDataTest::SetUp() {
    folder_ = std::make_unique<demo_test::DemoDataFolder>();
    folder_->WriteAssets(kSoundtrackSeconds);
    // Frame k is at row 3.1875 k: parts 1, 2, 5, 6, 3, 4, 0, 0 and filters 0, 1, 2, 3, 5, 6, 4, 7.
    demo_test::Timeline timeline;
    timeline["0_part"] = {{0, 1, 0},  {3, 2, 0},  {6, 5, 0}, {9, 6, 0},
                          {12, 3, 0}, {15, 4, 0}, {18, 0, 0}};
    timeline["0_filter"] = {{0, 0, 0},  {3, 1, 0},  {6, 2, 0},  {9, 3, 0},
                            {12, 5, 0}, {15, 6, 0}, {18, 4, 0}, {21, 7, 0}};
    timeline["0_fp"] = {{0, 1.0f, 0}};
    timeline["0_fp2"] = {{0, 0.5f, 0}};
    timeline["0_fade"] = {{0, 0.8f, 0}};
    timeline["0_flash"] = {{0, 1.0f, 0}};
    timeline["1_cam.y"] = {{0, -1.0f, 0}};
    timeline["1_cam.z"] = {{0, -4.0f, 0}};
    timeline["1_cam.fov"] = {{0, 1.0f, 0}};
    for (const char* name :
         {"0_gradient", "1_cam.x", "1_cam.rot", "1_view.x", "1_view.y", "1_view.z", "2_st1",
          "2_st2", "2_st3", "2_st4", "2_st5", "2_st6", "2_st7", "3_smile"})
        timeline[name] = {};
    demo_test::WriteTrackFiles(folder_->Path(), timeline);
}

Bytes BadDataTest::Read(const std::string& relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::string BadDataTest::ReadText(const std::string& relative) const {
    const Bytes bytes = Read(relative);
    return std::string(bytes.begin(), bytes.end());
}

void BadDataTest::Write(const std::string& relative, const Bytes& bytes) const {
    fs::create_directories(Path(relative).parent_path());
    std::ofstream(Path(relative), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

void BadDataTest::Write(const std::string& relative, const std::string& text) const {
    Write(relative, Bytes(text.begin(), text.end()));
}

void BadDataTest::MakeDirectory(const std::string& relative) const {
    fs::remove(Path(relative));
    fs::create_directories(Path(relative));
}

void BadDataTest::Remove(const std::string& relative) const {
    fs::remove(Path(relative));
}

bool BadDataTest::MakeUnreadable(const std::string& relative) const {
    chmod(Path(relative).c_str(), 0);
    std::FILE* probe = std::fopen(Path(relative).c_str(), "rb");
    if (probe == nullptr) return true;
    std::fclose(probe);
    return false;
}

DemoRun BadDataTest::Run(const RunOptions& options) const {
    return RunHeadlessDemo(folder_->Path(), options);
}

void BadDataTest::RunUnopenable(
    const std::string& relative,
    const std::function<void(const char*, const DemoRun&)>& check) const {
    if (MakeUnreadable(relative)) check("unreadable", Run());
    Remove(relative);
    check("missing", Run());
    MakeDirectory(relative);
    check("a directory in its place", Run());
}

void ExpectSurvived(const DemoRun& run) {
    EXPECT_FALSE(run.timedOut) << run.DescribeBoxes();
    EXPECT_EQ(run.signal, 0) << run.DescribeBoxes();
    EXPECT_FALSE(run.SanitizerReported()) << run.DescribeBoxes();
    EXPECT_GE(run.frames, 0) << "the program did not reach its end\n" << run.DescribeBoxes();
}

void ExpectRanToTheEnd(const DemoRun& run) {
    ExpectSurvived(run);
    EXPECT_EQ(run.exitCode, 0) << run.DescribeBoxes();
    EXPECT_GE(run.frames, kFullRunFrames) << run.DescribeBoxes();
    EXPECT_LE(run.frames, kFullRunFrames + 2) << run.DescribeBoxes();
    EXPECT_NE(run.out.find("loading complete\n"), std::string::npos) << run.out;
}

}  // namespace robust
