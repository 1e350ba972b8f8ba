// The Scene's hit testing and batching, and its texture set over a recording device: cells, the
// tint, and entries across device loss.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <type_traits>

#include "game/font_renderer.h"
#include "game/scene.h"
#include "game/texture_set.h"
#include "tests/fakes/debug_capture.h"
#include "tests/fakes/fake_graphics.h"
#include "tests/support/test_support.h"

namespace {

Element Button(float x, float y, int32_t width, int32_t height) {
  Element e;
  e.ResetElement();
  e.SetPosition(x, y, 0);
  e.hitWidth = width;
  e.hitHeight = height;
  return e;
}

TEST(Scene, HitRectangleIsStrictOnTruncatedPositionWithoutOverflow) {
  struct Case {
    Element e;
    int32_t x, y;
    bool inside;
  };
  const Element far = Button(2.0e9f, 0, INT32_MAX, 10);
  const Case cases[] = {{Button(10.7f, 20.2f, 108, 28), 11, 21, true}, {Button(10.7f, 20.2f, 108, 28), 118, 21, false},
                        {Button(10.7f, 20.2f, 108, 28), 11, 48, false}, {Button(-5.9f, -0.5f, 10, 10), -4, 1, true},
                        {Button(-5.9f, -0.5f, 10, 10), -5, 1, false},   {far, INT32_MAX, 5, true},
                        {far, 5, 5, false}};
  for (const Case& c : cases) EXPECT_EQ(InsideHitRect(c.e, c.x, c.y), c.inside) << c.x << "," << c.y;
}

// A blank image of that size in the build folder; its path. Cells are cut by the file's size.
std::wstring Png(const std::string& name, uint32_t width, uint32_t height) {
  const std::string path = testsupport::BinaryPath("scene-test/" + name);
  EXPECT_TRUE(testsupport::WritePng(path, {width, height, std::vector<uint32_t>(size_t(width) * height)}));
  return std::wstring(path.begin(), path.end());
}

// (sprite object, draws) of each batch, in order.
std::vector<std::pair<int, int>> Batches(const fake::FakeDeviceState& state) {
  std::vector<std::pair<int, int>> out;
  for (const auto& e : state.sprites)
    if (e.kind == e.Begin) out.push_back({e.sprite, 0});
    else if (e.kind == e.Draw && !out.empty()) ++out.back().second;
  return out;
}

TEST(Scene, RunsOfOneTextureAreOneBatchAndAnUnknownImageDoesNotSplitThem) {
  CapturedSystem captured;
  auto deviceState = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device(deviceState);
  Scene scene;
  const std::wstring a = Png("A.png", 64, 64), b = Png("B.png", 64, 64);
  scene.AddTexture(a, 64, 64);  // sprite object 1
  scene.AddTexture(b, 64, 64);  // sprite object 2
  scene.Reset(&device, nullptr, nullptr);
  struct Case {
    std::vector<std::wstring> textures;
    std::vector<std::pair<int, int>> batches;
  };
  for (const Case& c : {Case{{a, b, a}, {{1, 1}, {2, 1}, {1, 1}}}, Case{{a, L"Nowhere.png", a, b}, {{1, 2}, {2, 1}}}}) {
    scene.Elements().clear();
    for (const std::wstring& name : c.textures) {
      scene.Elements().emplace_back().ResetElement();
      scene.Elements().back().SetElement(0, 0, 1, 0, name);
    }
    deviceState->sprites.clear();
    scene.Render(&device);
    EXPECT_EQ(Batches(*deviceState), c.batches);
  }
}

TEST(TextureSet, CellsGoRowByRowAndAnImageNarrowerThanACellDrawsNothing) {
  auto deviceState = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device(deviceState);
  TextureSet set;
  set.AddSprite(Png("Tall.png", 256, 384), 64, 128);
  set.AddSprite(Png("Narrow.png", 50, 64), 64, 64);
  set.ResetSprites(&device, nullptr, nullptr);
  struct Case {
    size_t index;
    int32_t cell;
    std::vector<plat::RectI> drawn;
  };
  for (const Case& c : {Case{0, 9, {{64, 256, 128, 384}}}, Case{0, 3, {{192, 0, 256, 128}}}, Case{1, 0, {}}}) {
    deviceState->sprites.clear();
    set.BeginBatch(c.index, 0x50);
    set.DrawSprite(&device, c.index, c.cell, {}, {}, {}, {1, 1, 1});
    set.EndBatch(c.index);
    std::vector<plat::RectI> drawn;
    for (const auto& d : deviceState->Draws()) drawn.push_back(d.src);
    EXPECT_EQ(drawn, c.drawn) << c.index << " " << c.cell;
  }
}

// Cell numbers come from the monster table: edges beyond the 32-bit range are held at its ends.
TEST(TextureSet, CellRectanglesSaturateAtTheInt32Limits) {
  constexpr int32_t kMax = INT32_MAX, kMin = INT32_MIN;
  struct Case {
    int32_t imageWidth, cellWidth, cellHeight, cell;
    plat::RectI rect;
  };
  const Case cases[] = {
      {128, 128, 32, 5, {0, 160, 128, 192}},
      {128, 128, 32, 67108863, {0, 2147483616, 128, kMax}},  // the bottom edge is 2^31
      {128, 128, 32, 67108864, {0, kMax, 128, kMax}},
      {256, 128, 32, kMax, {128, kMax, 256, kMax}},
      {256, 128, 32, kMin, {kMin, 0, kMin, 32}},
      {kMax, kMax, kMax, 1, {0, kMax, kMax, kMax}},
      {kMax, 1, 1, kMin + 1, {kMin + 1, 0, kMin + 2, 1}},
  };
  for (const Case& c : cases) {
    Sprite sprite;
    sprite.imageWidth = c.imageWidth;
    sprite.cellWidth = c.cellWidth;
    sprite.cellHeight = c.cellHeight;
    plat::RectI rect;
    ASSERT_TRUE(sprite.CellRect(c.cell, rect));
    EXPECT_EQ(rect, c.rect) << c.imageWidth << " " << c.cellWidth << "x" << c.cellHeight << " cell " << c.cell;
  }
}

TEST(TextureSet, TintRoundsHalfToEvenAndWrapsWhileTheFontsColourClamps) {
  EXPECT_EQ(ToColour32({0.5f, 0.5f, 0.5f, 0.5f}), 0x80808080u);  // 127.5 to 128
  EXPECT_EQ(ToColour32({-0.2f, 0, 0, 0}), 0x00CD0000u);           // -51 keeps 205
  EXPECT_EQ(ToColour32({1.5f, 2.5f, 0, 0}), 0x007E7E00u);         // 382.5 to 382, 637.5 to 638
  EXPECT_EQ(ToColour32({1e30f, -1e30f, INFINITY, NAN}), 0u);      // no overflow on wild values
  EXPECT_EQ(ToColour32Clamped({1.5f, -0.2f, 0.5f, 1}), 0xFFFF0080u);
  EXPECT_EQ(ToColour32Clamped({0.2f, 0.998f, NAN, 2}), 0xFF33FE00u);  // 51.5 and 254.99 truncate
}

TEST(TextureSet, EntriesFollowTheDeviceAndAMissingImageKeepsItsEntry) {
  CapturedSystem captured;
  auto deviceState = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device(deviceState);
  deviceState->missingFiles.insert(L"Data2/Missing.png");
  TextureSet set;
  set.AddSprite(L"Data2/Monster.png", 64, 64);
  set.AddSprite(L"Data2/Missing.png", 64, 64);
  set.ResetSprites(&device, nullptr, nullptr);
  EXPECT_EQ(deviceState->liveObjects, 3u);  // two sprite objects, one texture
  EXPECT_EQ(set.At(1).texture, nullptr);
  EXPECT_NE(captured.Joined().find(L"Data2/Missing.png"), std::wstring::npos) << captured.Joined();
  set.BeginBatch(1, 0x50);
  set.DrawSprite(&device, 1, 0, {}, {}, {}, {1, 1, 1});
  set.EndBatch(1);
  EXPECT_TRUE(deviceState->Draws().empty());
  EXPECT_THROW(set.BeginBatch(2, 0x50), std::out_of_range);

  set.ReleaseSprites();
  EXPECT_EQ(deviceState->liveObjects, 0u);
  EXPECT_EQ(set.Count(), 2u);
  const int texturesBefore = deviceState->texturesMade;
  set.ResetSprites(&device, nullptr, nullptr);
  EXPECT_EQ(deviceState->texturesMade, texturesBefore + 1);  // read from the file again
  EXPECT_EQ(deviceState->liveObjects, 3u);
  // Growing the set moves entries without dropping or duplicating their objects.
  static_assert(!std::is_copy_constructible_v<Sprite> && std::is_nothrow_move_constructible_v<Sprite>);
  for (int i = 0; i < 20; ++i) set.AddSprite(L"Data2/Extra" + std::to_wstring(i) + L".png", 8, 8);
  set.ResetSprites(&device, nullptr, nullptr);
  EXPECT_EQ(deviceState->liveObjects, 3u + 20u * 2u);
  set.ClearSprites();
  EXPECT_EQ(set.Count(), 0u);
  EXPECT_EQ(deviceState->liveObjects, 0u);
}

}  // namespace
