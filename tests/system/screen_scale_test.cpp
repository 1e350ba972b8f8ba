// Logical pixels, real pixels and window coordinates at the presentation scale and an output's
// buffer scale.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <utility>

#include "platform/system/screen_scale.h"

namespace {

using namespace plat;

// On X11 a coordinate is a real pixel: logical is the coordinate divided by S, rounding down also
// left of the window, as the pointer there is reported.
TEST(ScreenScale, OnX11CoordinatesAreRealPixels) {
  const ScreenScale x11{2, 1.0};
  EXPECT_EQ(x11.ToLogical(241), 120);
  EXPECT_EQ(x11.ToLogical(-1), -1);
  EXPECT_EQ(x11.ToLogical(-4), -2);
  EXPECT_EQ(x11.ToLogical(-5), -3);
  EXPECT_EQ(x11.ToLogicalUp(3), 2);
  EXPECT_EQ(x11.ToLogicalUp(-3), -1);
  EXPECT_EQ(x11.ToCoordinate(-7), -14);
  EXPECT_EQ(x11.ToCoordinateUp(640), 1280);
  // Far outside the screen, sums of two results still fit in int.
  const ScreenScale eight{8, 1.0};
  EXPECT_EQ(eight.ToCoordinate(INT_MAX), 1 << 30);
  EXPECT_EQ(eight.ToCoordinate(INT_MIN), -(1 << 30));
}

// On a Wayland output of scale 2 the game's own scale makes one logical pixel one coordinate;
// a scale of the command line's is still that many real pixels per logical one.
TEST(ScreenScale, OnAScaledOutputTheCommandLinesScaleStaysRealPixels) {
  const ScreenScale followed{2, 2.0};
  EXPECT_EQ(followed.ToLogical(333), 333);
  EXPECT_EQ(followed.ToCoordinateUp(640), 640);
  const ScreenScale one{1, 2.0};  // -scale:1: half the size in coordinates
  EXPECT_EQ(one.ToLogical(320), 640);
  EXPECT_EQ(one.ToCoordinateUp(640), 320);
  const ScreenScale three{3, 2.0};  // -scale:3: one and a half coordinates per logical pixel
  EXPECT_EQ(three.ToCoordinateUp(640), 960);
  EXPECT_EQ(three.ToLogical(959), 639);
  const ScreenScale fractional{1, 1.5};  // a desktop at 1.5 taken down to 1
  EXPECT_EQ(fractional.ToLogical(427), 640);
  EXPECT_EQ(fractional.ToCoordinateUp(640), 427);
}

// A window sized with ToCoordinateUp holds at least the logical size asked for, and at most one
// coordinate's worth more, for every scale and buffer scale.
TEST(ScreenScale, AWindowSizedInCoordinatesHoldsItsLogicalSize) {
  for (int scale = 1; scale <= 8; ++scale) {
    for (double buffer : {1.0, 1.25, 1.5, 1.75, 2.0, 3.0}) {
      const ScreenScale s{scale, buffer};
      for (int logical : {1, 2, 3, 200, 479, 480, 641, 1023}) {
        const int coordinates = s.ToCoordinateUp(logical);
        const int pixels = static_cast<int>(coordinates * buffer);  // as SDL rounds a drawable
        EXPECT_GE(pixels / scale, logical) << scale << " " << buffer << " " << logical;
        EXPECT_LE(s.ToLogical(coordinates - 1), logical) << scale << " " << buffer << " " << logical;
      }
    }
  }
}

TEST(ScreenScale, BufferScaleIsReadOffTheWindowAndTakenDownToAWholeScale) {
  EXPECT_EQ(BufferScaleOf(1280, 640), 2.0);
  EXPECT_EQ(BufferScaleOf(960, 640), 1.5);
  EXPECT_EQ(BufferScaleOf(641, 427), 1.5);  // a fractional scale rounds the drawable
  EXPECT_EQ(BufferScaleOf(800, 640), 1.25);
  EXPECT_EQ(BufferScaleOf(0, 640), 1.0);
  EXPECT_EQ(BufferScaleOf(640, 0), 1.0);
  EXPECT_EQ(BufferScaleOf(320, 640), 1.0);
  const std::pair<double, int> cases[] = {{1.0, 1}, {1.25, 1}, {1.5, 1}, {1.75, 1}, {2.0, 2}, {2.5, 2},
                                          {3.0, 3}, {0.5, 1},  {12.0, 8}, {-2.0, 1}, {std::nan(""), 1}};
  for (const auto& [buffer, whole] : cases) EXPECT_EQ(WholeScaleFor(buffer), whole) << buffer;
}

}  // namespace
