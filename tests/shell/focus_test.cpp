// Play without a mouse, for what the whole-game runs and the real-program script do not reach:
// what the focus may rest on, steps off a column, keys that must not pick, a pointer that does
// not move, and the mark on an element with no hover look.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "game/battle/battle.h"
#include "game/focus.h"
#include "game/scene.h"
#include "platform/system/messages.h"
#include "tests/fakes/debug_capture.h"
#include "tests/fakes/fake_graphics.h"

namespace {

Element Clickable(float x, float y, int32_t width, int32_t height, int32_t id = 0) {
  Element e;
  e.ResetElement();
  e.SetElement(id, 0, 1, 0, L"");
  e.SetPosition(x, y, 0);
  e.hitWidth = width;
  e.hitHeight = height;
  e.clickEnabled = 1;
  return e;
}

int FocusedId(const Focus& focus, const ElementList& list) {
  const int i = focus.Index(list);
  return i < 0 ? 0 : list[static_cast<size_t>(i)].id;
}

TEST(Focus, RestsOnlyWhereAClickAtTheCentreArrivesAndStepsAsideCostTwice) {
  ElementList list{Clickable(10.7f, 6, 108, 28, 1),    // centre (64, 20)
                   Clickable(10, 6, 108, 28, 2),       // the first one takes its clicks
                   Clickable(300, 60, 1, 1, 3),        // no pixel lies strictly inside
                   Clickable(3.0e9f, 0, 100, 100, 4),  // beyond every pointer position
                   Clickable(74, 62, 108, 28, 5)};     // overlaps the first, not at its centre
  EXPECT_EQ(Pickable(list), (std::vector<size_t>{0, 4}));
  EXPECT_EQ(CentreOf(list[0]), (ClickPoint{64, 20}));

  // To the right, the element straight across wins over a nearer one that lies lower.
  ElementList grid{Clickable(0, 0, 20, 20, 1), Clickable(100, 0, 20, 20, 2), Clickable(60, 50, 20, 20, 3)};
  Focus focus;
  focus.Refresh(grid);
  focus.Key(grid, plat::VK_RIGHT, true, false);
  EXPECT_EQ(FocusedId(focus, grid), 2);
  focus.Key(grid, 'D', true, false);  // nothing further: it stays
  EXPECT_EQ(FocusedId(focus, grid), 2);
}

TEST(Focus, AltEnterAndKeysTheGameDoesNotUseNeitherPickNorTakeTheHighlight) {
  ElementList list{Clickable(10, 6, 108, 28, 1)};
  Focus focus;
  focus.Refresh(list);
  EXPECT_FALSE(focus.Key(list, plat::VK_RETURN, true, true).has_value());  // full screen's
  focus.Key(list, plat::VK_RETURN, false, true);
  for (uint32_t key : {uint32_t{'Q'}, uint32_t{plat::VK_F1}, uint32_t{plat::VK_TAB}, uint32_t{plat::VK_ESCAPE}})
    EXPECT_FALSE(focus.Key(list, key, true, false).has_value()) << key;
  EXPECT_FALSE(focus.KeysHoldHighlight());
  EXPECT_EQ(focus.Key(list, plat::VK_SPACE, true, false), CentreOf(list[0]));
  EXPECT_TRUE(focus.KeysHoldHighlight());
}

class SceneFocus : public ::testing::Test {
 protected:
  void SetUp() override { scene.State().enemyVitals.life = kStartingLife; }  // no new battle
  CapturedSystem system;
  Scene scene;
};

// A pointer event with neither a move nor a button change (the desktop sends such) leaves the
// highlight with the keys; a real move takes it.
TEST_F(SceneFocus, APointerStandingStillLeavesTheHighlightWithTheKeys) {
  Battle().OpenCommandMenu(scene.Elements(), {0, 1, 2, 3}, {Colour{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}});
  scene.FrameMove(nullptr, 0.0f);
  // The highlight rows follow the panel and the four rows of art.
  const auto lit = [this](int row) { return scene.Elements()[5 + static_cast<size_t>(row)].cell == 1; };
  scene.Mouse(false, false, 64, 104);  // over row 3
  scene.Keyboard(plat::VK_UP, true, false);
  EXPECT_TRUE(lit(2) && !lit(3));
  scene.Mouse(false, false, 64, 104);
  EXPECT_TRUE(lit(2) && !lit(3));
  scene.Mouse(false, false, 65, 104);
  EXPECT_TRUE(!lit(2) && lit(3));
}

TEST_F(SceneFocus, AFocusedElementWithoutAHoverLookGetsAMarkOfItsOwn) {
  auto deviceState = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device(deviceState);
  scene.AddTexture(kTexBattleHilite, 108, 28);
  scene.Reset(&device, nullptr, nullptr);
  scene.Elements().push_back(Clickable(200.5f, 100, 54, 14));
  scene.FrameMove(nullptr, 0.0f);
  const auto draws = [&] {
    deviceState->sprites.clear();
    scene.Render(&device);
    return deviceState->Draws();
  };
  EXPECT_TRUE(draws().empty());  // the pointer's turn: hover shows, and this has none

  scene.Keyboard(plat::VK_DOWN, true, false);
  const auto marks = draws();
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0].src, (plat::RectI{0, 28, 108, 56}));  // the lit highlight cell
  EXPECT_EQ(marks[0].colour >> 24, 0x80u);                  // half see-through
  const plat::Vec3 topLeft = plat::TransformCoord({0, 0, 0}, marks[0].transform);
  const plat::Vec3 bottomRight = plat::TransformCoord({108, 28, 0}, marks[0].transform);
  EXPECT_FLOAT_EQ(topLeft.x, 200.0f);  // over the hit rectangle exactly
  EXPECT_FLOAT_EQ(topLeft.y, 100.0f);
  EXPECT_FLOAT_EQ(bottomRight.x, 254.0f);
  EXPECT_FLOAT_EQ(bottomRight.y, 114.0f);
}

}  // namespace
