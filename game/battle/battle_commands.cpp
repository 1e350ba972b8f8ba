// Menu clicks, summoning and the attack.
#include <string>

#include "game/battle/battle.h"
#include "game/debug_output.h"
#include "game/saturate.h"

namespace {

void TraceLine(const std::wstring& text) {
  DebugOutput(text);
  DebugOutput(L"\n");
}

// Hit points and lives are 32-bit.
int32_t ClampedSum(int64_t a, int64_t b) { return SaturateToInt32(a + b); }

}  // namespace

void Battle::OnCommandClick(ElementList& elements, const Element& clicked, BattleState& state) const {
  const bool avatarMenu = state.openMenu == kBarPlayerAvatar;
  switch (clicked.id) {
    case kIdCommandRow0:
      if (avatarMenu) {
        DeactivateKindShowId(elements, kKindCommandRow, kIdCommandRow0);
        OpenSelectMenu(elements, {state.NthHandMonster(kPlayer, 0), state.NthHandMonster(kPlayer, 1),
                                  state.NthHandMonster(kPlayer, 2), state.NthHandMonster(kPlayer, 3)});
      } else {
        OpenTargetMenu(elements, clicked, state, kEnemy, 0);
      }
      break;
    case kIdCommandRow0 + 1:
      if (!avatarMenu) OpenTargetMenu(elements, clicked, state, kEnemy, 1);
      break;
    case kIdCommandRow0 + 2:
      if (!avatarMenu) CloseMenu(elements, state);
      break;
    case kIdCommandRow0 + 3:
      CloseMenu(elements, state);
      break;
    default:
      break;
  }
}

void Battle::OpenTargetMenu(ElementList& elements, const Element& clicked, BattleState& state, Side side,
                            int32_t row) const {
  const int32_t count = state.FieldCount(kEnemy);
  const int32_t a = state.NthFieldMonster(side, 0);
  const int32_t b = state.NthFieldMonster(side, 1);
  const int32_t c = state.NthFieldMonster(side, 2);
  state.chosenCommand = row;
  // Copies first: `clicked` may live in the list that the menu below grows.
  const int32_t kind = clicked.kind;
  const int32_t id = clicked.id;
  DeactivateKindShowId(elements, kind, id);
  // An empty enemy field leaves one row: the enemy avatar.
  OpenSelectMenu(elements, {count > 0 ? a : kEnemyAvatarName, b, c, -1});
}

void Battle::OnSelectClick(ElementList& elements, const Element& clicked, BattleState& state) const {
  const int32_t row = clicked.id - kIdSelectRow0;
  if (row < 0 || row > 3) return;
  if (state.openMenu == kBarPlayerAvatar) {
    Summon(elements, kPlayer, row, state);
  } else if (row == 0) {
    Attack(elements, state);
    return;
  }
  // Any other row of a target menu cancels the command.
  CloseMenu(elements, state);
  CloseKinds(elements, kKindSelectArt, kKindSelectRow);
}

void Battle::Attack(ElementList& elements, BattleState& state) const {
  ActionRecord& action = state.action;
  action.actorId = state.openMenu + kBarToSpriteOffset;
  TraceLine(std::to_wstring(action.actorId));
  action.actorMonster = state.NthFieldMonster(kPlayer, action.actorId - kIdPlayerField0);
  TraceLine(std::to_wstring(action.actorMonster));
  state.strikes = {};
  const int32_t damage = state.Monster(action.actorMonster).column13;
  StrikeRecord& strike = state.strikes[0];
  if (state.FieldCount(kEnemy) > 0) {
    // The struck sprite is the first position holding a monster index above 0; failing that
    // (only monster 0 stands there), the first occupied position.
    int32_t p = -1;
    for (int32_t i = 0; i < 3 && p < 0; ++i)
      if (state.NthFieldMonster(kEnemy, i) > 0) p = i;
    for (int32_t i = 0; i < 3 && p < 0; ++i)
      if (HoldsMonster(state.enemy.field[i])) p = i;
    strike.targetId = kIdEnemyField0 + p;
    strike.targetCell = state.enemy.field[0];
    // The damage always comes off position 0; what lies beyond its hit points passes to the life.
    int32_t& hp = state.enemyVitals.fieldHp[0];
    hp = ClampedSum(hp, -static_cast<int64_t>(damage));
    if (hp < 0) state.enemyVitals.life = ClampedSum(state.enemyVitals.life, hp);
  } else {
    TraceLine(L"direct");
    strike.targetId = kIdEnemyAvatar;
    strike.targetCell = kAvatarCell;
    state.enemyVitals.life = ClampedSum(state.enemyVitals.life, -static_cast<int64_t>(damage));
  }
  TraceLine(std::to_wstring(state.chosenCommand));
  StartLunge(elements, state);
  StartStrikes(elements, state);
  CloseKinds(elements, kKindCommandArt, kKindCommandRow);
  CloseKinds(elements, kKindSelectArt, kKindSelectRow);
}

void Battle::Summon(ElementList& elements, Side side, int32_t pick, BattleState& state) const {
  const int32_t slot = state.FirstEmptyField(side);
  if (slot < 0) return;  // a full field takes no one
  const int32_t m = state.NthHandMonster(side, pick);
  if (!HoldsMonster(m)) return;
  const MonsterRecord& record = state.Monster(m);
  const int32_t wait = record.column3;
  state.SideOf(side).field[slot] = m;
  int32_t& hp = state.VitalsOf(side).fieldHp[slot];
  hp = record.column2;
  if (side == kPlayer) TraceLine(std::to_wstring(hp));
  const int32_t spriteBase = side == kPlayer ? kIdPlayerField0 : kIdEnemyField0;
  const int32_t barBase = side == kPlayer ? kBarPlayerField0 : kBarEnemyField0;
  AddMonsterSprite(elements, spriteBase + slot, m);
  AddTimeBar(elements, barBase + slot, static_cast<float>(400.0 / wait));
}
