// The battle's frame step, full time bars and the end of an action.
#include "game/battle/battle.h"

void Battle::SetUp(ElementList& elements, BattleState& state) const {
  AddTimeBar(elements, kBarPlayerAvatar, 4.0f);
  AddTimeBar(elements, kBarEnemyAvatar, 4.0f);
  state.ResetBattleState();
  for (int32_t avatar : {kIdPlayerAvatar, kIdEnemyAvatar}) {
    AddMonsterSprite(elements, avatar, kAvatarCell);
    state.playerVitals.life = kStartingLife;
    state.enemyVitals.life = kStartingLife;
  }
  state.SetStartingHand(kPlayer);
  state.SetStartingHand(kEnemy);
}

void Battle::FrameMove(ElementList& elements, float elapsed, BattleState& state) const {
  // Indices, not iterators: the handlers below may append to the list.
  for (size_t i = 0; i < elements.size(); ++i) {
    Element& element = elements[i];
    // Bars stand still while a menu is open or an attack runs.
    if (IsTimeBar(element.kind) && state.openMenu != 0) continue;
    const int done = element.AdvanceMotion(elapsed);
    if (done == kMotionScaleDone) {
      OnBarFull(elements, element.kind, state);
      return;
    }
    if (done == kMotionPositionDone) {
      if (StepEffect(element, state) == 0) EndAction(elements, state);
      return;
    }
  }
}

void Battle::OnElementClick(ElementList& elements, const Element& clicked, BattleState& state) const {
  // The handlers append to the list, which may move the clicked element's storage.
  const Element copy = clicked;
  if (copy.kind == kKindCommandRow) {
    OnCommandClick(elements, copy, state);
  } else if (copy.kind == kKindSelectRow) {
    OnSelectClick(elements, copy, state);
  }
}

void Battle::OnBarFull(ElementList& elements, int32_t code, BattleState& state) const {
  constexpr Colour kBright{1.0f, 1.0f, 1.0f, 1.0f};
  constexpr Colour kDim{1.0f, 1.0f, 1.0f, 0.5f};
  if (code == kBarPlayerAvatar) {
    Colour summon = state.HandCount(kPlayer) > 0 ? kBright : kDim;
    if (state.FieldCount(kPlayer) == 3) summon = kDim;
    OpenCommandMenu(elements, {0, 1, 2, 3}, {summon, kDim, kDim, kBright});
    state.openMenu = kBarPlayerAvatar;
  } else if (code >= kBarPlayerField0 && code <= kBarPlayerField0 + 2) {
    const MonsterRecord& m = state.Monster(state.NthFieldMonster(kPlayer, code - kBarPlayerField0));
    OpenCommandMenu(elements, {m.column11, m.column14, 4, 5}, {kBright, kBright, kBright, kBright});
    state.openMenu = code;
  } else if (code == kBarEnemyAvatar) {
    // The enemy's bar is not restarted: it summons once per battle.
    state.openMenu = kBarEnemyAvatar;
    Summon(elements, kEnemy, 0, state);
    state.openMenu = 0;
  }
  // The enemy monsters' bars fill and stay full.
}

void Battle::CloseMenu(ElementList& elements, BattleState& state) const {
  CloseKinds(elements, kKindCommandArt, kKindCommandRow);
  RestartMotionsOfKind(elements, state.openMenu);
  state.openMenu = 0;
}

void Battle::EndAction(ElementList& elements, BattleState& state) const {
  CloseMenu(elements, state);
  ShowById(elements, state.action.actorId);
  HideByKind(elements, kKindLunge);
  RemoveByKind(elements, kKindLunge);
  for (const StrikeRecord& strike : state.strikes) ShowById(elements, strike.targetId);
  HideByKind(elements, kKindRecoil);
  RemoveByKind(elements, kKindRecoil);
  HideByKind(elements, kKindImpact);
  RemoveByKind(elements, kKindImpact);
  CheckDefeat(elements, state);
}

void Battle::CheckDefeat(ElementList& elements, BattleState& state) const {
  for (const StrikeRecord& strike : state.strikes) {
    if (strike.targetId != kIdEnemyField0 || state.enemyVitals.fieldHp[0] >= 1) continue;
    state.enemy.field[0] = kNoMonster;
    state.enemyVitals.fieldHp[0] = 0;
    HideById(elements, kIdEnemyField0);
    RemoveById(elements, kIdEnemyField0);
  }
}
