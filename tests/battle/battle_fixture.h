#pragma once
// A battle as the Scene starts it, over a known monster table, with the debugger output captured.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/battle/battle.h"
#include "game/element_list.h"
#include "platform/services.h"
#include "tests/fakes/debug_capture.h"

namespace battletest {

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
    plat::Services services;
    services.system = &system;
    plat::SetServices(services);
    battle.SetUp(elements, state);
    UseTable();
  }
  void TearDown() override { plat::SetServices(plat::Services{}); }

  // Monster i: hit points 100 + 10 i, bar 400 / (100 + i) s, damage 50 + i, command cells 10 + i
  // and 20 + i; `edit` changes every record.
  void UseTable(const std::function<void(MonsterRecord&)>& edit = {}) {
    state.monsters.clear();
    for (int i = 0; i < 8; ++i) {
      MonsterRecord r;
      r.column2 = 100 + 10 * i;
      r.column3 = 100 + i;
      r.column11 = 10 + i;
      r.column13 = 50 + i;
      r.column14 = 20 + i;
      if (edit) edit(r);
      state.monsters.push_back(r);
    }
  }

  // Runs frames of `dt` until `done` holds or `maxFrames` pass.
  template <typename Pred>
  void RunUntil(Pred done, float dt = 0.05f, int maxFrames = 2000) {
    for (int frames = 0; !done() && frames < maxFrames; ++frames) {
      battle.FrameMove(elements, dt, state);
      Purge(elements);
    }
  }

  void Click(int32_t id) {
    const Element* e = FindId(elements, id);
    ASSERT_NE(e, nullptr) << id;
    battle.OnElementClick(elements, *e, state);
    Purge(elements);
  }

  // The battle's own trace lines, without the list's purge counts.
  std::vector<std::wstring> BattleLines() const {
    const std::wstring all = system.Joined();
    std::vector<std::wstring> out;
    size_t start = 0;
    for (size_t nl; (nl = all.find(L'\n', start)) != std::wstring::npos; start = nl + 1)
      if (all.compare(start, 6, L"Purge ") != 0) out.push_back(all.substr(start, nl - start));
    return out;
  }

  DebugCapture system;
  Battle battle;
  BattleState state;
  ElementList elements;
};

}  // namespace battletest
