// Play without a mouse: what the focus may rest on, where menus put it, how the keys move and
// pick it, and how the keys and the pointer share the one highlight, on the battle's own menus.
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

constexpr Colour kBright{1, 1, 1, 1};
constexpr Colour kDim{1, 1, 1, 0.5f};

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

// Index in the list of the element with this id; -1 when none.
int IndexOf(const ElementList& list, int32_t id) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].id == id) return static_cast<int>(i);
  return -1;
}

int FocusedId(const Focus& focus, const ElementList& list) {
  const int i = focus.Index(list);
  return i < 0 ? 0 : list[static_cast<size_t>(i)].id;
}

// Ids of the highlight rows that show lit.
std::vector<int32_t> Lit(const ElementList& list) {
  std::vector<int32_t> lit;
  for (const Element& e : list)
    if (e.visible != 0 && (e.kind == kKindCommandRow || e.kind == kKindSelectRow) && e.cell == 1) lit.push_back(e.id);
  return lit;
}

TEST(Focus, OnlyWhatAClickAtItsCentreWouldReachIsPickable) {
  ElementList list;
  list.push_back(Clickable(10.7f, 6, 108, 28, 1));   // centre (64, 20)
  list.push_back(Clickable(10, 6, 108, 28, 2));      // the same place: the first one takes its clicks
  list.push_back(Clickable(300, 6, 108, 28, 3));
  list.back().visible = 0;
  list.push_back(Clickable(300, 60, 1, 1, 4));       // no pixel lies strictly inside
  list.push_back(Clickable(300, 100, 108, 28, 5));
  list.back().clickEnabled = 0;
  list.back().hoverEnabled = 1;
  list.push_back(Clickable(74, 62, 108, 28, 6));     // overlaps the first, but not at its centre
  list.push_back(Clickable(3.0e9f, 0, 100, 100, 7));  // no pointer position reaches it
  EXPECT_EQ(Pickable(list), (std::vector<size_t>{0, 5}));
  EXPECT_EQ(CentreOf(list[0]), (ClickPoint{64, 20}));
  EXPECT_EQ(CentreOf(list[6]).x, INT32_MAX);
}

TEST(Focus, AMenuThatOpensTakesItOnItsFirstRowAClickActsOn) {
  Battle battle;
  ElementList list;
  Focus focus;
  focus.Refresh(list);
  EXPECT_EQ(focus.Index(list), -1);
  battle.OpenCommandMenu(list, {0, 1, 2, 3}, {kDim, kDim, kDim, kBright});
  focus.Refresh(list);
  EXPECT_EQ(FocusedId(focus, list), kIdCommandRow0 + 3);  // the dimmed rows are skipped

  // A summon menu: the command rows stop taking clicks and the new menu takes the focus.
  DeactivateKindShowId(list, kKindCommandRow, kIdCommandRow0);
  battle.OpenSelectMenu(list, {7, 1, 6, -1});
  focus.Refresh(list);
  EXPECT_EQ(FocusedId(focus, list), kIdSelectRow0);
  // Moved on, it stays where it is while nothing new opens.
  focus.Key(list, plat::VK_DOWN, true, false);
  focus.Refresh(list);
  EXPECT_EQ(FocusedId(focus, list), kIdSelectRow0 + 1);
  // The row it rests on goes: the first row left takes it; with none left, nothing has it.
  list[static_cast<size_t>(IndexOf(list, kIdSelectRow0 + 1))].visible = 0;
  focus.Refresh(list);
  EXPECT_EQ(FocusedId(focus, list), kIdSelectRow0);
  CloseKinds(list, kKindSelectArt, kKindSelectRow);
  CloseKinds(list, kKindCommandArt, kKindCommandRow);
  focus.Refresh(list);
  EXPECT_EQ(focus.Index(list), -1);
  EXPECT_FALSE(focus.Key(list, plat::VK_RETURN, true, false).has_value());
}

TEST(Focus, ArrowsAndWasdStepToTheNearestAheadAndStopAtTheEdge) {
  Battle battle;
  ElementList list;
  Focus focus;
  battle.OpenCommandMenu(list, {0, 1, 2, 3}, {kBright, kDim, kDim, kBright});
  focus.Refresh(list);
  const auto press = [&](uint32_t key) {
    focus.Key(list, key, true, false);
    focus.Key(list, key, false, false);
    return FocusedId(focus, list);
  };
  EXPECT_EQ(press(plat::VK_DOWN), kIdCommandRow0 + 3);
  EXPECT_EQ(press('S'), kIdCommandRow0 + 3);
  EXPECT_EQ(press(plat::VK_LEFT), kIdCommandRow0 + 3);
  EXPECT_EQ(press('D'), kIdCommandRow0 + 3);
  EXPECT_EQ(press('W'), kIdCommandRow0);
  EXPECT_EQ(press(plat::VK_UP), kIdCommandRow0);
  // A held key moves on at every repeat.
  focus.Key(list, 'S', true, false);
  focus.Key(list, 'W', true, false);
  focus.Key(list, 'S', true, false);
  EXPECT_EQ(FocusedId(focus, list), kIdCommandRow0 + 3);

  // Off a column, a step aside weighs twice a step ahead: the row straight to the right wins over
  // a nearer one that lies lower.
  ElementList grid{Clickable(0, 0, 20, 20, 1), Clickable(100, 0, 20, 20, 2), Clickable(60, 50, 20, 20, 3)};
  Focus onGrid;
  onGrid.Refresh(grid);
  onGrid.Key(grid, plat::VK_RIGHT, true, false);
  EXPECT_EQ(FocusedId(onGrid, grid), 2);
  onGrid.Key(grid, 'A', true, false);
  EXPECT_EQ(FocusedId(onGrid, grid), 1);
}

TEST(Focus, EnterAndSpacePickOncePerPressAndOtherKeysLeaveEverything) {
  Battle battle;
  ElementList list;
  Focus focus;
  battle.OpenCommandMenu(list, {0, 1, 2, 3}, {kBright, kBright, kBright, kBright});
  focus.Refresh(list);
  const ClickPoint row0 = CentreOf(list[static_cast<size_t>(IndexOf(list, kIdCommandRow0))]);

  EXPECT_FALSE(focus.Key(list, 'Q', true, false).has_value());
  EXPECT_FALSE(focus.Key(list, plat::VK_F1, true, false).has_value());
  EXPECT_FALSE(focus.KeysHoldHighlight());  // a key the game does not use takes nothing
  EXPECT_FALSE(focus.Key(list, plat::VK_RETURN, true, true).has_value());  // Alt+Enter: full screen
  focus.Key(list, plat::VK_RETURN, false, true);
  EXPECT_EQ(focus.Key(list, plat::VK_RETURN, true, false), row0);
  EXPECT_TRUE(focus.KeysHoldHighlight());
  EXPECT_FALSE(focus.Key(list, plat::VK_RETURN, true, false).has_value());  // held: a repeat
  EXPECT_FALSE(focus.Key(list, plat::VK_RETURN, false, false).has_value());
  EXPECT_EQ(focus.Key(list, plat::VK_RETURN, true, false), row0);
  EXPECT_EQ(focus.Key(list, plat::VK_SPACE, true, false), row0);
}

// The Scene on the battle's menus: the one highlight goes with whichever was used last.
class SceneFocus : public ::testing::Test {
 protected:
  void SetUp() override {
    battle.OpenCommandMenu(scene.Elements(), {0, 1, 2, 3}, {kBright, kBright, kBright, kBright});
    scene.State().openMenu = kBarPlayerField0;  // a monster's menu: row 2 closes it
    scene.State().enemyVitals.life = kStartingLife;  // no new battle
    scene.FrameMove(nullptr, 0.0f);
  }
  ClickPoint RowCentre(int row) {
    return CentreOf(scene.Elements()[static_cast<size_t>(IndexOf(scene.Elements(), kIdCommandRow0 + row))]);
  }

  CapturedSystem system;
  Battle battle;
  Scene scene;
};

TEST_F(SceneFocus, KeysAndThePointerTakeTheHighlightInTurnAndThePickIsTheClick) {
  // A menu that opens under a pointer nobody moved lights nothing, as with the mouse alone.
  EXPECT_TRUE(Lit(scene.Elements()).empty());
  EXPECT_FALSE(scene.Keyboard(plat::VK_DOWN, true, false).has_value());
  EXPECT_EQ(Lit(scene.Elements()), (std::vector<int32_t>{kIdCommandRow0 + 1}));

  // The pointer moves onto row 3: it lights that row, which becomes the focus.
  const ClickPoint row3 = RowCentre(3);
  scene.Mouse(false, false, row3.x, row3.y);
  EXPECT_EQ(Lit(scene.Elements()), (std::vector<int32_t>{kIdCommandRow0 + 3}));
  EXPECT_FALSE(scene.KeyFocus().KeysHoldHighlight());

  // The next key takes the highlight back and moves on from there; the pointer stays on row 3,
  // and an event of that pointer standing still leaves the highlight with the keys.
  scene.Keyboard(plat::VK_UP, true, false);
  scene.Mouse(false, false, row3.x, row3.y);
  scene.FrameMove(nullptr, 0.05f);
  EXPECT_EQ(Lit(scene.Elements()), (std::vector<int32_t>{kIdCommandRow0 + 2}));

  // Enter asks for a left click at the row's centre; through the mouse path that click closes
  // the monster's menu as a real click there would, and the keys keep the highlight.
  const std::optional<ClickPoint> pick = scene.Keyboard(plat::VK_RETURN, true, false);
  ASSERT_TRUE(pick.has_value());
  EXPECT_EQ(*pick, RowCentre(2));
  scene.Mouse(true, false, pick->x, pick->y);
  EXPECT_EQ(scene.State().openMenu, 0);
  EXPECT_TRUE(scene.KeyFocus().KeysHoldHighlight());
  EXPECT_EQ(scene.KeyFocus().Index(scene.Elements()), -1);
  // A real press of the button is the pointer's again.
  scene.Mouse(true, false, pick->x, pick->y);
  EXPECT_FALSE(scene.KeyFocus().KeysHoldHighlight());
}

TEST_F(SceneFocus, AFocusedElementWithoutAHoverLookGetsAMarkOfItsOwn) {
  auto deviceState = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device(deviceState);
  scene.AddTexture(kTexBattleHilite, 108, 28);
  scene.Reset(&device, nullptr, nullptr);
  scene.Elements().clear();
  scene.Elements().push_back(Clickable(200.5f, 100, 54, 14));
  scene.FrameMove(nullptr, 0.0f);
  const auto markDraws = [&] {
    deviceState->sprites.clear();
    scene.Render(&device);
    return deviceState->Draws();
  };
  EXPECT_TRUE(markDraws().empty());  // the pointer's turn: hover shows, and this has none

  scene.Keyboard(plat::VK_DOWN, true, false);
  const auto draws = markDraws();
  ASSERT_EQ(draws.size(), 1u);
  EXPECT_EQ(draws[0].src, (plat::RectI{0, 28, 108, 56}));  // the lit highlight cell
  EXPECT_EQ(draws[0].colour >> 24, 0x80u);                  // half see-through
  const plat::Vec3 topLeft = plat::TransformCoord({0, 0, 0}, draws[0].transform);
  const plat::Vec3 bottomRight = plat::TransformCoord({108, 28, 0}, draws[0].transform);
  EXPECT_FLOAT_EQ(topLeft.x, 200.0f);  // over the hit rectangle exactly
  EXPECT_FLOAT_EQ(topLeft.y, 100.0f);
  EXPECT_FLOAT_EQ(bottomRight.x, 254.0f);
  EXPECT_FLOAT_EQ(bottomRight.y, 114.0f);

  scene.Mouse(false, false, 0, 0);
  EXPECT_TRUE(markDraws().empty());
}

}  // namespace
