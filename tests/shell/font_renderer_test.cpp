// Text through the font renderer: rectangles, format flags, the clamped colour conversion, and a
// renderer without a font.
#include <cmath>

#include "game/font_renderer.h"
#include "tests/shell/workspace.h"

namespace {

class FontRendererTest : public Workspace {
 protected:
  const fake::FakeDeviceState::TextEvent& LastText() {
    EXPECT_FALSE(deviceState_->texts.empty());
    return deviceState_->texts.back();
  }
};

TEST_F(FontRendererTest, ColourIsClampedThenRounded) {
  EXPECT_EQ(ToColour32Clamped({1, 0, 0, 1}), 0xFFFF0000u);
  EXPECT_EQ(ToColour32Clamped({1.5f, -0.2f, 0.5f, 1}), 0xFFFF0080u);
  EXPECT_EQ(ToColour32Clamped({0.2f, 0.998f, NAN, 2}), 0xFF33FE00u);  // 51.5 and 254.99 truncate
}

TEST_F(FontRendererTest, TextIsDrawnUnclippedOrWrapped) {
  FontRenderer font;
  ASSERT_EQ(font.Create(&device_), S_OK);
  EXPECT_EQ(deviceState_->fontsMade, 1);

  font.DrawText(&device_, L"frame stats", 0, 0, {1, 0, 0, 1});
  EXPECT_EQ(LastText().text, L"frame stats");
  EXPECT_EQ(LastText().rect, (plat::RectI{0, 0, 0, 0}));
  EXPECT_EQ(LastText().format, uint32_t(plat::DT_NOCLIP));
  EXPECT_EQ(LastText().colour, 0xFFFF0000u);

  font.DrawTextAt(&device_, L"a long line of words", 10.9f, -3.7f, 200.6f, {1, 1, 1, 1});
  EXPECT_EQ(LastText().rect, (plat::RectI{10, -3, 200, 480}));
  EXPECT_EQ(LastText().format, uint32_t(plat::DT_WORDBREAK));

  font.DrawTextAt(&device_, L"no box", 5, 6, 0, {1, 1, 1, 1});
  EXPECT_EQ(LastText().rect, (plat::RectI{5, 6, 0, 480}));
  EXPECT_EQ(LastText().format, uint32_t(plat::DT_NOCLIP));

  font.DrawNumber(&device_, INT32_MIN, {1, 2, 0}, {1, 0, 0, 1});
  EXPECT_EQ(LastText().text, L"-2147483648");
}

TEST_F(FontRendererTest, WithoutAFontEverythingIsSkipped) {
  FontRenderer font;
  font.Lost();
  font.DrawText(&device_, L"x", 0, 0, {1, 1, 1, 1});
  font.DrawNumber(&device_, 7, {}, {1, 1, 1, 1});
  font.Destroy();
  EXPECT_TRUE(deviceState_->texts.empty());
  EXPECT_EQ(font.Create(nullptr), E_FAIL);
  EXPECT_FALSE(font.HasFont());

  font.Create(&device_);
  EXPECT_EQ(deviceState_->liveObjects, 1u);
  font.Lost();
  font.DrawText(&device_, L"after a reset", 0, 0, {1, 1, 1, 1});
  EXPECT_EQ(LastText().text, L"after a reset");
  font.Destroy();
  font.Destroy();
  EXPECT_EQ(deviceState_->liveObjects, 0u);
}

}  // namespace
