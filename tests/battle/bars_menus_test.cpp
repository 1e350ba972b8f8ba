// Time bars, full bars, the avatar's menu and summoning.
#include "tests/battle/battle_fixture.h"

namespace {

using battletest::BattleTest;
using battletest::FindId;
using battletest::OfKind;

TEST_F(BattleTest, OneFullBarPerFrameAndBarsStandStillWhileAMenuIsOpen) {
  // Both avatar bars last 4 s; the player's lies first in the list and wins.
  RunUntil([&] { return state.openMenu != 0; });
  EXPECT_EQ(state.openMenu, kBarPlayerAvatar);
  const float enemyFill = elements[3].scale.x;
  EXPECT_LT(enemyFill, 3.0f);
  RunUntil([] { return false; }, 0.05f, 200);  // ten seconds with the menu open
  EXPECT_FLOAT_EQ(elements[3].scale.x, enemyFill);

  // Closing the menu restarts the player's bar; then the enemy's bar fills and it summons.
  Click(kIdCommandRow0 + 3);
  EXPECT_EQ(state.openMenu, 0);
  EXPECT_TRUE(OfKind(elements, kKindCommandArt).empty());
  EXPECT_FLOAT_EQ(elements[1].scale.x, 0.0f);
  RunUntil([&] { return state.FieldCount(kEnemy) > 0; });
  EXPECT_EQ(state.enemy.field[0], 7);
  EXPECT_EQ(state.enemyVitals.fieldHp[0], 170);
  // The enemy's summon is silent, and its bar does not start again.
  EXPECT_TRUE(BattleLines().empty());
  EXPECT_FLOAT_EQ(elements[3].scale.x, 3.0f);
}

TEST_F(BattleTest, NothingToSummonDimsTheRowAndAFullFieldTakesNoMore) {
  battle.OnBarFull(elements, kBarPlayerAvatar, state);
  std::vector<int32_t> clickable;
  for (const Element* row : OfKind(elements, kKindCommandRow)) clickable.push_back(row->clickEnabled);
  EXPECT_EQ(clickable, (std::vector<int32_t>{1, 0, 0, 1}));
  // A full field dims the summon row, and so does an empty hand.
  for (auto setUp : {+[](BattleState& s) { s.player.field = {7, 1, 6}; },
                     +[](BattleState& s) { s.player.hand = {-1, 8, -1, -1}; }}) {
    ElementList list;
    BattleState s = state;
    setUp(s);
    battle.OnBarFull(list, kBarPlayerAvatar, s);
    EXPECT_FLOAT_EQ(OfKind(list, kKindCommandArt)[1]->colour.a, 0.5f);
    EXPECT_EQ(FindId(list, kIdCommandRow0)->clickEnabled, 0);
  }

  elements.clear();
  state.openMenu = 0;
  state.enemy.field = {7, 1, 6};
  state.player.field = {0, 0, 0};
  battle.Summon(elements, kEnemy, 0, state);
  battle.OnBarFull(elements, kBarEnemyAvatar, state);
  battle.Summon(elements, kPlayer, 0, state);
  EXPECT_TRUE(elements.empty());
  EXPECT_EQ(state.enemy.field, (std::array<int32_t, 3>{7, 1, 6}));
  EXPECT_EQ(state.openMenu, 0);
  EXPECT_TRUE(system.writes.empty());
}

TEST_F(BattleTest, MonsterWithoutSpeedNeverGetsAMenu) {
  UseTable([](MonsterRecord& r) { r.column3 = 0; });
  battle.Summon(elements, kPlayer, 0, state);
  HideByKind(elements, kBarPlayerAvatar);  // keep the avatars' bars out of the way
  HideByKind(elements, kBarEnemyAvatar);
  RunUntil([] { return false; }, 0.05f, 400);
  EXPECT_EQ(state.openMenu, 0);
  EXPECT_TRUE(OfKind(elements, kKindCommandArt).empty());
}

}  // namespace
