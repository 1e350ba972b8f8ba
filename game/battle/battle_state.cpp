#include "game/battle/battle_state.h"

#include <algorithm>

namespace {

template <size_t N>
int32_t CountMonsters(const std::array<int32_t, N>& entries) {
  return static_cast<int32_t>(std::count_if(entries.begin(), entries.end(), HoldsMonster));
}

template <size_t N>
int32_t NthMonster(const std::array<int32_t, N>& entries, int32_t n) {
  for (int32_t entry : entries) {
    if (!HoldsMonster(entry)) continue;
    if (n == 0) return entry;
    --n;
  }
  return kNoMonster;
}

}  // namespace

void BattleState::ResetBattleState() {
  player = BattleSide{};
  enemy = BattleSide{};
  monsters = MonsterTable{};  // also gives back the table's storage
  openMenu = 0;
  playerVitals = SideVitals{};
  enemyVitals = SideVitals{};
  action = ActionRecord{};
  strikes = {};
  impactPhases = {0, 0, 0, 0};
}

void BattleState::SetStartingHand(Side side) {
  BattleSide& s = SideOf(side);
  s.hand = {7, 1, kNoMonster, 6};
  s.field = {kNoMonster, kNoMonster, kNoMonster};
}

int32_t BattleState::HandCount(Side side) const { return CountMonsters(SideOf(side).hand); }

int32_t BattleState::FieldCount(Side side) const { return CountMonsters(SideOf(side).field); }

int32_t BattleState::NthHandMonster(Side side, int32_t n) const {
  return n < 0 ? kNoMonster : NthMonster(SideOf(side).hand, n);
}

int32_t BattleState::NthFieldMonster(Side side, int32_t n) const {
  return n < 0 ? kNoMonster : NthMonster(SideOf(side).field, n);
}

int32_t BattleState::FirstEmptyField(Side side) const {
  const auto& field = SideOf(side).field;
  for (int32_t i = 0; i < static_cast<int32_t>(field.size()); ++i)
    if (field[i] == kNoMonster) return i;
  return -1;
}

int32_t BattleState::RecordsNeeded() const {
  int32_t needed = 0;
  auto note = [&needed](int32_t entry) {
    if (HoldsMonster(entry)) needed = std::max(needed, entry + 1);
  };
  for (const BattleSide* s : {&player, &enemy}) {
    std::for_each(s->hand.begin(), s->hand.end(), note);
    std::for_each(s->field.begin(), s->field.end(), note);
  }
  return needed;
}

bool BattleState::TableCoversHands() const {
  return monsters.size() >= static_cast<size_t>(RecordsNeeded());
}

const MonsterRecord& BattleState::Monster(int32_t index) const {
  return monsters.at(static_cast<size_t>(index));
}
