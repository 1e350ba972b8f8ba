// The Scene over the recording device: texture batches, hit testing, hover and clicks,
// loading, and the monster table check that ends a game which cannot be played.
#include "common/app.h"
#include "game/scene.h"
#include "tests/shell/workspace.h"

namespace {

Element Sprite(const wchar_t* texture, int32_t id = 0, int32_t kind = 0) {
  Element e;
  e.ResetElement();
  e.SetElement(id, kind, 1, 0, texture);
  return e;
}

Element Button(float x, float y, int32_t width, int32_t height, bool hover, bool click, int32_t kind = 0) {
  Element e = Sprite(kTexBattleHilite, 0, kind);
  e.SetPosition(x, y, 0);
  e.hitWidth = width;
  e.hitHeight = height;
  e.hoverEnabled = hover;
  e.clickEnabled = click;
  return e;
}

class SceneTest : public Workspace {
 protected:
  // The Scene's images loaded with the test's device, and its list emptied.
  void LoadImages(Scene& scene) {
    WriteGameImages();
    WriteMonsterTable(8);
    scene.Load();
    scene.Reset(&device_, nullptr, nullptr);
    scene.Elements().clear();
    deviceState_->sprites.clear();
  }

  // (sprite object, draws) for each batch drawn, in order.
  std::vector<std::pair<int, int>> Batches() const {
    std::vector<std::pair<int, int>> batches;
    for (const auto& event : deviceState_->sprites) {
      if (event.kind == fake::FakeDeviceState::SpriteEvent::Begin) {
        EXPECT_EQ(event.flags, 0x50u);
        batches.push_back({event.sprite, 0});
      } else if (event.kind == fake::FakeDeviceState::SpriteEvent::Draw && !batches.empty()) {
        ++batches.back().second;
      }
    }
    return batches;
  }
  // Sprite object of the Scene's texture `name` (objects are numbered in order of creation).
  int SpriteOf(Scene& scene, const wchar_t* name) {
    const int index = scene.Textures().Find(name);
    deviceState_->sprites.clear();
    scene.Textures().BeginBatch(size_t(index), 0);
    scene.Textures().EndBatch(size_t(index));
    const int id = deviceState_->sprites.empty() ? -1 : deviceState_->sprites.front().sprite;
    deviceState_->sprites.clear();
    return id;
  }
};

TEST_F(SceneTest, HitRectangleIsStrictOnTruncatedPosition) {
  Element e = Button(10.7f, 20.2f, 108, 28, true, false);
  EXPECT_TRUE(InsideHitRect(e, 11, 21));
  EXPECT_FALSE(InsideHitRect(e, 118, 21));
  EXPECT_FALSE(InsideHitRect(e, 11, 48));
  Element left = Button(-5.9f, -0.5f, 10, 10, true, false);
  EXPECT_TRUE(InsideHitRect(left, -4, 1));
  EXPECT_FALSE(InsideHitRect(left, -5, 1));
  // Far-off rectangles are compared without overflow.
  Element far = Button(2.0e9f, 0, INT32_MAX, 10, true, false);
  EXPECT_TRUE(InsideHitRect(far, INT32_MAX, 5));
  EXPECT_FALSE(InsideHitRect(far, 5, 5));
}

TEST_F(SceneTest, HoverFollowsThePointerAndTheFirstClickEndsTheScan) {
  Scene scene;
  ElementList& list = scene.Elements();
  list.push_back(Button(100, 100, 50, 20, true, true));    // clickable, kind the battle ignores
  list.push_back(Button(100, 100, 50, 20, true, false));   // under it, hover only
  list.push_back(Button(300, 300, 50, 20, true, false));   // elsewhere
  Element hidden = Button(100, 100, 50, 20, true, false);
  hidden.visible = 0;
  hidden.cell = 9;
  list.push_back(hidden);
  list[2].cell = 5;

  EXPECT_EQ(scene.Mouse(false, false, 120, 110), 1);  // a move
  EXPECT_EQ(list[1].cell, 1);
  EXPECT_EQ(list[2].cell, 0);
  EXPECT_EQ(list[3].cell, 9);

  list[1].cell = 7;
  scene.Mouse(true, false, 121, 111);  // a press on the first: the rest keep their cells
  EXPECT_EQ(list[0].cell, 1);
  EXPECT_EQ(list[1].cell, 7);
}

TEST_F(SceneTest, ClickReachesTheBattleEvenWhileMoving) {
  Scene scene;
  LoadImages(scene);
  scene.State().SetStartingHand(kPlayer);
  scene.State().openMenu = kBarPlayerAvatar;
  // The avatar's command menu: its first row summons.
  Battle().OpenCommandMenu(scene.Elements(), {0, 1, 2, 3}, {});
  const size_t before = scene.Elements().size();
  Element* row = nullptr;
  for (Element& e : scene.Elements()) {
    if (e.id == kIdCommandRow0) row = &e;
  }
  ASSERT_NE(row, nullptr);
  const int x = static_cast<int>(row->position.x) + 5, y = static_cast<int>(row->position.y) + 5;
  scene.Mouse(false, false, x, y);
  EXPECT_EQ(scene.Elements().size(), before);  // a move alone clicks nothing
  scene.Mouse(true, false, x, y);              // a drag with the button held is a click
  EXPECT_GT(scene.Elements().size(), before);  // the click built the selection menu
}

TEST_F(SceneTest, RunsOfOneTextureAreOneBatch) {
  Scene scene;
  LoadImages(scene);
  const int monster = SpriteOf(scene, kTexMonster);
  const int bar = SpriteOf(scene, kTexTimeBar);
  ASSERT_NE(monster, bar);

  ElementList& list = scene.Elements();
  list = {Sprite(kTexMonster), Sprite(kTexTimeBar), Sprite(kTexMonster)};
  scene.Render(&device_);
  EXPECT_EQ(Batches(), (std::vector<std::pair<int, int>>{{monster, 1}, {bar, 1}, {monster, 1}}));

  // An unknown texture or a hidden element between two of the same image does not split them.
  deviceState_->sprites.clear();
  Element hidden = Sprite(kTexTimeBar);
  hidden.visible = 0;
  list = {Sprite(kTexMonster), Sprite(L"Data2/Nowhere.png"), hidden, Sprite(kTexMonster), Sprite(kTexTimeBar)};
  scene.Render(&device_);
  EXPECT_EQ(Batches(), (std::vector<std::pair<int, int>>{{monster, 2}, {bar, 1}}));
  ASSERT_FALSE(deviceState_->sprites.empty());
  EXPECT_EQ(deviceState_->sprites.back().kind, fake::FakeDeviceState::SpriteEvent::End);
}

TEST_F(SceneTest, LoadReadsEverythingAgainAndFrameMoveStartsANewBattle) {
  WriteGameImages();
  WriteMonsterTable(8);
  Scene scene;
  scene.Create(&device_);
  scene.Load();
  EXPECT_EQ(scene.AddTexture(L"", 8, 8), E_FAIL);
  ASSERT_EQ(scene.Textures().Count(), 8u);
  EXPECT_EQ(scene.State().monsters.size(), 8u);
  EXPECT_EQ(scene.State().enemyVitals.life, 2000);
  EXPECT_FALSE(scene.Elements().empty());

  scene.Reset(&device_, nullptr, nullptr);
  EXPECT_EQ(CountWrites(L"Reset"), 1);
  scene.Elements().push_back(Sprite(kTexMonster, 4242));
  scene.State().enemyVitals.life = 0;
  scene.FrameMove(&device_, 0.01f);
  EXPECT_EQ(scene.State().enemyVitals.life, 2000);
  EXPECT_EQ(scene.State().monsters.size(), 8u);  // emptied and read again, not appended
  for (const Element& e : scene.Elements()) EXPECT_NE(e.id, 4242);

  scene.Lost();
  EXPECT_EQ(CountWrites(L"Lost"), 1);
  EXPECT_EQ(deviceState_->liveObjects, 1u);  // only the Scene's font is left
  scene.Destroy();
  EXPECT_EQ(deviceState_->liveObjects, 0u);
}

TEST_F(SceneTest, ShortMonsterTableEndsTheGameWithMediaNotFound) {
  WriteGameImages();
  WriteMonsterTable(3);  // the starting hands reach monster 7
  Scene scene;
  scene.Load();
  EXPECT_EQ(AppGetExitCode(), 4);
  const std::wstring out = system_.Joined();
  EXPECT_NE(out.find(L"Data2/monster.txt: 3 monster records found, 8 needed\n"), std::wstring::npos) << out;
  EXPECT_EQ(system_.boxes, 1);
}

}  // namespace
