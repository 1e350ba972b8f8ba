// Element-list operations and the purge trace.
#include <gtest/gtest.h>

#include "game/element_list.h"
#include "tests/battle/recording_system.h"

namespace {

Element Make(int32_t id, int32_t kind) {
  Element e;
  e.ResetElement();
  e.SetElement(id, kind, 1, 0, L"t");
  e.hoverEnabled = e.clickEnabled = 1;
  return e;
}

ElementList Sample() {
  // id/kind: (7,1) (7,2) (8,1) (0,0) (7,1)
  ElementList list;
  for (auto [id, kind] : {std::pair{7, 1}, {7, 2}, {8, 1}, {0, 0}, {7, 1}}) Append(list, Make(id, kind));
  return list;
}

TEST(ElementList, ByIdTouchesFirstOnlyExceptRemove) {
  ElementList list = Sample();
  HideById(list, 7);
  EXPECT_EQ(list[0].visible, 0);
  EXPECT_EQ(list[1].visible, 1);
  EXPECT_EQ(list[4].visible, 1);
  list[1].visible = 0;
  ShowById(list, 7);  // first with the id is list[0]
  EXPECT_EQ(list[0].visible, 1);
  EXPECT_EQ(list[1].visible, 0);
  RemoveById(list, 7);
  EXPECT_EQ(list[0].removeFlag + list[1].removeFlag + list[4].removeFlag, 3);
  EXPECT_EQ(list[2].removeFlag, 0);
}

TEST(ElementList, ZeroCodesDoNothing) {
  ElementList list = Sample();  // list[3] has id 0 and kind 0
  list[3].visible = 0;
  ShowById(list, 0);
  EXPECT_EQ(list[3].visible, 0);
  list[3].visible = 1;
  HideById(list, 0);
  HideByKind(list, 0);
  DisableHitsByKind(list, 0);
  RemoveByKind(list, 0);
  RemoveById(list, 0);
  list[3].positionMotion.duration = 1.0f;
  RestartMotionsOfKind(list, 0);
  EXPECT_EQ(list[3].visible, 1);
  EXPECT_EQ(list[3].clickEnabled, 1);
  EXPECT_EQ(list[3].removeFlag, 0);
  EXPECT_FLOAT_EQ(list[3].positionMotion.remaining, 0.0f);
}

TEST(ElementList, PurgeKeepsOrderAndTracesOnlyAChange) {
  battletest::RecordingSystem system;
  ElementList list;
  for (int i = 1; i <= 7; ++i) Append(list, Make(i, 0));
  Purge(list);
  EXPECT_EQ(list.size(), 7u);
  EXPECT_TRUE(system.writes.empty());

  list[1].removeFlag = 1;
  list[5].removeFlag = 1;
  Purge(list);
  ASSERT_EQ(list.size(), 5u);
  std::vector<int32_t> ids;
  for (const Element& e : list) ids.push_back(e.id);
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 3, 4, 5, 7}));
  EXPECT_EQ(system.writes, (std::vector<std::wstring>{L"Purge ", L"7", L" -> ", L"5", L"\n"}));
}

}  // namespace
