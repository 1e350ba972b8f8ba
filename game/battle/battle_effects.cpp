// The attack's lunge, recoil and impact: phase tables and their stepping.
#include "game/battle/battle.h"
#include "game/debug_output.h"

namespace {

constexpr plat::Vec3 kUnturned{0.0f, 0.0f, 0.0f};
constexpr plat::Vec3 kMirrored{0.0f, 1.0f, 0.0f};
constexpr float kSpriteDepth = 0.12f;
constexpr float kImpactDepth = 0.11f;

// Row of a sprite's slot: 240, 310, 380 for field positions 0, 1, 2.
float FieldRow(int32_t position) { return 240.0f + 70.0f * static_cast<float>(position); }

// A counter of -1 starts at `first`; any other value goes down by one.
int32_t MoveOn(int32_t& counter, int32_t first) {
  counter = counter == -1 ? first : counter - 1;
  return counter;
}

EffectPhase Horizontal(float fromX, float toX, float y, float z, plat::Vec3 orientation, float duration) {
  EffectPhase p;
  p.start = {fromX, y, z};
  p.end = {toX, y, z};
  p.orientation = orientation;
  p.duration = duration;
  return p;
}

// Puts the element at the phase's start and runs its position motion again, as a start would.
void Restart(Element& e, const EffectPhase& p) {
  e.position = p.start;
  e.orientation = p.orientation;
  e.StartPositionMotion(p.start.x, p.start.y, p.start.z, p.end.x, p.end.y, p.end.z, p.duration);
}

}  // namespace

EffectPhase Battle::LungeStep(BattleState& state) {
  const int32_t phase = MoveOn(state.action.lungePhase, 1);
  const int32_t id = state.action.actorId;
  EffectPhase p;  // duration 1.0 unless the tables say otherwise
  if (id >= kIdPlayerField0 && id <= kIdPlayerField0 + 2) {
    const float y = FieldRow(id - kIdPlayerField0);
    p = phase == 1 ? Horizontal(360, 320, y, kSpriteDepth, kUnturned, 1.0f)
                   : Horizontal(320, 360, y, kSpriteDepth, kUnturned, 1.0f);
  } else if (id >= kIdEnemyField0 && id <= kIdEnemyField0 + 2) {
    const float y = FieldRow(id - kIdEnemyField0);
    p = phase == 1 ? Horizontal(216, 256, y, kSpriteDepth, kMirrored, 1.0f)
                   : Horizontal(256, 216, y, kSpriteDepth, kMirrored, 1.0f);
  }
  return p;
}

EffectPhase Battle::RecoilStep(BattleState& state, int i) {
  StrikeRecord& strike = state.strikes.at(static_cast<size_t>(i));
  const int32_t phase = MoveOn(strike.phase, 2);
  const int32_t id = strike.targetId;
  // Home x, how far the sprite jerks (away from the attacker), row and orientation.
  float home = 0, away = 0, y = 0;
  plat::Vec3 orientation = kUnturned;
  if (id == kIdPlayerAvatar) {
    home = 560, away = 10, y = 310;
  } else if (id >= kIdPlayerField0 && id <= kIdPlayerField0 + 2) {
    home = 360, away = 20, y = FieldRow(id - kIdPlayerField0);
  } else if (id == kIdEnemyAvatar) {
    home = 16, away = -10, y = 310, orientation = kMirrored;
  } else if (id >= kIdEnemyField0 && id <= kIdEnemyField0 + 2) {
    home = 216, away = -20, y = FieldRow(id - kIdEnemyField0), orientation = kMirrored;
  } else {
    return EffectPhase{};
  }
  switch (phase) {
    case 2: return Horizontal(home, home, y, kSpriteDepth, orientation, 1.0f);         // hold
    case 1: return Horizontal(home, home + away, y, kSpriteDepth, orientation, 0.5f);  // out
    default: return Horizontal(home + away, home, y, kSpriteDepth, orientation, 0.5f); // back
  }
}

EffectPhase Battle::ImpactStep(BattleState& state, int i) {
  const int32_t phase = MoveOn(state.impactPhases.at(static_cast<size_t>(i)), 2);
  const int32_t id = state.strikes.at(static_cast<size_t>(i)).targetId;
  float x = 0, y = 0;
  plat::Vec3 orientation = kUnturned;
  float laterPhases = 0.5f;  // duration of phases 1 and 0
  if (id == kIdPlayerAvatar) {
    x = 560, y = 310;
  } else if (id >= kIdPlayerField0 && id <= kIdPlayerField0 + 2) {
    x = 360, y = FieldRow(id - kIdPlayerField0);
  } else if (id == kIdEnemyAvatar) {
    x = 16, y = 310, laterPhases = 0.1f;
  } else if (id == kIdEnemyField0) {
    x = 216, y = 240;
  } else if (id == kIdEnemyField0 + 1 || id == kIdEnemyField0 + 2) {
    x = 216, y = FieldRow(id - kIdEnemyField0), orientation = kMirrored;
  } else {
    return EffectPhase{};
  }
  EffectPhase p = Horizontal(x, x, y, kImpactDepth, orientation, phase == 2 ? 1.0f : laterPhases);
  // The animation's cells count down 3, 2, 1 with the phases, over whatever target.
  p.cell = phase + 1;
  return p;
}

void Battle::StartLunge(ElementList& elements, BattleState& state) const {
  Element e;
  e.ResetElement();
  e.SetElement(state.action.actorId, kKindLunge, 1, state.action.actorMonster, kTexMonster);
  state.action.lungePhase = -1;
  const EffectPhase p = LungeStep(state);
  e.StartPositionMotion(p.start.x, p.start.y, p.start.z, p.end.x, p.end.y, p.end.z, p.duration);
  e.position = p.start;
  e.orientation = p.orientation;
  Append(elements, e);
  HideById(elements, state.action.actorId);  // the attacker's own sprite, earlier in the list
}

void Battle::StartStrikes(ElementList& elements, BattleState& state) const {
  for (int i = 0; i < static_cast<int>(state.strikes.size()); ++i) {
    StrikeRecord& strike = state.strikes[static_cast<size_t>(i)];
    if (strike.targetId == 0) continue;

    Element recoil;
    recoil.ResetElement();
    recoil.SetElement(strike.targetId, kKindRecoil, 1, strike.targetCell, kTexMonster);
    strike.phase = -1;
    const EffectPhase r = RecoilStep(state, i);
    recoil.StartPositionMotion(r.start.x, r.start.y, r.start.z, r.end.x, r.end.y, r.end.z, r.duration);
    recoil.position = r.start;
    recoil.orientation = r.orientation;
    Append(elements, recoil);
    HideById(elements, strike.targetId);  // the struck sprite

    Element impact;
    impact.ResetElement();
    state.impactPhases[static_cast<size_t>(i)] = -1;
    const EffectPhase m = ImpactStep(state, i);
    impact.SetElement(0, kKindImpact, 1, m.cell, kTexBattleAnimation);
    impact.position = m.start;
    impact.StartPositionMotion(m.start.x, m.start.y, m.start.z, m.end.x, m.end.y, m.end.z, m.duration);
    impact.orientation = m.orientation;
    Append(elements, impact);
  }
}

int Battle::StepEffect(Element& element, BattleState& state) const {
  const StrikeRecord& first = state.strikes[0];
  switch (element.kind) {
    case kKindLunge:
      if (state.action.lungePhase <= 0) return 0;  // back home: the attack is over
      Restart(element, LungeStep(state));
      return 1;
    case kKindRecoil:
      if (first.phase > 0 && first.targetCell > 0) Restart(element, RecoilStep(state, 0));
      return 1;
    case kKindImpact:
      if (state.impactPhases[0] > 0 && first.targetCell > 0) {
        const EffectPhase p = ImpactStep(state, 0);
        Restart(element, p);
        element.cell = p.cell;
        DebugOutput(L"called");
        DebugOutput(L"\n");
      }
      return 1;
    default:
      return 1;  // a time bar's marker, for one
  }
}
