// A real SDL window on an X server of the test's own, driven by xdotool as a user
// would: pointer, hotkeys, closing and full-screen sizing must arrive as window messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/services.h"
#include "platform/system/sdl_handle.h"
#include "tests/support/game_process.h"
#include "tests/support/x_server.h"

bool SendDeleteWindow(const std::string& xid);  // x11_close.cpp
bool AskAboutAWindowThatIsGone();

namespace {

using namespace plat;

LRESULT Proc(WindowHandle, uint32_t, WPARAM, LPARAM) { return 0; }

using testsupport::Shell;

class RealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Started()) << server.Error();
    ::setenv("DISPLAY", server.Display().c_str(), 1);
    ::unsetenv("WAYLAND_DISPLAY");  // the game would prefer a compositor the tester's desktop runs
    ::unsetenv("SDL_VIDEODRIVER");
    ASSERT_TRUE(InstallRealServices()) << SDL_GetError();
    ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
    ws = GetServices().windows;
    const std::string title = "arena window test " + std::to_string(::getpid());
    w = ws->CreateAppWindow(std::wstring(title.begin(), title.end()), 40, 50, 640, 480, Proc);
    ASSERT_NE(w, nullptr) << SDL_GetError();
    ws->ShowWindow(w, ShowCommand::Show);
    xid = testsupport::WindowOfProcess(::getpid());
    ASSERT_FALSE(xid.empty()) << "the window never showed";
    ASSERT_TRUE(Shell("xdotool windowfocus --sync " + xid));
    ASSERT_TRUE(Until([](const Msg& m) { return m.message == WM_ACTIVATEAPP && m.wParam == 1; }))
        << "the window never got the keyboard focus";
  }
  void TearDown() override { ShutdownRealServices(); }

  // Takes messages until one matches, for at most a few seconds; everything taken is kept.
  std::optional<Msg> Until(const std::function<bool(const Msg&)>& match, uint32_t ms = 30000) {
    const uint64_t end = SDL_GetTicks64() + ms;
    while (SDL_GetTicks64() < end) {
      Msg m;
      while (ws->PeekMessage(m)) {
        seen.push_back(m);
        if (match(m)) return m;
      }
      SDL_Delay(5);
    }
    return std::nullopt;
  }

  testsupport::XServer server;
  IWindowSystem* ws = nullptr;
  WindowHandle w = nullptr;
  std::string xid;
  std::vector<Msg> seen;
};

TEST_F(RealWindow, PointerMoveClickAndCloseArriveAsTheirMessages) {
  const auto pointTo = [&](int x, int y) {
    return Shell("xdotool mousemove --sync --window " + xid + " " + std::to_string(x) + " " + std::to_string(y));
  };
  ASSERT_TRUE(pointTo(10, 10));  // from wherever an earlier test left the pointer
  ASSERT_TRUE(pointTo(200, 150));
  const auto move = Until([](const Msg& m) {
    return m.message == WM_MOUSEMOVE && LoWordSigned(m.lParam) == 200 && HiWordSigned(m.lParam) == 150;
  });
  ASSERT_TRUE(move.has_value());
  EXPECT_EQ(move->window, w);

  ASSERT_TRUE(pointTo(100, 100));
  ASSERT_TRUE(Shell("xdotool click 1"));
  const auto down = Until([](const Msg& m) { return m.message == WM_LBUTTONDOWN; });
  ASSERT_TRUE(down.has_value());
  EXPECT_EQ(down->window, w);
  EXPECT_EQ(LoWordSigned(down->lParam), 100);
  EXPECT_EQ(HiWordSigned(down->lParam), 100);
  EXPECT_NE(down->wParam & MK_LBUTTON, 0u);

  ASSERT_TRUE(SendDeleteWindow(xid));
  const auto close = Until([](const Msg& m) { return m.message == WM_CLOSE; });
  ASSERT_TRUE(close.has_value());
  EXPECT_EQ(close->window, w);
}

TEST_F(RealWindow, HotkeysArriveWithTheirCodesAndAltOnlyWithAlt) {
  const auto key = [&](const std::string& keys, uint32_t message, uint32_t vk) {
    EXPECT_TRUE(Shell("xdotool key --clearmodifiers " + keys));
    return Until([&](const Msg& m) { return m.message == message && m.wParam == vk; });
  };
  for (const auto& [name, vk] : {std::pair<const char*, uint32_t>{"Escape", VK_ESCAPE}, {"F3", VK_F3}, {"F8", VK_F8},
                                 {"Pause", VK_PAUSE}}) {
    const auto down = key(name, WM_KEYDOWN, vk);
    ASSERT_TRUE(down.has_value()) << name;
    EXPECT_EQ(down->window, w);
    EXPECT_EQ(down->lParam & kAltBit, 0) << name;
    ASSERT_TRUE(Until([vk = vk](const Msg& m) { return m.message == WM_KEYUP && m.wParam == vk; })) << name;
  }
  const auto altEnter = key("alt+Return", WM_SYSKEYDOWN, VK_RETURN);
  ASSERT_TRUE(altEnter.has_value());
  EXPECT_NE(altEnter->lParam & kAltBit, 0);
  for (const Msg& m : seen) EXPECT_FALSE(m.message == WM_KEYDOWN && m.wParam == VK_RETURN) << "Alt+Enter came plain";
  const auto f3 = key("F3", WM_KEYDOWN, VK_F3);  // Alt let go: plain again
  ASSERT_TRUE(f3.has_value());
  EXPECT_EQ(f3->lParam & kAltBit, 0);
}

// A window manager destroys its frame around our window when it lets the window go; a request
// about the frame made just before then fails. That must not end the program.
TEST_F(RealWindow, ARequestAboutAWindowThatIsGoneDoesNotEndTheProgram) {
  ::testing::internal::CaptureStderr();
  const bool survived = AskAboutAWindowThatIsGone();
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(survived);
  EXPECT_NE(said.find("which is gone"), std::string::npos) << said;
}

TEST_F(RealWindow, FullScreenTakesTheDisplayModeAndGivesItBackWithoutADrag) {
  const DisplayModeInfo mode = ws->GetDisplays().at(0).desktopMode;
  ASSERT_TRUE(ws->SetFullScreen(w, true, &mode)) << SDL_GetError();
  ASSERT_TRUE(Until([&](const Msg& m) { return m.message == WM_SIZE && LoWordSigned(m.lParam) == int(mode.width); }));
  EXPECT_EQ(ws->GetClientRect(w), (Rect{0, 0, int(mode.width), int(mode.height)}));
  // That the X window covers the display, also with no window manager, the display test sees on
  // the screen.
  EXPECT_EQ(SDL_GetWindowMouseGrab(ToSdlWindow(w)), SDL_TRUE);
  ASSERT_TRUE(ws->SetFullScreen(w, false, nullptr));
  ASSERT_TRUE(Until([](const Msg& m) { return m.message == WM_SIZE && LoWordSigned(m.lParam) == 640; }));
  EXPECT_EQ(SDL_GetWindowMouseGrab(ToSdlWindow(w)), SDL_FALSE);
  Until([](const Msg&) { return false; }, 800);
  for (const Msg& m : seen) EXPECT_NE(m.message, uint32_t(WM_ENTERSIZEMOVE)) << "full-screen switch taken for a drag";
}

}  // namespace
