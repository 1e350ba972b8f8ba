// The Overlay's fonts through the device events.
#include "game/overlay.h"
#include "tests/shell/workspace.h"

namespace {

using OverlayTest = Workspace;

TEST_F(OverlayTest, FontsFollowTheDeviceAndADoubleDestroyTouchesNothing) {
  Overlay overlay;
  overlay.OnCreateDevice(&device_);
  EXPECT_EQ(deviceState_->fontsMade, 2);
  EXPECT_TRUE(overlay.FirstFont().HasFont());
  EXPECT_TRUE(overlay.SecondFont().HasFont());

  overlay.OnLostDevice();
  overlay.OnResetDevice(&device_, nullptr, nullptr);
  EXPECT_EQ(deviceState_->fontsMade, 2);  // a reset makes no fonts
  overlay.OnLostDevice();
  overlay.OnDestroyDevice();
  EXPECT_FALSE(overlay.FirstFont().HasFont());
  EXPECT_FALSE(overlay.SecondFont().HasFont());
  EXPECT_EQ(deviceState_->liveObjects, 0u);
  overlay.OnDestroyDevice();
  EXPECT_EQ(deviceState_->liveObjects, 0u);
}

}  // namespace
