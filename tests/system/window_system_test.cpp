// The real window system under SDL's headless driver: queue, dispatch, destruction, display modes.
// Input from a real display is covered by the window tests.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/system/controllers.h"
#include "platform/system/sdl_window_system.h"
#include "tests/support/virtual_pad.h"

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
    w = ws->CreateAppWindow(L"x[vela] 1.3.5", kUseDefaultPos, kUseDefaultPos, 640, 480, RecordingProc);
    ASSERT_NE(w, nullptr) << SDL_GetError();
    ASSERT_EQ(Received().size(), 1u);
    EXPECT_EQ(Received()[0].message, uint32_t(WM_GETMINMAXINFO));
    int minW = 0, minH = 0;  // as the procedure asked while the window was made
    SDL_GetWindowMinimumSize(reinterpret_cast<SDL_Window*>(w), &minW, &minH);
    EXPECT_EQ(minW + minH, 400);
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

TEST_F(RealWindows, PostedMessagesComeInOrderAndQuitComesLast) {
  Drain();
  ws->PostQuitMessage(3);
  ws->PostMessage({w, kTestMessage, 1, 2});
  ws->PostMessage({w, WM_PAINT, 0, 0});
  ws->PostMessage({reinterpret_cast<WindowHandle>(0x77), WM_PAINT, 0, 0});  // not a window: dropped
  const std::vector<Msg> got = Drain();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].message, kTestMessage);
  EXPECT_EQ(got[0].wParam, WPARAM(1));
  EXPECT_EQ(got[0].lParam, LPARAM(2));
  EXPECT_EQ(ws->DispatchMessage(got[1]), 42);
  ASSERT_EQ(Received().size(), 1u);
  EXPECT_EQ(Received()[0].window, w);
  EXPECT_EQ(Received()[0].message, uint32_t(WM_PAINT));
  EXPECT_EQ(got[2].message, uint32_t(WM_QUIT));
  EXPECT_EQ(got[2].window, nullptr);
  EXPECT_EQ(got[2].wParam, WPARAM(3));
  EXPECT_EQ(ws->DispatchMessage(got[2]), 0);
}

TEST_F(RealWindows, AltF4AndCloseDestroyThroughTheDefaultProcedureAfterWmDestroy) {
  Drain();
  EXPECT_EQ(ws->SendMessage(w, WM_SYSKEYDOWN, VK_RETURN, kAltBit), 0);  // other system keys do nothing
  EXPECT_TRUE(ws->IsWindow(w));
  Received().clear();
  ws->PostMessage({w, WM_PAINT, 0, 0});
  EXPECT_EQ(ws->SendMessage(w, WM_SYSKEYDOWN, VK_F4, kAltBit), 0);
  ASSERT_EQ(Received().size(), 3u);
  EXPECT_EQ(Received()[1].message, uint32_t(WM_CLOSE));
  EXPECT_EQ(Received()[2].message, uint32_t(WM_DESTROY));
  EXPECT_FALSE(ws->IsWindow(w));
  Msg m;
  EXPECT_FALSE(ws->PeekMessage(m));  // the paint for the dead window went with it
  EXPECT_EQ(ws->SendMessage(w, WM_PAINT, 0, 0), 0);
  ws->DestroyAppWindow(w);  // a second destroy does nothing
  EXPECT_EQ(Received().size(), 3u);
}

// Controllers plugged in and pulled out while the program runs are opened through the controller
// API and closed again, with one line each; ten times over, none stays open.
TEST_F(RealWindows, ControllersComeAndGoWithOneLineEach) {
  std::vector<std::string> lines;
  Controllers controllers([&lines](const std::string& line) { lines.push_back(line); });
  const auto pump = [&controllers] {
    SDL_PumpEvents();
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) controllers.Handle(e);
  };
  VirtualPad pad;
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(pad.Attach()) << SDL_GetError();
    pump();
    EXPECT_EQ(controllers.Count(), 1u);
    pad.Detach();
    pump();
    EXPECT_EQ(controllers.Count(), 0u);
  }
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[0], "arena: controller attached: Test Pad");
  EXPECT_EQ(lines[1], "arena: controller detached: Test Pad");
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
  // At presentation scale 2 the modes are logical: the screen's halved; on an output of scale 2,
  // whose modes SDL gives in coordinates of two pixels, they stay.
  EXPECT_EQ(ModesFromSdl({{SDL_PIXELFORMAT_RGB888, 1281, 1024, 60, nullptr}}, {2, 1.0}),
            (std::vector<DisplayModeInfo>{{640, 512, 60, 32}}));
  EXPECT_EQ(ModesFromSdl({{SDL_PIXELFORMAT_RGB888, 1281, 1024, 60, nullptr}}, {2, 2.0}),
            (std::vector<DisplayModeInfo>{{1281, 1024, 60, 32}}));
}

TEST(DesktopScale, OnlyAWholeNumberTwoToEightCounts) {
  const std::pair<const char*, int> cases[] = {{nullptr, 1}, {"", 1},  {"2", 2},   {"8", 8},  {"1", 1},
                                               {"9", 1},     {"2.0", 1}, {" 2", 1}, {"2x", 1}, {"-3", 1}};
  for (const auto& [value, scale] : cases) EXPECT_EQ(ScaleFromGdkScale(value), scale) << (value ? value : "unset");
}

// At scale 2 a window stands at twice the position it is given (its size, the clicks and the
// modes are checked on a real screen by the scale test).
TEST(RealWindowsScaled, PositionsAreScaleTimesTheLogicalOnes) {
  ASSERT_TRUE(InstallRealServices()) << SDL_GetError();
  IWindowSystem* ws = GetServices().windows;
  ws->SetPresentationScale(2);
  const WindowHandle w = ws->CreateAppWindow(L"scaled", 10, 20, 320, 240, RecordingProc);
  ASSERT_NE(w, nullptr);
  int x = 0, y = 0;
  SDL_GetWindowPosition(reinterpret_cast<SDL_Window*>(w), &x, &y);
  EXPECT_EQ(x, 20);
  EXPECT_EQ(y, 40);
  EXPECT_EQ(ws->GetWindowRect(w), (Rect{10, 20, 330, 260}));  // no frame under the headless driver
  ShutdownRealServices();
}

}  // namespace
