// The font on the reference device: the two kept pictures, plus what must hold in them whatever
// the installed face looks like (ink only inside the box, in the text colour, nothing else touched).
#include <gtest/gtest.h>

#include "tests/font/font_scenes.h"
#include "tests/graphics/graphics_fixture.h"

using namespace plat;

namespace {

constexpr uint32_t kBackground = 0x002D32AAu;
constexpr uint32_t kShownBackground = 0xFF2D32AAu;

class FontOnReferenceDevice : public gfxtest::GraphicsTest {
 protected:
  testsupport::Image Draw(uint32_t w, uint32_t h, int (*scene)(IDevice&), int* height) {
    MakeDevice(w, h);
    EXPECT_EQ(device->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0), S_OK);
    EXPECT_EQ(device->BeginScene(), S_OK);
    *height = scene(*device);
    EXPECT_EQ(device->EndScene(), S_OK);
    EXPECT_EQ(device->LiveObjectCount(), 0u);  // the font went with its atlas and sprite
    return Capture();
  }
};

struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int pixels = 0;
};

Ink InkOf(const testsupport::Image& img) {
  Ink ink;
  for (uint32_t y = 0; y < img.height; ++y)
    for (uint32_t x = 0; x < img.width; ++x)
      if (img.At(x, y) != kShownBackground) {
        ink.left = std::min(ink.left, int(x));
        ink.top = std::min(ink.top, int(y));
        ink.right = std::max(ink.right, int(x));
        ink.bottom = std::max(ink.bottom, int(y));
        ++ink.pixels;
      }
  return ink;
}

TEST_F(FontOnReferenceDevice, NumberLine) {
  int height = 0;
  const testsupport::Image img = Draw(fontscenes::kLineWidth, fontscenes::kLineHeight, fontscenes::DrawLine2000, &height);
  EXPECT_GE(height, 15);
  const Ink ink = InkOf(img);
  ASSERT_GT(ink.pixels, 40);
  EXPECT_GE(ink.left, 4);
  EXPECT_LE(ink.left, 6);
  EXPECT_GE(ink.top, 4);
  EXPECT_LE(ink.bottom, 4 + height);
  EXPECT_GT(ink.right - ink.left, 20);  // four digits side by side
  // Every touched pixel is the background blended towards pure red: green never rises.
  for (uint32_t p : img.argb) {
    EXPECT_LE((p >> 8) & 0xFF, 0x32u);
    EXPECT_GE((p >> 16) & 0xFF, 0x2Du);
  }
  EXPECT_EQ(testsupport::CheckGolden("font_line_2000", img, 0), "");
}

TEST_F(FontOnReferenceDevice, WrappedText) {
  int height = 0;
  const testsupport::Image img = Draw(fontscenes::kWrappedWidth, fontscenes::kWrappedHeight, fontscenes::DrawWrapped, &height);
  const Ink ink = InkOf(img);
  const RectI box = fontscenes::kWrappedBox;
  ASSERT_GT(ink.pixels, 200);
  EXPECT_GE(ink.left, box.left);
  EXPECT_GE(ink.top, box.top);
  EXPECT_LT(ink.right, box.right);
  EXPECT_LT(ink.bottom, box.bottom);
  EXPECT_GT(ink.bottom - ink.top, 3 * 14);  // several lines
  EXPECT_GT(height, box.bottom - box.top);  // more text than fits: the rest is clipped
  EXPECT_EQ(testsupport::CheckGolden("font_wrapped", img, 0), "");
}

}  // namespace
