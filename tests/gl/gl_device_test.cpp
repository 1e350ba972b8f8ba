// The hardware (OpenGL) device must draw what the reference device draws: the golden scenes within
// a small tolerance, after a reset, and when the two take turns on one window. On an X server of
// the test's own; skipped where OpenGL 3.3 is not offered.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "tests/graphics/golden_scenes.h"
#include "tests/graphics/graphics_fixture.h"
#include "tests/support/x_server.h"

using namespace plat;
using namespace gfxtest;

namespace {

// Filtering and blending round differently on the GPU path: a channel may be off by this much
// anywhere, and a scene's share of pixels (texel and triangle edges) by more.
constexpr uint32_t kChannelTolerance = 3;

class HardwareDevice : public GraphicsTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Started()) << server.Error();
    setenv("DISPLAY", server.Display().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    windowFlags |= SDL_WINDOW_OPENGL;
    ASSERT_NO_FATAL_FAILURE(GraphicsTest::SetUp());
    if (Failed(system->CheckDeviceType(0, DEVTYPE_HAL, FMT_X8R8G8B8, FMT_X8R8G8B8, true)))
      GTEST_SKIP() << "the hardware device type is not offered here (no OpenGL 3.3 core context)";
  }

  testsupport::XServer server;

  Result MakeDevice(uint32_t type, PresentParameters pp) {
    device.reset();
    return system->CreateDevice(0, type, ToWindowHandle(window),
                                type == DEVTYPE_HAL ? CREATE_HARDWARE_VERTEXPROCESSING : CREATE_SOFTWARE_VERTEXPROCESSING,
                                pp, device);
  }
};

TEST_F(HardwareDevice, DrawsTheGoldenScenesWithinTolerance) {
  MakeWindow(200, 200);
  for (const Scene& scene : Scenes()) {
    SCOPED_TRACE(scene.golden);
    ASSERT_EQ(MakeDevice(DEVTYPE_HAL, Windowed(scene.width, scene.height)), S_OK);
    testsupport::Image expected;
    ASSERT_TRUE(testsupport::ReadPng(testsupport::SourcePath(std::string("tests/golden/") + scene.golden + ".png"), expected));
    const testsupport::Image actual = Render(*device, scene);
    const testsupport::Difference d = testsupport::Compare(expected, actual, kChannelTolerance);
    ASSERT_TRUE(d.sameSize);
    const double share = double(d.pixelsOverTolerance) / double(actual.argb.size());
    if (share > scene.halShare || std::getenv("ARENA_DUMP_HAL"))
      testsupport::WritePng(testsupport::BinaryPath(std::string("golden-actual/") + scene.golden + ".hal.png"), actual);
    EXPECT_LE(share, scene.halShare) << d.pixelsOverTolerance << " pixels beyond " << kChannelTolerance
                                     << ", largest difference " << d.maxChannelDelta;
    EXPECT_EQ(device->Present(), S_OK);
  }
}

TEST_F(HardwareDevice, ResetTakesTheNewSizeAndKeepsTextures) {
  MakeWindow(120, 90);
  ASSERT_EQ(MakeDevice(DEVTYPE_HAL, Windowed(0, 0)), S_OK);
  std::unique_ptr<ITexture> atlas;
  std::unique_ptr<ISprite> sprite;
  ASSERT_EQ(device->CreateTextureFromPixels(128, 64, CellAtlas(), atlas), S_OK);
  ASSERT_EQ(device->CreateSprite(sprite), S_OK);
  SDL_SetWindowSize(window, 160, 100);
  sprite->OnLostDevice();
  PresentParameters pp = Windowed(0, 0);
  ASSERT_EQ(device->Reset(pp), S_OK);
  EXPECT_EQ(pp.BackBufferWidth, 160u);
  EXPECT_EQ(pp.BackBufferHeight, 100u);
  sprite->OnResetDevice();
  const testsupport::Image img = Render(*device, {"kept", 0, 0, [&](IDevice&, ISprite&, ITexture&) {
    sprite->Begin(kBatch);
    Cell(*sprite, *atlas, 1, 120, 60, 0.1f);
    sprite->End();
  }});
  ASSERT_EQ(img.width, 160u);
  EXPECT_EQ(img.At(125, 72), CellAtlas()[12 * 128 + 37]);  // drawn from the kept texture
  EXPECT_EQ(img.At(0, 0), kShownBackground);
  EXPECT_EQ(device->Present(), S_OK);
}

// Windowed play presents at once; full screen waits for the vertical blank, as its settings ask,
// and going back presents at once again. Other intervals are the mapping's (tests/graphics).
TEST_F(HardwareDevice, SetsTheSwapIntervalItsSettingsAsk) {
  MakeWindow(640, 480);
  SDL_ShowWindow(window);  // a hidden window cannot hold a full-screen device
  ASSERT_EQ(MakeDevice(DEVTYPE_HAL, Windowed(640, 480)), S_OK);
  EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
  PresentParameters fullScreen = Windowed(640, 480);
  fullScreen.Windowed = 0;
  fullScreen.PresentationInterval = PRESENT_INTERVAL_DEFAULT;
  ASSERT_EQ(device->Reset(fullScreen), S_OK);
  EXPECT_EQ(SDL_GL_GetSwapInterval(), 1);
  PresentParameters windowed = Windowed(640, 480);
  ASSERT_EQ(device->Reset(windowed), S_OK);
  EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
}

// The framework switches device types on one window: each device must leave no OpenGL context
// behind, and both must draw the same picture whichever came first.
TEST_F(HardwareDevice, TakesTurnsWithTheReferenceDeviceOnOneWindow) {
  MakeWindow(96, 48);
  const Scene copy = SceneNamed("graphics_copy_and_mirror");
  testsupport::Image expected;
  ASSERT_TRUE(testsupport::ReadPng(testsupport::SourcePath("tests/golden/graphics_copy_and_mirror.png"), expected));
  for (uint32_t type : {DEVTYPE_HAL, DEVTYPE_REF, DEVTYPE_HAL, DEVTYPE_REF, DEVTYPE_REF, DEVTYPE_HAL}) {
    SCOPED_TRACE(type);
    ASSERT_EQ(MakeDevice(type, Windowed(96, 48)), S_OK);
    EXPECT_EQ(device->GetDeviceType(), type);
    const testsupport::Difference d = testsupport::Compare(expected, Render(*device, copy), kChannelTolerance);
    EXPECT_TRUE(d.sameSize);
    EXPECT_EQ(d.pixelsOverTolerance, 0u);
    EXPECT_EQ(device->Present(), S_OK);
    device.reset();
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
  }
}

}  // namespace
