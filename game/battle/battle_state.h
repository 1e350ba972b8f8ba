#pragma once
// The battle's data: both sides, their vitals, the running attack and the monster table,
// with the element codes through which the battle finds its elements again.
#include <array>
#include <cstdint>

#include "game/data/monster_table.h"

// Sides of the battle.
enum Side : int32_t { kPlayer = 0, kEnemy = 1 };

// Element kinds the battle uses.
enum : int32_t {
  kKindSprite = 0,          // avatar and monster sprites
  kKindCommandArt = 100,    // command menu panel and its four rows
  kKindCommandRow = 110,    // command menu highlight rows (ids 1110 to 1113)
  kKindSelectArt = 200,     // selection menu panel and its name rows
  kKindSelectRow = 210,     // selection menu highlight rows (ids 1120 to 1123)
  kBarPlayerAvatar = 300,   // 301 to 303: player field positions 0 to 2
  kBarPlayerField0 = 301,
  kBarEnemyAvatar = 310,    // 311 to 313: enemy field positions 0 to 2
  kBarEnemyField0 = 311,
  kKindLunge = 3000,
  kKindRecoil = 3001,
  kKindImpact = 3002,
};

// Element ids the battle uses; every other battle element has id 0.
enum : int32_t {
  kIdPlayerAvatar = 500,
  kIdPlayerField0 = 501,  // 501 to 503
  kIdEnemyAvatar = 510,
  kIdEnemyField0 = 511,   // 511 to 513
  kIdCommandRow0 = 1110,  // 1110 to 1113
  kIdSelectRow0 = 1120,   // 1120 to 1123
};

// The time bar of sprite id s has the code s - 200.
constexpr int32_t kBarToSpriteOffset = 200;

constexpr int32_t kStartingLife = 2000;
constexpr int32_t kAvatarCell = 4;      // Monster.png cell of both avatars
constexpr int32_t kEnemyAvatarName = 8; // MonsterName.png cell standing for the enemy avatar
constexpr int32_t kNoMonster = -1;
constexpr int32_t kMonsterLimit = 8;    // an entry holds a monster when 0 <= value < 8

constexpr bool IsTimeBar(int32_t kind) {
  return (kind >= 300 && kind <= 303) || (kind >= 310 && kind <= 313);
}
constexpr bool HoldsMonster(int32_t entry) { return entry >= 0 && entry < kMonsterLimit; }

struct BattleSide {
  std::array<int32_t, 4> hand{kNoMonster, kNoMonster, kNoMonster, kNoMonster};
  std::array<int32_t, 3> field{kNoMonster, kNoMonster, kNoMonster};  // exactly -1 = empty
};

struct SideVitals {
  int32_t life = 0;
  std::array<int32_t, 3> fieldHp{0, 0, 0};
};

struct ActionRecord {
  int32_t actorId = 0;       // sprite id of the attacker, 501 to 503
  int32_t actorMonster = 0;  // monster index of the attacker
  int32_t lungePhase = 0;
};

struct StrikeRecord {
  int32_t targetId = 0;    // sprite id of the struck sprite; 0 = unused
  int32_t targetCell = 0;  // Monster.png cell of the struck sprite
  int32_t phase = 0;       // recoil phase counter
};

struct BattleState {
  BattleSide player;
  BattleSide enemy;
  MonsterTable monsters;
  int32_t openMenu = 0;  // code of the bar whose menu is open (or whose attack runs); 0 = none
  SideVitals playerVitals;
  SideVitals enemyVitals;
  ActionRecord action;
  std::array<StrikeRecord, 4> strikes{};
  std::array<int32_t, 4> impactPhases{0, 0, 0, 0};
  int32_t chosenCommand = 0;  // traced only

  BattleSide& SideOf(Side side) { return side == kPlayer ? player : enemy; }
  const BattleSide& SideOf(Side side) const { return side == kPlayer ? player : enemy; }
  SideVitals& VitalsOf(Side side) { return side == kPlayer ? playerVitals : enemyVitals; }
  const SideVitals& VitalsOf(Side side) const { return side == kPlayer ? playerVitals : enemyVitals; }

  // Hands and fields to -1, table emptied, menu closed, vitals and the attack to 0.
  // chosenCommand keeps its value.
  void ResetBattleState();
  // Hand 7, 1, -1, 6 and an empty field.
  void SetStartingHand(Side side);

  int32_t HandCount(Side side) const;
  int32_t FieldCount(Side side) const;
  int32_t NthHandMonster(Side side, int32_t n) const;   // -1 when there are fewer than n + 1
  int32_t NthFieldMonster(Side side, int32_t n) const;
  int32_t FirstEmptyField(Side side) const;             // -1 when the field is full

  // Number of table records the battle can reach: one past the highest monster index in either
  // side's hand or field (0 when none). A table shorter than this would make a summon or an
  // attack read past its end.
  int32_t RecordsNeeded() const;
  // True when the monster table holds every record the battle can reach.
  bool TableCoversHands() const;

  // The record of a monster index (range-checked).
  const MonsterRecord& Monster(int32_t index) const;
};
