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
  EXPECT_EQ(rec.moveTimes.size(), 4u) << "frame move goes on while minimised";
  EXPECT_EQ(rec.renderTimes.size(), renders);
  EXPECT_EQ(platform.system.sleeps, (std::vector<uint32_t>{50, 50, 50}));
  // Restoring (no device change, time and frames going on) is the lifecycle script's.
}

// The fake clock starts far from 0, so the first frame finds more than a second since "never".
// A resume from suspend restarts time and recomputes the statistics on the next frame.
TEST_F(FrameworkTest, StatisticsOnTheFirstFrameThenAfterMoreThanASecondAndRightAfterAResume) {
  ASSERT_EQ(StartUp(), S_OK);
  Frames(1);
  const std::wstring first = AppGetFrameStats();
  EXPECT_NE(first.find(L" fps (640x480), "), std::wstring::npos);
  for (int i = 0; i < 4; ++i) {
    platform.system.AdvanceSeconds(0.25);
    Frames(1);
    EXPECT_EQ(AppGetFrameStats(), first) << "exactly one second is not more than one";
  }
  platform.system.AdvanceSeconds(0.25);
  Frames(1);
  const std::wstring later = AppGetFrameStats();
  EXPECT_EQ(later.substr(0, 9), L"4.00 fps ") << "5 frames in 1.25 s";
  platform.system.AdvanceSeconds(100.0);
  for (plat::WPARAM event : {plat::PBT_APMQUERYSUSPEND, plat::PBT_APMRESUMESUSPEND})
    EXPECT_EQ(platform.windows.SendMessage(Window(), plat::WM_POWERBROADCAST, event, 0), 1);
  platform.system.AdvanceSeconds(0.125);
  Frames(1);
  EXPECT_NE(AppGetFrameStats(), later) << "a resume recomputes on the next frame, however soon";
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
  EXPECT_EQ(rec.renderTimes.size(), 6u);
  EXPECT_EQ(device->presents - presentsAtStart, 6) << "frame 6 is rendered and presented before the shutdown";
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

TEST_F(FrameworkTest, MainLoopRefusesInsideADeviceCallback) {
  Result inner = S_OK;
  rec.onCreated = [&] {
    platform.windows.PostQuitMessage(0);  // a loop that did start would end at once
    inner = AppMainLoop();
  };
  ASSERT_EQ(StartUp(), S_OK);
  EXPECT_EQ(inner, E_FAIL);
  EXPECT_EQ(AppGetExitCode(), 1);
  EXPECT_TRUE(platform.system.DebugOutputContains(L"AppMainLoop"));
  ASSERT_EQ(platform.system.shown.size(), 1u);
  EXPECT_EQ(platform.system.shown[0].caption, L"Unexpected error encountered");
}

// F8 flips wireframe, unless the message callback takes the key-down for itself: the keyboard
// callback still hears of it, the hotkey and default handling do not.
TEST_F(FrameworkTest, F8FlipsWireframeUnlessTheMessageCallbackClaimsTheKey) {
  ASSERT_EQ(StartUp(), S_OK);
  rec.claimKeyDowns = true;
  platform.windows.defaulted.clear();
  PressKey(plat::VK_F8);
  EXPECT_EQ(rec.keysDown, std::vector<uint32_t>{plat::VK_F8});
  EXPECT_FALSE(AppIsWireframe());
  EXPECT_TRUE(platform.windows.defaulted.empty());
  rec.claimKeyDowns = false;
  for (bool wireframe : {true, false}) {
    PressKey(plat::VK_F8);
    EXPECT_EQ(AppIsWireframe(), wireframe);
    EXPECT_EQ(platform.Device()->renderStates[plat::RS_FILLMODE], wireframe ? plat::FILL_WIREFRAME : plat::FILL_SOLID);
  }
}
