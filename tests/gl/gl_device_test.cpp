// The hardware device draws the reference device's golden scenes (and the font's) and must match
// the golden pictures within a small tolerance; it switches with the reference device on one
// window in both orders. Needs a real X display (Xvfb) with OpenGL 3.3; skipped otherwise.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "tests/font/font_scenes.h"
#include "tests/gl/gl_env.h"
#include "tests/graphics/graphics_fixture.h"
#include "tests/support/test_support.h"

using namespace plat;

namespace {

constexpr uint32_t kBackground = 0x002D32AAu;

// Filtering and blending round differently on the GPU path: a channel may be off by this much
// anywhere, and a few pixels per thousand (texel and triangle edges) by more.
constexpr uint32_t kChannelTolerance = 3;
constexpr double kEdgePixelShare = 0.004;
// Wireframe lines may end a pixel apart from the reference lines.
constexpr double kWireframePixelShare = 0.002;

struct Scene {
  const char* golden;
  uint32_t width, height;
  std::function<void(IDevice&, ISprite&, ITexture&)> draw;
  double allowedShare = kEdgePixelShare;
};

void Cell(ISprite& sprite, ITexture& atlas, int cell, float x, float y, float z, uint32_t tint = 0xFFFFFFFFu,
          Vec3 scale = {1, 1, 1}, Quat turn = {0, 0, 0, 0}) {
  const Vec3 centre{16, 16, 0.01f}, move{x, y, z + 0.01f};
  sprite.SetTransform(MatrixTransformation(&scale, &centre, &turn, &move));
  const RectI src{(cell % 4) * 32, (cell / 4) * 32, (cell % 4) * 32 + 32, (cell / 4) * 32 + 32};
  sprite.Draw(&atlas, &src, nullptr, nullptr, tint);
}

constexpr uint32_t kBatch = SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK;

std::vector<Scene> Scenes() {
  return {
      {"graphics_clear", 40, 30, [](IDevice&, ISprite&, ITexture&) {}},
      {"graphics_copy_and_mirror", 96, 48,
       [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         Cell(s, a, 1, 8, 8, 0.1f);
         Cell(s, a, 1, 50, 8, 0.1f, 0xFFFFFFFFu, {1, 1, 1}, {0, 1, 0, 0});
         s.End();
       }},
      {"graphics_tint", 80, 40,
       [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         Cell(s, a, 7, 4, 4, 0.1f, 0xFFFF0000u);
         Cell(s, a, 7, 44, 4, 0.1f, 0x80808080u);
         s.End();
       }},
      {"graphics_scale_x", 128, 176,
       [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         const float scales[5] = {0.0f, 0.5f, 1.0f, 2.0f, 3.0f};
         for (int i = 0; i < 5; ++i) Cell(s, a, 0, 10, 4 + 34.0f * i, 0.1f, 0xFFFFFFFFu, {scales[i], 1, 1});
         s.End();
       }},
      {"graphics_source_rect", 140, 40,
       [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         for (int cell = 0; cell < 4; ++cell) Cell(s, a, cell + 4, 2 + 34.0f * cell, 4, 0.1f);
         s.End();
       }},
      {"graphics_sort_in_batch", 120, 60,
       [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         Cell(s, a, 0, 10, 10, 0.5f);
         Cell(s, a, 7, 26, 14, 0.2f, 0x80FFFFFFu);
         s.End();
         s.Begin(SPRITE_ALPHABLEND);
         Cell(s, a, 0, 70, 10, 0.5f);
         Cell(s, a, 7, 86, 14, 0.2f, 0x80FFFFFFu);
         s.End();
       }},
      {"graphics_depth_across_batches", 80, 60,
       [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         Cell(s, a, 2, 10, 10, 0.1f);
         s.End();
         s.Begin(kBatch);
         Cell(s, a, 3, 14, 14, 0.3f);
         s.End();
       }},
      {"graphics_wireframe", 80, 60,
       [](IDevice& d, ISprite& s, ITexture& a) {
         d.SetRenderState(RS_FILLMODE, FILL_WIREFRAME);
         s.Begin(kBatch);
         Cell(s, a, 7, 10, 10, 0.1f, 0xFF00FF00u, {1.5f, 1.5f, 1});
         s.End();
       },
       kWireframePixelShare},
      {"font_line_2000", fontscenes::kLineWidth, fontscenes::kLineHeight,
       [](IDevice& d, ISprite&, ITexture&) { fontscenes::DrawLine2000(d); }},
      {"font_wrapped", fontscenes::kWrappedWidth, fontscenes::kWrappedHeight,
       [](IDevice& d, ISprite&, ITexture&) { fontscenes::DrawWrapped(d); }},
  };
}

class HardwareDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!gltest::OpenDisplay(why)) GTEST_SKIP() << why;
    windows.displays = {gfxtest::Display(1280, 1024, {{640, 480, 60, 32}, {1280, 1024, 60, 32}})};
    system = CreateGraphicsSystem(windows);
    ASSERT_TRUE(system);
    if (Failed(system->CheckDeviceType(0, DEVTYPE_HAL, FMT_X8R8G8B8, FMT_X8R8G8B8, true)))
      GTEST_SKIP() << "the hardware device type is not offered here (no OpenGL 3.3 core context)";
  }
  void TearDown() override {
    device.reset();
    system.reset();
    if (window) SDL_DestroyWindow(window);
    gltest::CloseDisplay();
  }

  void MakeWindow(int w, int h) {
    window = SDL_CreateWindow("hardware device test", 0, 0, w, h, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
  }

  Result MakeDevice(uint32_t type, uint32_t w, uint32_t h) {
    PresentParameters pp;
    pp.BackBufferWidth = w;
    pp.BackBufferHeight = h;
    pp.BackBufferFormat = FMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = SWAPEFFECT_DISCARD;
    pp.Windowed = 1;
    pp.EnableAutoDepthStencil = 1;
    pp.AutoDepthStencilFormat = FMT_D24X8;
    pp.PresentationInterval = PRESENT_INTERVAL_IMMEDIATE;
    const Result r = system->CreateDevice(0, type, ToWindowHandle(window),
                                        type == DEVTYPE_HAL ? CREATE_HARDWARE_VERTEXPROCESSING : CREATE_SOFTWARE_VERTEXPROCESSING,
                                        pp, device);
    if (Succeeded(r)) {
      device->SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
      device->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    }
    return r;
  }

  testsupport::Image Render(const Scene& scene) {
    testsupport::Image img;
    std::unique_ptr<ISprite> sprite;
    std::unique_ptr<ITexture> atlas;
    EXPECT_EQ(device->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0), S_OK);
    EXPECT_EQ(device->BeginScene(), S_OK);
    EXPECT_EQ(device->CreateSprite(sprite), S_OK);
    EXPECT_EQ(device->CreateTextureFromPixels(128, 64, gfxtest::CellAtlas(), atlas), S_OK);
    if (sprite && atlas) scene.draw(*device, *sprite, *atlas);
    EXPECT_EQ(device->EndScene(), S_OK);
    EXPECT_EQ(device->ReadBackBuffer(img.argb, img.width, img.height), S_OK);
    return img;
  }

  gfxtest::DisplayOnlyWindows windows;
  std::unique_ptr<IGraphicsSystem> system;
  SDL_Window* window = nullptr;
  std::unique_ptr<IDevice> device;
};

TEST_F(HardwareDevice, DrawsTheReferenceScenesWithinTolerance) {
  MakeWindow(200, 200);
  for (const Scene& scene : Scenes()) {
    SCOPED_TRACE(scene.golden);
    ASSERT_EQ(MakeDevice(DEVTYPE_HAL, scene.width, scene.height), S_OK);
    EXPECT_EQ(device->GetDeviceType(), uint32_t(DEVTYPE_HAL));
    testsupport::Image expected;
    ASSERT_TRUE(testsupport::ReadPng(testsupport::SourcePath(std::string("tests/golden/") + scene.golden + ".png"), expected));
    const testsupport::Image actual = Render(scene);
    const testsupport::Difference d = testsupport::Compare(expected, actual, kChannelTolerance);
    ASSERT_TRUE(d.sameSize);
    const double share = double(d.pixelsOverTolerance) / double(actual.argb.size());
    std::printf("%-30s %6zu pixels, %4llu beyond %u, largest channel difference %u\n", scene.golden,
                actual.argb.size(), static_cast<unsigned long long>(d.pixelsOverTolerance), kChannelTolerance,
                d.maxChannelDelta);
    if (share > scene.allowedShare || std::getenv("ARENA_DUMP_HAL"))
      testsupport::WritePng(testsupport::BinaryPath(std::string("golden-actual/") + scene.golden + ".hal.png"), actual);
    EXPECT_LE(share, scene.allowedShare) << d.pixelsOverTolerance << " pixels beyond " << kChannelTolerance
                                         << ", largest difference " << d.maxChannelDelta;
    EXPECT_EQ(device->Present(), S_OK);
    device.reset();
  }
}

TEST_F(HardwareDevice, ResetTakesTheNewSizeAndKeepsTextures) {
  MakeWindow(120, 90);
  ASSERT_EQ(MakeDevice(DEVTYPE_HAL, 0, 0), S_OK);
  SurfaceDesc desc;
  ASSERT_EQ(device->GetBackBufferDesc(desc), S_OK);
  EXPECT_EQ(desc.Width, 120u);
  EXPECT_EQ(desc.Height, 90u);
  std::unique_ptr<ITexture> atlas;
  std::unique_ptr<ISprite> sprite;
  ASSERT_EQ(device->CreateTextureFromPixels(128, 64, gfxtest::CellAtlas(), atlas), S_OK);
  ASSERT_EQ(device->CreateSprite(sprite), S_OK);

  SDL_SetWindowSize(window, 160, 100);
  sprite->OnLostDevice();
  PresentParameters pp;
  pp.Windowed = 1;
  pp.BackBufferFormat = FMT_X8R8G8B8;
  pp.EnableAutoDepthStencil = 1;
  pp.AutoDepthStencilFormat = FMT_D24X8;
  pp.SwapEffect = SWAPEFFECT_DISCARD;
  pp.PresentationInterval = PRESENT_INTERVAL_IMMEDIATE;
  ASSERT_EQ(device->Reset(pp), S_OK);
  EXPECT_EQ(pp.BackBufferWidth, 160u);
  EXPECT_EQ(pp.BackBufferHeight, 100u);
  sprite->OnResetDevice();

  ASSERT_EQ(device->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0), S_OK);
  ASSERT_EQ(device->BeginScene(), S_OK);
  sprite->Begin(kBatch);
  Cell(*sprite, *atlas, 1, 120, 60, 0.1f);
  sprite->End();
  device->EndScene();
  testsupport::Image img;
  ASSERT_EQ(device->ReadBackBuffer(img.argb, img.width, img.height), S_OK);
  ASSERT_EQ(img.width, 160u);
  ASSERT_EQ(img.height, 100u);
  const std::vector<uint32_t> texels = gfxtest::CellAtlas();
  EXPECT_EQ(img.At(120 + 5, 60 + 12), texels[12 * 128 + 32 + 5]);  // drawn from the kept texture
  EXPECT_EQ(img.At(0, 0), 0xFF2D32AAu);
  EXPECT_EQ(device->Present(), S_OK);
}

// The framework switches device types on the same window; each device must leave no OpenGL
// context behind and the next one must draw correctly, whichever order.
TEST_F(HardwareDevice, SwitchesWithTheReferenceDeviceOnOneWindowBothWays) {
  MakeWindow(96, 48);
  const Scene copy = Scenes()[1];
  testsupport::Image expected;
  ASSERT_TRUE(testsupport::ReadPng(testsupport::SourcePath("tests/golden/graphics_copy_and_mirror.png"), expected));
  for (const std::vector<uint32_t>& order :
       {std::vector<uint32_t>{DEVTYPE_HAL, DEVTYPE_REF, DEVTYPE_HAL, DEVTYPE_REF},
        std::vector<uint32_t>{DEVTYPE_REF, DEVTYPE_HAL, DEVTYPE_REF, DEVTYPE_HAL}}) {
    for (uint32_t type : order) {
      SCOPED_TRACE(type);
      ASSERT_EQ(MakeDevice(type, 96, 48), S_OK);
      EXPECT_EQ(device->GetDeviceType(), type);
      const testsupport::Image actual = Render(copy);
      const testsupport::Difference d = testsupport::Compare(expected, actual, kChannelTolerance);
      EXPECT_TRUE(d.sameSize);
      EXPECT_EQ(d.pixelsOverTolerance, 0u);
      EXPECT_EQ(device->Present(), S_OK);
      device.reset();
      EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    }
  }
}

}  // namespace
