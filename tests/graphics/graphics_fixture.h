#pragma once
// Shared set-up for the graphics tests: SDL video (the dummy driver under CTest), a graphics
// system on the fake window system's displays, a real SDL window and a device on it.
#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/graphics/graphics.h"
#include "platform/system/sdl_handle.h"
#include "tests/fakes/fake_window_system.h"
#include "tests/support/test_support.h"

namespace gfxtest {

inline plat::PresentParameters Windowed(uint32_t w, uint32_t h) {
  plat::PresentParameters pp;
  pp.BackBufferWidth = w;
  pp.BackBufferHeight = h;
  pp.BackBufferFormat = plat::FMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = plat::SWAPEFFECT_DISCARD;
  pp.Windowed = 1;
  pp.EnableAutoDepthStencil = 1;
  pp.AutoDepthStencilFormat = plat::FMT_D24X8;
  pp.PresentationInterval = plat::PRESENT_INTERVAL_IMMEDIATE;
  return pp;
}

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
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
    if (!window) window = SDL_CreateWindow("graphics test", 0, 0, w, h, windowFlags);
    EXPECT_NE(window, nullptr) << SDL_GetError();
    return plat::ToWindowHandle(window);
  }

  // A reference device with a w x h back buffer, on the test's window.
  void MakeDevice(uint32_t w, uint32_t h) {
    device.reset();
    plat::PresentParameters pp = Windowed(w, h);
    ASSERT_EQ(system->CreateDevice(0, plat::DEVTYPE_REF, MakeWindow(int(w), int(h)),
                                   plat::CREATE_SOFTWARE_VERTEXPROCESSING, pp, device), S_OK);
  }

  fake::FakeWindowSystem windows;
  std::unique_ptr<plat::IGraphicsSystem> system;
  uint32_t windowFlags = SDL_WINDOW_HIDDEN;
  SDL_Window* window = nullptr;
  std::unique_ptr<plat::IDevice> device;
};

}  // namespace gfxtest
