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
  Click(kIdSelectRow0);
  // Booked at the click, before any effect plays.
  EXPECT_EQ(state.enemyVitals.fieldHp[0], -20);
  EXPECT_EQ(state.enemyVitals.life, 1980);
  EXPECT_EQ(state.openMenu, 301);  // bars stay still while the attack plays
  EXPECT_EQ(BattleLines(), (std::vector<std::wstring>{L"501", L"7", L"1"}));

  RunUntil([&] { return state.openMenu == 0; });
  EXPECT_EQ(state.enemy.field[0], -1);
  EXPECT_EQ(state.enemyVitals.life, 1980);
}

TEST_F(AttackTest, EmptyEnemyFieldStrikesTheAvatar) {
  Prepare({-1, -1, -1});
  Click(kIdCommandRow0);
  auto names = OfKind(elements, kKindSelectArt);
  ASSERT_EQ(names.size(), 2u);
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
  EXPECT_TRUE(BattleLines().empty());
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
