// The battle's rules over a known monster table: time bars and the avatar's menu, summoning, the
// attack (damage booked at the click, overflow into the life, defeat, the integer range) and the
// state's queries.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "game/battle/battle.h"
#include "game/element_list.h"
#include "tests/fakes/debug_capture.h"

namespace {

const Element* FindId(const ElementList& list, int32_t id) {
  for (const Element& e : list)
    if (e.id == id) return &e;
  return nullptr;
}

std::vector<const Element*> OfKind(const ElementList& list, int32_t kind) {
  std::vector<const Element*> out;
  for (const Element& e : list)
    if (e.kind == kind && e.removeFlag == 0) out.push_back(&e);
  return out;
}

class BattleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    battle.SetUp(elements, state);
    UseTable();
  }

  // Monster i: hit points 100 + 10 i, bar 400 / (100 + i) s, damage 50 + i, command cells 10 + i
  // and 20 + i; `edit` changes every record.
  void UseTable(const std::function<void(MonsterRecord&)>& edit = {}) {
    state.monsters.clear();
    for (int i = 0; i < 8; ++i) {
      MonsterRecord r;
      r.column2 = 100 + 10 * i;
      r.column3 = 100 + i;
      r.column11 = 10 + i;
      r.column13 = 50 + i;
      r.column14 = 20 + i;
      if (edit) edit(r);
      state.monsters.push_back(r);
    }
  }

  // Runs frames of `dt` until `done` holds or `maxFrames` pass.
  template <typename Pred>
  void RunUntil(Pred done, float dt = 0.05f, int maxFrames = 2000) {
    for (int frames = 0; !done() && frames < maxFrames; ++frames) {
      battle.FrameMove(elements, dt, state);
      Purge(elements);
    }
  }

  void Click(int32_t id) {
    const Element* e = FindId(elements, id);
    ASSERT_NE(e, nullptr) << id;
    battle.OnElementClick(elements, *e, state);
    Purge(elements);
  }

  // The battle's own trace lines, without the list's purge counts.
  std::vector<std::wstring> BattleLines() const {
    const std::wstring all = system.Joined();
    std::vector<std::wstring> out;
    size_t start = 0;
    for (size_t nl; (nl = all.find(L'\n', start)) != std::wstring::npos; start = nl + 1)
      if (all.compare(start, 6, L"Purge ") != 0) out.push_back(all.substr(start, nl - start));
    return out;
  }

  CapturedSystem system;
  Battle battle;
  BattleState state;
  ElementList elements;
};

TEST(BattleState, OnlyMonsterIndicesZeroToSevenCountAndTheTableMustReachTheHands) {
  BattleState s;
  s.player.field = {-1, 6, -1};
  s.player.hand = {7, 1, -1, 6};
  // 8 and -2 are no monster, and -2 is not an empty position either.
  s.enemy.hand = {8, -2, 0, 9};
  s.enemy.field = {8, -2, 3};
  EXPECT_EQ(s.FieldCount(kPlayer), 1);
  EXPECT_EQ(s.HandCount(kPlayer), 3);
  EXPECT_EQ(s.HandCount(kEnemy), 1);
  EXPECT_EQ(s.NthHandMonster(kEnemy, 0), 0);
  EXPECT_EQ(s.FieldCount(kEnemy), 1);
  EXPECT_EQ(s.NthFieldMonster(kEnemy, 0), 3);
  EXPECT_EQ(s.FirstEmptyField(kEnemy), -1);

  s.ResetBattleState();
  EXPECT_EQ(s.RecordsNeeded(), 0);
  s.SetStartingHand(kPlayer);
  s.SetStartingHand(kEnemy);
  EXPECT_EQ(s.RecordsNeeded(), 8);  // monster 7 is reachable
  for (int i = 0; i < 7; ++i) s.monsters.push_back(MonsterRecord{});
  EXPECT_FALSE(s.TableCoversHands());
  s.monsters.push_back(MonsterRecord{});
  EXPECT_TRUE(s.TableCoversHands());
}

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
  std::vector<float> alphas;  // after the menu's background
  for (const Element* row : OfKind(elements, kKindCommandRow)) clickable.push_back(row->clickEnabled);
  for (const Element* art : OfKind(elements, kKindCommandArt)) alphas.push_back(art->colour.a);
  EXPECT_EQ(clickable, (std::vector<int32_t>{1, 0, 0, 1}));
  EXPECT_EQ(alphas, (std::vector<float>{1, 1, 0.5f, 0.5f, 1}));
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

TEST_F(BattleTest, SelectMenuPanelCellCountsItsRows) {
  struct Case {
    std::array<int32_t, 4> entries;
    size_t rows;
  };
  for (const Case& c : {Case{{7, 1, -1, 6}, 3}, Case{{-1, 1, -1, 6}, 2}, Case{{5, -1, -1, -1}, 1},
                        Case{{0, 1, 2, 3}, 4}, Case{{-1, -1, -1, -1}, 0}}) {
    ElementList list;
    battle.OpenSelectMenu(list, c.entries);
    const std::vector<const Element*> art = OfKind(list, kKindSelectArt);
    EXPECT_EQ(OfKind(list, kKindSelectRow).size(), c.rows);
    ASSERT_EQ(art.size(), c.rows ? c.rows + 1 : 0);
    if (c.rows) {
      EXPECT_EQ(art[0]->cell, int32_t(c.rows) - 1);  // the panel's cell for that many rows
    }
  }
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

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

class AttackTest : public BattleTest {
 protected:
  // Player monster 7 on position 0 with its menu open; enemy monsters (-1: none) at 100 hit points.
  void Prepare(std::array<int32_t, 3> enemyField) {
    battle.Summon(elements, kPlayer, 0, state);
    for (size_t p = 0; p < 3; ++p) {
      if (enemyField[p] == -1) continue;
      state.enemy.field[p] = enemyField[p];
      state.enemyVitals.fieldHp[p] = 100;
      battle.AddMonsterSprite(elements, kIdEnemyField0 + static_cast<int32_t>(p), enemyField[p]);
    }
    battle.OnBarFull(elements, 301, state);
    system.writes.clear();
  }
  void Strike(int32_t command = 0) {
    Click(kIdCommandRow0 + command);
    Click(kIdSelectRow0);
  }
};

TEST_F(AttackTest, DamagePassesBeyondHitPointsToTheLifeAndDefeatFollows) {
  Prepare({7, -1, -1});
  UseTable([](MonsterRecord& r) { r.column13 = 50; });
  state.enemyVitals.fieldHp[0] = 30;
  Strike(1);
  // Booked at the click, before any effect plays.
  EXPECT_EQ(state.enemyVitals.fieldHp[0], -20);
  EXPECT_EQ(state.enemyVitals.life, 1980);
  EXPECT_EQ(state.openMenu, 301);  // bars stay still while the attack plays
  EXPECT_EQ(BattleLines(), (std::vector<std::wstring>{L"501", L"7", L"1"}));

  RunUntil([&] { return state.openMenu == 0; });
  EXPECT_EQ(state.enemy.field[0], -1);
  EXPECT_EQ(state.enemyVitals.life, 1980);
}

TEST_F(AttackTest, TargetRowsOtherThanTheFirstCancelWithoutHarm) {
  Prepare({7, 1, -1});
  Click(kIdCommandRow0);
  ASSERT_EQ(OfKind(elements, kKindSelectRow).size(), 2u);
  Click(kIdSelectRow0 + 1);
  EXPECT_EQ(state.enemyVitals.fieldHp, (std::array<int32_t, 3>{100, 100, 0}));
  EXPECT_EQ(state.enemyVitals.life, 2000);
  EXPECT_EQ(state.openMenu, 0);
  EXPECT_TRUE(BattleLines().empty());
}

TEST_F(AttackTest, StruckSpriteIsTheFirstPositionWithAMonsterAboveZero) {
  struct Case {
    std::array<int32_t, 3> field;
    int32_t targetId;
  };
  // Counting monsters, not positions; with monster 0 only, the first occupied position is struck
  // rather than a position past the field, and the attack still ends. The damage always comes
  // off position 0.
  for (Case c : {Case{{-1, 0, 3}, 512}, Case{{-1, 0, -1}, 512}, Case{{0, -1, -1}, 511}, Case{{0, 0, -1}, 511}}) {
    state = BattleState{};
    elements.clear();
    battle.SetUp(elements, state);
    UseTable();
    Prepare(c.field);
    Strike();
    EXPECT_EQ(state.strikes[0].targetId, c.targetId);
    EXPECT_EQ(state.strikes[0].targetCell, c.field[0]);
    RunUntil([&] { return state.openMenu == 0; }, 0.05f, 100);
    EXPECT_EQ(state.openMenu, 0);
  }
}

TEST_F(AttackTest, DamageArithmeticHoldsAtTheIntegerRange) {
  Prepare({7, -1, -1});
  UseTable([](MonsterRecord& r) { r.column13 = std::numeric_limits<int32_t>::max(); });
  state.enemyVitals.fieldHp[0] = -10;  // left negative by an earlier blow
  state.enemyVitals.life = -5;
  Strike();
  EXPECT_EQ(state.enemyVitals.fieldHp[0], kMin);
  EXPECT_EQ(state.enemyVitals.life, kMin);  // not wrapped round to a large positive life

  RunUntil([&] { return state.openMenu == 0; });
  EXPECT_EQ(state.enemy.field, (std::array<int32_t, 3>{-1, -1, -1}));
  state.enemyVitals.life = kMin + 3;
  battle.OnBarFull(elements, 301, state);
  Strike();
  EXPECT_EQ(state.enemyVitals.life, kMin);
}

}  // namespace
