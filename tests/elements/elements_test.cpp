// One element's timed motions, the list's operations by id and kind, and the purge of removed
// elements with its trace.
#include <gtest/gtest.h>

#include "game/element.h"
#include "game/element_list.h"
#include "tests/fakes/debug_capture.h"

namespace {

Element Visible() {
  Element e;
  e.ResetElement();
  e.visible = 1;
  return e;
}

TEST(Motion, ScaleCompletesBeforePositionOneCompletionPerCall) {
  Element e = Visible();
  e.StartPositionMotion(0, 0, 0, 10, 0, 0, 0.5f);
  e.StartScaleMotion(1, 1, 1, 2, 1, 1, 0.5f);
  EXPECT_EQ(e.AdvanceMotion(0.25f), kMotionNone);
  EXPECT_FLOAT_EQ(e.position.x, 5.0f);
  // Both run out in the same call: the scale ends and the position is not touched.
  EXPECT_EQ(e.AdvanceMotion(0.25f), kMotionScaleDone);
  EXPECT_FLOAT_EQ(e.scale.x, 2.0f);
  EXPECT_FLOAT_EQ(e.position.x, 5.0f);
  EXPECT_EQ(e.AdvanceMotion(0.25f), kMotionPositionDone);
  EXPECT_FLOAT_EQ(e.position.x, 10.0f);
  EXPECT_EQ(e.AdvanceMotion(0.25f), kMotionNone);  // finished motions stay finished
}

TEST(Motion, EndsExactlyOnTargetWithoutOvershootingOnTheWay) {
  Element e = Visible();
  e.SetPosition(0, 3, 0.2f);
  e.StartPositionMotion(0, 3, 0.2f, 7.3f, -11.1f, 0.155f, 1.0f);
  int result = kMotionNone, calls = 0;
  for (; result == kMotionNone && calls < 100; ++calls) result = e.AdvanceMotion(0.07f);
  EXPECT_EQ(result, kMotionPositionDone);
  EXPECT_EQ(calls, 15);  // 14 x 0.07 = 0.98 leaves time; the 15th call runs it out
  EXPECT_EQ(e.position.x, 7.3f);
  EXPECT_EQ(e.position.y, -11.1f);
  EXPECT_EQ(e.position.z, 0.155f);

  // Starting near the end, the step of 5 per half second stops at the target; y has from == to,
  // so no speed: it stays until the time runs out, then jumps.
  e.SetPosition(8, 5, 0);
  e.StartPositionMotion(0, 10, 0, 10, 10, 0, 1.0f);
  EXPECT_EQ(e.AdvanceMotion(0.5f), kMotionNone);
  EXPECT_FLOAT_EQ(e.position.x, 10.0f);
  EXPECT_FLOAT_EQ(e.position.y, 5.0f);
  EXPECT_EQ(e.AdvanceMotion(0.5f), kMotionPositionDone);
  EXPECT_FLOAT_EQ(e.position.y, 10.0f);
}

TEST(Motion, OnlyVisibleOneAdvances) {
  for (int visible : {0, 2, -1}) {  // 2 is drawn but frozen
    Element e = Visible();
    e.visible = visible;
    e.StartPositionMotion(0, 0, 0, 10, 0, 0, 0.1f);
    EXPECT_EQ(e.AdvanceMotion(1.0f), kMotionNone) << visible;
    EXPECT_FLOAT_EQ(e.position.x, 0.0f) << visible;
  }
}

TEST(ElementList, ByIdHideAndShowTouchTheFirstOnlyWhileRemoveAndKindsTouchAll) {
  ElementList list(4);  // ids 7 7 8 7, kinds 1 2 1 1
  for (size_t i = 0; i < 4; ++i) list[i].SetElement(i == 2 ? 8 : 7, i == 1 ? 2 : 1, 1, 0, L"t");
  auto visible = [&] {
    std::vector<int32_t> v;
    for (const Element& e : list) v.push_back(e.visible);
    return v;
  };
  HideById(list, 7);
  EXPECT_EQ(visible(), (std::vector<int32_t>{0, 1, 1, 1}));
  list[1].visible = 0;
  ShowById(list, 7);
  EXPECT_EQ(visible(), (std::vector<int32_t>{1, 0, 1, 1}));
  HideByKind(list, 1);
  EXPECT_EQ(visible(), (std::vector<int32_t>{0, 0, 0, 0}));
  RemoveById(list, 7);
  std::vector<int32_t> removed;
  for (const Element& e : list) removed.push_back(e.removeFlag);
  EXPECT_EQ(removed, (std::vector<int32_t>{1, 1, 0, 1}));
}

TEST(ElementList, PurgeKeepsOrderAndTracesOnlyAChange) {
  CapturedSystem system;
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
}

}  // namespace
