// Reset and loss, object lifetimes and counts, textures from PNG files (good, missing, corrupt).
#include <png.h>

#include <filesystem>
#include <fstream>

#include "tests/graphics/graphics_fixture.h"

using namespace plat;
using gfxtest::GraphicsTest;

namespace {

std::filesystem::path TempDir() {
  auto dir = std::filesystem::path(testsupport::BinaryPath("graphics-test-files")) /
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::filesystem::create_directories(dir);
  return dir;
}

// Writes a PNG with libpng's simplified writer; `alpha` false writes plain RGB.
bool WriteImage(const std::filesystem::path& path, uint32_t w, uint32_t h, const std::vector<uint32_t>& argb, bool alpha) {
  std::vector<uint8_t> bytes;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = alpha ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR;
  std::vector<uint8_t> rows;
  for (uint32_t p : argb) {
    rows.push_back(uint8_t(p));
    rows.push_back(uint8_t(p >> 8));
    rows.push_back(uint8_t(p >> 16));
    if (alpha) rows.push_back(uint8_t(p >> 24));
  }
  return png_image_write_to_file(&image, path.c_str(), 0, rows.data(), 0, nullptr) != 0;
}

uint32_t DrawAndSample(IDevice& device, ISprite& sprite, const ITexture& texture, int x, int y) {
  device.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0, 1.0f, 0);
  device.BeginScene();
  sprite.Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
  sprite.SetTransform(Matrix::Identity());
  const Vec3 at{0, 0, 0.1f};
  sprite.Draw(&texture, nullptr, nullptr, &at, 0xFFFFFFFFu);
  sprite.End();
  device.EndScene();
  std::vector<uint32_t> px;
  uint32_t w = 0, h = 0;
  device.ReadBackBuffer(px, w, h);
  return px.at(size_t(y) * w + size_t(x));
}

TEST_F(GraphicsTest, TexturesFromPngFilesKeepSizeFormatAndPixels) {
  MakeDevice(16, 16);
  const auto dir = TempDir();
  const std::vector<uint32_t> px = {0xFF102030, 0x80405060, 0x00000000, 0xFFFFFFFF, 0xFF0000FF, 0xFF00FF00};
  ASSERT_TRUE(WriteImage(dir / "alpha.png", 3, 2, px, true));
  ASSERT_TRUE(WriteImage(dir / "plain.png", 3, 2, px, false));

  ImageInfo info;
  ASSERT_EQ(GetImageInfoFromFile((dir / "alpha.png").wstring(), info), S_OK);
  EXPECT_EQ(info.Width, 3u);
  EXPECT_EQ(info.Height, 2u);
  EXPECT_EQ(info.Format, uint32_t(FMT_A8R8G8B8));
  ASSERT_EQ(GetImageInfoFromFile((dir / "plain.png").wstring(), info), S_OK);
  EXPECT_EQ(info.Format, uint32_t(FMT_X8R8G8B8));

  std::unique_ptr<ITexture> alpha, plain;
  ASSERT_EQ(device->CreateTextureFromFile((dir / "alpha.png").wstring(), alpha), S_OK);
  ASSERT_EQ(device->CreateTextureFromFile((dir / "plain.png").wstring(), plain), S_OK);
  EXPECT_EQ(alpha->Width(), 3u);
  EXPECT_EQ(alpha->Height(), 2u);
  EXPECT_EQ(alpha->Format(), uint32_t(FMT_A8R8G8B8));
  EXPECT_EQ(plain->Format(), uint32_t(FMT_X8R8G8B8));
  std::unique_ptr<ISprite> sprite;
  ASSERT_EQ(device->CreateSprite(sprite), S_OK);
  EXPECT_EQ(DrawAndSample(*device, *sprite, *alpha, 0, 0), 0xFF102030u);
  EXPECT_EQ(DrawAndSample(*device, *sprite, *alpha, 2, 1), 0xFF00FF00u);
  EXPECT_EQ(DrawAndSample(*device, *sprite, *alpha, 2, 0), 0xFF000000u);  // alpha 0: nothing drawn
  EXPECT_EQ(DrawAndSample(*device, *sprite, *plain, 2, 0), 0xFF000000u);  // no alpha in the file: opaque black
  EXPECT_EQ(DrawAndSample(*device, *sprite, *plain, 1, 0), 0xFF405060u);
}

TEST_F(GraphicsTest, MissingOrCorruptImagesFailWithoutATexture) {
  MakeDevice(16, 16);
  const auto dir = TempDir();
  std::unique_ptr<ITexture> t;
  ImageInfo info;
  EXPECT_TRUE(Failed(device->CreateTextureFromFile((dir / "nothing.png").wstring(), t)));
  EXPECT_EQ(t, nullptr);
  EXPECT_TRUE(Failed(GetImageInfoFromFile((dir / "nothing.png").wstring(), info)));

  // Not a PNG at all; an empty file; a good file cut short; a header claiming a giant image.
  const std::vector<uint32_t> px(64 * 64, 0xFF808080u);
  ASSERT_TRUE(WriteImage(dir / "good.png", 64, 64, px, true));
  std::ifstream in(dir / "good.png", std::ios::binary);
  std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(dir / "text.png") << "hello, not an image";
  std::ofstream(dir / "empty.png");
  std::ofstream(dir / "cut.png", std::ios::binary) << good.substr(0, good.size() / 2);
  std::string giant = good;
  giant[16] = giant[17] = 0x7F;  // width of the IHDR chunk, which now also fails its checksum
  std::ofstream(dir / "giant.png", std::ios::binary) << giant;
  for (const char* name : {"text.png", "empty.png", "cut.png", "giant.png"}) {
    EXPECT_EQ(device->CreateTextureFromFile((dir / name).wstring(), t), D3DXERR_INVALIDDATA) << name;
    EXPECT_EQ(t, nullptr) << name;
  }
  EXPECT_EQ(GetImageInfoFromFile((dir / "text.png").wstring(), info), D3DXERR_INVALIDDATA);
  EXPECT_EQ(device->LiveObjectCount(), 0u);
  // Pixels that do not match the size are refused too.
  EXPECT_TRUE(Failed(device->CreateTextureFromPixels(4, 4, std::vector<uint32_t>(15), t)));
  EXPECT_TRUE(Failed(device->CreateTextureFromPixels(0, 0, {}, t)));
}

TEST_F(GraphicsTest, ResetKeepsTexturesAndTakesTheWindowSize) {
  MakeDevice(64, 48);
  std::unique_ptr<ITexture> texture = Texture(2, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu});
  std::unique_ptr<ISprite> sprite;
  ASSERT_EQ(device->CreateSprite(sprite), S_OK);
  EXPECT_EQ(device->LiveObjectCount(), 2u);
  ASSERT_EQ(device->SetRenderState(RS_FILLMODE, FILL_WIREFRAME), S_OK);

  sprite->OnLostDevice();
  SDL_SetWindowSize(window, 100, 80);
  PresentParameters pp = Windowed(0, 0);
  ASSERT_EQ(device->Reset(pp), S_OK);
  sprite->OnResetDevice();
  EXPECT_EQ(pp.BackBufferWidth, 100u);
  EXPECT_EQ(pp.BackBufferHeight, 80u);
  // States start afresh after a reset; the texture drew before and draws after.
  EXPECT_EQ(device->GetRenderState(RS_FILLMODE), uint32_t(FILL_SOLID));
  EXPECT_EQ(DrawAndSample(*device, *sprite, *texture, 1, 1), 0xFFFFFFFFu);
  SurfaceDesc desc;
  device->GetBackBufferDesc(desc);
  EXPECT_EQ(desc.Width, 100u);
  EXPECT_EQ(device->LiveObjectCount(), 2u);
  sprite.reset();
  EXPECT_EQ(device->LiveObjectCount(), 1u);
  texture.reset();
  EXPECT_EQ(device->LiveObjectCount(), 0u);
}

TEST_F(GraphicsTest, AFailedResetLeavesTheDeviceLostUntilAGoodOne) {
  MakeDevice(32, 32);
  EXPECT_EQ(device->TestCooperativeLevel(), S_OK);
  PresentParameters bad = Windowed(32, 32);
  bad.BackBufferFormat = FMT_A2R10G10B10;
  EXPECT_EQ(device->Reset(bad), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Present(), D3DERR_DEVICELOST);
  // While lost, calls are taken and do nothing.
  EXPECT_EQ(device->Clear(CLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), S_OK);
  PresentParameters good = Windowed(32, 32);
  ASSERT_EQ(device->Reset(good), S_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), S_OK);
  EXPECT_EQ(device->Present(), S_OK);
  // Reset inside a scene is refused.
  ASSERT_EQ(device->BeginScene(), S_OK);
  EXPECT_EQ(device->Reset(good), D3DERR_INVALIDCALL);
  // A sprite that outlives its device fails safely.
  std::unique_ptr<ISprite> sprite;
  ASSERT_EQ(device->CreateSprite(sprite), S_OK);
  device.reset();
  EXPECT_TRUE(Failed(sprite->Begin(0)));
}

}  // namespace
