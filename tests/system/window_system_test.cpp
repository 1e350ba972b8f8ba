// The real window system under SDL's headless driver: queue, dispatch, destruction, displays,
// cursor image. Input from a real display is covered by the window tests.
#include <gtest/gtest.h>

#include <SDL.h>

#include <vector>

#include "platform/services.h"
#include "platform/system/sdl_window_system.h"

namespace {

using namespace plat;

constexpr uint32_t kTestMessage = 0x0401;  // a private message number

std::vector<Msg>& Received() {
  static std::vector<Msg> received;
  return received;
}

LRESULT RecordingProc(WindowHandle w, uint32_t message, WPARAM wp, LPARAM lp) {
  Received().push_back({w, message, wp, lp});
  if (message == WM_GETMINMAXINFO) {
    auto* info = reinterpret_cast<MinMaxInfo*>(lp);
    info->minTrackWidth = 200;
    info->minTrackHeight = 200;
    return 0;
  }
  if (message == WM_CLOSE || message == WM_SYSKEYDOWN) return GetServices().windows->DefWindowProc(w, message, wp, lp);
  return 42;
}

class RealWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    Received().clear();
    ASSERT_TRUE(InstallRealServices()) << SDL_GetError();
    ws = GetServices().windows;
    ASSERT_NE(ws, nullptr);
    ASSERT_NE(GetServices().system, nullptr);
    w = ws->CreateAppWindow(L"x[vela] 1.3.5", kUseDefaultPos, kUseDefaultPos, 640, 480, RecordingProc);
    ASSERT_NE(w, nullptr) << SDL_GetError();
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(Received()[0].message, uint32_t(WM_GETMINMAXINFO));
    Received().clear();
  }
  void TearDown() override { ShutdownRealServices(); }

  // Our own messages, skipping whatever the driver reports about the new window.
  std::vector<Msg> Drain() {
    std::vector<Msg> out;
    Msg m;
    while (ws->PeekMessage(m)) out.push_back(m);
    return out;
  }

  IWindowSystem* ws = nullptr;
  WindowHandle w = nullptr;
};

TEST_F(RealWindows, WindowStartsHiddenWithTheRequestedClientSize) {
  EXPECT_TRUE(ws->IsWindow(w));
  EXPECT_FALSE(ws->IsVisible(w));
  EXPECT_EQ(ws->GetClientRect(w), (Rect{0, 0, 640, 480}));
  EXPECT_EQ(ws->GetWindowRect(w).Width(), ws->AdjustWindowRect(w, Rect{0, 0, 640, 480}).Width());
  ws->ShowWindow(w, ShowCommand::Show);
  EXPECT_TRUE(ws->IsVisible(w));
  EXPECT_STREQ(SDL_GetWindowTitle(reinterpret_cast<SDL_Window*>(w)), "x[vela] 1.3.5");
  EXPECT_EQ(SDL_GetWindowFlags(reinterpret_cast<SDL_Window*>(w)) & SDL_WINDOW_OPENGL, 0u);
  int minW = 0, minH = 0;
  SDL_GetWindowMinimumSize(reinterpret_cast<SDL_Window*>(w), &minW, &minH);
  EXPECT_EQ(minW, 200);  // as the procedure asked while the window was made
  EXPECT_EQ(minH, 200);
}

TEST_F(RealWindows, PostedMessagesComeInOrderAndQuitComesLast) {
  Drain();
  ws->PostQuitMessage(3);
  ws->PostMessage({w, kTestMessage, 1, 2});
  ws->PostMessage({w, WM_PAINT, 0, 0});
  ws->PostMessage({reinterpret_cast<WindowHandle>(0x77), WM_PAINT, 0, 0});  // not a window: dropped
  Msg m;
  ASSERT_TRUE(ws->PeekMessage(m));
  EXPECT_EQ(m.message, kTestMessage);
  EXPECT_EQ(m.wParam, WPARAM(1));
  EXPECT_EQ(m.lParam, LPARAM(2));
  ASSERT_TRUE(ws->PeekMessage(m));
  EXPECT_EQ(m.message, uint32_t(WM_PAINT));
  EXPECT_EQ(ws->DispatchMessage(m), 42);
  ASSERT_EQ(Received().size(), 1u);
  EXPECT_EQ(Received()[0].window, w);
  ASSERT_TRUE(ws->PeekMessage(m));
  EXPECT_EQ(m.message, uint32_t(WM_QUIT));
  EXPECT_EQ(m.window, nullptr);
  EXPECT_EQ(m.wParam, WPARAM(3));
  EXPECT_EQ(ws->DispatchMessage(m), 0);
  EXPECT_FALSE(ws->PeekMessage(m));
}

TEST_F(RealWindows, CloseDestroysThroughTheDefaultProcedureAfterWmDestroy) {
  Drain();
  ws->PostMessage({w, WM_PAINT, 0, 0});
  EXPECT_EQ(ws->SendMessage(w, WM_CLOSE, 0, 0), 0);
  ASSERT_EQ(Received().size(), 2u);
  EXPECT_EQ(Received()[0].message, uint32_t(WM_CLOSE));
  EXPECT_EQ(Received()[1].message, uint32_t(WM_DESTROY));
  EXPECT_FALSE(ws->IsWindow(w));
  Msg m;
  EXPECT_FALSE(ws->PeekMessage(m));  // the paint for the dead window went with it
  EXPECT_EQ(ws->SendMessage(w, WM_PAINT, 0, 0), 0);
  ws->DestroyAppWindow(w);  // a second destroy does nothing
  EXPECT_EQ(Received().size(), 2u);
}

TEST_F(RealWindows, AltF4AsksToCloseOtherKeysDoNothing) {
  EXPECT_EQ(ws->SendMessage(w, WM_SYSKEYDOWN, VK_RETURN, kAltBit), 0);
  EXPECT_TRUE(ws->IsWindow(w));
  ws->SendMessage(w, WM_SYSKEYDOWN, VK_F4, kAltBit);
  EXPECT_FALSE(ws->IsWindow(w));
}

TEST(DisplayModes, DepthsAreFoldedAndDuplicatesDropped) {
  std::vector<SDL_DisplayMode> sdl = {
      {SDL_PIXELFORMAT_RGB888, 1024, 768, 60, nullptr},   {SDL_PIXELFORMAT_ARGB8888, 1024, 768, 60, nullptr},
      {SDL_PIXELFORMAT_RGB565, 800, 600, 60, nullptr},    {SDL_PIXELFORMAT_INDEX8, 640, 480, 60, nullptr},
      {SDL_PIXELFORMAT_RGB24, 640, 480, 0, nullptr},      {SDL_PIXELFORMAT_RGB555, 320, 240, 75, nullptr},
  };
  const auto modes = ModesFromSdl(sdl);
  const std::vector<DisplayModeInfo> expected = {
      {1024, 768, 60, 32}, {800, 600, 60, 16}, {640, 480, 0, 32}, {320, 240, 75, 16}};
  EXPECT_EQ(modes, expected);
}

TEST(Cursor, ArrowIsOpaqueWhereTheMaskIsClearWithItsTipAsHotSpot) {
  SdlWindowSystem ws;
  const CursorImage c = ws.GetArrowCursorImage();
  ASSERT_EQ(c.argb.size(), 32u * 32u);
  EXPECT_EQ(c.argb[0], 0xFF000000u);       // black outline at the tip
  EXPECT_EQ(c.argb[2 * 32 + 1], 0xFFFFFFFFu);  // white body
  EXPECT_EQ(c.argb[1] >> 24, 0u);          // beside the tip: transparent

  const uint32_t mask[2] = {0x7FFFFFFFu, 0x3FFFFFFFu};
  const uint32_t image[2] = {0x00000000u, 0x40000000u};
  const CursorImage tiny = CursorFromMasks(mask, image, 2, 2, 1, 1);
  EXPECT_EQ(tiny.argb, (std::vector<uint32_t>{0xFF000000u, 0u, 0xFF000000u, 0xFFFFFFFFu}));
  EXPECT_EQ(tiny.hotX, 1);
  EXPECT_EQ(tiny.hotY, 1);
}

TEST(Services, ShutdownLeavesNoServicesBehindAndInstallWorksAgain) {
  ASSERT_TRUE(InstallRealServices());
  EXPECT_TRUE(static_cast<bool>(GetServices().createGraphics));
  ShutdownRealServices();
  EXPECT_EQ(GetServices().system, nullptr);
  EXPECT_EQ(GetServices().windows, nullptr);
  EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
  ASSERT_TRUE(InstallRealServices());
  EXPECT_NE(GetServices().windows, nullptr);
  ShutdownRealServices();
}

}  // namespace
