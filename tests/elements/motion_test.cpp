// Timed motions of one element.
#include <gtest/gtest.h>

#include "game/element.h"

namespace {

Element Visible() {
  Element e;
  e.ResetElement();
  e.visible = 1;
  return e;
}

TEST(Motion, ScaleCompletesBeforePositionOneCompletionPerCall) {
  Element e = Visible();
  e.StartPositionMotion(0, 0, 0, 10, 0, 0, 0.5f);
  e.StartScaleMotion(1, 1, 1, 2, 1, 1, 0.5f);
  EXPECT_EQ(e.AdvanceMotion(0.25f), kMotionNone);
  EXPECT_FLOAT_EQ(e.position.x, 5.0f);
  // Both run out in the same call: the scale ends and the position is not touched.
  EXPECT_EQ(e.AdvanceMotion(0.25f), kMotionScaleDone);
  EXPECT_FLOAT_EQ(e.scale.x, 2.0f);
  EXPECT_FLOAT_EQ(e.position.x, 5.0f);
  EXPECT_EQ(e.AdvanceMotion(0.25f), kMotionPositionDone);
  EXPECT_FLOAT_EQ(e.position.x, 10.0f);
  EXPECT_EQ(e.AdvanceMotion(0.25f), kMotionNone);  // finished motions stay finished
}

TEST(Motion, EndsExactlyOnTargetWithoutOvershootingOnTheWay) {
  Element e = Visible();
  e.SetPosition(0, 3, 0.2f);
  e.StartPositionMotion(0, 3, 0.2f, 7.3f, -11.1f, 0.155f, 1.0f);
  int result = kMotionNone, calls = 0;
  for (; result == kMotionNone && calls < 100; ++calls) result = e.AdvanceMotion(0.07f);
  EXPECT_EQ(result, kMotionPositionDone);
  EXPECT_EQ(calls, 15);  // 14 x 0.07 = 0.98 leaves time; the 15th call runs it out
  EXPECT_EQ(e.position.x, 7.3f);
  EXPECT_EQ(e.position.y, -11.1f);
  EXPECT_EQ(e.position.z, 0.155f);

  // Starting near the end, the step of 5 per half second stops at the target; y has from == to,
  // so no speed: it stays until the time runs out, then jumps.
  e.SetPosition(8, 5, 0);
  e.StartPositionMotion(0, 10, 0, 10, 10, 0, 1.0f);
  EXPECT_EQ(e.AdvanceMotion(0.5f), kMotionNone);
  EXPECT_FLOAT_EQ(e.position.x, 10.0f);
  EXPECT_FLOAT_EQ(e.position.y, 5.0f);
  EXPECT_EQ(e.AdvanceMotion(0.5f), kMotionPositionDone);
  EXPECT_FLOAT_EQ(e.position.y, 10.0f);
}

}  // namespace
