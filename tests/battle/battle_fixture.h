#pragma once
// Shared set-up for the battle tests: a battle as the Scene starts it, over a known table.
#include <gtest/gtest.h>

#include <vector>

#include "game/battle/battle.h"
#include "tests/battle/recording_system.h"

namespace battletest {

// Monster i: hit points 100 + 10 i, bar 400 / (100 + i) s, damage 50 + i, command cells 10 + i
// and 20 + i.
inline MonsterRecord TestMonster(int i) {
  MonsterRecord r;
  r.column2 = 100 + 10 * i;
  r.column3 = 100 + i;
  r.column11 = 10 + i;
  r.column13 = 50 + i;
  r.column14 = 20 + i;
  return r;
}

inline const Element* FindId(const ElementList& list, int32_t id) {
  for (const Element& e : list)
    if (e.id == id) return &e;
  return nullptr;
}

inline std::vector<const Element*> OfKind(const ElementList& list, int32_t kind) {
  std::vector<const Element*> out;
  for (const Element& e : list)
    if (e.kind == kind && e.removeFlag == 0) out.push_back(&e);
  return out;
}

class BattleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    battle.SetUp(elements, state);
    for (int i = 0; i < 8; ++i) state.monsters.push_back(TestMonster(i));
  }

  // Runs frames of `dt` until `done` holds or `maxFrames` pass; returns the frames run.
  template <typename Pred>
  int RunUntil(Pred done, float dt = 0.05f, int maxFrames = 2000) {
    int frames = 0;
    while (!done() && frames < maxFrames) {
      battle.FrameMove(elements, dt, state);
      Purge(elements);
      ++frames;
    }
    return frames;
  }

  void Click(int32_t id) {
    const Element* e = FindId(elements, id);
    ASSERT_NE(e, nullptr) << id;
    battle.OnElementClick(elements, *e, state);
    Purge(elements);
  }

  // The battle's own trace lines, without the list's purge counts.
  std::vector<std::wstring> BattleLines() const {
    std::vector<std::wstring> out;
    for (const auto& line : system.Lines())
      if (line.rfind(L"Purge ", 0) != 0) out.push_back(line);
    return out;
  }

  RecordingSystem system;
  Battle battle;
  BattleState state;
  ElementList elements;
};

}  // namespace battletest
