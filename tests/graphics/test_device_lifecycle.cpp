// Device creation, loss and reset, and textures from PNG files (good, changed, missing, corrupt).
#include <filesystem>
#include <fstream>

#include "platform/graphics/image_file.h"
#include "tests/graphics/golden_scenes.h"
#include "tests/graphics/graphics_fixture.h"

using namespace plat;
using gfxtest::GraphicsTest;
using gfxtest::Windowed;

namespace {

std::filesystem::path TempDir() {
  auto dir = std::filesystem::path(testsupport::BinaryPath("graphics-test-files")) /
             ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::filesystem::create_directories(dir);
  return dir;
}

TEST_F(GraphicsTest, CreateDeviceTakesTheClientSizeForZeroAndWritesItBack) {
  WindowHandle win = MakeWindow(320, 200);
  PresentParameters pp = Windowed(0, 0);
  pp.BackBufferFormat = FMT_UNKNOWN;
  ASSERT_EQ(system->CreateDevice(0, DEVTYPE_REF, win, CREATE_SOFTWARE_VERTEXPROCESSING, pp, device), S_OK);
  EXPECT_EQ(pp.BackBufferWidth, 320u);
  EXPECT_EQ(pp.BackBufferHeight, 200u);
  EXPECT_EQ(pp.BackBufferFormat, uint32_t(FMT_X8R8G8B8));  // the desktop's
  // Full screen needs a listed mode; a refused request writes nothing back.
  std::unique_ptr<IDevice> other;
  PresentParameters bad = Windowed(700, 64);
  bad.Windowed = 0;
  EXPECT_TRUE(Failed(system->CreateDevice(0, DEVTYPE_REF, win, CREATE_SOFTWARE_VERTEXPROCESSING, bad, other)));
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(bad.BackBufferWidth, 700u);
}

TEST_F(GraphicsTest, FullScreenDeviceIsLostWhileItsWindowIsHidden) {
  WindowHandle win = MakeWindow(640, 480);
  SDL_ShowWindow(window);
  PresentParameters pp = Windowed(640, 480);
  pp.Windowed = 0;
  ASSERT_EQ(system->CreateDevice(0, DEVTYPE_REF, win, CREATE_SOFTWARE_VERTEXPROCESSING, pp, device), S_OK);
  EXPECT_EQ(device->Present(), S_OK);
  SDL_HideWindow(window);
  EXPECT_EQ(device->Present(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Reset(pp), D3DERR_DEVICELOST);
  SDL_ShowWindow(window);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Reset(pp), S_OK);
  EXPECT_EQ(device->Present(), S_OK);
}

TEST_F(GraphicsTest, AFailedResetLeavesTheDeviceLostUntilAGoodOne) {
  MakeDevice(32, 32);
  PresentParameters bad = Windowed(32, 32);
  bad.BackBufferFormat = FMT_A2R10G10B10;
  EXPECT_EQ(device->Reset(bad), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Present(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Clear(CLEAR_TARGET, 0xFFFFFFFFu, 1.0f, 0), S_OK);  // taken, and does nothing
  PresentParameters good = Windowed(32, 32);
  ASSERT_EQ(device->Reset(good), S_OK);
  EXPECT_EQ(device->Present(), S_OK);
  ASSERT_EQ(device->BeginScene(), S_OK);
  EXPECT_EQ(device->Reset(good), D3DERR_INVALIDCALL);  // not inside a scene
  std::unique_ptr<ISprite> sprite;
  ASSERT_EQ(device->CreateSprite(sprite), S_OK);
  device.reset();
  EXPECT_TRUE(Failed(sprite->Begin(0)));  // a sprite that outlives its device fails safely
}

TEST_F(GraphicsTest, ResetKeepsTexturesTakesTheWindowSizeAndStartsStatesAfresh) {
  MakeDevice(64, 48);
  std::unique_ptr<ITexture> texture;
  ASSERT_EQ(device->CreateTextureFromPixels(2, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu}, texture), S_OK);
  ASSERT_EQ(device->SetRenderState(RS_FILLMODE, FILL_WIREFRAME), S_OK);
  SDL_SetWindowSize(window, 100, 80);
  PresentParameters pp = Windowed(0, 0);
  ASSERT_EQ(device->Reset(pp), S_OK);
  EXPECT_EQ(pp.BackBufferWidth, 100u);
  EXPECT_EQ(pp.BackBufferHeight, 80u);
  EXPECT_EQ(device->GetRenderState(RS_FILLMODE), uint32_t(FILL_SOLID));
  const testsupport::Image drawn = gfxtest::Render(*device, {"kept", 0, 0, [&](IDevice&, ISprite& s, ITexture&) {
    s.Begin(SPRITE_ALPHABLEND);
    s.Draw(texture.get(), nullptr, nullptr, nullptr, 0xFFFFFFFFu);
    s.End();
  }});
  EXPECT_EQ(drawn.At(1, 1), 0xFFFFFFFFu);
  EXPECT_EQ(device->LiveObjectCount(), 1u);
  texture.reset();
  EXPECT_EQ(device->LiveObjectCount(), 0u);
}

TEST_F(GraphicsTest, MissingOrCorruptImagesFailWithoutATexture) {
  MakeDevice(16, 16);
  const auto dir = TempDir();
  ASSERT_TRUE(testsupport::WritePng((dir / "good.png").string(), {64, 64, std::vector<uint32_t>(64 * 64, 0xFF808080u)}));
  std::ifstream in(dir / "good.png", std::ios::binary);
  const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string giant = good;
  giant[16] = giant[17] = 0x7F;  // the header's width, which now also fails its checksum
  const std::pair<const char*, std::string> files[] = {
      {"text.png", "hello, not an image"}, {"empty.png", ""}, {"cut.png", good.substr(0, good.size() / 2)},
      {"giant.png", giant}};
  std::unique_ptr<ITexture> t;
  for (const auto& [name, bytes] : files) {
    std::ofstream(dir / name, std::ios::binary) << bytes;
    EXPECT_EQ(device->CreateTextureFromFile((dir / name).wstring(), t), D3DXERR_INVALIDDATA) << name;
    EXPECT_EQ(t, nullptr) << name;
  }
  EXPECT_TRUE(Failed(device->CreateTextureFromFile((dir / "nothing.png").wstring(), t)));
  EXPECT_TRUE(Failed(device->CreateTextureFromPixels(4, 4, std::vector<uint32_t>(15), t)));
  EXPECT_EQ(device->LiveObjectCount(), 0u);
}

// A header asking for more than the device's textures (8192 a side here) or than any image may
// have is refused as not available from the header alone; decoding it would first take the
// memory and then fail on the missing pixel data instead.
TEST_F(GraphicsTest, ImagesLargerThanTheLimitsAreRefusedFromTheirHeader) {
  MakeDevice(16, 16);
  const auto dir = TempDir();
  struct Case {
    uint32_t width, height;
    Result device, noDevice;
  };
  const Case cases[] = {
      {16384, 16384, D3DERR_NOTAVAILABLE, D3DERR_NOTAVAILABLE},  // 1 GiB of pixels
      {8193, 1, D3DERR_NOTAVAILABLE, D3DXERR_INVALIDDATA},        // the device's side, not ours
      {16385, 1, D3DERR_NOTAVAILABLE, D3DERR_NOTAVAILABLE},
      {8192, 8193, D3DERR_NOTAVAILABLE, D3DERR_NOTAVAILABLE},     // the pixel count
      {0x7FFFFFFF, 0x7FFFFFFF, D3DXERR_INVALIDDATA, D3DXERR_INVALIDDATA},  // beyond what PNG allows
      {64, 64, D3DXERR_INVALIDDATA, D3DXERR_INVALIDDATA},         // within: decoded, and too short
  };
  for (const Case& c : cases) {
    const std::string bytes = testsupport::PngWithHeader(c.width, c.height);
    const auto path = dir / "header.png";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    std::unique_ptr<ITexture> t;
    EXPECT_EQ(device->CreateTextureFromFile(path.wstring(), t), c.device) << c.width << "x" << c.height;
    gfx::DecodedImage image;
    EXPECT_EQ(gfx::DecodeImageBytes(std::vector<uint8_t>(bytes.begin(), bytes.end()), true, image), c.noDevice)
        << c.width << "x" << c.height;
    EXPECT_TRUE(image.argb.empty());
  }
  EXPECT_EQ(device->LiveObjectCount(), 0u);
}

// Decoded images are reused while a file's bytes stay the same; a changed or removed file is not.
TEST(ImageFile, RereadFileWithNewContentGivesTheNewPixels) {
  const std::string path = testsupport::BinaryPath("image_file_test/changing.png");
  const std::wstring wide(path.begin(), path.end());
  gfx::DecodedImage image;
  for (uint32_t colour : {0xFFFF0000u, 0xFF0000FFu, 0xFF0000FFu}) {
    ASSERT_TRUE(testsupport::WritePng(path, {4, 2, std::vector<uint32_t>(8, colour)}));
    ASSERT_EQ(gfx::DecodeImageFile(wide, true, image), S_OK);
    EXPECT_EQ(image.argb.at(7), colour);
  }
  std::filesystem::remove(path);
  EXPECT_TRUE(Failed(gfx::DecodeImageFile(wide, true, image)));
}

}  // namespace

namespace {

// A PNG file's bytes, 4x2 pixels of one colour.
std::vector<uint8_t> SmallPng() {
  const std::string path = testsupport::BinaryPath("image_file_test/small.png");
  EXPECT_TRUE(testsupport::WritePng(path, {4, 2, std::vector<uint32_t>(8, 0xFF102030u)}));
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

// A chunk that claims more bytes than the file holds (here a text chunk after the header that
// claims almost 2 GB) is refused, also when only the header is asked for; bytes after the closing
// chunk change nothing.
TEST(ImageFile, AChunkLongerThanTheFileIsRefusedAndTrailingBytesAreNot) {
  const std::vector<uint8_t> good = SmallPng();
  ASSERT_GT(good.size(), 33u);
  gfx::DecodedImage image;
  std::vector<uint8_t> trailing = good;
  trailing.insert(trailing.end(), {1, 2, 3, 4, 5});
  for (bool pixels : {false, true}) {
    EXPECT_EQ(gfx::DecodeImageBytes(good, pixels, image), S_OK);
    EXPECT_EQ(gfx::DecodeImageBytes(trailing, pixels, image), S_OK);
    EXPECT_EQ(image.info.Width, 4u);
  }
  EXPECT_EQ(image.argb.at(7), 0xFF102030u);

  // Signature (8) and header chunk (25): the claim goes right after them.
  std::vector<uint8_t> damaged(good.begin(), good.begin() + 33);
  const uint8_t claim[] = {0x7F, 0xFF, 0xFF, 0xF0, 't', 'E', 'X', 't', 'a', '=', 'b'};
  damaged.insert(damaged.end(), std::begin(claim), std::end(claim));
  damaged.insert(damaged.end(), good.begin() + 33, good.end());
  for (bool pixels : {false, true}) EXPECT_EQ(gfx::DecodeImageBytes(damaged, pixels, image), D3DXERR_INVALIDDATA);
  // The file cut inside its last chunk's checksum.
  const std::vector<uint8_t> cut(good.begin(), good.end() - 2);
  EXPECT_EQ(gfx::DecodeImageBytes(cut, true, image), D3DXERR_INVALIDDATA);
}
