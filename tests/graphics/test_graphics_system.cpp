// Adapters, modes, the checks device enumeration relies on, capabilities and device creation.
#include "tests/graphics/graphics_fixture.h"

using namespace plat;
using gfxtest::GraphicsTest;

namespace {

TEST_F(GraphicsTest, AdaptersAndModesFollowTheDisplays) {
  windows.displays.push_back(gfxtest::Display(800, 600, {{800, 600, 75, 32}}));
  system = CreateGraphicsSystem(windows);
  ASSERT_EQ(system->GetAdapterCount(), 2u);
  AdapterIdentifier id;
  EXPECT_EQ(system->GetAdapterIdentifier(1, id), S_OK);
  EXPECT_EQ(id.Description, "Test display");
  EXPECT_TRUE(Failed(system->GetAdapterIdentifier(2, id)));

  ASSERT_EQ(system->GetAdapterModeCount(0, FMT_X8R8G8B8), 3u);
  ASSERT_EQ(system->GetAdapterModeCount(0, FMT_R5G6B5), 1u);
  EXPECT_EQ(system->GetAdapterModeCount(0, FMT_A2R10G10B10), 0u);
  DisplayMode m;
  ASSERT_EQ(system->EnumAdapterModes(0, FMT_X8R8G8B8, 1, m), S_OK);
  EXPECT_EQ(m, (DisplayMode{800, 600, 60, FMT_X8R8G8B8}));
  ASSERT_EQ(system->EnumAdapterModes(0, FMT_R5G6B5, 0, m), S_OK);
  EXPECT_EQ(m, (DisplayMode{640, 480, 60, FMT_R5G6B5}));
  EXPECT_TRUE(Failed(system->EnumAdapterModes(0, FMT_X8R8G8B8, 3, m)));
  ASSERT_EQ(system->GetAdapterDisplayMode(1, m), S_OK);
  EXPECT_EQ(m, (DisplayMode{800, 600, 60, FMT_X8R8G8B8}));
  EXPECT_EQ(system->GetAdapterMonitor(1), 1);
}

TEST_F(GraphicsTest, ChecksOfferWhatTheDevicesCanDo) {
  // Reference device is always there; back buffers must suit the display format.
  EXPECT_EQ(system->CheckDeviceType(0, DEVTYPE_REF, FMT_X8R8G8B8, FMT_A8R8G8B8, true), S_OK);
  EXPECT_EQ(system->CheckDeviceType(0, DEVTYPE_REF, FMT_R5G6B5, FMT_R5G6B5, false), S_OK);
  EXPECT_TRUE(Failed(system->CheckDeviceType(0, DEVTYPE_REF, FMT_X8R8G8B8, FMT_R5G6B5, true)));
  EXPECT_TRUE(Failed(system->CheckDeviceType(0, DEVTYPE_SW, FMT_X8R8G8B8, FMT_X8R8G8B8, true)));
  EXPECT_TRUE(Failed(system->CheckDeviceType(1, DEVTYPE_REF, FMT_X8R8G8B8, FMT_X8R8G8B8, true)));
  // Blending after the pixel shader, as the game's acceptance test asks it.
  const uint32_t blend = USAGE_QUERY_POSTPIXELSHADER_BLENDING;
  EXPECT_EQ(system->CheckDeviceFormat(0, DEVTYPE_REF, FMT_X8R8G8B8, blend, RTYPE_TEXTURE, FMT_A8R8G8B8), S_OK);
  EXPECT_TRUE(Failed(system->CheckDeviceFormat(0, DEVTYPE_REF, FMT_X8R8G8B8, blend, RTYPE_TEXTURE, FMT_A2R10G10B10)));
  // Depth-stencil surfaces: the four we keep, nothing else.
  for (uint32_t f : {FMT_D16, FMT_D24X8, FMT_D24S8, FMT_D32}) {
    EXPECT_EQ(system->CheckDeviceFormat(0, DEVTYPE_REF, FMT_X8R8G8B8, USAGE_DEPTHSTENCIL, RTYPE_SURFACE, f), S_OK) << f;
    EXPECT_EQ(system->CheckDepthStencilMatch(0, DEVTYPE_REF, FMT_X8R8G8B8, FMT_X8R8G8B8, f), S_OK) << f;
  }
  EXPECT_TRUE(Failed(system->CheckDeviceFormat(0, DEVTYPE_REF, FMT_X8R8G8B8, USAGE_DEPTHSTENCIL, RTYPE_SURFACE, FMT_D15S1)));
  // No multisampling beyond none.
  uint32_t levels = 99;
  EXPECT_EQ(system->CheckDeviceMultiSampleType(0, DEVTYPE_REF, FMT_X8R8G8B8, true, MULTISAMPLE_NONE, &levels), S_OK);
  EXPECT_EQ(levels, 1u);
  EXPECT_TRUE(Failed(system->CheckDeviceMultiSampleType(0, DEVTYPE_REF, FMT_X8R8G8B8, true, 2, &levels)));
}

TEST_F(GraphicsTest, CreateDeviceTakesTheClientSizeForZeroAndWritesItBack) {
  WindowHandle win = MakeWindow(320, 200);
  PresentParameters pp = Windowed(0, 0);
  pp.BackBufferFormat = FMT_UNKNOWN;
  pp.BackBufferCount = 0;
  ASSERT_EQ(system->CreateDevice(0, DEVTYPE_REF, win, CREATE_SOFTWARE_VERTEXPROCESSING, pp, device), S_OK);
  EXPECT_EQ(pp.BackBufferWidth, 320u);
  EXPECT_EQ(pp.BackBufferHeight, 200u);
  EXPECT_EQ(pp.BackBufferFormat, uint32_t(FMT_X8R8G8B8));  // the desktop's
  EXPECT_EQ(pp.BackBufferCount, 1u);
  SurfaceDesc desc;
  ASSERT_EQ(device->GetBackBufferDesc(desc), S_OK);
  EXPECT_EQ(desc.Width, 320u);
  EXPECT_EQ(desc.Height, 200u);
  EXPECT_EQ(device->GetDeviceType(), uint32_t(DEVTYPE_REF));
  EXPECT_EQ(device->LiveObjectCount(), 0u);
  // What the reference device cannot do is refused, and nothing is written back.
  std::unique_ptr<IDevice> other;
  EXPECT_TRUE(Failed(system->CreateDevice(0, DEVTYPE_REF, win, CREATE_HARDWARE_VERTEXPROCESSING, pp, other)));
  PresentParameters bad = Windowed(64, 64);
  bad.Windowed = 0;  // full screen needs a listed mode
  bad.BackBufferWidth = 700;
  EXPECT_TRUE(Failed(system->CreateDevice(0, DEVTYPE_REF, win, CREATE_SOFTWARE_VERTEXPROCESSING, bad, other)));
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(bad.BackBufferWidth, 700u);
}

TEST_F(GraphicsTest, FullScreenDeviceIsLostWhileItsWindowIsHidden) {
  WindowHandle win = MakeWindow(640, 480);
  SDL_ShowWindow(window);
  PresentParameters pp = Windowed(640, 480);
  pp.Windowed = 0;
  pp.PresentationInterval = PRESENT_INTERVAL_DEFAULT;
  ASSERT_EQ(system->CreateDevice(0, DEVTYPE_REF, win, CREATE_SOFTWARE_VERTEXPROCESSING, pp, device), S_OK);
  EXPECT_TRUE(windows.fullScreenCalls.empty());  // the framework switches the display, not the device
  EXPECT_EQ(device->Present(), S_OK);
  SDL_HideWindow(window);
  EXPECT_EQ(device->Present(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
  EXPECT_EQ(device->Reset(pp), D3DERR_DEVICELOST);
  SDL_ShowWindow(window);
  EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
  EXPECT_EQ(device->Reset(pp), S_OK);
  EXPECT_EQ(device->TestCooperativeLevel(), S_OK);
  EXPECT_EQ(device->Present(), S_OK);
}

}  // namespace

namespace {

// Where OpenGL windows exist (a real display), the reference device presents through OpenGL on
// such a window, and the device type can be switched back and forth on the same window, as the
// framework does at run time. Under the dummy driver there are no OpenGL windows: skipped.
TEST_F(GraphicsTest, ReferenceAndHardwareDevicesTakeTurnsOnAnOpenGlWindow) {
  window = SDL_CreateWindow("gl", 0, 0, 64, 48, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
  if (!window) GTEST_SKIP() << "no OpenGL windows here: " << SDL_GetError();
  Caps caps;
  const bool hardware = Succeeded(system->GetDeviceCaps(0, DEVTYPE_HAL, caps));
  for (int round = 0; round < 2; ++round) {
    for (uint32_t type : {uint32_t(DEVTYPE_REF), uint32_t(DEVTYPE_HAL)}) {
      if (type == DEVTYPE_HAL && !hardware) continue;
      PresentParameters pp = Windowed(0, 0);
      const uint32_t vp = type == DEVTYPE_HAL ? CREATE_HARDWARE_VERTEXPROCESSING : CREATE_SOFTWARE_VERTEXPROCESSING;
      ASSERT_EQ(system->CreateDevice(0, type, ToWindowHandle(window), vp, pp, device), S_OK) << type;
      EXPECT_EQ(pp.BackBufferWidth, 64u);
      ASSERT_EQ(device->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0x00123456u, 1.0f, 0), S_OK);
      EXPECT_EQ(device->Present(), S_OK) << type;
      std::vector<uint32_t> px;
      uint32_t w = 0, h = 0;
      ASSERT_EQ(device->ReadBackBuffer(px, w, h), S_OK);
      ASSERT_EQ(px.size(), size_t(64) * 48);
      EXPECT_EQ(px[0], 0xFF123456u) << type;
      device.reset();
    }
  }
}

}  // namespace
