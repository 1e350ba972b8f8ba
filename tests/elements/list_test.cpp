// The purge of removed elements and its trace.
#include <gtest/gtest.h>

#include "game/element_list.h"
#include "platform/services.h"
#include "tests/fakes/debug_capture.h"

namespace {

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
