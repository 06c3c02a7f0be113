#include "robustness/bad_data_fixture.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace robust {
namespace fs = std::filesystem;

void BadDataTest::SetUp() {
    folder_.WriteAssets(2.0);
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
    demo_test::WriteTrackFiles(folder_.Path(), timeline);
}

std::vector<uint8_t> BadDataTest::Read(const std::string& relative) const {
    std::ifstream in(Path(relative), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void BadDataTest::Write(const std::string& relative, const std::vector<uint8_t>& bytes) const {
    std::ofstream(Path(relative), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void BadDataTest::MakePipe(const std::string& relative) const {
    fs::remove(Path(relative));
    ASSERT_EQ(mkfifo(Path(relative).c_str(), 0600), 0);
}

void BadDataTest::MakeDirectory(const std::string& relative) const {
    fs::remove(Path(relative));
    fs::create_directories(Path(relative));
}

void ExpectEnded(const DemoRun& run, int exitCode) {
    EXPECT_FALSE(run.SanitizerReported()) << run.Describe();
    EXPECT_EQ(run.exitCode, exitCode) << run.Describe();
    EXPECT_GE(run.frames, 0) << run.Describe();
}

void ExpectRanToTheEnd(const DemoRun& run) {
    ExpectEnded(run, 0);
    EXPECT_GE(run.frames, 8) << run.Describe();
    EXPECT_LE(run.frames, 10) << run.Describe();
    EXPECT_NE(run.out.find("loading complete\n"), std::string::npos) << run.out;
}

}  // namespace robust
