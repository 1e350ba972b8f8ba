// The Scene and its texture set over a recording device: hit testing and the click scan, the
// monster table check that ends a game which cannot be played, the tint, and texture entries
// across device loss.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <type_traits>

#include "common/app.h"
#include "game/scene.h"
#include "game/texture_set.h"
#include "platform/services.h"
#include "tests/fakes/debug_capture.h"
#include "tests/fakes/fake_graphics.h"

namespace {

// Serves `monsterFile` for every file read.
struct System : DebugCapture {
  std::wstring monsterFile;
  bool ReadWholeFile(const std::wstring&, std::vector<uint8_t>& bytes) const override {
    for (wchar_t c : monsterFile) bytes.insert(bytes.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
    return true;
  }
};

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::Services services;
    services.system = &system_;
    plat::SetServices(services);
  }
  void TearDown() override { plat::SetServices(plat::Services{}); }

  System system_;
  std::shared_ptr<fake::FakeDeviceState> deviceState_ = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device_{deviceState_};
};

Element Button(float x, float y, int32_t width, int32_t height, bool click = false) {
  Element e;
  e.ResetElement();
  e.SetElement(0, 0, 1, 0, kTexBattleHilite);
  e.SetPosition(x, y, 0);
  e.hitWidth = width;
  e.hitHeight = height;
  e.hoverEnabled = 1;
  e.clickEnabled = click;
  return e;
}

TEST_F(SceneTest, HitRectangleIsStrictOnTruncatedPositionWithoutOverflow) {
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

TEST_F(SceneTest, HoverFollowsThePointerAndTheFirstClickEndsTheScan) {
  Scene scene;
  ElementList& list = scene.Elements();
  list = {Button(100, 100, 50, 20, true), Button(100, 100, 50, 20), Button(300, 300, 50, 20),
          Button(100, 100, 50, 20)};
  list[2].cell = 5;
  list[3].visible = 0;
  list[3].cell = 9;
  EXPECT_EQ(scene.Mouse(false, false, 120, 110), 1);  // a move
  EXPECT_EQ(list[1].cell, 1);
  EXPECT_EQ(list[2].cell, 0);
  EXPECT_EQ(list[3].cell, 9);  // hidden

  list[1].cell = 7;
  scene.Mouse(true, false, 121, 111);  // a press on the first: the rest keep their cells
  EXPECT_EQ(list[0].cell, 1);
  EXPECT_EQ(list[1].cell, 7);
}

TEST_F(SceneTest, ShortMonsterTableEndsTheGameWithMediaNotFound) {
  system_.monsterFile = L"name\thp\tspeed\n";
  for (int r = 0; r < 3; ++r)  // the starting hands reach monster 7
    system_.monsterFile += L"1\t100\t100\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\n";
  Scene scene;
  scene.Load();
  EXPECT_EQ(AppGetExitCode(), 4);
  const std::wstring out = system_.Joined();
  EXPECT_NE(out.find(L"Data2/monster.txt: 3 monster records found, 8 needed\n"), std::wstring::npos) << out;
  EXPECT_EQ(system_.boxes, 1);
}

TEST_F(SceneTest, TintRoundsHalfToEvenAndWraps) {
  EXPECT_EQ(ToColour32({0.5f, 0.5f, 0.5f, 0.5f}), 0x80808080u);  // 127.5 to 128
  EXPECT_EQ(ToColour32({-0.2f, 0, 0, 0}), 0x00CD0000u);           // -51 keeps 205
  EXPECT_EQ(ToColour32({1.5f, 2.5f, 0, 0}), 0x007E7E00u);         // 382.5 to 382, 637.5 to 638
  EXPECT_EQ(ToColour32({1e30f, -1e30f, INFINITY, NAN}), 0u);      // no overflow on wild values
}

TEST_F(SceneTest, TextureEntriesFollowTheDeviceAndAMissingImageKeepsItsEntry) {
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
  for (int i = 0; i < 20; ++i) set.AddSprite(L"Data2/Extra" + std::to_wstring(i) + L".png", 8, 8);
  set.ResetSprites(&device_, nullptr, nullptr);
  EXPECT_EQ(deviceState_->liveObjects, 3u + 20u * 2u);
  set.ClearSprites();
  EXPECT_EQ(set.Count(), 0u);
  EXPECT_EQ(deviceState_->liveObjects, 0u);
}

}  // namespace
