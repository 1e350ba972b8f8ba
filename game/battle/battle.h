#pragma once
// The battle's operations. Battle holds no data: every operation works on the Scene's element
// list and the BattleState it is given.
#include <array>
#include <cstdint>

#include "game/battle/battle_state.h"
#include "game/colour.h"
#include "game/element_list.h"

class FontRenderer;
namespace plat { class IDevice; }

// Texture files the battle's elements are cut from.
inline constexpr const wchar_t* kTexMonster = L"Data2/Monster.png";
inline constexpr const wchar_t* kTexBattleBackground = L"Data2/BattleBackground.png";
inline constexpr const wchar_t* kTexBattleSelectBackground = L"Data2/BattleSelectBackground.png";
inline constexpr const wchar_t* kTexBattleCommand = L"Data2/BattleCommand.png";
inline constexpr const wchar_t* kTexBattleHilite = L"Data2/BattleHilite.png";
inline constexpr const wchar_t* kTexTimeBar = L"Data2/TimeBar.png";
inline constexpr const wchar_t* kTexMonsterName = L"Data2/MonsterName.png";
inline constexpr const wchar_t* kTexBattleAnimation = L"Data2/BattleAnimation.png";

// One phase of an effect: a position motion from `start` to `end`.
struct EffectPhase {
  plat::Vec3 start{};
  plat::Vec3 end{};
  plat::Vec3 orientation{};
  float duration = 1.0f;
  int32_t cell = 0;  // impact only
};

class Battle {
 public:
  // Set-up of a new battle, after the list has been emptied and before the monster table is
  // read: bars 300 and 310 (4 s), ResetBattleState, both avatars (lives 2000), starting hands.
  void SetUp(ElementList& elements, BattleState& state) const;

  // Flow (one completed motion handled per frame).
  void FrameMove(ElementList& elements, float elapsed, BattleState& state) const;
  // `clicked` may be an element of `elements`; it is copied before the list can grow.
  void OnElementClick(ElementList& elements, const Element& clicked, BattleState& state) const;
  void OnCommandClick(ElementList& elements, const Element& clicked, BattleState& state) const;
  void OnSelectClick(ElementList& elements, const Element& clicked, BattleState& state) const;
  void OnBarFull(ElementList& elements, int32_t code, BattleState& state) const;
  void CloseMenu(ElementList& elements, BattleState& state) const;
  void EndAction(ElementList& elements, BattleState& state) const;
  void CheckDefeat(ElementList& elements, BattleState& state) const;
  void OpenTargetMenu(ElementList& elements, const Element& clicked, BattleState& state, Side side,
                      int32_t row) const;
  // Does nothing when the side's field is full.
  void Summon(ElementList& elements, Side side, int32_t pick, BattleState& state) const;
  // The first row of a target menu: books the damage and starts the effects.
  void Attack(ElementList& elements, BattleState& state) const;

  // Effects.
  void StartLunge(ElementList& elements, BattleState& state) const;
  void StartStrikes(ElementList& elements, BattleState& state) const;
  // 0 when the attack is over (the lunge is back), else 1.
  int StepEffect(Element& element, BattleState& state) const;
  static EffectPhase LungeStep(BattleState& state);
  static EffectPhase RecoilStep(BattleState& state, int i);
  static EffectPhase ImpactStep(BattleState& state, int i);

  // Builders and numbers.
  void AddTimeBar(ElementList& elements, int32_t code, float duration) const;
  void AddMonsterSprite(ElementList& elements, int32_t id, int32_t cell) const;
  void OpenCommandMenu(ElementList& elements, const std::array<int32_t, 4>& cells,
                       const std::array<Colour, 4>& colours) const;
  // Entries are MonsterName.png cells; -1 = no row. Builds nothing when all four are -1.
  void OpenSelectMenu(ElementList& elements, const std::array<int32_t, 4>& entries) const;
  // Lives and hit points above 0, in red, with the Scene's font.
  void DrawNumbers(FontRenderer& font, plat::IDevice* device, const BattleState& state) const;
};
