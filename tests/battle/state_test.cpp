// The battle state's queries and the check that the monster table covers the hands.
#include "tests/battle/battle_fixture.h"

namespace {

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

}  // namespace
