// The lunge, recoil and impact timelines of an attack, frame by frame at 20 frames a second.
#include <algorithm>
#include <cmath>

#include "tests/battle/battle_fixture.h"

namespace {

using battletest::FindId;
using battletest::OfKind;

struct Frame {
  double t = 0;
  float lungeX = NAN, recoilX = NAN;
  int impactCell = -1;
};

class EffectTest : public battletest::BattleTest {
 protected:
  // Player monster 7 on position 0 attacks the first target; frames run until the action ends.
  std::vector<Frame> AttackAndPlay() {
    battle.Summon(elements, kPlayer, 0, state);
    battle.OnBarFull(elements, 301, state);
    Click(kIdCommandRow0);
    system.writes.clear();
    Click(kIdSelectRow0);
    std::vector<Frame> frames;
    for (int i = 1; i <= 100 && state.openMenu != 0; ++i) {
      battle.FrameMove(elements, 0.05f, state);
      Purge(elements);
      Frame f;
      f.t = 0.05 * i;
      if (auto l = OfKind(elements, kKindLunge); !l.empty()) f.lungeX = l[0]->position.x;
      if (auto r = OfKind(elements, kKindRecoil); !r.empty()) f.recoilX = r[0]->position.x;
      if (auto m = OfKind(elements, kKindImpact); !m.empty()) f.impactCell = m[0]->cell;
      frames.push_back(f);
    }
    EXPECT_EQ(state.openMenu, 0);
    return frames;
  }
  // Time of the first frame that satisfies `pred`, or -1.
  template <typename Pred>
  static double FirstTime(const std::vector<Frame>& frames, Pred pred) {
    const auto it = std::find_if(frames.begin(), frames.end(), pred);
    return it == frames.end() ? -1 : it->t;
  }
  long Called() const {
    const auto lines = BattleLines();
    return std::count(lines.begin(), lines.end(), L"called");
  }
};

TEST_F(EffectTest, TimelineAgainstTheEnemyAvatar) {
  const auto frames = AttackAndPlay();
  ASSERT_FALSE(frames.empty());
  // Lunge: out to 320 in one second, back in another; its return ends the action.
  EXPECT_NEAR(FirstTime(frames, [](const Frame& f) { return f.lungeX == 320.0f; }), 1.0, 0.11);
  EXPECT_NEAR(frames.back().t, 2.0, 0.16);
  // Impact over the avatar: cell 3 for a second, then 2 and 1 for a tenth each.
  EXPECT_NEAR(FirstTime(frames, [](const Frame& f) { return f.impactCell == 2; }), 1.0, 0.11);
  EXPECT_NEAR(FirstTime(frames, [](const Frame& f) { return f.impactCell == 1; }), 1.1, 0.16);
  // Recoil: held a second at 16, out to 6 by 1.5 s, back towards 16.
  EXPECT_LT(FirstTime(frames, [](const Frame& f) { return f.recoilX < 16.0f; }), 1.11);
  EXPECT_NEAR(FirstTime(frames, [](const Frame& f) { return f.recoilX == 6.0f; }), 1.5, 0.16);
  EXPECT_EQ(Called(), 2);  // the two later impact phases
  EXPECT_EQ(state.enemyVitals.life, 2000 - 57);
  EXPECT_EQ(FindId(elements, kIdEnemyAvatar)->visible, 1);
}

}  // namespace
