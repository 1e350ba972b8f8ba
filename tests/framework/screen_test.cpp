// The screen the window lives on: the presentation scale held to what fits, work areas no desktop
// has, full-screen sizes that are no display mode, and a display whose mode changes under full
// screen.
#include <string>

#include "tests/framework/framework_fixture.h"

namespace {

// The game's start-up with no callbacks of its own, on a platform of the test's own.
Result StartGame(fake::FakePlatform& p, const std::wstring& commandLine) {
  p.system.commandLine = commandLine;
  AppInit(true, true, true, true);
  AppCreateWindow(L"x[vela] 1.3.5");
  return AppCreateDevice(0, true, 640, 480, nullptr, nullptr, nullptr);
}

constexpr plat::Rect kOpenboxFrame{1, 20, 1, 5};  // thickness at the left, top, right and bottom
constexpr plat::Rect kNoFrame{};
constexpr const wchar_t* kScaleLine = L"does not fit on the screen";

}  // namespace

TEST(PresentationScale, IsHeldToTheLargestAtWhichTheWindowAndItsFrameFit) {
  struct Case {
    const wchar_t* commandLine;
    int desktopScale;
    plat::Rect screen, workArea, frame;
    int asked, held;
  };
  const plat::Rect sxga{0, 0, 1280, 1024}, qxga{0, 0, 2048, 1536};
  const Case cases[] = {
      // Even scale 2 is 1282 screen pixels wide with the frame.
      {L"arena -scale:8", 1, sxga, sxga, kOpenboxFrame, 8, 1},
      {L"arena", 3, sxga, sxga, kOpenboxFrame, 3, 1},  // the desktop's scale alike
      // A frame that covers part of a logical pixel takes all of it: 2 x (1 + 640 + 1) wide.
      {L"arena -scale:4", 1, {0, 0, 1284, 1024}, {0, 0, 1284, 1024}, kOpenboxFrame, 4, 2},
      {L"arena -scale:4", 1, {0, 0, 1283, 1024}, {0, 0, 1283, 1024}, kOpenboxFrame, 4, 1},
      // 3 x 480 + 25 is more than the 1436 rows a panel leaves.
      {L"arena -scale:8", 1, qxga, {0, 0, 2048, 1436}, kOpenboxFrame, 8, 2},
      {L"arena -scale:8", 1, qxga, qxga, kNoFrame, 8, 3},
      // The window's own size when the command line gives one.
      {L"arena -scale:8 -width:320 -height:240", 1, sxga, sxga, kOpenboxFrame, 8, 3},
      // A work area no desktop has counts as the whole display.
      {L"arena -scale:2", 1, sxga, {0, 0, 0, 0}, kNoFrame, 2, 2},
      {L"arena -scale:2", 1, sxga, {0, 0, 100, 100}, kNoFrame, 2, 2},
      {L"arena -scale:2", 1, sxga, {3000, 3000, 3500, 3500}, kNoFrame, 2, 2},
      // What fits is kept, and nothing is said.
      {L"arena -scale:2", 1, qxga, qxga, kOpenboxFrame, 2, 2},
      {L"arena -scale:1", 3, sxga, sxga, kOpenboxFrame, 1, 1},
  };
  for (const Case& c : cases) {
    fake::FakePlatform p;
    p.system.commandLine = c.commandLine;
    p.windows.desktopScale = c.desktopScale;
    p.windows.displays[0].bounds = c.screen;
    p.windows.displays[0].workArea = c.workArea;
    p.windows.frame = c.frame;
    ASSERT_EQ(AppInit(true, true, true, true), S_OK);
    EXPECT_EQ(p.windows.PresentationScale(), c.held) << c.commandLine << " GDK_SCALE " << c.desktopScale;
    EXPECT_EQ(p.system.DebugOutputContains(kScaleLine), c.held < c.asked) << c.commandLine;
  }
}

// Without a window manager the work area may be missing, empty or anywhere: the game's window then
// starts at its size in the middle of the display, not squeezed into the work area.
TEST(WorkArea, OneNoDesktopHasIsTheDisplaysBoundsAtStartUp) {
  const plat::Rect areas[] = {{0, 0, 0, 0}, {0, 0, 100, 100}, {3000, 3000, 3500, 3500}, {-500, 0, 1000, 1080}};
  for (const plat::Rect& area : areas) {
    fake::FakePlatform p;
    p.windows.displays[0].workArea = area;
    p.windows.frame = kNoFrame;
    ASSERT_EQ(StartGame(p, L"arena -startx:1500 -starty:900"), S_OK);
    const plat::Rect outer = p.windows.GetWindowRect(AppGetHWND());
    EXPECT_EQ(outer, (plat::Rect{640, 300, 1280, 780})) << area.left << "," << area.top << " " << area.Width();
  }
}

TEST(FullScreenSize, ThatNoModeHasTakesTheNearestModeAndSaysSo) {
  struct Case {
    const wchar_t* commandLine;
    uint32_t width, height;
  };
  const Case cases[] = {
      {L"arena -fullscreen -width:1000 -height:700", 800, 600},
      {L"arena -fullscreen -width:641 -height:480", 640, 480},
      {L"arena -fullscreen -width:5000 -height:5000", 1280, 1024},
      {L"arena -fullscreen -width:800 -height:600", 800, 600},  // a mode: nothing to say
  };
  for (const Case& c : cases) {
    fake::FakePlatform p;
    p.graphics->adapters[0].modes.clear();
    for (auto [w, h] : {std::pair{640u, 480u}, {800u, 600u}, {1280u, 1024u}})
      p.graphics->adapters[0].modes.push_back({w, h, 60, plat::FMT_X8R8G8B8});
    p.graphics->adapters[0].desktop = {1280, 1024, 60, plat::FMT_X8R8G8B8};
    ASSERT_EQ(StartGame(p, c.commandLine), S_OK) << c.commandLine;
    EXPECT_EQ(AppGetBackBufferSurfaceDesc()->Width, c.width) << c.commandLine;
    EXPECT_EQ(AppGetBackBufferSurfaceDesc()->Height, c.height) << c.commandLine;
    const bool moved = std::wstring(c.commandLine).find(L"800") == std::wstring::npos;
    EXPECT_EQ(p.system.DebugOutputContains(L"the display has no"), moved) << c.commandLine;
  }
}

// A window manager that leaves hands the full-screen window its windowed size first; a new display
// mode (xrandr) sizes it to the display. Only the second is the display's, and takes one reset.
TEST_F(FrameworkTest, FullScreenFollowsANewDisplayModeWithOneReset) {
  ASSERT_EQ(StartUp(L"arena -fullscreen"), S_OK);
  ASSERT_EQ(AppGetBackBufferSurfaceDesc()->Width, 1920u);
  const size_t mark = rec.events.size();
  platform.windows.SetWindowRect(Window(), {320, 272, 960, 752});
  Pump();
  EXPECT_EQ(rec.Since(mark), Events{});

  platform.windows.displays[0].bounds = platform.windows.displays[0].workArea = {0, 0, 800, 600};
  platform.windows.SetWindowRect(Window(), {0, 0, 800, 600});
  Pump();
  EXPECT_EQ(rec.Since(mark), (Events{"modify", "lost", "reset"}));
  EXPECT_EQ(AppGetBackBufferSurfaceDesc()->Width, 800u);
  EXPECT_EQ(AppGetBackBufferSurfaceDesc()->Height, 600u);
  EXPECT_FALSE(AppIsWindowed());
  EXPECT_FALSE(AppIsRenderingPaused());
}
