// Image decoding and CreateTextureFromFile: good files, orientation, and bad input.
#include "platform/image/image.h"

#include <stb/stb_image_write.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "gfx/device_fixture.h"

using namespace gfx;
using namespace gfx_test;
namespace fs = std::filesystem;

namespace {

// 6 x 4 picture: top two rows red, bottom two blue, pixel (5,0) green.
std::vector<uint8_t> TestPixels() {
    std::vector<uint8_t> rgba(6 * 4 * 4);
    for (size_t i = 0; i < 24; ++i) {
        const Rgba c = i == 5 ? kGreen : i < 12 ? kRed : kBlue;
        std::copy(&c.r, &c.r + 4, &rgba[i * 4]);
    }
    return rgba;
}

class ImageFiles : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        dir_ = fs::path(::testing::TempDir()) /
               ("gfx_image_test_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::create_directories(dir_);
        const auto px = TestPixels();
        ASSERT_TRUE(stbi_write_png(Path("picture.png").c_str(), 6, 4, 4, px.data(), 6 * 4));
        ASSERT_TRUE(stbi_write_jpg(Path("picture.jpg").c_str(), 6, 4, 4, px.data(), 100));
    }
    void TearDown() override {
        fs::remove_all(dir_);
        DeviceTest::TearDown();
    }
    std::string Path(const std::string& name) const { return (dir_ / name).string(); }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(Path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return Path(name);
    }
    std::vector<uint8_t> Read(const std::string& name) {
        std::ifstream in(Path(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
};

}  // namespace

TEST_F(ImageFiles, PngAndJpegDecodeTopRowFirstAndLoadAsA8R8G8B8Textures) {
    const auto png = image::LoadFile(Path("picture.png"));
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width, 6u);
    EXPECT_EQ(png->height, 4u);
    EXPECT_EQ(png->rgba, TestPixels());
    const auto jpg = image::LoadFile(Path("picture.jpg"));
    ASSERT_TRUE(jpg);
    ASSERT_EQ(jpg->rgba.size(), 6u * 4 * 4);
    EXPECT_GT(jpg->rgba[0], 200);                    // top-left red
    EXPECT_GT(jpg->rgba[(3 * 6 + 0) * 4 + 2], 200);  // bottom-left blue

    Texture* tex = nullptr;
    ASSERT_EQ(device_->CreateTextureFromFile(Path("picture.png").c_str(), &tex), D3D_OK);
    SurfaceDesc desc;
    tex->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Width, 6u);
    const Picture p = ReadTexture(tex);
    EXPECT_EQ(p.At(0, 0), kRed);
    EXPECT_EQ(p.At(5, 0), kGreen);
    EXPECT_EQ(p.At(0, 3), kBlue);
    tex->Release();
}

// Each bad file is refused with its path and the reason, the decoder the signature names giving it;
// a picture too large to hold is refused from its header, before any decoding.
TEST_F(ImageFiles, BadInputIsRefusedWithAReason) {
    std::vector<uint8_t> garbage(4096);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 131 + 7);
    std::vector<uint8_t> signedGarbage = garbage;
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::copy(signature, signature + 8, signedGarbage.begin());
    const std::vector<uint8_t> png = Read("picture.png");
    auto withSide = [&](uint8_t byte1, uint8_t byte2) {  // IHDR width and height
        std::vector<uint8_t> b = png;
        for (size_t at : {16, 20}) b[at] = 0, b[at + 1] = byte1, b[at + 2] = byte2, b[at + 3] = 0;
        return b;
    };
    std::vector<uint8_t> brokenJpeg = garbage;
    brokenJpeg[0] = 0xFF, brokenJpeg[1] = 0xD8, brokenJpeg[2] = 0xFF;
    // A Huffman table of 17 x 16 = 272 codes: stb_image would write past its 257-entry table.
    std::vector<uint8_t> hugeTable = {0xFF, 0xD8, 0xFF, 0xC4, 0x01, 0x23, 0x00};
    hugeTable.insert(hugeTable.end(), 16, 17);
    hugeTable.insert(hugeTable.end(), 272, 0);
    hugeTable.insert(hugeTable.end(), {0xFF, 0xD9});
    // The same cut off inside its counts: stb reads on as if zeros followed.
    std::vector<uint8_t> cutTable(hugeTable.begin(), hugeTable.begin() + 7 + 15);
    cutTable.back() = 0xFF;
    // A chunk claiming 2 GiB: stb_image would grow its buffer to that before reading.
    std::vector<uint8_t> longChunk = png;
    longChunk[33] = 0x7F;  // the chunk after IHDR (8 + 25 bytes)
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* reason;  // after "PATH: "
    } files[] = {
        {"empty.png", {}, nullptr},
        {"garbage.png", garbage, "not a PNG or JPEG image"},
        {"signed_garbage.png", signedGarbage, "bad PNG: "},
        {"truncated.png",
         {png.begin(), png.begin() + long(png.size() / 2)},
         "bad PNG: a chunk longer than the data"},
        {"header_only.png", {png.begin(), png.begin() + 20}, "bad PNG: "},
        {"huge.png", withSide(0x01, 0x00), "unreadable PNG header: "},
        {"bomb.png", withSide(0x00, 0x40), "image too large to hold: 16384x16384"},
        {"broken.jpg", brokenJpeg, "unreadable JPEG header: "},
        {"table.jpg", hugeTable, "bad JPEG: a Huffman table with more than 256 codes"},
        {"cut.jpg", cutTable, "bad JPEG: a Huffman table with more than 256 codes"},
        {"long_chunk.png", longChunk, "bad PNG: a chunk longer than the data"},
    };
    for (const auto& f : files) {
        Write(f.name, f.bytes);
        const std::string path = Path(f.name);
        const std::string want = f.reason ? path + ": " + f.reason : "empty file " + path;
        std::string why;
        EXPECT_FALSE(image::LoadFile(path, &why)) << f.name;
        EXPECT_EQ(why.substr(0, want.size()), want);
        Texture* tex = reinterpret_cast<Texture*>(1);
        EXPECT_EQ(device_->CreateTextureFromFile(path.c_str(), &tex), D3DXERR_INVALIDDATA)
            << f.name;
        EXPECT_EQ(tex, nullptr) << f.name;
    }

    // What is not a regular file never opens (a pipe would block); a file too large is not read.
    ASSERT_EQ(mkfifo(Path("pipe.png").c_str(), 0600), 0);
    fs::create_directory(Path("folder.png"));
    Write("large.png", png);
    fs::resize_file(Path("large.png"), image::kMaxFileBytes + 1);  // sparse
    const std::pair<const char*, const char*> unread[] = {{"missing.png", "cannot open "},
                                                          {"pipe.png", "cannot open "},
                                                          {"folder.png", "cannot open "},
                                                          {"large.png", "file too large "}};
    for (const auto& [name, prefix] : unread) {
        std::string why;
        EXPECT_FALSE(image::LoadFile(Path(name), &why));
        EXPECT_EQ(why, prefix + Path(name));
    }

    // Limits at their edge: 6x4 needs a side of 6 and 96 bytes.
    std::string why;
    EXPECT_FALSE(image::LoadFile(Path("picture.png"), &why, {5, 96}));
    EXPECT_EQ(why, Path("picture.png") + ": image dimensions out of range: 6x4");
    EXPECT_FALSE(image::LoadFile(Path("picture.png"), &why, {6, 95}));
    EXPECT_EQ(why, Path("picture.png") + ": image too large to hold: 6x4");
    EXPECT_TRUE(image::LoadFile(Path("picture.png"), &why, {6, 96})) << why;

    // A truncated JPEG may decode partly; either way it must not crash and a result has its size.
    auto jpg = Read("picture.jpg");
    jpg.resize(jpg.size() / 2);
    if (const auto partial = image::LoadFile(Write("truncated.jpg", jpg))) {
        EXPECT_EQ(partial->rgba.size(), size_t(partial->width) * partial->height * 4);
    }
}
