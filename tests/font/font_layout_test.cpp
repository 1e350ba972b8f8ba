// Where the device font puts its glyphs, checked on a device that only records sprite calls.
#include <gtest/gtest.h>

#include "platform/graphics/font_face.h"
#include "tests/font/recording_device.h"

using namespace plat;
using fonttest::DrawCall;
using fonttest::RecordingDevice;
using fonttest::RecordingSprite;

namespace {

class FontLayout : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CreateDeviceFont(device, -16, 700, L"MS Gothic", font), S_OK); }

  // Draws through the font's own sprite and returns what reached it.
  std::vector<DrawCall> Draw(const wchar_t* text, RectI rect, uint32_t format, int* height = nullptr,
                             int count = -1, uint32_t colour = 0xFFFF0000u) {
    if (device.lastSprite) device.lastSprite->draws.clear();
    const int h = font->DrawText(nullptr, text, count, &rect, format, colour);
    if (height) *height = h;
    return device.lastSprite ? device.lastSprite->draws : std::vector<DrawCall>{};
  }
  // Pen advance of a character, from two of them side by side.
  int Advance(wchar_t c) {
    const wchar_t pair[3] = {c, c, 0};
    auto d = Draw(pair, {0, 0, 0, 0}, DT_NOCLIP);
    EXPECT_EQ(d.size(), 2u);
    return d.size() == 2 ? int(d[1].position.x - d[0].position.x) : 0;
  }
  int LineHeight() {
    int h = 0;
    Draw(L"A", {0, 0, 0, 0}, DT_NOCLIP, &h);
    return h;
  }

  RecordingDevice device;
  std::unique_ptr<IFont> font;
};

int SrcHeight(const DrawCall& d) { return d.src.bottom - d.src.top; }

TEST_F(FontLayout, NoClipDrawsFromTheTopLeftCornerAtDepthZeroInTheTint) {
  int height = 0;
  auto at0 = Draw(L"2000", {0, 0, 0, 0}, DT_NOCLIP, &height);
  auto moved = Draw(L"2000", {110, 70, 110, 70}, DT_NOCLIP, nullptr, -1, 0x80123456u);
  ASSERT_EQ(at0.size(), 4u);
  ASSERT_EQ(moved.size(), 4u);
  EXPECT_GE(height, 14);
  EXPECT_LE(height, 24);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(moved[i].position.x, at0[i].position.x + 110);
    EXPECT_EQ(moved[i].position.y, at0[i].position.y + 70);
    EXPECT_EQ(moved[i].position.z, 0.0f);
    EXPECT_EQ(moved[i].colour, 0x80123456u);
    EXPECT_EQ(moved[i].src, at0[i].src);  // nothing cut off by the empty rectangle
    EXPECT_EQ(moved[i].texture, device.lastTexture);
    // Inside the line box.
    EXPECT_GE(at0[i].position.y, 0);
    EXPECT_LE(at0[i].position.y + SrcHeight(at0[i]), height + 1);
  }
  // Left to right, the three zeros identical and evenly spaced.
  EXPECT_LT(at0[0].position.x, at0[1].position.x);
  EXPECT_EQ(at0[1].src, at0[2].src);
  EXPECT_EQ(at0[2].position.x - at0[1].position.x, at0[3].position.x - at0[2].position.x);
  // One batch per string on the font's own sprite, alpha-blended, untransformed.
  RecordingSprite& own = *device.lastSprite;
  EXPECT_EQ(own.begins, 2);
  EXPECT_EQ(own.ends, 2);
  EXPECT_TRUE(own.lastFlags & SPRITE_ALPHABLEND);
  EXPECT_FALSE(own.centreGiven);
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(own.transform.m[size_t(r)][size_t(c)], r == c ? 1.0f : 0.0f);
}

TEST_F(FontLayout, WordBreakWrapsBeforeTheWordThatWouldPassTheRightEdge) {
  const int a = Advance(L'a'), b = Advance(L'b');
  const int space = [&] {
    auto d = Draw(L"a a", {0, 0, 0, 0}, DT_NOCLIP);
    return int(d.at(1).position.x - d.at(0).position.x) - a;
  }();
  const int H = LineHeight();
  const int fits = 3 * a + space + 3 * b;  // exactly "aaa bbb"
  const RectI box{40, 30, 40 + fits, 480};

  int height = 0;
  auto two = Draw(L"aaa bbb ccc", box, DT_WORDBREAK, &height);
  ASSERT_EQ(two.size(), 9u);  // spaces have no ink
  EXPECT_EQ(height, 2 * H);
  // The second line starts at the left edge one line down, the space at the break dropped.
  auto alone = Draw(L"ccc", {40, 30 + H, 0, 0}, DT_NOCLIP);
  ASSERT_EQ(alone.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(two[6 + i].position.x, alone[i].position.x);
    EXPECT_EQ(two[6 + i].position.y, alone[i].position.y);
  }
  auto bbbFirst = Draw(L"b", {40, 30, 0, 0}, DT_NOCLIP);
  EXPECT_EQ(two[5].position.y, bbbFirst.at(0).position.y);  // "bbb" stayed on the first line

  // One pixel less and "bbb" goes down too.
  auto three = Draw(L"aaa bbb ccc", {40, 30, 40 + fits - 1, 480}, DT_WORDBREAK, &height);
  ASSERT_EQ(three.size(), 9u);
  EXPECT_EQ(height, 3 * H);
  EXPECT_EQ(three[6].position.y, three[0].position.y + 2 * H);
  auto bbb = Draw(L"bbb", {40, 30 + H, 0, 0}, DT_NOCLIP);
  ASSERT_EQ(bbb.size(), 3u);
  EXPECT_EQ(three[3].position.x, bbb[0].position.x);
  EXPECT_EQ(three[3].position.y, bbb[0].position.y);

  // Without the flag the same box keeps one line (and NOCLIP lets it run past the edge).
  auto one = Draw(L"aaa bbb ccc", {40, 30, 40 + fits, 480}, DT_NOCLIP, &height);
  EXPECT_EQ(height, H);
  EXPECT_EQ(one[8].position.y, one[0].position.y);
  EXPECT_GT(one[8].position.x, 40 + fits);
}

TEST_F(FontLayout, LineFeedsAndOverlongWordsBreakLines) {
  const int a = Advance(L'a'), H = LineHeight();
  int height = 0;
  auto d = Draw(L"ab\r\ncd\ne", {0, 0, 0, 0}, DT_NOCLIP, &height);
  ASSERT_EQ(d.size(), 5u);
  EXPECT_EQ(height, 3 * H);
  auto cd = Draw(L"cd", {0, H, 0, 0}, DT_NOCLIP);
  EXPECT_EQ(d[2].position.x, cd[0].position.x);
  EXPECT_EQ(d[2].position.y, cd[0].position.y);
  // A word wider than the box is broken between letters; a box narrower than a letter keeps one a line.
  d = Draw(L"aaaaaaa", {0, 0, 3 * a, 480}, DT_WORDBREAK, &height);
  ASSERT_EQ(d.size(), 7u);
  EXPECT_EQ(height, 3 * H);
  EXPECT_EQ(d[3].position.x, d[0].position.x);
  EXPECT_EQ(d[6].position.y, d[0].position.y + 2 * H);
  Draw(L"aaa", {0, 0, 1, 480}, DT_WORDBREAK, &height);
  EXPECT_EQ(height, 3 * H);
}

TEST_F(FontLayout, AdvanceIgnoresKerningPairs) {
  // The letter after A moves by A's own advance whatever the pair.
  const int advanceA = Advance(L'A');
  for (const wchar_t* pair : {L"AV", L"AT", L"AY", L"Aw"}) {
    auto both = Draw(pair, {0, 0, 0, 0}, DT_NOCLIP);
    auto second = Draw(pair + 1, {0, 0, 0, 0}, DT_NOCLIP);
    ASSERT_EQ(both.size(), 2u);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(both[1].position.x - second[0].position.x, advanceA) << "pair " << char(pair[1]);
  }
}

TEST_F(FontLayout, CallersSpriteReceivesTheGlyphsAndKeepsItsOwnBatch) {
  RecordingSprite mine;
  RectI r{3, 4, 0, 0};
  mine.Begin(SPRITE_ALPHABLEND);
  EXPECT_GT(font->DrawText(&mine, L"2000", -1, &r, DT_NOCLIP, 0xFF00FF00u), 0);
  EXPECT_EQ(mine.draws.size(), 4u);
  EXPECT_EQ(mine.begins, 1);
  EXPECT_EQ(mine.ends, 0);
  EXPECT_EQ(device.counters.spritesMade, 0);
  // A new glyph while the caller's batch is open must not free the atlas its draws refer to.
  EXPECT_GT(font->DrawText(&mine, L"\u00e8", -1, &r, DT_NOCLIP, 0xFF00FF00u), 0);
  EXPECT_EQ(device.counters.texturesLive, 2);
  mine.End();
  font->OnLostDevice();
  EXPECT_EQ(device.LiveObjectCount(), 0u);
}

TEST_F(FontLayout, LostDeviceReleasesEverythingAndDrawingComesBackWithoutAReset) {
  Draw(L"2000", {0, 0, 0, 0}, DT_NOCLIP);
  EXPECT_EQ(device.LiveObjectCount(), 2u);  // atlas and sprite
  EXPECT_EQ(font->OnLostDevice(), S_OK);
  EXPECT_EQ(device.LiveObjectCount(), 0u);
  device.lastSprite = nullptr;
  auto d = Draw(L"2000", {0, 0, 0, 0}, DT_NOCLIP);
  EXPECT_EQ(d.size(), 4u);
  EXPECT_EQ(device.LiveObjectCount(), 2u);
  font.reset();
  EXPECT_EQ(device.LiveObjectCount(), 0u);
}

TEST_F(FontLayout, CountEmptyTextAndFailingTexturesDrawNothingPastTheirEnd) {
  EXPECT_EQ(Draw(L"2000", {0, 0, 0, 0}, DT_NOCLIP, nullptr, 2).size(), 2u);
  EXPECT_EQ(Draw(L"20", {0, 0, 0, 0}, DT_NOCLIP, nullptr, 1000).size(), 2u);  // never past the terminator
  int height = -1;
  EXPECT_TRUE(Draw(L"", {0, 0, 0, 0}, DT_NOCLIP, &height).empty());
  EXPECT_EQ(height, 0);
  RectI r{0, 0, 0, 0};
  EXPECT_EQ(font->DrawText(nullptr, nullptr, -1, &r, DT_NOCLIP, 0xFFFFFFFFu), 0);
  font->OnLostDevice();
  device.lastSprite = nullptr;
  device.failTextures = true;
  height = -1;
  EXPECT_TRUE(Draw(L"2000", {0, 0, 0, 0}, DT_NOCLIP, &height).empty());
  EXPECT_EQ(height, 0);
  device.failTextures = false;
  EXPECT_EQ(Draw(L"2000", {0, 0, 0, 0}, DT_NOCLIP).size(), 4u);
}

uint64_t InkOf(RecordingDevice& device, IFont& font, const wchar_t* text) {
  RecordingSprite mine;
  RectI r{0, 0, 0, 0};
  font.DrawText(&mine, text, -1, &r, DT_NOCLIP, 0xFFFFFFFFu);
  uint64_t sum = 0;
  for (const DrawCall& c : mine.draws)
    for (int y = c.src.top; y < c.src.bottom; ++y)
      for (int x = c.src.left; x < c.src.right; ++x) sum += device.lastTexture->At(x, y) >> 24;
  return sum;
}

TEST(FontFaces, AnyNameGivesAFontBoldHasMoreInkAndHeightPicksCharacterOrCell) {
  RecordingDevice device;
  std::unique_ptr<IFont> bold, regular, unknown, large, cell;
  ASSERT_EQ(CreateDeviceFont(device, -16, 700, L"MS Gothic", bold), S_OK);
  ASSERT_EQ(CreateDeviceFont(device, -16, 400, L"MS Gothic", regular), S_OK);
  ASSERT_EQ(CreateDeviceFont(device, -16, 700, L"No Such Face \u65e5\u672c", unknown), S_OK);
  ASSERT_EQ(CreateDeviceFont(device, -32, 700, L"MS Gothic", large), S_OK);
  ASSERT_EQ(CreateDeviceFont(device, 21, 700, L"MS Gothic", cell), S_OK);
  const uint64_t inkRegular = InkOf(device, *regular, L"2000 HMW");
  EXPECT_GT(InkOf(device, *bold, L"2000 HMW"), inkRegular + inkRegular / 10);
  EXPECT_GT(InkOf(device, *unknown, L"2000"), 0u);
  RectI r{0, 0, 0, 0};
  const int h16 = bold->DrawText(nullptr, L"A", -1, &r, DT_NOCLIP, 0xFFFFFFFFu);
  EXPECT_NEAR(large->DrawText(nullptr, L"A", -1, &r, DT_NOCLIP, 0xFFFFFFFFu), 2 * h16, 2);
  EXPECT_NEAR(cell->DrawText(nullptr, L"A", -1, &r, DT_NOCLIP, 0xFFFFFFFFu), 21, 1);
}

}  // namespace

namespace {

TEST(FontFaces, TheGameAsksForTheGothicOnlyByItsName) {
  auto gothic = FontFace::Open("MS Gothic", -16, 700);
  auto ipa = FontFace::Open("IPAGothic", -16, 400);
  auto unknown = FontFace::Open("No Such Face", -16, 700);
  auto sans = FontFace::Open("sans-serif", -16, 700);
  ASSERT_TRUE(gothic && ipa && unknown && sans);
  // Unknown names get the system's sans, not the gothic the system lists among its fallbacks.
  EXPECT_EQ(unknown->FamilyName(), sans->FamilyName());
  if (ipa->FamilyName() != "IPAGothic") GTEST_SKIP() << "IPAGothic is not installed";
  EXPECT_EQ(gothic->FamilyName(), "IPAGothic");
  EXPECT_TRUE(gothic->Emboldened());  // it has no bold face of its own
  EXPECT_EQ(gothic->LineHeight(), 16);  // one em, as the name's metrics promise
}

}  // namespace
