// Where the device font puts its glyphs, checked on the fake device that records sprite calls, and
// which face a name gets. The pictures themselves are golden scenes (tests/graphics).
#include <gtest/gtest.h>

#include "platform/graphics/font_face.h"
#include "tests/fakes/fake_graphics.h"

using namespace plat;

namespace {

struct DrawCall {
  RectI src;
  Vec3 position;
  uint32_t colour;
};

// Logs the glyph draws with where they go; the fake device's own sprites do not keep positions.
class RecordingSprite final : public ISprite {
 public:
  explicit RecordingSprite(int* live) : live_(live) { ++*live_; }
  ~RecordingSprite() override { --*live_; }
  Result Begin(uint32_t flags) override { return ++begins, lastFlags = flags, S_OK; }
  Result SetTransform(const Matrix& m) override { return transformed = !(m == Matrix::Identity()), S_OK; }
  Result Draw(const ITexture*, const RectI* src, const Vec3* centre, const Vec3* position, uint32_t colour) override {
    draws.push_back({src ? *src : RectI{}, position ? *position : Vec3{}, colour});
    return transformed = transformed || centre != nullptr, S_OK;
  }
  Result End() override { return ++ends, S_OK; }
  Result OnLostDevice() override { return S_OK; }
  Result OnResetDevice() override { return S_OK; }
  int begins = 0, ends = 0;
  uint32_t lastFlags = 0;
  bool transformed = false;
  std::vector<DrawCall> draws;

 private:
  int* live_;
};

// The fake device (it counts textures) with sprites that record.
class RecordingDevice final : public fake::FakeDevice {
 public:
  explicit RecordingDevice(std::shared_ptr<fake::FakeDeviceState> s) : FakeDevice(s), state(std::move(s)) {}
  Result CreateSprite(std::unique_ptr<ISprite>& out) override {
    auto sprite = std::make_unique<RecordingSprite>(&sprites);
    last = sprite.get();
    out = std::move(sprite);
    return ++spritesMade, S_OK;
  }
  uint32_t LiveObjectCount() const override { return state->liveObjects + uint32_t(sprites); }
  std::shared_ptr<fake::FakeDeviceState> state;
  int sprites = 0, spritesMade = 0;
  RecordingSprite* last = nullptr;
};

using Pos = std::pair<float, float>;
Pos P(const DrawCall& d) { return {d.position.x, d.position.y}; }

class FontLayout : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(CreateDeviceFont(device, -16, 700, L"MS Gothic", font), S_OK); }

  // Draws through the font's own sprite and returns what reached it.
  std::vector<DrawCall> Draw(const wchar_t* text, RectI rect, uint32_t format = DT_NOCLIP, int* height = nullptr,
                             uint32_t colour = 0xFFFF0000u) {
    if (device.last) device.last->draws.clear();
    const int h = font->DrawText(nullptr, text, -1, &rect, format, colour);
    if (height) *height = h;
    return device.last ? device.last->draws : std::vector<DrawCall>{};
  }
  // Where a text drawn alone from (x, y) puts its first glyph.
  Pos At(const wchar_t* text, int x, int y) { return P(Draw(text, {x, y, x, y}).at(0)); }
  int Advance(const wchar_t* pair) {  // pen advance of the first character of a pair
    const auto d = Draw(pair, {0, 0, 0, 0});
    return d.size() == 2 ? int(d[1].position.x - At(pair + 1, 0, 0).first) : -1;
  }

  RecordingDevice device{std::make_shared<fake::FakeDeviceState>()};
  std::unique_ptr<IFont> font;
};

TEST_F(FontLayout, NoClipDrawsFromTheCornerAtDepthZeroInTheTintInOneUntransformedBatch) {
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
  const RecordingSprite& own = *device.last;  // one untransformed, blended batch per string
  EXPECT_EQ(own.begins, 2);
  EXPECT_EQ(own.ends, 2);
  EXPECT_TRUE(own.lastFlags & SPRITE_ALPHABLEND);
  EXPECT_FALSE(own.transformed);
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
  int live = 0;
  RecordingSprite mine(&live);
  RectI r{3, 4, 0, 0};
  mine.Begin(SPRITE_ALPHABLEND);
  EXPECT_GT(font->DrawText(&mine, L"2000", -1, &r, DT_NOCLIP, 0xFF00FF00u), 0);
  EXPECT_GT(font->DrawText(&mine, L"\u00e8", -1, &r, DT_NOCLIP, 0xFF00FF00u), 0);
  EXPECT_EQ(mine.draws.size(), 5u);
  EXPECT_EQ(mine.begins, 1);
  EXPECT_EQ(mine.ends, 0);
  EXPECT_EQ(device.spritesMade, 0);
  EXPECT_EQ(device.state->liveObjects, 2u);  // both atlases
  mine.End();
  font->OnLostDevice();
  EXPECT_EQ(device.LiveObjectCount(), 0u);
}

TEST_F(FontLayout, LostDeviceReleasesEverythingAndDrawingComesBackWithoutAReset) {
  Draw(L"2000", {0, 0, 0, 0});
  EXPECT_EQ(device.LiveObjectCount(), 2u);  // atlas and sprite
  EXPECT_EQ(font->OnLostDevice(), S_OK);
  EXPECT_EQ(device.LiveObjectCount(), 0u);
  device.last = nullptr;  // went with the font's device objects
  EXPECT_EQ(Draw(L"2000", {0, 0, 0, 0}).size(), 4u);
  EXPECT_EQ(device.LiveObjectCount(), 2u);
  font.reset();
  EXPECT_EQ(device.LiveObjectCount(), 0u);
}

TEST(FontFaces, TheGothicOnlyByItsNameAndTheSystemSansForUnknownNames) {
  auto gothic = FontFace::Open("MS Gothic", -16, 700);
  auto ipa = FontFace::Open("IPAGothic", -16, 400);
  auto unknown = FontFace::Open("No Such Face", -16, 700);
  auto sans = FontFace::Open("sans-serif", -16, 700);
  ASSERT_TRUE(gothic && ipa && unknown && sans);
  // Not the gothic that the system lists among its fallbacks.
  EXPECT_EQ(unknown->FamilyName(), sans->FamilyName());
  if (ipa->FamilyName() != "IPAGothic") GTEST_SKIP() << "IPAGothic is not installed";
  EXPECT_EQ(gothic->FamilyName(), "IPAGothic");
  EXPECT_TRUE(gothic->Emboldened());  // it has no bold face of its own
  EXPECT_EQ(gothic->LineHeight(), 16);
}

}  // namespace
