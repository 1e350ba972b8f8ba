// Texture set and sprite drawing over the recording device: cell rectangles, the sprite
// transformation, the tint, entries that follow the device, and images that cannot be read.
#include <cmath>
#include <stdexcept>
#include <type_traits>

#include "game/texture_set.h"
#include "tests/shell/workspace.h"

namespace {

using fake::FakeDeviceState;

class TextureSetTest : public Workspace {
 protected:
  // Adds the image and loads it with the test's device.
  size_t Load(TextureSet& set, const std::wstring& name, int32_t cellWidth, int32_t cellHeight) {
    set.AddSprite(name, cellWidth, cellHeight);
    set.ResetSprites(&device_, nullptr, nullptr);
    return static_cast<size_t>(set.Find(name));
  }
  plat::RectI DrawnSource(TextureSet& set, size_t index, int32_t cell) {
    const size_t before = deviceState_->Draws().size();
    set.BeginBatch(index, 0x50);
    set.DrawSprite(&device_, index, cell, {}, {}, {}, {1, 1, 1});
    set.EndBatch(index);
    const auto draws = deviceState_->Draws();
    EXPECT_EQ(draws.size(), before + 1);
    return draws.empty() ? plat::RectI{} : draws.back().src;
  }
};

TEST_F(TextureSetTest, CellsAreNumberedRowByRow) {
  WriteImage("Data2/BattleHilite.png", 108, 56);
  WriteImage("Data2/TimeBar.png", 128, 64);
  TextureSet set;
  const size_t hilite = Load(set, L"Data2/BattleHilite.png", 108, 28);
  const size_t bar = Load(set, L"Data2/TimeBar.png", 32, 32);

  // One column: cell 1 is the second row.
  EXPECT_EQ(DrawnSource(set, hilite, 1), (plat::RectI{0, 28, 108, 56}));
  EXPECT_EQ(DrawnSource(set, bar, 5), (plat::RectI{32, 32, 64, 64}));
  EXPECT_EQ(DrawnSource(set, bar, 4), (plat::RectI{0, 32, 32, 64}));
}

TEST_F(TextureSetTest, NothingIsDrawnWithoutAWholeCellAcross) {
  WriteImage("Data2/Narrow.png", 50, 64);
  TextureSet set;
  const size_t narrow = Load(set, L"Data2/Narrow.png", 64, 64);
  Sprite& sprite = const_cast<Sprite&>(set.At(narrow));
  EXPECT_EQ(sprite.DrawCell(&device_, 0, {}, {}, {}, {1, 1, 1}), E_FAIL);
  sprite.cellWidth = -8;
  EXPECT_EQ(sprite.DrawCell(&device_, 0, {}, {}, {}, {1, 1, 1}), E_FAIL);
  EXPECT_TRUE(deviceState_->Draws().empty());
}

TEST_F(TextureSetTest, CellIsScaledAtItsCornerAndTurnedAboutItsCentre) {
  WriteImage("Data2/Monster.png", 256, 192);
  TextureSet set;
  const size_t monster = Load(set, L"Data2/Monster.png", 64, 64);

  set.BeginBatch(monster, 0x50);
  // Mirrored left to right: the cell's left edge lands 64 pixels right of the position.
  set.DrawSprite(&device_, monster, 0, {100, 50, 0.25f}, {}, {0, 1, 0}, {1, 1, 1});
  // Doubled in width, unturned: the right edge lands 128 pixels right.
  set.DrawSprite(&device_, monster, 0, {100, 50, 0.3f}, {}, {0, 0, 0}, {2, 1, 1});
  set.EndBatch(monster);
  const auto draws = deviceState_->Draws();
  ASSERT_EQ(draws.size(), 2u);

  const plat::Vec3 mirroredLeft = plat::TransformCoord({0, 0, 0}, draws[0].transform);
  const plat::Vec3 mirroredRight = plat::TransformCoord({64, 64, 0}, draws[0].transform);
  EXPECT_NEAR(mirroredLeft.x, 164, 1e-3);
  EXPECT_NEAR(mirroredRight.x, 100, 1e-3);

  const plat::Vec3 corner = plat::TransformCoord({0, 0, 0}, draws[1].transform);
  const plat::Vec3 far = plat::TransformCoord({64, 64, 0}, draws[1].transform);
  EXPECT_NEAR(corner.x, 100, 1e-3);
  EXPECT_NEAR(far.x, 228, 1e-3);
  // Depth: the position's z plus 0.01, the sum formed in double.
  EXPECT_EQ(corner.z, static_cast<float>(static_cast<double>(0.3f) + 0.01));
}

TEST_F(TextureSetTest, TintRoundsHalfToEvenAndWraps) {
  EXPECT_EQ(ToColour32({0.5f, 0.5f, 0.5f, 0.5f}), 0x80808080u);     // 127.5 to 128
  EXPECT_EQ(ToColour32({-0.2f, 0, 0, 0}), 0x00CD0000u);              // -51 keeps 205
  EXPECT_EQ(ToColour32({1.5f, 2.5f, 0, 0}), 0x007E7E00u);            // 382.5 to 382, 637.5 to 638
  EXPECT_EQ(ToColour32({1e30f, -1e30f, INFINITY, NAN}), 0u);         // no overflow on wild values

  WriteImage("Data2/Monster.png", 256, 192);
  TextureSet set;
  const size_t monster = Load(set, L"Data2/Monster.png", 64, 64);
  set.BeginBatch(monster, 0x50);
  set.DrawSprite(&device_, monster, 0, {}, {0, 1, 0.5f, 1}, {}, {1, 1, 1});
  set.EndBatch(monster);
  ASSERT_EQ(deviceState_->Draws().size(), 1u);
  EXPECT_EQ(deviceState_->Draws()[0].colour, 0xFF00FF80u);
}

TEST_F(TextureSetTest, EntriesFollowTheDevice) {
  WriteImage("Data2/Monster.png", 256, 192);
  WriteImage("Data2/TimeBar.png", 128, 64);
  TextureSet set;
  Load(set, L"Data2/Monster.png", 64, 64);
  Load(set, L"Data2/TimeBar.png", 32, 32);
  EXPECT_EQ(deviceState_->liveObjects, 4u);  // a texture and a sprite object each

  set.ReleaseSprites();
  EXPECT_EQ(deviceState_->liveObjects, 0u);
  EXPECT_EQ(set.Count(), 2u);

  const int texturesBefore = deviceState_->texturesMade;
  set.ResetSprites(&device_, nullptr, nullptr);
  EXPECT_EQ(deviceState_->texturesMade, texturesBefore + 2);  // read from the files again
  EXPECT_EQ(deviceState_->liveObjects, 4u);

  // Growing the set moves entries without dropping or duplicating their objects.
  for (int i = 0; i < 20; ++i) {
    const std::wstring name = L"Data2/Extra" + std::to_wstring(i) + L".png";
    deviceState_->missingFiles.insert(name);
    set.AddSprite(name, 8, 8);
  }
  set.ResetSprites(&device_, nullptr, nullptr);
  EXPECT_EQ(deviceState_->liveObjects, 4u + 20u);  // the missing extras still get sprite objects

  set.ClearSprites();
  EXPECT_EQ(set.Count(), 0u);
  EXPECT_EQ(deviceState_->liveObjects, 0u);
  static_assert(!std::is_copy_constructible_v<Sprite> && std::is_nothrow_move_constructible_v<Sprite>);
}

TEST_F(TextureSetTest, MissingImageKeepsItsEntryAndNamesTheFile) {
  deviceState_->missingFiles.insert(L"Data2/Missing.png");
  TextureSet set;
  const size_t missing = Load(set, L"Data2/Missing.png", 64, 64);
  ASSERT_EQ(set.Count(), 1u);
  EXPECT_EQ(set.At(missing).texture, nullptr);
  EXPECT_NE(system_.Joined().find(L"Data2/Missing.png"), std::wstring::npos) << system_.Joined();

  Sprite& sprite = const_cast<Sprite&>(set.At(missing));
  EXPECT_EQ(sprite.ResetSprite(&device_), E_FAIL);
  set.BeginBatch(missing, 0x50);
  set.DrawSprite(&device_, missing, 0, {}, {}, {}, {1, 1, 1});
  set.EndBatch(missing);
  EXPECT_TRUE(deviceState_->Draws().empty());
}

TEST_F(TextureSetTest, BatchIndexIsRangeChecked) {
  WriteImage("Data2/Monster.png", 256, 192);
  TextureSet set;
  Load(set, L"Data2/Monster.png", 64, 64);
  EXPECT_THROW(set.BeginBatch(1, 0x50), std::out_of_range);
  EXPECT_THROW(set.DrawSprite(&device_, 1, 0, {}, {}, {}, {1, 1, 1}), std::out_of_range);
  EXPECT_THROW(set.EndBatch(7), std::out_of_range);
}

}  // namespace
