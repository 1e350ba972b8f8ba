// The battle state's starting values, queries and the table check.
#include "tests/battle/battle_fixture.h"

namespace {

using battletest::BattleTest;
using battletest::FindId;

TEST(BattleState, QueriesCountOnlyMonsterIndicesZeroToSeven) {
  BattleState s;
  s.player.field = {-1, 6, -1};
  EXPECT_EQ(s.FieldCount(kPlayer), 1);
  EXPECT_EQ(s.NthFieldMonster(kPlayer, 0), 6);
  EXPECT_EQ(s.NthFieldMonster(kPlayer, 1), -1);
  EXPECT_EQ(s.FirstEmptyField(kPlayer), 0);

  s.player.hand = {7, 1, -1, 6};
  EXPECT_EQ(s.HandCount(kPlayer), 3);
  EXPECT_EQ(s.NthHandMonster(kPlayer, 0), 7);
  EXPECT_EQ(s.NthHandMonster(kPlayer, 1), 1);
  EXPECT_EQ(s.NthHandMonster(kPlayer, 2), 6);
  EXPECT_EQ(s.NthHandMonster(kPlayer, 3), -1);

  // 8 and -2 are no monster, and -2 is not an empty position either.
  s.enemy.hand = {8, -2, 0, 9};
  s.enemy.field = {8, -2, 3};
  EXPECT_EQ(s.HandCount(kEnemy), 1);
  EXPECT_EQ(s.NthHandMonster(kEnemy, 0), 0);
  EXPECT_EQ(s.FieldCount(kEnemy), 1);
  EXPECT_EQ(s.NthFieldMonster(kEnemy, 0), 3);
  EXPECT_EQ(s.FirstEmptyField(kEnemy), -1);
  EXPECT_EQ(s.FieldCount(kPlayer), 1);  // sides are independent
}

TEST(BattleState, ResetClearsAllButTheChosenCommand) {
  BattleState s;
  s.chosenCommand = 1;
  s.openMenu = 301;
  s.playerVitals.life = 5;
  s.enemyVitals.fieldHp[2] = 9;
  s.action.lungePhase = 1;
  s.strikes[3].targetId = 511;
  s.impactPhases[1] = 2;
  s.player.field = {1, 2, 3};
  s.monsters.push_back(MonsterRecord{});
  s.ResetBattleState();
  EXPECT_EQ(s.chosenCommand, 1);
  EXPECT_EQ(s.openMenu, 0);
  EXPECT_EQ(s.playerVitals.life, 0);
  EXPECT_EQ(s.enemyVitals.life, 0);
  EXPECT_EQ(s.enemyVitals.fieldHp[2], 0);
  EXPECT_EQ(s.action.lungePhase, 0);
  EXPECT_EQ(s.strikes[3].targetId, 0);
  EXPECT_EQ(s.impactPhases[1], 0);
  EXPECT_EQ(s.FieldCount(kPlayer), 0);
  EXPECT_EQ(s.FirstEmptyField(kPlayer), 0);
  EXPECT_TRUE(s.monsters.empty());
}

TEST(BattleState, TableCheckNamesTheRecordsTheHandsReach) {
  BattleState s;
  s.ResetBattleState();
  EXPECT_EQ(s.RecordsNeeded(), 0);
  s.SetStartingHand(kPlayer);
  s.SetStartingHand(kEnemy);
  EXPECT_EQ(s.player.hand, (std::array<int32_t, 4>{7, 1, -1, 6}));
  EXPECT_EQ(s.RecordsNeeded(), 8);  // monster 7 is reachable
  for (int i = 0; i < 7; ++i) s.monsters.push_back(battletest::TestMonster(i));
  EXPECT_FALSE(s.TableCoversHands());
  s.monsters.push_back(battletest::TestMonster(7));
  EXPECT_TRUE(s.TableCoversHands());

  BattleState small;
  small.enemy.field = {2, -1, -1};
  EXPECT_EQ(small.RecordsNeeded(), 3);
  EXPECT_FALSE(small.TableCoversHands());
}

TEST_F(BattleTest, SetUpBuildsBarsAvatarsAndStartingValues) {
  EXPECT_EQ(state.playerVitals.life, 2000);
  EXPECT_EQ(state.enemyVitals.life, 2000);
  EXPECT_EQ(state.HandCount(kEnemy), 3);
  EXPECT_EQ(state.openMenu, 0);
  ASSERT_EQ(elements.size(), 6u);  // two bars of two elements, two avatars
  EXPECT_EQ(elements[0].kind, 300);
  EXPECT_EQ(elements[2].kind, 310);
  const Element* player = FindId(elements, kIdPlayerAvatar);
  const Element* enemy = FindId(elements, kIdEnemyAvatar);
  ASSERT_TRUE(player && enemy);
  EXPECT_EQ(player->cell, 4);
  EXPECT_FLOAT_EQ(player->position.x, 560);
  EXPECT_FLOAT_EQ(enemy->position.x, 16);
  EXPECT_FLOAT_EQ(enemy->orientation.y, 1.0f);
  EXPECT_FLOAT_EQ(enemy->position.z, 0.12f);
}

}  // namespace
