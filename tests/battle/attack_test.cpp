// The attack: target menu, damage booking, overflow into the life and the defeat check.
#include <limits>

#include "tests/battle/battle_fixture.h"

namespace {

using battletest::BattleTest;
using battletest::FindId;
using battletest::OfKind;

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

class AttackTest : public BattleTest {
 protected:
  // Player monster 7 on position 0 with its menu open; the enemy field as given.
  void Prepare(std::array<int32_t, 3> enemyField) {
    battle.Summon(elements, kPlayer, 0, state);
    for (int p = 0; p < 3; ++p) {
      if (enemyField[static_cast<size_t>(p)] == -1) continue;
      state.enemy.field[static_cast<size_t>(p)] = enemyField[static_cast<size_t>(p)];
      state.enemyVitals.fieldHp[static_cast<size_t>(p)] = 100;
      battle.AddMonsterSprite(elements, kIdEnemyField0 + p, enemyField[static_cast<size_t>(p)]);
    }
    battle.OnBarFull(elements, 301, state);
    system.writes.clear();
  }
  void SetDamage(int32_t damage) {
    MonsterTable table;
    for (int i = 0; i < 8; ++i) {
      MonsterRecord r = battletest::TestMonster(i);
      r.column13 = damage;
      table.push_back(r);
    }
    state.monsters = table;
  }
};

TEST_F(AttackTest, DamagePassesBeyondHitPointsToTheLifeAndDefeatFollows) {
  Prepare({7, -1, -1});
  SetDamage(50);
  state.enemyVitals.fieldHp[0] = 30;
  Click(kIdCommandRow0 + 1);  // second command
  EXPECT_EQ(state.chosenCommand, 1);
  ASSERT_EQ(OfKind(elements, kKindSelectRow).size(), 1u);
  EXPECT_EQ(OfKind(elements, kKindSelectArt)[1]->cell, 7);
  Click(kIdSelectRow0);
  // Booked at the click, before any effect plays.
  EXPECT_EQ(state.enemyVitals.fieldHp[0], -20);
  EXPECT_EQ(state.enemyVitals.life, 1980);
  EXPECT_EQ(state.strikes[0].targetId, 511);
  EXPECT_EQ(state.strikes[0].targetCell, 7);
  EXPECT_EQ(state.strikes[1].targetId, 0);
  EXPECT_EQ(state.action.actorId, 501);
  EXPECT_EQ(state.action.actorMonster, 7);
  EXPECT_EQ(state.openMenu, 301);  // bars stay still while the attack plays
  EXPECT_TRUE(OfKind(elements, kKindCommandRow).empty());
  EXPECT_TRUE(OfKind(elements, kKindSelectArt).empty());
  EXPECT_EQ(BattleLines(), (std::vector<std::wstring>{L"501", L"7", L"1"}));

  RunUntil([&] { return state.openMenu == 0; });
  EXPECT_EQ(state.enemyVitals.fieldHp[0], 0);
  EXPECT_EQ(state.enemy.field[0], -1);
  EXPECT_EQ(FindId(elements, kIdEnemyField0), nullptr);
  EXPECT_EQ(OfKind(elements, 311).size(), 0u);  // this test built no enemy bar
  EXPECT_EQ(state.enemyVitals.life, 1980);
}

TEST_F(AttackTest, SurvivingMonsterStaysAndItsBarIsKept) {
  Prepare({7, -1, -1});
  battle.AddTimeBar(elements, 311, 4.0f);
  Click(kIdCommandRow0);
  Click(kIdSelectRow0);
  EXPECT_EQ(state.enemyVitals.fieldHp[0], 100 - 57);
  EXPECT_EQ(state.enemyVitals.life, 2000);
  RunUntil([&] { return state.openMenu == 0; });
  EXPECT_EQ(state.enemy.field[0], 7);
  ASSERT_NE(FindId(elements, kIdEnemyField0), nullptr);
  EXPECT_EQ(FindId(elements, kIdEnemyField0)->visible, 1);

  // A killing blow: the sprite goes, the bar of position 0 stays.
  state.enemyVitals.fieldHp[0] = 1;
  battle.OnBarFull(elements, 301, state);
  Click(kIdCommandRow0);
  Click(kIdSelectRow0);
  RunUntil([&] { return state.openMenu == 0; });
  EXPECT_EQ(FindId(elements, kIdEnemyField0), nullptr);
  EXPECT_EQ(OfKind(elements, 311).size(), 2u);
  EXPECT_EQ(state.enemyVitals.life, 2000 - 56);
}

TEST_F(AttackTest, EmptyEnemyFieldStrikesTheAvatar) {
  Prepare({-1, -1, -1});
  Click(kIdCommandRow0);
  auto names = OfKind(elements, kKindSelectArt);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0]->cell, 0);  // one-row panel
  EXPECT_EQ(names[1]->cell, 8);  // the enemy avatar
  Click(kIdSelectRow0);
  EXPECT_EQ(state.enemyVitals.life, 2000 - 57);
  EXPECT_EQ(state.strikes[0].targetId, 510);
  EXPECT_EQ(state.strikes[0].targetCell, 4);
  EXPECT_EQ(BattleLines(), (std::vector<std::wstring>{L"501", L"7", L"direct", L"0"}));
}

TEST_F(AttackTest, OtherTargetRowsCancelWithoutHarm) {
  Prepare({7, 1, -1});
  Click(kIdCommandRow0);
  ASSERT_EQ(OfKind(elements, kKindSelectRow).size(), 2u);
  Click(kIdSelectRow0 + 1);
  EXPECT_EQ(state.enemyVitals.fieldHp, (std::array<int32_t, 3>{100, 100, 0}));
  EXPECT_EQ(state.enemyVitals.life, 2000);
  EXPECT_EQ(state.openMenu, 0);
  EXPECT_TRUE(OfKind(elements, kKindSelectArt).empty());
  EXPECT_TRUE(OfKind(elements, kKindCommandArt).empty());
  EXPECT_TRUE(OfKind(elements, kKindLunge).empty());
  EXPECT_FLOAT_EQ(OfKind(elements, 301)[1]->scale.x, 0.0f);  // the bar starts again
  EXPECT_TRUE(BattleLines().empty());

  // Rows 2 and 3 of a monster's menu close it too.
  for (int32_t row : {2, 3}) {
    battle.OnBarFull(elements, 301, state);
    Click(kIdCommandRow0 + row);
    EXPECT_EQ(state.openMenu, 0);
    EXPECT_TRUE(OfKind(elements, kKindCommandArt).empty());
  }
}

TEST_F(AttackTest, StruckSpriteIsTheFirstPositionWithAMonsterAboveZero) {
  struct Case {
    std::array<int32_t, 3> field;
    int32_t targetId;
  };
  // The first field monster above 0 picks the sprite (counting monsters, not positions); with
  // monster 0 only, the first occupied position is struck rather than a position past the field.
  for (Case c : {Case{{-1, 0, 3}, 512}, Case{{-1, 0, -1}, 512}, Case{{0, -1, -1}, 511},
                 Case{{0, 0, -1}, 511}}) {
    state = BattleState{};
    elements.clear();
    battle.SetUp(elements, state);
    for (int i = 0; i < 8; ++i) state.monsters.push_back(battletest::TestMonster(i));
    Prepare(c.field);
    Click(kIdCommandRow0);
    Click(kIdSelectRow0);
    EXPECT_EQ(state.strikes[0].targetId, c.targetId);
    // The damage is always taken off position 0.
    EXPECT_EQ(state.strikes[0].targetCell, c.field[0]);
  }
}

TEST_F(AttackTest, DamageArithmeticHoldsAtTheIntegerRange) {
  Prepare({7, -1, -1});
  SetDamage(kMax);
  state.enemyVitals.fieldHp[0] = -10;  // left negative by an earlier blow
  state.enemyVitals.life = -5;
  Click(kIdCommandRow0);
  Click(kIdSelectRow0);
  EXPECT_EQ(state.enemyVitals.fieldHp[0], kMin);
  EXPECT_EQ(state.enemyVitals.life, kMin);  // not wrapped round to a large positive life

  RunUntil([&] { return state.openMenu == 0; });
  EXPECT_EQ(state.enemy.field, (std::array<int32_t, 3>{-1, -1, -1}));
  state.enemyVitals.life = kMin + 3;
  battle.OnBarFull(elements, 301, state);
  Click(kIdCommandRow0);
  Click(kIdSelectRow0);
  EXPECT_EQ(state.enemyVitals.life, kMin);
}

}  // namespace
