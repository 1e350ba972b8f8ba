// Order of the game's device callbacks through start-up, sizing, switches, loss and exit.
#include <algorithm>
#include <string>

#include "tests/framework/framework_fixture.h"

TEST_F(FrameworkTest, DraggingTheFrameResetsOnceAtTheEnd) {
  ASSERT_EQ(StartUp(), S_OK);
  size_t mark = rec.events.size();
  platform.Device()->clientWidth = 800;
  platform.Device()->clientHeight = 600;
  platform.windows.UserResize(800, 600);
  // Half-way through the drag the device has not changed and time stands still.
  plat::Msg msg;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(platform.windows.PeekMessage(msg));
    platform.windows.DispatchMessage(msg);
  }
  EXPECT_TRUE(AppIsTimePaused());
  EXPECT_TRUE(AppIsRenderingPaused());
  EXPECT_EQ(rec.events.size(), mark);
  Pump();
  EXPECT_EQ(rec.Since(mark), (Events{"modify", "lost", "reset"}));
  EXPECT_EQ(AppGetBackBufferSurfaceDesc()->Width, 800u);
  EXPECT_FALSE(AppIsTimePaused());
  EXPECT_FALSE(AppIsRenderingPaused());
}

// A restore that reports an empty client area (the window is still minimised) is no new size.
TEST_F(FrameworkTest, SizeMessageWithClientHeight0ChangesNothing) {
  ASSERT_EQ(StartUp(), S_OK);
  const size_t mark = rec.events.size();
  platform.windows.SetClientSize(Window(), 640, 0);
  ASSERT_EQ(platform.windows.queue.size(), 1u) << "the fake posts the restored size";
  Pump();
  EXPECT_EQ(rec.events.size(), mark);
  EXPECT_EQ(AppGetBackBufferSurfaceDesc()->Height, 480u);
  EXPECT_FALSE(AppIsRenderingPaused());
}

TEST_F(FrameworkTest, AltEnterSwitchesToFullScreenAndBackToTheSavedPlace) {
  ASSERT_EQ(StartUp(), S_OK);
  plat::Rect windowed = W()->outer;
  for (bool toFullScreen : {true, false}) {
    size_t mark = rec.events.size();
    EXPECT_EQ(platform.windows.SendMessage(Window(), plat::WM_SYSKEYDOWN, plat::VK_RETURN, plat::kAltBit), 0);
    Pump();
    EXPECT_EQ(std::count(platform.windows.defaulted.begin(), platform.windows.defaulted.end(), plat::WM_SYSKEYDOWN), 0);
    EXPECT_EQ(rec.Since(mark), (Events{"modify", "lost", "reset"}));
    EXPECT_EQ(AppIsWindowed(), !toFullScreen);
    EXPECT_EQ(W()->fullScreen, toFullScreen);
    EXPECT_EQ(W()->bordered, !toFullScreen);
    EXPECT_EQ(W()->cursorClipped, toFullScreen);
    EXPECT_EQ(W()->keyboardGrabbed, toFullScreen);
  }
  EXPECT_EQ(W()->outer, windowed);
  EXPECT_EQ(AppGetBackBufferSurfaceDesc()->Width, 640u);
  EXPECT_FALSE(AppIsRenderingPaused());
}

TEST_F(FrameworkTest, F3RecreatesTheDeviceOnTheOtherType) {
  ASSERT_EQ(StartUp(), S_OK);
  size_t mark = rec.events.size();
  PressKey(plat::VK_F3);
  EXPECT_EQ(rec.Since(mark), (Events{"modify", "lost", "destroyed", "created", "reset"}));
  EXPECT_EQ(platform.Device()->deviceType, uint32_t(plat::DEVTYPE_REF));
  EXPECT_TRUE(platform.graphics->devices.front()->destroyed);
  EXPECT_EQ(AppGetExitCode(), 11);

  PressKey(plat::VK_F3);
  EXPECT_EQ(AppGetDeviceSettings()->DeviceType, uint32_t(plat::DEVTYPE_HAL));
  EXPECT_EQ(AppGetExitCode(), 0);
  EXPECT_FALSE(AppIsRenderingPaused());
}

TEST_F(FrameworkTest, LostDeviceWaitsThenResets) {
  ASSERT_EQ(StartUp(), S_OK);
  size_t mark = rec.events.size();
  platform.Device()->presentResult = D3DERR_DEVICELOST;
  Frames(1);
  platform.Device()->presentResult = S_OK;
  platform.Device()->testCooperativeLevelResult = D3DERR_DEVICELOST;
  size_t moves = rec.moveTimes.size();
  platform.system.sleeps.clear();
  Frames(3);
  EXPECT_EQ(rec.moveTimes.size(), moves) << "no callback while the device cannot be reset";
  EXPECT_EQ(platform.system.sleeps, (std::vector<uint32_t>{50, 50, 50}));
  EXPECT_EQ(rec.events.size(), mark);

  platform.Device()->testCooperativeLevelResult = D3DERR_DEVICENOTRESET;
  Frames(1);
  EXPECT_EQ(rec.Since(mark), (Events{"lost", "reset"}));
  EXPECT_EQ(rec.moveTimes.size(), moves + 1);
}

TEST_F(FrameworkTest, ResetCallbackFailingOnRecoveryUndoesAndShutsDown) {
  ASSERT_EQ(StartUp(), S_OK);
  size_t mark = rec.events.size();
  platform.Device()->presentResult = D3DERR_DEVICELOST;
  Frames(1);
  platform.Device()->testCooperativeLevelResult = D3DERR_DEVICENOTRESET;
  rec.resetResults = {E_FAIL};
  Frames(1);
  EXPECT_EQ(rec.Since(mark), (Events{"lost", "reset", "lost", "destroyed"}));
  ASSERT_EQ(platform.system.shown.size(), 1u);
  EXPECT_EQ(platform.system.shown[0].text.rfind(L"Failed resetting the game's fonts and textures", 0), 0u);
  EXPECT_EQ(AppGetD3DDevice(), nullptr);
  EXPECT_EQ(Window(), nullptr);
}

// A reset that fails during a change re-creates the device; that must not leave the change's own
// pause behind (time and rendering would stay stopped for good).
TEST_F(FrameworkTest, RecreationAfterAFailedResetLeavesNothingPaused) {
  ASSERT_EQ(StartUp(), S_OK);
  platform.Device()->resetResult = E_FAIL;
  platform.graphics->deviceTemplate.clientWidth = 800;
  platform.graphics->deviceTemplate.clientHeight = 600;
  platform.windows.UserResize(800, 600);
  Pump();
  EXPECT_EQ(platform.graphics->devices.size(), 2u);
  EXPECT_FALSE(AppIsRenderingPaused());
  EXPECT_FALSE(AppIsTimePaused());
  size_t renders = rec.renderTimes.size();
  Frames(1);
  EXPECT_EQ(rec.renderTimes.size(), renders + 1);
}

TEST_F(FrameworkTest, EscapeEndsTheLoopAndProcessExitDeliversLostAndDestroyed) {
  ASSERT_EQ(StartUp(), S_OK);
  std::shared_ptr<fake::FakeDeviceState> device = platform.graphics->devices.front();
  platform.windows.PostKey(plat::VK_ESCAPE, true);
  EXPECT_EQ(AppMainLoop(), S_OK);
  EXPECT_EQ(AppGetExitCode(), 0);
  EXPECT_EQ(rec.events, (Events{"modify", "created", "reset"})) << "the device outlives the loop";
  EXPECT_EQ(AppGetHWND(), nullptr);
  // The device still draws into its window: the window is hidden, and goes after the device.
  ASSERT_NE(W(), nullptr);
  EXPECT_FALSE(W()->visible);
  EXPECT_FALSE(device->destroyed);
  AppResetStateForTests();  // what process exit does
  EXPECT_EQ(rec.events, (Events{"modify", "created", "reset", "lost", "destroyed"}));
  EXPECT_EQ(W(), nullptr);
  EXPECT_TRUE(device->destroyed);
}

// Without -scale the presentation scale follows the window's output; a change of it (a move to an
// output of another scale) resets the device once, as a resize does, though the logical size
// stays. A scale from the command line stays whatever the output.
TEST_F(FrameworkTest, AnOutputOfAnotherScaleResetsOnceUnlessTheCommandLineSetTheScale) {
  platform.windows.desktopScale = 2;
  ASSERT_EQ(StartUp(), S_OK);
  EXPECT_TRUE(platform.windows.followsOutput);
  EXPECT_EQ(platform.windows.scale, 2);
  size_t mark = rec.events.size();
  platform.windows.OutputScaleChanged(1);
  Pump();
  EXPECT_EQ(rec.Since(mark), (Events{"modify", "lost", "reset"}));
  EXPECT_EQ(AppGetBackBufferSurfaceDesc()->Width, 640u);
  mark = rec.events.size();
  platform.windows.OutputScaleChanged(1);  // the same scale again: nothing to do
  Pump();
  EXPECT_EQ(rec.events.size(), mark);
}

TEST_F(FrameworkTest, AScaleFromTheCommandLineDoesNotFollowTheOutput) {
  platform.windows.desktopScale = 2;
  platform.windows.displays[0].bounds = platform.windows.displays[0].workArea = {0, 0, 3840, 2160};  // holds scale 3
  ASSERT_EQ(StartUp(L"arena -scale:3"), S_OK);
  EXPECT_FALSE(platform.windows.followsOutput);
  EXPECT_EQ(platform.windows.scale, 3);
  const size_t mark = rec.events.size();
  platform.windows.OutputScaleChanged(1);
  Pump();
  EXPECT_EQ(rec.events.size(), mark);
}

// Moved to another monitor whose output has another scale: the change of adapter makes the device
// anew at the new scale, and no reset of its own comes before it.
TEST_F(FrameworkTest, AnotherScaleOnAnotherMonitorIsOneDeviceChange) {
  platform.graphics->adapters.push_back(platform.graphics->adapters[0]);
  platform.graphics->adapters[1].monitor = 1;
  platform.windows.desktopScale = 2;
  ASSERT_EQ(StartUp(), S_OK);
  const size_t mark = rec.events.size();
  platform.windows.windowDisplay = 1;
  platform.windows.OutputScaleChanged(1);
  Pump();
  EXPECT_EQ(rec.Since(mark), (Events{"modify", "lost", "destroyed", "created", "reset"}));
  EXPECT_EQ(platform.graphics->createCalls.size(), 2u);
}
