// The Scene's hit testing and clicks, and the monster table check that ends a game which cannot
// be played.
#include "common/app.h"
#include "game/scene.h"
#include "tests/shell/workspace.h"

namespace {

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

using SceneTest = Workspace;

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
  WriteGameData(3);  // the starting hands reach monster 7
  Scene scene;
  scene.Load();
  EXPECT_EQ(AppGetExitCode(), 4);
  const std::wstring out = system_.Joined();
  EXPECT_NE(out.find(L"Data2/monster.txt: 3 monster records found, 8 needed\n"), std::wstring::npos) << out;
  EXPECT_EQ(system_.boxes, 1);
}

}  // namespace
