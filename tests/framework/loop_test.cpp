// The message loop, frame step, timer and pauses.
#include "tests/framework/framework_fixture.h"

TEST_F(FrameworkTest, PausesNestAndAnExtraResumeIsAbsorbed) {
  ASSERT_EQ(StartUp(), S_OK);
  AppPause(true, true);
  AppPause(true, true);
  AppPause(false, false);
  EXPECT_TRUE(AppIsTimePaused());
  EXPECT_TRUE(AppIsRenderingPaused());
  AppPause(false, false);
  EXPECT_FALSE(AppIsTimePaused());
  EXPECT_FALSE(AppIsRenderingPaused());
  AppPause(false, false);
  AppPause(true, true);
  EXPECT_TRUE(AppIsTimePaused()) << "the extra resume must not be banked";
}

TEST_F(FrameworkTest, PauseKeyFreezesTimeWhileRenderingGoesOnThenResumesWhereItStopped) {
  ASSERT_EQ(StartUp(), S_OK);
  platform.system.AdvanceSeconds(2.0);
  Frames(1);
  const double before = rec.moveTimes.back();
  PressKey(plat::VK_PAUSE);
  EXPECT_TRUE(AppIsTimePaused());
  EXPECT_FALSE(AppIsRenderingPaused());
  for (int i = 0; i < 3; ++i) {
    platform.system.AdvanceSeconds(5.0);
    Frames(1);
    EXPECT_EQ(rec.moveTimes.back(), before);
    EXPECT_EQ(rec.moveElapsed.back(), 0.0f);
    EXPECT_EQ(rec.renderTimes.back(), before) << "rendering goes on with the frozen time";
  }
  PressKey(plat::VK_PAUSE);
  platform.system.AdvanceSeconds(0.5);
  Frames(1);
  EXPECT_DOUBLE_EQ(rec.moveTimes.back(), before + 0.5);
  EXPECT_FLOAT_EQ(rec.moveElapsed.back(), 0.5f);
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
  }
  EXPECT_EQ(rec.renderTimes.size(), renders);
  EXPECT_EQ(platform.system.sleeps, (std::vector<uint32_t>{50, 50, 50}));

  size_t mark = rec.events.size();
  platform.windows.UserRestore();
  Pump();
  EXPECT_EQ(rec.events.size(), mark) << "the size did not change: no device change";
  platform.system.AdvanceSeconds(0.25);
  Frames(1);
  EXPECT_EQ(rec.renderTimes.size(), renders + 1);
  EXPECT_DOUBLE_EQ(rec.moveTimes.back(), frozen + 0.25);
}

TEST_F(FrameworkTest, ResumeFromSuspendRestartsTime) {
  ASSERT_EQ(StartUp(), S_OK);
  Frames(1);
  platform.system.AdvanceSeconds(100.0);
  EXPECT_EQ(platform.windows.SendMessage(Window(), plat::WM_POWERBROADCAST, plat::PBT_APMQUERYSUSPEND, 0), 1);
  EXPECT_EQ(platform.windows.SendMessage(Window(), plat::WM_POWERBROADCAST, plat::PBT_APMRESUMESUSPEND, 0), 1);
  platform.system.AdvanceSeconds(0.125);
  Frames(1);
  EXPECT_DOUBLE_EQ(rec.moveTimes.back(), 0.125);
}

TEST_F(FrameworkTest, ConstantFrameTimeAddsExactlyTheStepPerPass) {
  ASSERT_EQ(StartUp(L"arena -constantframetime:0.05"), S_OK);
  double expected = 0.0;
  for (int i = 0; i < 10; ++i) {
    platform.system.AdvanceSeconds(0.01 * (i % 4));  // the wall clock does what it likes
    Frames(1);
    expected += 0.05f;
    EXPECT_EQ(rec.moveElapsed.back(), 0.05f);
    EXPECT_EQ(rec.moveTimes.back(), expected);
  }
}

TEST_F(FrameworkTest, QuitAfterFrameEndsInThePassThatPassesIt) {
  ASSERT_EQ(StartUp(L"arena -quitafterframe:5"), S_OK);
  std::shared_ptr<fake::FakeDeviceState> device = platform.graphics->devices.back();
  const int presentsAtStart = device->presents;
  EXPECT_EQ(AppMainLoop(), S_OK);
  EXPECT_EQ(rec.moveTimes.size(), 6u);
  EXPECT_EQ(device->presents - presentsAtStart, 6) << "frame 6 is rendered before the shutdown";
  EXPECT_TRUE(device->destroyed);
  EXPECT_EQ(AppGetExitCode(), 0);
}

TEST_F(FrameworkTest, FrameMoveThatShutsDownStopsThePass) {
  ASSERT_EQ(StartUp(), S_OK);
  rec.onFrameMove = [] { AppShutdown(3); };
  Frames(1);
  EXPECT_TRUE(rec.renderTimes.empty());
  EXPECT_EQ(AppGetD3DDevice(), nullptr);
  EXPECT_EQ(AppGetExitCode(), 3);
  Frames(1);
  EXPECT_EQ(rec.moveTimes.size(), 1u) << "no device: the step does nothing";
}
