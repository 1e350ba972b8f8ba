// Time bars, full bars and the two menus.
#include "tests/battle/battle_fixture.h"

namespace {

using battletest::BattleTest;
using battletest::FindId;
using battletest::OfKind;

TEST_F(BattleTest, BarFillAndMarkerMoveWithTime) {
  ElementList bars;
  battle.AddTimeBar(bars, 302, 4.0f);
  ASSERT_EQ(bars.size(), 2u);
  const Element& marker = bars[0];
  const Element& fill = bars[1];
  EXPECT_EQ(marker.cell, 5);
  EXPECT_EQ(fill.cell, 7);
  EXPECT_EQ(marker.kind, 302);
  EXPECT_FLOAT_EQ(marker.position.x, 413);
  EXPECT_FLOAT_EQ(marker.position.y, 350);
  EXPECT_FLOAT_EQ(fill.position.x, 414);
  EXPECT_FLOAT_EQ(fill.scale.x, 0.0f);
  for (int i = 0; i < 4; ++i)
    for (Element& e : bars) EXPECT_EQ(e.AdvanceMotion(0.5f), kMotionNone);
  EXPECT_FLOAT_EQ(bars[1].scale.x, 1.5f);
  EXPECT_FLOAT_EQ(bars[0].position.x, 413 + 48);
}

TEST_F(BattleTest, OneFullBarPerFrameAndBarsStandStillWhileAMenuIsOpen) {
  // Both avatar bars last 4 s; the player's lies first in the list and wins.
  RunUntil([&] { return state.openMenu != 0; });
  EXPECT_EQ(state.openMenu, kBarPlayerAvatar);
  EXPECT_EQ(state.FieldCount(kEnemy), 0);
  const float enemyFill = elements[3].scale.x;
  EXPECT_EQ(elements[3].kind, 310);
  EXPECT_LT(enemyFill, 3.0f);
  RunUntil([] { return false; }, 0.05f, 200);  // ten seconds with the menu open
  EXPECT_FLOAT_EQ(elements[3].scale.x, enemyFill);
  EXPECT_EQ(state.FieldCount(kEnemy), 0);

  // Closing the menu restarts the player's bar; then the enemy's bar fills and it summons.
  Click(kIdCommandRow0 + 3);
  EXPECT_EQ(state.openMenu, 0);
  EXPECT_TRUE(OfKind(elements, kKindCommandArt).empty());
  EXPECT_FLOAT_EQ(elements[1].scale.x, 0.0f);
  RunUntil([&] { return state.FieldCount(kEnemy) > 0; });
  EXPECT_EQ(state.enemy.field[0], 7);
  EXPECT_EQ(state.enemyVitals.fieldHp[0], 170);
  EXPECT_EQ(state.openMenu, 0);
  const Element* sprite = FindId(elements, kIdEnemyField0);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->cell, 7);
  EXPECT_FLOAT_EQ(sprite->position.x, 216);
  EXPECT_FLOAT_EQ(sprite->orientation.y, 1.0f);
  ASSERT_EQ(OfKind(elements, 311).size(), 2u);
  EXPECT_FLOAT_EQ(OfKind(elements, 311)[0]->positionMotion.duration, static_cast<float>(400.0 / 107));
  // The enemy's summon is silent, and its bar does not start again.
  EXPECT_TRUE(BattleLines().empty());
  EXPECT_FLOAT_EQ(elements[3].scale.x, 3.0f);
}

TEST_F(BattleTest, AvatarMenuRowsDimWhenNothingCanBeSummoned) {
  battle.OnBarFull(elements, kBarPlayerAvatar, state);
  auto art = OfKind(elements, kKindCommandArt);
  ASSERT_EQ(art.size(), 5u);
  EXPECT_EQ(art[0]->textureName, kTexBattleBackground);
  std::vector<float> alphas;
  for (size_t i = 1; i < 5; ++i) {
    EXPECT_EQ(art[i]->cell, static_cast<int32_t>(i - 1));
    EXPECT_FLOAT_EQ(art[i]->position.y, 28.0f * static_cast<float>(i - 1) + 4);
    alphas.push_back(art[i]->colour.a);
  }
  EXPECT_EQ(alphas, (std::vector<float>{1.0f, 0.5f, 0.5f, 1.0f}));
  std::vector<int32_t> clickable;
  for (const Element* row : OfKind(elements, kKindCommandRow)) {
    EXPECT_EQ(row->hoverEnabled, row->clickEnabled);
    EXPECT_EQ(row->hitWidth, 108);
    clickable.push_back(row->clickEnabled);
  }
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
}

TEST_F(BattleTest, RowsReactOnlyAboveNineTenths) {
  ElementList list;
  battle.OpenCommandMenu(list, {1, 2, 3, 4}, {Colour{1, 1, 1, 0.9f}, Colour{1, 1, 1, 0.91f}, Colour{}, Colour{}});
  EXPECT_EQ(FindId(list, 1110)->clickEnabled, 0);
  EXPECT_EQ(FindId(list, 1111)->clickEnabled, 1);
  EXPECT_FLOAT_EQ(FindId(list, 1113)->position.y, 28 * 3 + 6);
  EXPECT_FLOAT_EQ(FindId(list, 1113)->position.z, 0.4f);
}

TEST_F(BattleTest, MonsterMenuShowsItsCommandsAllBright) {
  battle.Summon(elements, kPlayer, 2, state);  // monster 6 onto position 0
  EXPECT_EQ(system.Lines(), (std::vector<std::wstring>{L"160"}));
  battle.OnBarFull(elements, 301, state);
  EXPECT_EQ(state.openMenu, 301);
  auto art = OfKind(elements, kKindCommandArt);
  ASSERT_EQ(art.size(), 5u);
  EXPECT_EQ(art[1]->cell, 16);
  EXPECT_EQ(art[2]->cell, 26);
  EXPECT_EQ(art[3]->cell, 4);
  EXPECT_EQ(art[4]->cell, 5);
  for (const Element* row : OfKind(elements, kKindCommandRow)) EXPECT_EQ(row->clickEnabled, 1);
}

TEST_F(BattleTest, SelectionMenuShapes) {
  ElementList one;
  battle.OpenSelectMenu(one, {8, -1, -1, -1});
  ASSERT_EQ(one.size(), 3u);
  EXPECT_EQ(one[0].cell, 0);
  EXPECT_EQ(one[0].textureName, kTexBattleSelectBackground);
  EXPECT_EQ(one[1].cell, 8);
  EXPECT_EQ(one[1].textureName, kTexMonsterName);
  EXPECT_EQ(one[2].id, 1120);
  EXPECT_EQ(one[2].clickEnabled, 1);

  ElementList none;
  battle.OpenSelectMenu(none, {-1, -1, -1, -1});
  EXPECT_TRUE(none.empty());

  ElementList three;
  battle.OpenSelectMenu(three, {7, 1, 6, -1});
  ASSERT_EQ(three.size(), 7u);
  EXPECT_EQ(three[0].cell, 2);
  EXPECT_FLOAT_EQ(three[3].position.y, 60);
  EXPECT_EQ(three[6].id, 1122);
  EXPECT_FLOAT_EQ(three[6].position.y, 62);
  // A gap keeps each row in its place.
  ElementList gap;
  battle.OpenSelectMenu(gap, {-1, 3, -1, -1});
  ASSERT_EQ(gap.size(), 3u);
  EXPECT_EQ(gap[0].cell, 0);
  EXPECT_EQ(gap[2].id, 1121);
}

TEST_F(BattleTest, SummonThroughTheAvatarMenu) {
  RunUntil([&] { return state.openMenu == kBarPlayerAvatar; });
  Click(kIdCommandRow0);
  // Only the chosen row stays, and nothing of the command menu reacts any more.
  for (const Element* row : OfKind(elements, kKindCommandRow)) {
    EXPECT_EQ(row->clickEnabled, 0);
    EXPECT_EQ(row->visible, row->id == kIdCommandRow0 ? 1 : 0);
  }
  ASSERT_EQ(OfKind(elements, kKindSelectRow).size(), 3u);
  EXPECT_EQ(OfKind(elements, kKindSelectArt)[0]->cell, 2);

  Click(kIdSelectRow0 + 1);  // monster 1
  EXPECT_EQ(state.player.field, (std::array<int32_t, 3>{1, -1, -1}));
  EXPECT_EQ(state.player.hand, (std::array<int32_t, 4>{7, 1, -1, 6}));
  EXPECT_EQ(state.playerVitals.fieldHp[0], 110);
  EXPECT_EQ(state.openMenu, 0);
  EXPECT_TRUE(OfKind(elements, kKindSelectRow).empty());
  EXPECT_TRUE(OfKind(elements, kKindCommandArt).empty());
  EXPECT_FLOAT_EQ(elements[1].scale.x, 0.0f);  // the avatar's bar starts again
  const Element* sprite = FindId(elements, kIdPlayerField0);
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->cell, 1);
  EXPECT_FLOAT_EQ(sprite->position.x, 360);
  EXPECT_FLOAT_EQ(sprite->position.y, 240);
  EXPECT_FLOAT_EQ(OfKind(elements, 301)[1]->scaleMotion.duration, static_cast<float>(400.0 / 101));
  EXPECT_EQ(BattleLines(), (std::vector<std::wstring>{L"110"}));
}

TEST_F(BattleTest, SummonIntoAFullFieldDoesNothing) {
  state.enemy.field = {7, 1, 6};
  const size_t before = elements.size();
  battle.Summon(elements, kEnemy, 0, state);
  battle.OnBarFull(elements, kBarEnemyAvatar, state);
  EXPECT_EQ(elements.size(), before);
  EXPECT_EQ(state.enemy.field, (std::array<int32_t, 3>{7, 1, 6}));
  EXPECT_EQ(state.openMenu, 0);
  state.player.field = {0, 0, 0};
  battle.Summon(elements, kPlayer, 0, state);
  EXPECT_EQ(elements.size(), before);
  EXPECT_TRUE(system.writes.empty());
}

TEST_F(BattleTest, DimmedAvatarRowsAndOtherKindsDoNothing) {
  battle.OnBarFull(elements, kBarPlayerAvatar, state);
  const size_t before = elements.size();
  for (int32_t id : {1111, 1112, 1234}) {
    Element row = *FindId(elements, 1110);
    row.id = id;
    battle.OnElementClick(elements, row, state);
  }
  Element sprite = *FindId(elements, kIdPlayerAvatar);
  battle.OnElementClick(elements, sprite, state);
  EXPECT_EQ(elements.size(), before);
  EXPECT_EQ(state.openMenu, kBarPlayerAvatar);
}

TEST_F(BattleTest, MonsterWithoutSpeedNeverGetsAMenu) {
  state.monsters = MonsterTable{};
  for (int i = 0; i < 8; ++i) {
    MonsterRecord r = battletest::TestMonster(i);
    r.column3 = 0;
    state.monsters.push_back(r);
  }
  battle.Summon(elements, kPlayer, 0, state);
  state.openMenu = 0;
  HideByKind(elements, 300);  // keep the avatar's bar out of the way
  HideByKind(elements, 310);
  RunUntil([] { return false; }, 0.05f, 400);
  EXPECT_EQ(state.openMenu, 0);
  EXPECT_TRUE(OfKind(elements, kKindCommandArt).empty());
}

}  // namespace
