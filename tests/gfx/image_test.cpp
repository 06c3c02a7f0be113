// Image decoding and CreateTextureFromFile: good files, orientation, and bad input.
#include "platform/image/image.h"

#include <stb/stb_image_write.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

#include "gfx/device_fixture.h"
#include "platform/file/regular_file.h"
#include "support/scratch_dir.h"

using namespace gfx_test;

namespace {

// 6 x 4 picture: top two rows red, bottom two blue, pixel (5,0) green.
std::vector<uint8_t> TestPixels() {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 24; ++i)
        rgba.insert(rgba.end(), {uint8_t(i < 12 && i != 5 ? 255 : 0), uint8_t(i == 5 ? 255 : 0),
                                 uint8_t(i < 12 ? 0 : 255), 255});
    return rgba;
}

class ImageFiles : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_TRUE(stbi_write_png(picture_.c_str(), 6, 4, 4, TestPixels().data(), 6 * 4));
        ASSERT_TRUE(
            stbi_write_jpg(dir_.File("picture.jpg").c_str(), 6, 4, 4, TestPixels().data(), 100));
    }
    const vmtest::ScratchDir dir_{"gfx-image"};
    const std::string picture_ = dir_.File("picture.png");
};

}  // namespace

TEST_F(ImageFiles, PngAndJpegDecodeTopRowFirstAndLoadAsA8R8G8B8Textures) {
    const auto png = image::LoadFile(picture_);
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width * 10 + png->height, 64u);
    EXPECT_EQ(png->rgba, TestPixels());
    const auto jpg = image::LoadFile(dir_.File("picture.jpg"));
    ASSERT_TRUE(jpg);
    ASSERT_EQ(jpg->rgba.size(), 6u * 4 * 4);
    EXPECT_GT(jpg->rgba[0], 200);                    // top-left red
    EXPECT_GT(jpg->rgba[(3 * 6 + 0) * 4 + 2], 200);  // bottom-left blue

    Texture* tex = nullptr;
    ASSERT_EQ(device_->CreateTextureFromFile(picture_.c_str(), &tex), D3D_OK);
    SurfaceDesc desc;
    tex->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(ReadTexture(tex).Spots({{0, 0}, {5, 0}, {0, 3}}), "6x4: ff0000 00ff00 0000ff");
    tex->Release();
}

// Each bad file is refused with its path and the reason, the decoder the signature names giving it;
// a picture too large to hold is refused from its header, before any decoding. What is not a
// regular file never opens (a pipe would block); a file too large is not read.
TEST_F(ImageFiles, BadInputIsRefusedWithItsPathAndAReason) {
    std::string garbage(4096, 0);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = char(i * 131 + 7);
    const std::string png = dir_.Read("picture.png");
    auto withSide = [&](char byte1, char byte2) {  // IHDR width and height
        std::string bytes = png;
        for (size_t at : {16, 20}) bytes.replace(at, 4, std::string{0, byte1, byte2, 0});
        return bytes;
    };
    // A Huffman table of 17 x 16 = 272 codes: stb_image would write past its 257-entry table.
    const std::string hugeTable = std::string("\xFF\xD8\xFF\xC4\x01\x23", 7) + std::string(16, 17) +
                                  std::string(272, 0) + "\xFF\xD9";
    std::string longChunk = png;
    longChunk[33] = 0x7F;  // the chunk after IHDR (8 + 25 bytes) claims 2 GiB
    ASSERT_EQ(mkfifo(dir_.File("pipe.png").c_str(), 0600), 0);
    EXPECT_FALSE(files::IsRegular(dir_.File("pipe.png").c_str()));  // for readers that open by name
    std::filesystem::create_directory(dir_.File("folder.png"));
    std::filesystem::resize_file(dir_.Write("large.png", png), image::kMaxFileBytes + 1);
    const struct {
        const char* name;
        std::optional<std::string> bytes;  // none: made above, or missing
        const char* reason;                // % stands for the path
    } files[] = {
        {"empty.png", "", "empty file %"},
        {"garbage.png", garbage, "%: not a PNG or JPEG image"},
        {"truncated.png", png.substr(0, png.size() / 2),
         "%: bad PNG: a chunk longer than the data"},
        {"huge.png", withSide(1, 0), "%: unreadable PNG header: "},
        {"bomb.png", withSide(0, 0x40), "%: image too large to hold: 16384x16384"},
        {"long_chunk.png", longChunk, "%: bad PNG: a chunk longer than the data"},
        {"broken.jpg", "\xFF\xD8\xFF" + garbage.substr(3), "%: unreadable JPEG header: "},
        {"table.jpg", hugeTable, "%: bad JPEG: a Huffman table with more than 256 codes"},
        // Cut off inside its counts: stb reads on as if zeros followed.
        {"cut.jpg", hugeTable.substr(0, 21) + "\xFF",
         "%: bad JPEG: a Huffman table with more than 256 codes"},
        {"pipe.png", std::nullopt, "cannot open %"},
        {"folder.png", std::nullopt, "cannot open %"},
        {"large.png", std::nullopt, "file too large %"},
    };
    for (const auto& f : files) {
        const std::string path = f.bytes ? dir_.Write(f.name, *f.bytes) : dir_.File(f.name);
        std::string want = f.reason, why;
        want.replace(want.find('%'), 1, path);
        EXPECT_FALSE(image::LoadFile(path, &why)) << f.name;
        EXPECT_EQ(why.substr(0, want.size()), want);
        Texture* tex = reinterpret_cast<Texture*>(1);
        EXPECT_EQ(device_->CreateTextureFromFile(path.c_str(), &tex), D3DXERR_INVALIDDATA)
            << f.name;
        EXPECT_EQ(tex, nullptr) << f.name;
    }

    // Limits at their edge: 6x4 needs a side of 6 and 96 bytes.
    std::string why;
    EXPECT_FALSE(image::LoadFile(picture_, &why, {5, 96}));
    EXPECT_EQ(why, picture_ + ": image dimensions out of range: 6x4");
    EXPECT_FALSE(image::LoadFile(picture_, &why, {6, 95}));
    EXPECT_EQ(why, picture_ + ": image too large to hold: 6x4");
    EXPECT_TRUE(image::LoadFile(picture_, &why, {6, 96})) << why;
}
