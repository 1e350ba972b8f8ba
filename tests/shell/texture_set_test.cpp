// The texture set over the recording device: the tint, entries that follow the device, and
// images that cannot be read.
#include <cmath>
#include <stdexcept>
#include <type_traits>

#include "game/texture_set.h"
#include "tests/shell/workspace.h"

namespace {

using TextureSetTest = Workspace;

TEST_F(TextureSetTest, TintRoundsHalfToEvenAndWraps) {
  EXPECT_EQ(ToColour32({0.5f, 0.5f, 0.5f, 0.5f}), 0x80808080u);  // 127.5 to 128
  EXPECT_EQ(ToColour32({-0.2f, 0, 0, 0}), 0x00CD0000u);           // -51 keeps 205
  EXPECT_EQ(ToColour32({1.5f, 2.5f, 0, 0}), 0x007E7E00u);         // 382.5 to 382, 637.5 to 638
  EXPECT_EQ(ToColour32({1e30f, -1e30f, INFINITY, NAN}), 0u);      // no overflow on wild values
}

TEST_F(TextureSetTest, EntriesFollowTheDeviceAndAMissingImageKeepsItsEntry) {
  WriteImage("Data2/Monster.png", 256, 192);
  deviceState_->missingFiles.insert(L"Data2/Missing.png");
  TextureSet set;
  set.AddSprite(L"Data2/Monster.png", 64, 64);
  set.AddSprite(L"Data2/Missing.png", 64, 64);
  set.ResetSprites(&device_, nullptr, nullptr);
  EXPECT_EQ(deviceState_->liveObjects, 3u);  // two sprite objects, one texture
  EXPECT_EQ(set.At(1).texture, nullptr);
  EXPECT_NE(system_.Joined().find(L"Data2/Missing.png"), std::wstring::npos) << system_.Joined();
  set.BeginBatch(1, 0x50);
  set.DrawSprite(&device_, 1, 0, {}, {}, {}, {1, 1, 1});
  set.EndBatch(1);
  EXPECT_TRUE(deviceState_->Draws().empty());
  EXPECT_THROW(set.BeginBatch(2, 0x50), std::out_of_range);

  set.ReleaseSprites();
  EXPECT_EQ(deviceState_->liveObjects, 0u);
  EXPECT_EQ(set.Count(), 2u);
  const int texturesBefore = deviceState_->texturesMade;
  set.ResetSprites(&device_, nullptr, nullptr);
  EXPECT_EQ(deviceState_->texturesMade, texturesBefore + 1);  // read from the file again
  EXPECT_EQ(deviceState_->liveObjects, 3u);
  // Growing the set moves entries without dropping or duplicating their objects.
  static_assert(!std::is_copy_constructible_v<Sprite> && std::is_nothrow_move_constructible_v<Sprite>);
  for (int i = 0; i < 20; ++i) {
    deviceState_->missingFiles.insert(L"Data2/Extra" + std::to_wstring(i) + L".png");
    set.AddSprite(L"Data2/Extra" + std::to_wstring(i) + L".png", 8, 8);
  }
  set.ResetSprites(&device_, nullptr, nullptr);
  EXPECT_EQ(deviceState_->liveObjects, 3u + 20u);
  set.ClearSprites();
  EXPECT_EQ(set.Count(), 0u);
  EXPECT_EQ(deviceState_->liveObjects, 0u);
}

}  // namespace
