// A whole battle played through the real framework, Scene and battle on the reference device at
// a constant 0.05 s a frame, with mouse messages posted to the window: summon all three monsters,
// attack the enemy's monster until it goes, then the enemy avatar until a new battle begins.
// Key frames are compared with golden images (ARENA_UPDATE_GOLDEN=1 writes them again after the
// art has changed); the battle's debugger lines are checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/wholegame/game_harness.h"

namespace {

using harness::g_game;

constexpr int kFrameLimit = 8000;
constexpr uint32_t kStatsRows = 20;  // the frame-statistics line shows measured rates: not compared

struct Attack {
  int32_t actorId = 0;
  int32_t monster = 0;
  bool direct = false;
};

struct Script {
  harness::AutoPlayer player;
  std::vector<Attack> attacks;
  std::vector<std::string> taken;  // golden frames taken, in order
  std::string capture;             // golden to take from this frame's picture
  int captureAt = -1;
  std::string captureLater;
  bool newBattle = false;
  int closeAt = -1;
  bool closing = false;
  std::vector<std::string> failures;
  testsupport::Image screenshot;

  bool Taken(const std::string& name) const { return std::find(taken.begin(), taken.end(), name) != taken.end(); }
  void Capture(const std::string& name) {
    if (!Taken(name) && capture.empty()) capture = name;
  }
};
Script g_script;

void BeforeFrameMove(int frame) {
  Script& s = g_script;
  const BattleState& state = g_game.scene.State();
  const ElementList& list = g_game.scene.Elements();
  if (s.closing) return;
  if (frame == 0) s.Capture("wholegame_1_start");
  if (frame == s.captureAt) {
    s.Capture(s.captureLater);
    s.captureAt = -1;
  }
  if (frame == s.closeAt || frame >= kFrameLimit) {
    if (frame >= kFrameLimit) s.failures.push_back("no new battle within the frame limit");
    harness::PostClose();
    s.closing = true;
    return;
  }
  if (s.newBattle) return;
  if (!s.attacks.empty() && state.enemyVitals.life == kStartingLife && state.FieldCount(kEnemy) == 0 &&
      state.FieldCount(kPlayer) == 0) {
    // The last attack took the enemy's life: the Scene loaded itself again.
    s.newBattle = true;
    s.captureAt = frame + 10;
    s.captureLater = "wholegame_9_new_battle";
    s.closeAt = frame + 11;
    return;
  }
  if (state.FieldCount(kPlayer) == 1 && state.FieldCount(kEnemy) == 1) s.Capture("wholegame_4_first_summons");
  if (state.FieldCount(kPlayer) == 3 && !harness::AutoPlayer::CommandMenuOpen(list))
    s.Capture("wholegame_5_three_summoned");

  Attack a;
  if (state.openMenu > kBarPlayerAvatar) {
    a.actorId = state.openMenu + 200;
    a.monster = state.player.field[static_cast<size_t>(a.actorId - kIdPlayerField0)];
  }
  a.direct = state.FieldCount(kEnemy) == 0;
  switch (s.player.Step(frame, state, list)) {
    case harness::AutoPlayer::kOpenedSummons:
      s.Capture("wholegame_2_avatar_menu");
      break;
    case harness::AutoPlayer::kSummoned:
      s.Capture("wholegame_3_summon_menu");
      break;
    case harness::AutoPlayer::kAttacked: {
      s.attacks.push_back(a);
      s.Capture(a.direct ? "wholegame_7_target_avatar" : "wholegame_6_target_monster");
      const std::string strike = a.direct ? "wholegame_8_strike_avatar" : "wholegame_6_strike_monster";
      if (!s.Taken(strike) && s.captureAt < 0) {
        s.captureAt = frame + 21;  // the lunge at its turn, the recoil out, the impact on cell 2
        s.captureLater = strike;
      }
      break;
    }
    default:
      break;
  }
}

void AfterRender(int frame, plat::IDevice* device) {
  Script& s = g_script;
  const bool screenshot = s.screenshot.argb.empty() && s.Taken("wholegame_6_strike_monster");
  if (s.capture.empty() && !screenshot) return;
  testsupport::Image image;
  if (Failed(device->ReadBackBuffer(image.argb, image.width, image.height))) {
    s.failures.push_back("read-back failed at frame " + std::to_string(frame));
    s.capture.clear();
    return;
  }
  if (screenshot) s.screenshot = image;
  if (s.capture.empty()) return;
  for (uint32_t y = 0; y < std::min(kStatsRows, image.height); ++y)
    std::fill_n(image.argb.begin() + static_cast<std::ptrdiff_t>(y * image.width), image.width, 0u);
  const std::string message = testsupport::CheckGolden(s.capture, image, 2);
  if (!message.empty()) s.failures.push_back(s.capture + " at frame " + std::to_string(frame) + ": " + message);
  s.taken.push_back(s.capture);
  s.capture.clear();
}

// The debugger lines of the battle itself: everything but the list's purge counts and the
// texture and device traces.
std::vector<std::wstring> BattleLines() {
  std::wstring all;
  for (const std::wstring& w : g_game.system.writes) all += w;
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (size_t nl; (nl = all.find(L'\n', start)) != std::wstring::npos; start = nl + 1) {
    std::wstring line = all.substr(start, nl - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const bool other = line.rfind(L"Purge ", 0) == 0 || line == L"Init Sprite" || line == L"Reset Sprite" ||
                       line == L"Reset" || line == L"Lost" || line.find(L"hr=") != std::wstring::npos ||
                       line.rfind(L"FAIL:", 0) == 0 || line.empty();
    if (!other) lines.push_back(line);
  }
  return lines;
}

TEST(WholeGame, PlaysABattleToTheNextOne) {
  g_game.beforeFrameMove = BeforeFrameMove;
  g_game.afterRender = AfterRender;
  ASSERT_TRUE(harness::Start({"arena", "-constantframetime:0.05", "-noerrormsgboxes", "-forceref"}));
  ASSERT_EQ(AppGetD3DDevice()->GetDeviceType(), static_cast<uint32_t>(plat::DEVTYPE_REF));
  const int exitCode = harness::Run();
  EXPECT_EQ(exitCode, 11);  // the framework's exit code after a run on the reference device
  for (const std::string& f : g_script.failures) ADD_FAILURE() << f;
  EXPECT_TRUE(g_script.newBattle);

  const std::vector<std::string> wanted{
      "wholegame_1_start",         "wholegame_2_avatar_menu",    "wholegame_3_summon_menu",
      "wholegame_4_first_summons", "wholegame_5_three_summoned", "wholegame_6_target_monster",
      "wholegame_6_strike_monster", "wholegame_7_target_avatar", "wholegame_8_strike_avatar",
      "wholegame_9_new_battle"};
  for (const std::string& name : wanted) EXPECT_TRUE(g_script.Taken(name)) << name;

  // The player's summons trace the new monsters' hit points (7, 1 and 6 of the table); each
  // attack traces its actor, the actor's monster, "direct" when the enemy field was empty, the
  // chosen command and, for the two later impact phases, "called". The damage is booked at the
  // click, so the last attack's frame move already loads the next battle: its effects never play.
  std::vector<std::wstring> expected{L"760", L"340", L"560"};
  bool sawMonsterAttack = false;
  for (size_t i = 0; i < g_script.attacks.size(); ++i) {
    const Attack& a = g_script.attacks[i];
    expected.push_back(std::to_wstring(a.actorId));
    expected.push_back(std::to_wstring(a.monster));
    if (a.direct) expected.push_back(L"direct");
    sawMonsterAttack |= !a.direct;
    expected.push_back(L"0");
    if (i + 1 < g_script.attacks.size()) {
      expected.push_back(L"called");
      expected.push_back(L"called");
    }
  }
  EXPECT_TRUE(sawMonsterAttack);
  EXPECT_EQ(BattleLines(), expected);

  // The new battle starts from scratch.
  const BattleState& state = g_game.scene.State();
  EXPECT_EQ(state.playerVitals.life, kStartingLife);
  EXPECT_EQ(state.FieldCount(kPlayer), 0);
  EXPECT_EQ(state.monsters.size(), 8u);  // the table emptied and read again, not appended

  if (const char* update = std::getenv("ARENA_UPDATE_GOLDEN"); update && std::string(update) == "1") {
    ASSERT_FALSE(g_script.screenshot.argb.empty());
    EXPECT_TRUE(testsupport::WritePng(testsupport::SourcePath("docs/screenshot.png"), g_script.screenshot));
  }
}

}  // namespace
