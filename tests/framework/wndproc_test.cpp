// The window procedure: input tables, sizing and minimising, hotkeys, power messages.
#include "common/appmisc.h"
#include "tests/framework/framework_fixture.h"

using Events = std::vector<std::string>;

TEST_F(FrameworkTest, SizeMessageWithAnEmptyClientAreaChangesNothing) {
  ASSERT_EQ(StartUp(), S_OK);
  size_t mark = rec.events.size();
  platform.windows.SetClientSize(Window(), 640, 0);  // posts a restored size
  ASSERT_FALSE(platform.windows.queue.empty());
  Pump();
  EXPECT_EQ(rec.events.size(), mark);
  EXPECT_EQ(AppGetBackBufferSurfaceDesc()->Height, 480u);
  EXPECT_FALSE(AppIsRenderingPaused());
}

TEST_F(FrameworkTest, MinimisedMovesWithFrozenTimeRendersNothingAndSleeps) {
  ASSERT_EQ(StartUp(), S_OK);
  Frames(1);
  platform.windows.UserMinimize();
  Pump();
  size_t renders = rec.renderTimes.size();
  double frozen = rec.moveTimes.back();
  platform.system.sleeps.clear();
  for (int i = 0; i < 3; ++i) {
    platform.system.AdvanceSeconds(1.0);
    Frames(1);
    EXPECT_EQ(rec.moveTimes.back(), frozen);
    EXPECT_EQ(rec.moveElapsed.back(), 0.0f);
  }
  EXPECT_EQ(rec.moveTimes.size(), 4u);
  EXPECT_EQ(rec.renderTimes.size(), renders);
  EXPECT_EQ(platform.system.sleeps, (std::vector<uint32_t>{50, 50, 50}));

  size_t mark = rec.events.size();
  platform.windows.UserRestore();
  Pump();
  EXPECT_EQ(rec.events.size(), mark) << "the size did not change: no device change";
  EXPECT_FALSE(AppIsTimePaused());
  platform.system.AdvanceSeconds(0.25);
  Frames(1);
  EXPECT_EQ(rec.renderTimes.size(), renders + 1);
  EXPECT_DOUBLE_EQ(rec.moveTimes.back(), frozen + 0.25);
}

TEST_F(FrameworkTest, PauseKeyTogglesTimeWhileRenderingGoesOn) {
  ASSERT_EQ(StartUp(), S_OK);
  Frames(1);
  platform.windows.PostKey(plat::VK_PAUSE, true);
  Pump();
  EXPECT_TRUE(AppIsTimePaused());
  EXPECT_FALSE(AppIsRenderingPaused());
  double frozen = rec.moveTimes.back();
  platform.system.AdvanceSeconds(3.0);
  Frames(2);
  EXPECT_EQ(rec.renderTimes.size(), 3u);
  EXPECT_EQ(rec.renderTimes.back(), frozen);

  platform.windows.PostKey(plat::VK_PAUSE, true);
  Pump();
  EXPECT_FALSE(AppIsTimePaused());
  platform.system.AdvanceSeconds(0.5);
  Frames(1);
  EXPECT_DOUBLE_EQ(rec.renderTimes.back(), frozen + 0.5);
}

TEST_F(FrameworkTest, F8FlipsWireframeUnlessTheKeyboardCallbackSaysNoFurtherProcessing) {
  ASSERT_EQ(StartUp(), S_OK);
  rec.noFurtherProcessingOnKeyDown = true;
  platform.windows.PostKey(plat::VK_F8, true);
  Pump();
  EXPECT_EQ(rec.keys, (std::vector<uint32_t>{plat::VK_F8}));
  EXPECT_TRUE(AppIsKeyDown(plat::VK_F8));
  EXPECT_FALSE(AppIsWireframe());
  EXPECT_FALSE(platform.windows.DefWindowProcSaw(plat::WM_KEYDOWN, plat::VK_F8));
  // Without the suppression F8 flips wireframe and the device's fill mode.
  rec.noFurtherProcessingOnKeyDown = false;
  platform.windows.PostKey(plat::VK_F8, true);
  Pump();
  EXPECT_TRUE(AppIsWireframe());
  EXPECT_EQ(platform.Device()->renderStates[plat::RS_FILLMODE], uint32_t(plat::FILL_WIREFRAME));
}

TEST_F(FrameworkTest, KeyAndMouseTables) {
  ASSERT_EQ(StartUp(), S_OK);
  struct Seen { bool left, right, middle, x1, x2; int wheel, x, y; };
  static std::vector<Seen> seen;
  seen.clear();
  AppSetCallbackMouse([](bool l, bool r, bool m, bool x1, bool x2, int w, int x, int y, void*) {
    seen.push_back({l, r, m, x1, x2, w, x, y});
  }, false);
  platform.windows.PostMouse(plat::WM_LBUTTONDOWN, plat::MK_LBUTTON | plat::MK_XBUTTON2, 10, -3);
  platform.windows.PostMouse(plat::WM_MOUSEMOVE, plat::MK_LBUTTON, 11, 4);  // not asked for
  plat::Rect outer = W()->outer;
  platform.windows.Post(plat::WM_MOUSEWHEEL, plat::WPARAM(uint16_t(-120)) << 16,
                        plat::MakeLParam(outer.left + 4 + 100, outer.top + 28 + 50));
  platform.windows.PostKey('A', true);
  platform.windows.PostKey('A', false);
  Pump();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].left && seen[0].x2 && !seen[0].right && !seen[0].middle && !seen[0].x1);
  EXPECT_EQ(seen[0].x, 10);
  EXPECT_EQ(seen[0].y, -3);
  EXPECT_EQ(seen[1].wheel, -120);
  EXPECT_EQ(seen[1].x, 100);
  EXPECT_EQ(seen[1].y, 50);
  EXPECT_FALSE(AppIsKeyDown('A'));
  EXPECT_EQ(rec.keys, (std::vector<uint32_t>{'A'}));
}

TEST_F(FrameworkTest, EscapeClosesAndTheLoopEndsWithExitCode0) {
  ASSERT_EQ(StartUp(), S_OK);
  platform.windows.PostKey(plat::VK_ESCAPE, true);
  EXPECT_EQ(AppMainLoop(), S_OK);
  EXPECT_EQ(AppGetExitCode(), 0);
  EXPECT_EQ(AppGetHWND(), nullptr);
}

TEST_F(FrameworkTest, ResumeFromSuspendRestartsTimeAndRecomputesStatistics) {
  platform.system.counter = 2 * platform.system.frequency;  // the first statistics read 0.50 fps
  ASSERT_EQ(StartUp(), S_OK);
  Frames(1);
  platform.system.AdvanceSeconds(0.5);
  Frames(1);
  std::wstring stats = AppGetFrameStats();
  platform.system.AdvanceSeconds(100.0);
  EXPECT_EQ(platform.windows.SendMessage(Window(), plat::WM_POWERBROADCAST, plat::PBT_APMQUERYSUSPEND, 0), 1);
  EXPECT_EQ(platform.windows.SendMessage(Window(), plat::WM_POWERBROADCAST, plat::PBT_APMRESUMESUSPEND, 0), 1);
  platform.system.AdvanceSeconds(0.125);
  Frames(1);
  EXPECT_DOUBLE_EQ(rec.moveTimes.back(), 0.125);
  EXPECT_NE(std::wstring(AppGetFrameStats()), stats) << "updated although less than a second passed";
}
