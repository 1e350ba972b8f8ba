// Element-list operations and the purge trace.
#include <gtest/gtest.h>

#include "game/element_list.h"
#include "platform/services.h"
#include "tests/fakes/debug_capture.h"

namespace {

TEST(ElementList, ByIdTouchesTheFirstOnlyExceptRemoveAndZeroCodesNothing) {
  ElementList list;
  for (auto [id, kind] : {std::pair{7, 1}, {7, 2}, {8, 1}, {0, 0}, {7, 1}}) {
    Element e;
    e.ResetElement();
    e.SetElement(id, kind, 1, 0, L"t");
    e.clickEnabled = 1;
    Append(list, e);
  }
  HideById(list, 7);
  EXPECT_EQ(list[0].visible + list[1].visible + list[4].visible, 2);
  EXPECT_EQ(list[0].visible, 0);
  list[1].visible = 0;
  ShowById(list, 7);
  EXPECT_EQ(list[0].visible + list[1].visible, 1);
  EXPECT_EQ(list[0].visible, 1);
  RemoveById(list, 7);
  EXPECT_EQ(list[0].removeFlag + list[1].removeFlag + list[2].removeFlag + list[4].removeFlag, 3);

  HideById(list, 0);
  HideByKind(list, 0);
  DisableHitsByKind(list, 0);
  RemoveByKind(list, 0);
  RemoveById(list, 0);
  EXPECT_EQ(list[3].visible, 1);
  EXPECT_EQ(list[3].clickEnabled, 1);
  EXPECT_EQ(list[3].removeFlag, 0);
}

TEST(ElementList, PurgeKeepsOrderAndTracesOnlyAChange) {
  DebugCapture system;
  plat::Services services;
  services.system = &system;
  plat::SetServices(services);
  ElementList list(7);
  for (int i = 0; i < 7; ++i) list[size_t(i)].id = i + 1;
  Purge(list);
  EXPECT_EQ(list.size(), 7u);
  EXPECT_TRUE(system.writes.empty());

  list[1].removeFlag = 1;
  list[5].removeFlag = 1;
  Purge(list);
  std::vector<int32_t> ids;
  for (const Element& e : list) ids.push_back(e.id);
  EXPECT_EQ(ids, (std::vector<int32_t>{1, 3, 4, 5, 7}));
  EXPECT_EQ(system.Joined(), L"Purge 7 -> 5\n");
  plat::SetServices(plat::Services{});
}

}  // namespace
