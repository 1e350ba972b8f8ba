// The attack: target menu, damage booked at the click, overflow into the life, the defeat check
// and the integer range.
#include <limits>

#include "tests/battle/battle_fixture.h"

namespace {

using battletest::OfKind;

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

class AttackTest : public battletest::BattleTest {
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

TEST_F(AttackTest, EmptyEnemyFieldStrikesTheAvatarAndOtherRowsCancel) {
  Prepare({-1, -1, -1});
  Click(kIdCommandRow0);
  const auto names = OfKind(elements, kKindSelectArt);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[1]->cell, 8);  // the enemy avatar
  Click(kIdSelectRow0);
  EXPECT_EQ(state.enemyVitals.life, 2000 - 57);
  EXPECT_EQ(state.strikes[0].targetId, kIdEnemyAvatar);
  EXPECT_EQ(state.strikes[0].targetCell, 4);
  EXPECT_EQ(BattleLines(), (std::vector<std::wstring>{L"501", L"7", L"direct", L"0"}));

  RunUntil([&] { return state.openMenu == 0; });
  state.enemy.field = {7, 1, -1};
  state.enemyVitals.fieldHp = {100, 100, 0};
  battle.OnBarFull(elements, 301, state);
  system.writes.clear();
  Click(kIdCommandRow0);
  ASSERT_EQ(OfKind(elements, kKindSelectRow).size(), 2u);
  Click(kIdSelectRow0 + 1);
  EXPECT_EQ(state.enemyVitals.fieldHp, (std::array<int32_t, 3>{100, 100, 0}));
  EXPECT_EQ(state.enemyVitals.life, 2000 - 57);
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
