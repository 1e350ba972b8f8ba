// The message loop, frame step, timer, pause and statistics.
#include "common/appmisc.h"
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
  EXPECT_TRUE(AppIsRenderingPaused());
}

TEST_F(FrameworkTest, ConstantFrameTimeAddsExactlyTheStepPerPass) {
  ASSERT_EQ(StartUp(L"arena -constantframetime:0.05"), S_OK);
  for (int i = 0; i < 10; ++i) {
    platform.system.AdvanceSeconds(0.01 * (i % 4));  // the wall clock does what it likes
    Frames(1);
  }
  ASSERT_EQ(rec.moveTimes.size(), 10u);
  double expected = 0.0;
  for (size_t i = 0; i < rec.moveTimes.size(); ++i) {
    expected += 0.05f;
    EXPECT_EQ(rec.moveElapsed[i], 0.05f);
    EXPECT_EQ(rec.moveTimes[i], expected);
  }
}

TEST_F(FrameworkTest, QuitAfterFrameEndsInThePassThatPassesIt) {
  ASSERT_EQ(StartUp(L"arena -quitafterframe:5"), S_OK);
  int presentsAtStart = platform.Device()->presents;
  std::shared_ptr<fake::FakeDeviceState> device = platform.graphics->devices.back();
  EXPECT_EQ(AppMainLoop(), S_OK);
  EXPECT_EQ(rec.moveTimes.size(), 6u);
  EXPECT_EQ(rec.renderTimes.size(), 6u) << "frame 6 is rendered before the shutdown";
  EXPECT_EQ(device->presents - presentsAtStart, 6);
  EXPECT_EQ(device->calls.back(), "Present");  // nothing after the last present but the release
  EXPECT_TRUE(device->destroyed);
  EXPECT_EQ(rec.events.back(), "destroyed");
  EXPECT_EQ(AppGetExitCode(), 0);
}

TEST_F(FrameworkTest, FrameStatisticsOnTheFirstFrameThenAfterMoreThanASecond) {
  ASSERT_EQ(StartUp(), S_OK);
  Frames(1);
  std::wstring first = AppGetFrameStats();
  EXPECT_NE(first.find(L" fps (640x480), "), std::wstring::npos) << std::string(first.begin(), first.end());
  for (int i = 0; i < 4; ++i) {
    platform.system.AdvanceSeconds(0.25);
    Frames(1);
    EXPECT_EQ(AppGetFrameStats(), first) << "exactly one second is not more than one";
  }
  platform.system.AdvanceSeconds(0.25);
  Frames(1);
  std::wstring later = AppGetFrameStats();
  EXPECT_EQ(later.substr(0, 9), L"4.00 fps ") << "5 frames in 1.25 s";
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

TEST_F(FrameworkTest, MainLoopWithoutADeviceMakesTheDefaultOne) {
  RegisterCallbacks();
  rec.onCreated = [&] { platform.windows.PostKey(plat::VK_ESCAPE, true); };
  EXPECT_EQ(AppMainLoop(), S_OK);
  ASSERT_EQ(platform.graphics->createCalls.size(), 1u);
  EXPECT_EQ(platform.graphics->createCalls[0].pp.BackBufferWidth, 640u);
  EXPECT_EQ(platform.graphics->createCalls[0].pp.Windowed, 1);
  EXPECT_EQ(platform.windows.windowsCreated, 1);
}

// ---------------------------------------------------------------------------------------------
// The timer on its own

TEST_F(FrameworkTest, TimeStandsStillWhilePausedAndResumesWhereItStopped) {
  ASSERT_EQ(StartUp(), S_OK);
  platform.system.AdvanceSeconds(2.0);
  Frames(1);
  double before = rec.moveTimes.back();
  AppPause(true, false);
  for (int i = 0; i < 3; ++i) {
    platform.system.AdvanceSeconds(5.0);
    Frames(1);
    EXPECT_EQ(rec.moveTimes.back(), before);
    EXPECT_EQ(rec.moveElapsed.back(), 0.0f);
    EXPECT_EQ(rec.renderTimes.back(), before) << "rendering goes on with the frozen time";
  }
  AppPause(false, false);
  platform.system.AdvanceSeconds(0.5);
  Frames(1);
  EXPECT_DOUBLE_EQ(rec.moveTimes.back(), before + 0.5);
  EXPECT_FLOAT_EQ(rec.moveElapsed.back(), 0.5f);
}

TEST_F(FrameworkTest, MainLoopRefusesInsideADeviceCallback) {
  Result inner = S_OK;
  rec.onCreated = [&] { inner = AppMainLoop(); };
  ASSERT_EQ(StartUp(), S_OK);
  EXPECT_EQ(inner, E_FAIL);
  EXPECT_EQ(AppGetExitCode(), 1);
  EXPECT_TRUE(platform.system.DebugOutputContains(L"AppMainLoop"));
  ASSERT_FALSE(platform.system.boxes.empty());
  EXPECT_EQ(platform.system.boxes.back().caption, L"Unexpected error encountered");
}
