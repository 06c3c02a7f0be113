// The whole demo over hostile files: each run shows the messages the demo gives for them (every
// box, in order) and goes on, or ends where the demo ends. One case per message; the readers'
// reasons in detail are checked with their own tests.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "robustness/bad_data_fixture.h"
#include "sync/track_bytes.h"

namespace robust {
namespace {

namespace fs = std::filesystem;
constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::nanf("");

void Set32(std::vector<uint8_t>& b, size_t offset, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.at(offset + i) = static_cast<uint8_t>(v >> (8 * i));
}

// Pipes stand for every file that opens without data (and would block a blocking open or read).
TEST_F(BadDataTest, FilesThatCannotBeOpenedAreReportedAtOnceAndTheDemoRunsOn) {
    MakeDirectory("s/synced_0_part.track");
    MakeDirectory("lol.txt");
    for (const char* file : {kBodyMesh, "vessmark/data/dama.png", "vessmark/shaders/pig.fx"})
        MakePipe(file);
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_LINES(
        run.Summary(),
        (vmtest::Lines{"Failed To Open The MeshFile: vessmark/gris/gris.SCENEgrismesh_1.mesh",
                       "TextureStack: InvalidData With dama",
                       "Shader Compilation Error In [vessmark/shaders/pig.fx]: "
                       "vessmark/shaders/pig.fx(1,1): error: cannot open the file",
                       "ikkenoesync: s/synced_0_part.track"}));
    EXPECT_NE(run.err.find("lol.txt"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("in part 1\n"), std::string::npos) << "an empty 0_part track is 0";
}

TEST_F(BadDataTest, DamagedFilesAreRefusedWithTheirReasonOrKeepWhatTheyHold) {
    // Mesh header fields: triangles at 72, vertices 76, stride 80, format bits 84, indices from 86.
    std::vector<uint8_t> cube = Read(kBodyMesh), mesh = cube;
    Set32(mesh, 72, 0xFFFFFFFFu);
    Write(kBodyMesh, mesh);
    mesh = cube;
    mesh[85] = 1 << 2;  // format bit 10: unknown
    Write("vessmark/gris/gris.SCENEring_2.mesh", mesh);
    // A stride the vertex stream cannot take (GL's limit is 2048 bytes here): each vertex widened.
    const size_t vertices = 86 + size_t(cube[72]) * 6, stride = cube[80], wide = 4096;
    mesh.assign(cube.begin(), cube.begin() + long(vertices));
    Set32(mesh, 80, wide);
    for (size_t v = 0; v < cube[76]; ++v) {
        const auto from = cube.begin() + long(vertices + v * stride);
        mesh.insert(mesh.end(), from, from + long(stride));
        mesh.resize(mesh.size() + wide - stride);
    }
    mesh.insert(mesh.end(), cube.begin() + long(vertices + cube[76] * stride), cube.end());
    Write("vessmark/gris/gris.SCENEkjeft_0.mesh", mesh);
    std::vector<uint8_t> image = Read("vessmark/data/dama.png");
    image.resize(image.size() / 2);
    Write("vessmark/data/dama.png", image);
    std::vector<uint8_t> track =
        TrackBytes(3).Key(0, 0.8f, 0).Key(3, 0.2f, 0).Key(6, 0.1f, 0).bytes;
    track.resize(track.size() - 5);  // the third record loses its value and kind
    Write("s/synced_0_fade.track", track);
    Write("s/synced_1_cam.z.track", TrackBytes(0xFFFFFFFFu).Key(0, -4.0f, 0).bytes);

    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    // The first texture stays loaded; "dama", "bg" and "demo" are missing when parts 5, 4 and 6
    // draw them (frames 2, 5 and 3).
    EXPECT_LINES(run.Summary(),
                 (vmtest::Lines{"MeshFile: vessmark/gris/gris.SCENEgrismesh_1.mesh: 4294967295 "
                                "triangles need 25769803770 bytes of indices, the file holds fewer",
                                "MeshFile: vessmark/gris/gris.SCENEkjeft_0.mesh: stride 4096 is "
                                "more than the device's vertex stream takes (2048 bytes)",
                                "VertexDecl: There's something very wrong",
                                "TextureStack: InvalidData With dama", "No Match: dama",
                                "No Match: demo", "No Match: bg"}));
    EXPECT_NE(run.out.find("vertexdecl bit[3]\n"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("s/synced_0_fade.track: file ends after 2 of its 3"), std::string::npos);
    EXPECT_NE(run.err.find("4294967295"), std::string::npos) << run.err;
}

// Selector values without an integer clear to yellow and run the default filter, printing
// nothing; non-finite camera and parameter values still render every part without a report.
TEST_F(BadDataTest, NonFiniteAndHugeTrackValuesRenderWithoutAReport) {
    Write("s/synced_0_part.track",
          TrackBytes(4).Key(0, 1, 0).Key(3, kNaN, 1).Key(6, 1e30f, 2).Key(9, -kInf, 3).bytes);
    Write("s/synced_0_filter.track",
          TrackBytes(3).Key(0, kInf, 1).Key(9, -3e9f, 0).Key(15, kNaN, 0).bytes);
    Write("s/synced_1_cam.fov.track", TrackBytes(2).Key(0, kInf, 0).Key(9, -kInf, 0).bytes);
    Write("s/synced_1_cam.x.track", TrackBytes(1).Key(0, kNaN, 0).bytes);
    Write("s/synced_1_view.z.track", TrackBytes(2).Key(0, 3e38f, 1).Key(20, -3e38f, 0).bytes);
    Write("s/synced_0_fade.track", TrackBytes(1).Key(0, -kInf, 0).bytes);
    Write("s/synced_0_fp.track", TrackBytes(2).Key(0, 1e30f, 0).Key(12, kNaN, 0).bytes);
    const DemoRun run = Run();
    ExpectRanToTheEnd(run);
    EXPECT_TRUE(run.boxes.empty()) << run.Describe();
    EXPECT_NE(run.out.find("in part 1\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("clear\n"), std::string::npos) << run.out;
}

TEST_F(BadDataTest, ASoundtrackThatCannotBeReadEndsTheDemoAfterOneBox) {
    MakePipe(kSoundtrack);
    const DemoRun run = Run();
    ExpectEnded(run, 0);
    EXPECT_EQ(run.boxes, vmtest::Lines{"fucked stream: error"});
    EXPECT_EQ(run.frames, 0);
    EXPECT_EQ(run.out.find("loading complete"), std::string::npos);
    EXPECT_NE(run.err.find(kSoundtrack), std::string::npos) << run.err;
}

}  // namespace
}  // namespace robust
