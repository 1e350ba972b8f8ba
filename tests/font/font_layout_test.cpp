// Where the device font puts its glyphs, checked on the fake device that records sprite calls, and
// which face an unknown name gets. The pictures themselves are golden scenes (tests/graphics).
#include <gtest/gtest.h>

#include "platform/graphics/font_face.h"
#include "tests/fakes/fake_graphics.h"

using namespace plat;

namespace {

using Event = fake::FakeDeviceState::SpriteEvent;
using Pos = std::pair<float, float>;
Pos P(const Event& d) { return {d.position.x, d.position.y}; }

class FontLayout : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CreateDeviceFont(device, -16, 700, L"MS Gothic", font), S_OK); }

  // Draws through the font's own sprite and returns the glyphs' draws.
  std::vector<Event> Draw(const wchar_t* text, RectI rect, uint32_t format = DT_NOCLIP, int* height = nullptr,
                          uint32_t colour = 0xFFFF0000u) {
    state->sprites.clear();
    const int h = font->DrawText(nullptr, text, -1, &rect, format, colour);
    if (height) *height = h;
    return state->Draws();
  }
  // Where a text drawn alone from (x, y) puts its first glyph.
  Pos At(const wchar_t* text, int x, int y) { return P(Draw(text, {x, y, x, y}).at(0)); }
  int Advance(const wchar_t* pair) {  // pen advance of the first character of a pair
    const auto d = Draw(pair, {0, 0, 0, 0});
    return d.size() == 2 ? int(d[1].position.x - At(pair + 1, 0, 0).first) : -1;
  }

  std::shared_ptr<fake::FakeDeviceState> state = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device{state};
  std::unique_ptr<IFont> font;
};

TEST_F(FontLayout, NoClipDrawsFromTheCornerAtDepthZeroInTheTintInOneBatch) {
  int height = 0;
  const auto at0 = Draw(L"2000", {0, 0, 0, 0}, DT_NOCLIP, &height);
  const auto moved = Draw(L"2000", {110, 70, 110, 70}, DT_NOCLIP, nullptr, 0x80123456u);
  ASSERT_EQ(at0.size(), 4u);
  ASSERT_EQ(moved.size(), 4u);
  EXPECT_GE(height, 14);
  EXPECT_LE(height, 24);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(P(moved[i]), Pos(at0[i].position.x + 110, at0[i].position.y + 70));
    EXPECT_EQ(moved[i].position.z, 0.0f);
    EXPECT_EQ(moved[i].colour, 0x80123456u);
    EXPECT_EQ(moved[i].src, at0[i].src);  // nothing cut off by the empty rectangle
  }
  EXPECT_EQ(at0[1].src, at0[2].src);
  EXPECT_EQ(at0[2].position.x - at0[1].position.x, at0[3].position.x - at0[2].position.x);
  // One blended batch per string, on the one sprite the font keeps.
  EXPECT_EQ(state->Count(Event::Begin), 1);
  EXPECT_EQ(state->Count(Event::End), 1);
  EXPECT_TRUE(state->sprites.front().flags & SPRITE_ALPHABLEND);
  EXPECT_EQ(state->spritesMade, 1);
}

TEST_F(FontLayout, WrapsBeforeTheWordThatWouldPassTheRightEdgeWithoutKerning) {
  const int a = Advance(L"aa"), b = Advance(L"bb");
  for (const wchar_t* pair : {L"AV", L"AT", L"Aw"}) EXPECT_EQ(Advance(pair), Advance(L"AA")) << "kerned";
  const int space = int(Draw(L"a a", {0, 0, 0, 0}).at(1).position.x) - a - int(At(L"a", 0, 0).first);
  int H = 0;
  Draw(L"A", {0, 0, 0, 0}, DT_NOCLIP, &H);
  const int fits = 3 * a + space + 3 * b;  // exactly "aaa bbb"
  int height = 0;
  // Exactly wide enough: "bbb" stays up, "ccc" starts the second line at the left edge.
  auto d = Draw(L"aaa bbb ccc", {40, 30, 40 + fits, 480}, DT_WORDBREAK, &height);
  ASSERT_EQ(d.size(), 9u);  // spaces have no ink
  EXPECT_EQ(height, 2 * H);
  EXPECT_EQ(P(d[3]), At(L"b", 40 + 3 * a + space, 30));
  EXPECT_EQ(P(d[6]), At(L"c", 40, 30 + H));
  // One pixel less and "bbb" goes down too.
  d = Draw(L"aaa bbb ccc", {40, 30, 40 + fits - 1, 480}, DT_WORDBREAK, &height);
  ASSERT_EQ(d.size(), 9u);
  EXPECT_EQ(height, 3 * H);
  EXPECT_EQ(P(d[3]), At(L"b", 40, 30 + H));
  EXPECT_EQ(P(d[6]), At(L"c", 40, 30 + 2 * H));
  // Without the flag the same box keeps one line and NOCLIP lets it run past the edge.
  d = Draw(L"aaa bbb ccc", {40, 30, 40 + fits, 480}, DT_NOCLIP, &height);
  EXPECT_EQ(height, H);
  EXPECT_GT(d.at(8).position.x, 40 + fits);
  // Line feeds break lines; a word wider than the box breaks between letters.
  d = Draw(L"ab\r\ncd\ne", {0, 0, 0, 0}, DT_NOCLIP, &height);
  ASSERT_EQ(d.size(), 5u);
  EXPECT_EQ(height, 3 * H);
  EXPECT_EQ(P(d[2]), At(L"c", 0, H));
  d = Draw(L"aaaaaaa", {0, 0, 3 * a, 480}, DT_WORDBREAK, &height);
  EXPECT_EQ(height, 3 * H);
  EXPECT_EQ(P(d.at(6)), At(L"a", 0, 2 * H));
}

// A new glyph while the caller's batch is open must not free the atlas its draws refer to.
TEST_F(FontLayout, CallersSpriteReceivesTheGlyphsAndKeepsItsOwnBatch) {
  std::unique_ptr<ISprite> mine;
  ASSERT_EQ(device.CreateSprite(mine), S_OK);
  RectI r{3, 4, 0, 0};
  mine->Begin(SPRITE_ALPHABLEND);
  EXPECT_GT(font->DrawText(mine.get(), L"2000", -1, &r, DT_NOCLIP, 0xFF00FF00u), 0);
  EXPECT_GT(font->DrawText(mine.get(), L"\u00e8", -1, &r, DT_NOCLIP, 0xFF00FF00u), 0);
  EXPECT_EQ(state->Draws().size(), 5u);
  EXPECT_EQ(state->sprites.size(), 6u);  // the caller's Begin and the draws: nothing else
  EXPECT_EQ(state->spritesMade, 1);
  EXPECT_EQ(state->liveObjects, 3u);  // the caller's sprite and both atlases
  mine->End();
  font->OnLostDevice();
  EXPECT_EQ(state->liveObjects, 1u);
}

TEST_F(FontLayout, LostDeviceReleasesEverythingAndDrawingComesBackWithoutAReset) {
  Draw(L"2000", {0, 0, 0, 0});
  EXPECT_EQ(state->liveObjects, 2u);  // atlas and sprite
  EXPECT_EQ(font->OnLostDevice(), S_OK);
  EXPECT_EQ(state->liveObjects, 0u);
  EXPECT_EQ(Draw(L"2000", {0, 0, 0, 0}).size(), 4u);
  EXPECT_EQ(state->liveObjects, 2u);
  font.reset();
  EXPECT_EQ(state->liveObjects, 0u);
}

// The gothic the game names is in the golden text scenes; an unknown name must not get it too,
// although the system lists it among its fallbacks.
TEST(FontFaces, UnknownNamesGetTheSystemSans) {
  auto unknown = FontFace::Open("No Such Face", -16, 700);
  auto sans = FontFace::Open("sans-serif", -16, 700);
  ASSERT_TRUE(unknown && sans);
  EXPECT_EQ(unknown->FamilyName(), sans->FamilyName());
}

}  // namespace
