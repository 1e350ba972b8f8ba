#pragma once
// Shared set-up for the graphics tests: SDL video (the dummy driver under CTest), a window
// system that only answers the display questions the graphics system asks, a real SDL window and
// a reference device on it, and test images made in code.
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/graphics.h"
#include "platform/system/sdl_handle.h"
#include "platform/system/window_system.h"
#include "tests/support/test_support.h"

namespace gfxtest {

// Displays are set by the test; full-screen requests are recorded and succeed.
class DisplayOnlyWindows : public plat::IWindowSystem {
 public:
  std::vector<plat::DisplayInfo> displays;
  std::vector<bool> fullScreenCalls;

  plat::WindowHandle CreateAppWindow(const std::wstring&, int, int, int, int, plat::WindowProc) override { return nullptr; }
  void DestroyAppWindow(plat::WindowHandle) override {}
  bool IsWindow(plat::WindowHandle) const override { return false; }
  void SetTitle(plat::WindowHandle, const std::wstring&) override {}
  plat::Rect GetClientRect(plat::WindowHandle) const override { return {}; }
  plat::Rect GetWindowRect(plat::WindowHandle) const override { return {}; }
  plat::Rect AdjustWindowRect(plat::WindowHandle, const plat::Rect& r) const override { return r; }
  void SetWindowRect(plat::WindowHandle, const plat::Rect&) override {}
  void SetClientSize(plat::WindowHandle, int, int) override {}
  void ShowWindow(plat::WindowHandle, plat::ShowCommand) override {}
  bool IsVisible(plat::WindowHandle) const override { return false; }
  bool IsMinimized(plat::WindowHandle) const override { return false; }
  bool IsMaximized(plat::WindowHandle) const override { return false; }
  void SetBordered(plat::WindowHandle, bool) override {}
  bool IsBordered(plat::WindowHandle) const override { return true; }
  void SetTopmost(plat::WindowHandle, bool) override {}
  bool IsTopmost(plat::WindowHandle) const override { return false; }
  bool SetFullScreen(plat::WindowHandle, bool fullScreen, const plat::DisplayModeInfo*) override {
    fullScreenCalls.push_back(fullScreen);
    return true;
  }
  std::vector<plat::DisplayInfo> GetDisplays() const override { return displays; }
  int GetWindowDisplay(plat::WindowHandle) const override { return 0; }
  bool PeekMessage(plat::Msg&) override { return false; }
  void PostMessage(const plat::Msg&) override {}
  void PostQuitMessage(int) override {}
  plat::LRESULT SendMessage(plat::WindowHandle, uint32_t, plat::WPARAM, plat::LPARAM) override { return 0; }
  plat::LRESULT DispatchMessage(const plat::Msg&) override { return 0; }
  plat::LRESULT DefWindowProc(plat::WindowHandle, uint32_t, plat::WPARAM, plat::LPARAM) override { return 0; }
  void ClipCursor(plat::WindowHandle, bool) override {}
  void GrabKeyboard(plat::WindowHandle, bool) override {}
  void ShowSystemCursor(bool) override {}
  void GetCursorPos(int&, int&) const override {}
  plat::CursorImage GetArrowCursorImage() const override { return {}; }
};

inline plat::DisplayInfo Display(uint32_t w, uint32_t h, std::vector<plat::DisplayModeInfo> modes) {
  plat::DisplayInfo d;
  d.name = "Test display";
  d.bounds = {0, 0, int(w), int(h)};
  d.workArea = d.bounds;
  d.desktopMode = {w, h, 60, 32};
  d.modes = std::move(modes);
  return d;
}

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
    windows.displays = {Display(1024, 768, {{640, 480, 60, 32}, {800, 600, 60, 32}, {1024, 768, 60, 32}, {640, 480, 60, 16}})};
    system = plat::CreateGraphicsSystem(windows);
    ASSERT_TRUE(system);
  }
  void TearDown() override {
    device.reset();
    system.reset();
    if (window) SDL_DestroyWindow(window);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  plat::WindowHandle MakeWindow(int w, int h) {
    window = SDL_CreateWindow("graphics test", 0, 0, w, h, SDL_WINDOW_HIDDEN);
    EXPECT_NE(window, nullptr) << SDL_GetError();
    return plat::ToWindowHandle(window);
  }

  static plat::PresentParameters Windowed(uint32_t w, uint32_t h, bool depth = true) {
    plat::PresentParameters pp;
    pp.BackBufferWidth = w;
    pp.BackBufferHeight = h;
    pp.BackBufferFormat = plat::FMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = plat::SWAPEFFECT_DISCARD;
    pp.Windowed = 1;
    pp.EnableAutoDepthStencil = depth ? 1 : 0;
    pp.AutoDepthStencilFormat = depth ? plat::FMT_D24X8 : plat::FMT_UNKNOWN;
    pp.PresentationInterval = plat::PRESENT_INTERVAL_IMMEDIATE;
    return pp;
  }

  // A reference device on a fresh window, cleared and inside a scene, sampler 0 linear as the game sets it.
  void MakeDevice(uint32_t w, uint32_t h, bool depth = true) {
    plat::WindowHandle win = MakeWindow(int(w), int(h));
    plat::PresentParameters pp = Windowed(w, h, depth);
    ASSERT_EQ(system->CreateDevice(0, plat::DEVTYPE_REF, win, plat::CREATE_SOFTWARE_VERTEXPROCESSING, pp, device), S_OK);
    device->SetSamplerState(0, plat::SAMP_MINFILTER, plat::TEXF_LINEAR);
    device->SetSamplerState(0, plat::SAMP_MAGFILTER, plat::TEXF_LINEAR);
  }

  testsupport::Image Capture() {
    testsupport::Image img;
    EXPECT_EQ(device->ReadBackBuffer(img.argb, img.width, img.height), S_OK);
    return img;
  }

  std::unique_ptr<plat::ITexture> Texture(uint32_t w, uint32_t h, const std::vector<uint32_t>& argb) {
    std::unique_ptr<plat::ITexture> t;
    EXPECT_EQ(device->CreateTextureFromPixels(w, h, argb, t), S_OK);
    return t;
  }

  DisplayOnlyWindows windows;
  std::unique_ptr<plat::IGraphicsSystem> system;
  SDL_Window* window = nullptr;
  std::unique_ptr<plat::IDevice> device;
};

// 128 x 64 image of 32 x 32 cells: cell n has its own colour, an opaque body with a notch cut at
// its top-right (so mirroring shows), transparent (alpha 0) corners at the bottom, and a one-texel
// darker border, so every placement error shows in a picture.
inline std::vector<uint32_t> CellAtlas() {
  const uint32_t colours[8] = {0xFFE04040, 0xFF40E040, 0xFF4040E0, 0xFFE0E040,
                               0xFFE040E0, 0xFF40E0E0, 0xFFF08020, 0xFFFFFFFF};
  std::vector<uint32_t> px(128 * 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 128; ++x) {
      const int cell = (y / 32) * 4 + x / 32, cx = x % 32, cy = y % 32;
      uint32_t c = colours[cell];
      if (cx == 0 || cy == 0 || cx == 31 || cy == 31) c = (c & 0xFF000000u) | ((c >> 1) & 0x007F7F7Fu);
      if (cx >= 20 && cy < 10) c = 0xFF000000u;                    // notch: black at top-right
      if (cy >= 24 && (cx < 8 || cx >= 24)) c = 0x00000000u;      // transparent bottom corners
      px[size_t(y) * 128 + size_t(x)] = c;
    }
  }
  return px;
}

inline plat::Matrix Translate(float x, float y, float z) {
  plat::Vec3 t{x, y, z};
  return plat::MatrixTransformation(nullptr, nullptr, nullptr, &t);
}

}  // namespace gfxtest
