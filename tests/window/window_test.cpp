// A real SDL window on the X server that the test script starts, driven by xdotool as a user
// would: clicks, moves, keys, closing and dragging must arrive as window messages.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
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
#include "platform/system/trace.h"

extern char** environ;

namespace {

using namespace plat;

bool closeThroughDefault = false;

LRESULT Proc(WindowHandle w, uint32_t message, WPARAM wp, LPARAM lp) {
  if (closeThroughDefault) return GetServices().windows->DefWindowProc(w, message, wp, lp);
  return 0;
}

// Runs a command through the shell, bounded in time; returns its standard output.
std::optional<std::string> Shell(const std::string& command) {
  const std::string bounded = "timeout 20 " + command;
  FILE* pipe = ::popen(bounded.c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  const int status = ::pclose(pipe);
  if (status != 0) return std::nullopt;
  return out;
}

class RealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("ARENA_XVFB_DISPLAY");
    if (display == nullptr || *display == '\0') {
      GTEST_SKIP() << "ARENA_XVFB_DISPLAY is not set: scripts/test.sh starts the X server these tests need";
    }
    ::setenv("DISPLAY", display, 1);
    ::unsetenv("SDL_VIDEODRIVER");
    closeThroughDefault = false;
  }

  void TearDown() override {
    ShutdownRealServices();
    StopWindowManager();
  }

  void Open(int x = 40, int y = 50) {
    ASSERT_TRUE(InstallRealServices()) << SDL_GetError();
    ASSERT_STREQ(SDL_GetCurrentVideoDriver(), "x11");
    ws = GetServices().windows;
    title = "arena window test " + std::to_string(::getpid());
    w = ws->CreateAppWindow(std::wstring(title.begin(), title.end()), x, y, 640, 480, Proc);
    ASSERT_NE(w, nullptr) << SDL_GetError();
    EXPECT_NE(SDL_GetWindowFlags(ToSdlWindow(w)) & SDL_WINDOW_OPENGL, 0u);
    ws->ShowWindow(w, ShowCommand::Show);
    const auto id = Shell("xdotool search --sync --name '^" + title + "$'");
    ASSERT_TRUE(id.has_value());
    xid = id->substr(0, id->find('\n'));
    ASSERT_FALSE(xid.empty());
    Settle();
  }

  void Focus() {
    ASSERT_TRUE(Shell("xdotool windowfocus --sync " + xid).has_value());
    // SDL reports the focus a little after the server moves it; it may also have it already.
    const uint64_t end = SDL_GetTicks64() + 5000;
    while (SDL_GetKeyboardFocus() != ToSdlWindow(w) && SDL_GetTicks64() < end) {
      Until([](const Msg& m) { return m.message == WM_ACTIVATEAPP && m.wParam == 1; }, 20);
    }
    ASSERT_EQ(SDL_GetKeyboardFocus(), ToSdlWindow(w)) << "the window never got the keyboard focus";
  }

  // Takes messages until one matches, for at most a few seconds; everything taken is kept.
  std::optional<Msg> Until(const std::function<bool(const Msg&)>& match, uint32_t ms = 5000) {
    const uint64_t end = SDL_GetTicks64() + ms;
    while (SDL_GetTicks64() < end) {
      Msg m;
      while (ws->PeekMessage(m)) {
        seen.push_back(m);
        if (m.window != nullptr && ws->IsWindow(m.window)) ws->DispatchMessage(m);
        if (match(m)) return m;
      }
      SDL_Delay(5);
    }
    return std::nullopt;
  }

  // Lets the start-up notices (exposure, configure, focus) pass.
  void Settle() {
    Until([](const Msg&) { return false; }, 300);
    seen.clear();
  }

  std::optional<Msg> Key(const std::string& keys, uint32_t message, uint32_t vk) {
    if (!Shell("xdotool key --clearmodifiers " + keys).has_value()) return std::nullopt;
    return Until([&](const Msg& m) { return m.message == message && m.wParam == vk; });
  }

  void StartWindowManager() {
    char program[] = "openbox";
    char* argv[] = {program, nullptr};
    ASSERT_EQ(::posix_spawnp(&wmPid, "openbox", nullptr, nullptr, argv, environ), 0);
    // Ready once it has announced itself on the root window.
    for (int i = 0; i < 100; ++i) {
      const auto out = Shell("xprop -root _NET_SUPPORTING_WM_CHECK");
      if (out && out->find("window id") != std::string::npos) return;
      SDL_Delay(50);
    }
    FAIL() << "openbox did not start";
  }

  void StopWindowManager() {
    if (wmPid <= 0) return;
    ::kill(wmPid, SIGTERM);
    int status = 0;
    ::waitpid(wmPid, &status, 0);
    wmPid = -1;
    // Let the server forget the old manager before the next test.
    Shell("xprop -root -remove _NET_SUPPORTING_WM_CHECK");
  }

  IWindowSystem* ws = nullptr;
  WindowHandle w = nullptr;
  std::string title, xid;
  std::vector<Msg> seen;
  pid_t wmPid = -1;
};

TEST_F(RealWindow, ClickArrivesAtItsClientPointWithTheButtonBit) {
  Open();
  ASSERT_TRUE(Shell("xdotool mousemove --sync --window " + xid + " 100 100 click 1").has_value());
  const auto down = Until([](const Msg& m) { return m.message == WM_LBUTTONDOWN; });
  ASSERT_TRUE(down.has_value());
  EXPECT_EQ(down->window, w);
  EXPECT_EQ(LoWordSigned(down->lParam), 100);
  EXPECT_EQ(HiWordSigned(down->lParam), 100);
  EXPECT_NE(down->wParam & MK_LBUTTON, 0u);
  const auto up = Until([](const Msg& m) { return m.message == WM_LBUTTONUP; });
  ASSERT_TRUE(up.has_value());
  EXPECT_EQ(up->wParam & MK_LBUTTON, 0u);

  ASSERT_TRUE(Shell("xdotool click 3").has_value());
  const auto right = Until([](const Msg& m) { return m.message == WM_RBUTTONDOWN; });
  ASSERT_TRUE(right.has_value());
  EXPECT_EQ(right->wParam & (MK_LBUTTON | MK_RBUTTON), WPARAM(MK_RBUTTON));
}

TEST_F(RealWindow, PointerMovesArriveAsMouseMoves) {
  Open();
  ASSERT_TRUE(Shell("xdotool mousemove --sync --window " + xid + " 10 10").has_value());
  Until([](const Msg& m) { return m.message == WM_MOUSEMOVE; }, 1000);
  ASSERT_TRUE(Shell("xdotool mousemove --sync --window " + xid + " 200 150").has_value());
  const auto move = Until([](const Msg& m) {
    return m.message == WM_MOUSEMOVE && LoWordSigned(m.lParam) == 200 && HiWordSigned(m.lParam) == 150;
  });
  ASSERT_TRUE(move.has_value());
  EXPECT_EQ(move->window, w);
  EXPECT_EQ(move->wParam & MK_LBUTTON, 0u);
}

TEST_F(RealWindow, HotkeysArriveWithTheirCodesAndAltOnlyWithAlt) {
  Open();
  Focus();
  const std::pair<const char*, uint32_t> plain[] = {
      {"Escape", VK_ESCAPE}, {"F3", VK_F3}, {"F8", VK_F8}, {"Pause", VK_PAUSE}};
  for (const auto& [name, vk] : plain) {
    const auto down = Key(name, WM_KEYDOWN, vk);
    ASSERT_TRUE(down.has_value()) << name;
    EXPECT_EQ(down->window, w);
    EXPECT_EQ(down->lParam & kAltBit, 0) << name;
    const auto up = Until([vk = vk](const Msg& m) { return m.message == WM_KEYUP && m.wParam == vk; });
    ASSERT_TRUE(up.has_value()) << name;
  }
  const auto altEnter = Key("alt+Return", WM_SYSKEYDOWN, VK_RETURN);
  ASSERT_TRUE(altEnter.has_value());
  EXPECT_NE(altEnter->lParam & kAltBit, 0);
  for (const Msg& m : seen) {
    if (m.message == WM_KEYDOWN && m.wParam == VK_RETURN) ADD_FAILURE() << "Enter with Alt came as a plain key";
  }
  // After Alt is let go, keys are plain again.
  const auto f3 = Key("F3", WM_KEYDOWN, VK_F3);
  ASSERT_TRUE(f3.has_value());
  EXPECT_EQ(f3->lParam & kAltBit, 0);
}

TEST_F(RealWindow, AltF4WithoutAWindowManagerClosesThroughTheDefaultProcedure) {
  Open();
  Focus();
  closeThroughDefault = true;
  ASSERT_TRUE(Shell("xdotool key alt+F4").has_value());
  const auto sys = Until([](const Msg& m) { return m.message == WM_SYSKEYDOWN && m.wParam == VK_F4; });
  ASSERT_TRUE(sys.has_value());
  EXPECT_NE(sys->lParam & kAltBit, 0);
  EXPECT_FALSE(ws->IsWindow(w));
}

TEST_F(RealWindow, CloseByTheWindowManagerArrivesAsClose) {
  StartWindowManager();
  Open();
  Focus();
  ASSERT_TRUE(Shell("xdotool key alt+F4").has_value());
  const auto close = Until([](const Msg& m) { return m.message == WM_CLOSE; });
  ASSERT_TRUE(close.has_value());
  EXPECT_EQ(close->window, w);
  EXPECT_TRUE(ws->IsWindow(w));  // the procedure decides; this one keeps the window
  for (const Msg& m : seen) EXPECT_FALSE(m.message == WM_SYSKEYDOWN && m.wParam == VK_F4);
}

TEST_F(RealWindow, UserDragIsBracketedButOurOwnResizeIsNot) {
  StartWindowManager();
  Open(100, 100);
  ws->SetClientSize(w, 700, 500);
  const auto own = Until([](const Msg& m) { return m.message == WM_SIZE && LoWordSigned(m.lParam) == 700; });
  ASSERT_TRUE(own.has_value());
  Until([](const Msg&) { return false; }, 1000);
  for (const Msg& m : seen) EXPECT_NE(m.message, uint32_t(WM_ENTERSIZEMOVE)) << "own resize taken for a drag";
  seen.clear();

  // The user grabs the title bar and pulls the window along.
  const Rect outer = ws->GetWindowRect(w);
  int cx = 0, cy = 0;
  SDL_GetWindowPosition(ToSdlWindow(w), &cx, &cy);
  const int grabX = cx + 100, grabY = (outer.top + cy) / 2;
  ASSERT_TRUE(Shell("xdotool mousemove --sync " + std::to_string(grabX) + " " + std::to_string(grabY) +
                    " mousedown 1 sleep 0.1 mousemove_relative 20 10 sleep 0.1 mousemove_relative 20 10"
                    " sleep 0.1 mousemove_relative 20 10 sleep 0.1 mouseup 1").has_value());
  const auto exit = Until([](const Msg& m) { return m.message == WM_EXITSIZEMOVE; });
  ASSERT_TRUE(exit.has_value()) << "no end of the drag";
  int enters = 0, moves = 0, exits = 0;
  bool movedInside = false;
  for (const Msg& m : seen) {
    if (m.message == WM_ENTERSIZEMOVE) ++enters;
    if (m.message == WM_EXITSIZEMOVE) ++exits;
    if (m.message == WM_MOVE) {
      ++moves;
      movedInside = enters == 1 && exits == 0;
    }
  }
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(exits, 1);
  EXPECT_GT(moves, 0);
  EXPECT_TRUE(movedInside);
}

TEST_F(RealWindow, FullScreenTakesTheDisplayModeAndGivesItBack) {
  Open();
  const auto displays = ws->GetDisplays();
  ASSERT_FALSE(displays.empty());
  const DisplayModeInfo mode = displays[0].desktopMode;
  ASSERT_GT(mode.width, 0u);
  ASSERT_TRUE(ws->SetFullScreen(w, true, &mode)) << SDL_GetError();
  const auto big = Until([&](const Msg& m) {
    return m.message == WM_SIZE && LoWordSigned(m.lParam) == static_cast<int>(mode.width);
  });
  ASSERT_TRUE(big.has_value());
  EXPECT_EQ(ws->GetClientRect(w), (Rect{0, 0, static_cast<int>(mode.width), static_cast<int>(mode.height)}));
  EXPECT_EQ(SDL_GetWindowMouseGrab(ToSdlWindow(w)), SDL_TRUE);

  ASSERT_TRUE(ws->SetFullScreen(w, false, nullptr));
  const auto small = Until([](const Msg& m) { return m.message == WM_SIZE && LoWordSigned(m.lParam) == 640; });
  ASSERT_TRUE(small.has_value());
  EXPECT_EQ(SDL_GetWindowMouseGrab(ToSdlWindow(w)), SDL_FALSE);
  Until([](const Msg&) { return false; }, 800);
  for (const Msg& m : seen) EXPECT_NE(m.message, uint32_t(WM_ENTERSIZEMOVE)) << "full-screen switch taken for a drag";
}

TEST_F(RealWindow, ErrorBoxShowsAndAnsweringYesWithoutADebuggerLeavesTheProcessRunning) {
  ::unsetenv("ARENA_NO_MESSAGE_BOXES");
  ASSERT_TRUE(InstallRealServices());
  if (GetServices().system->IsDebuggerPresent()) GTEST_SKIP() << "running under a debugger";
  const std::string marker = "/tmp/arena_box_answered_" + std::to_string(::getpid());
  std::remove(marker.c_str());
  // A helper answers the box as a user would: focus it and press Enter, which is "Yes". The box's
  // title is UTF-8 only, which xdotool's name search does not read, so xwininfo finds it.
  const std::string answer =
      "(for i in $(seq 150); do id=$(xwininfo -root -tree | grep '\"Unexpected error encountered\"' | "
      "awk '{print $1}' | head -1); if [ -n \"$id\" ]; then sleep 0.3; "
      "timeout 10 xdotool windowfocus --sync $id key Return && touch " + marker + "; exit 0; fi; "
      "sleep 0.1; done) >/dev/null 2>&1 &";
  ASSERT_EQ(std::system(answer.c_str()), 0);
  const Result r = TraceResult("tests/window", 321, E_FAIL, L"SomeCall", true);
  EXPECT_EQ(r, E_FAIL);
  // Reaching this line after "Yes" is the point: without a debugger nothing may stop the process.
  for (int i = 0; i < 50 && ::access(marker.c_str(), F_OK) != 0; ++i) SDL_Delay(100);
  EXPECT_EQ(::access(marker.c_str(), F_OK), 0) << "the box was never shown and answered";
  std::remove(marker.c_str());
}

}  // namespace
