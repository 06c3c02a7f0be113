// Image decoding and CreateTextureFromFile: good files, orientation, and bad input.
#include <filesystem>
#include <fstream>

#include <stb/stb_image_write.h>

#include "gfx/device_fixture.h"
#include "platform/image/image.h"

using namespace gfx;
using namespace gfx_test;
namespace fs = std::filesystem;

namespace {

// 6 x 4 picture: top two rows red, bottom two blue, pixel (5,0) green.
std::vector<uint8_t> TestPixels() {
    std::vector<uint8_t> rgba(6 * 4 * 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            uint8_t* p = &rgba[(y * 6 + x) * 4];
            p[0] = y < 2 ? 255 : 0;
            p[1] = 0;
            p[2] = y < 2 ? 0 : 255;
            p[3] = 255;
        }
    rgba[5 * 4 + 0] = 0;
    rgba[5 * 4 + 1] = 255;
    return rgba;
}

class ImageFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("gfx_image_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        png_ = (dir_ / "picture.png").string();
        jpg_ = (dir_ / "picture.jpg").string();
        const auto px = TestPixels();
        ASSERT_TRUE(stbi_write_png(png_.c_str(), 6, 4, 4, px.data(), 6 * 4));
        ASSERT_TRUE(stbi_write_jpg(jpg_.c_str(), 6, 4, 4, px.data(), 100));
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    std::vector<uint8_t> Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    fs::path dir_;
    std::string png_, jpg_;
};

}  // namespace

TEST_F(ImageFiles, PngAndJpegDecodeTopRowFirst) {
    const auto png = image::LoadFile(png_);
    ASSERT_TRUE(png);
    EXPECT_EQ(png->width, 6u);
    EXPECT_EQ(png->height, 4u);
    EXPECT_EQ(png->rgba, TestPixels());

    const auto jpg = image::LoadFile(jpg_);
    ASSERT_TRUE(jpg);
    ASSERT_EQ(jpg->rgba.size(), 6u * 4 * 4);
    EXPECT_GT(jpg->rgba[0], 200);                  // top-left red
    EXPECT_GT(jpg->rgba[(3 * 6 + 0) * 4 + 2], 200);  // bottom-left blue
}

TEST_F(ImageFiles, BadInputIsRefusedWithAReason) {
    std::string why;
    EXPECT_FALSE(image::LoadFile((dir_ / "missing.png").string(), &why));
    EXPECT_NE(why.find("missing.png"), std::string::npos);
    EXPECT_FALSE(image::LoadFile(Write("empty.png", {}), &why));

    std::vector<uint8_t> garbage(4096);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 131 + 7);
    EXPECT_FALSE(image::LoadFile(Write("garbage.png", garbage), &why));
    garbage[0] = 0x89, garbage[1] = 'P', garbage[2] = 'N', garbage[3] = 'G';
    garbage[4] = '\r', garbage[5] = '\n', garbage[6] = 0x1A, garbage[7] = '\n';
    EXPECT_FALSE(image::LoadFile(Write("signed_garbage.png", garbage), &why));

    auto png = Read(png_);
    png.resize(png.size() / 2);
    EXPECT_FALSE(image::LoadFile(Write("truncated.png", png), &why));
    png.resize(20);
    EXPECT_FALSE(image::LoadFile(Write("header_only.png", png), &why));

    // A truncated JPEG may decode partly; either way it must not crash and a result has its size.
    auto jpg = Read(jpg_);
    jpg.resize(jpg.size() / 2);
    if (const auto partial = image::LoadFile(Write("truncated.jpg", jpg))) {
        EXPECT_EQ(partial->rgba.size(), size_t(partial->width) * partial->height * 4);
    }

    // A header that claims a huge picture is refused before decoding.
    auto huge = Read(png_);
    const uint8_t big[4] = {0x00, 0x01, 0x00, 0x00};  // 65536
    std::copy(big, big + 4, huge.begin() + 16);       // IHDR width
    std::copy(big, big + 4, huge.begin() + 20);       // IHDR height
    EXPECT_FALSE(image::LoadFile(Write("huge.png", huge), &why));
}

class TextureFromFile : public DeviceTest {};

TEST_F(TextureFromFile, LoadsA8R8G8B8WithRowZeroOnTop) {
    const fs::path dir = fs::temp_directory_path() / "gfx_texture_from_file_test";
    fs::create_directories(dir);
    const std::string png = (dir / "t.png").string();
    const auto px = TestPixels();
    ASSERT_TRUE(stbi_write_png(png.c_str(), 6, 4, 4, px.data(), 6 * 4));
    Texture* tex = nullptr;
    ASSERT_EQ(device_->CreateTextureFromFile(png.c_str(), &tex), D3D_OK);
    SurfaceDesc desc;
    tex->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Width, 6u);
    const Picture p = ReadTexture(tex);
    EXPECT_EQ(p.At(0, 0), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(p.At(5, 0), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(p.At(0, 3), (Rgba{0, 0, 255, 255}));
    tex->Release();

    Texture* bad = reinterpret_cast<Texture*>(1);
    EXPECT_EQ(device_->CreateTextureFromFile((dir / "nope.png").string().c_str(), &bad), D3DXERR_INVALIDDATA);
    EXPECT_EQ(bad, nullptr);
    std::ofstream(dir / "text.jpg") << "not a picture";
    EXPECT_EQ(device_->CreateTextureFromFile((dir / "text.jpg").string().c_str(), &bad), D3DXERR_INVALIDDATA);
    fs::remove_all(dir);
}
