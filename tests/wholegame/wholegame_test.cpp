// A whole battle played through the real framework, Scene and battle on the reference device at
// a constant 0.05 s a frame: summon all three monsters, attack the enemy's monster until it goes,
// then the enemy avatar until a new battle begins. Played three times, each in a process of its
// own: with mouse messages posted to the window, with key messages only, and with a virtual game
// controller. Key frames are compared with golden images (ARENA_UPDATE_GOLDEN=1 writes them again
// after the art has changed); the battle's debugger lines are checked.
#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/support/test_support.h"
#include "tests/support/virtual_pad.h"
#include "tests/wholegame/game_harness.h"

namespace {

using harness::g_game;

constexpr int kFrameLimit = 8000;
constexpr uint32_t kStatsRows = 20;  // the frame-statistics line shows measured rates: not compared

enum class Play { kMouse, kKeys, kPad };

struct Attack {
  int32_t actorId = 0;
  int32_t monster = 0;
  bool direct = false;
};

struct Script {
  Play play = Play::kMouse;
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

  int frame = 0;
  int choices = 0;         // rows chosen so far
  int turn = 0;            // the keys and the pad's two ways of moving take turns
  int enterHeldUntil = -1;  // a held Enter repeats until this frame, then goes up
  VirtualPad pad;

  bool Taken(const std::string& name) const { return std::find(taken.begin(), taken.end(), name) != taken.end(); }
  void Capture(const std::string& name) {
    if (!Taken(name) && capture.empty()) capture = name;
  }
};
Script g_script;

// Rows of the open menu above `row` that a click would act on. A menu opens with the focus on the
// first of them, so this many steps down reach `row`.
int StepsTo(const ElementList& list, int32_t kind, int row) {
  const int32_t first = kind == kKindCommandRow ? kIdCommandRow0 : kIdSelectRow0;
  int steps = 0;
  for (const Element& e : list)
    if (e.kind == kind && e.visible != 0 && e.clickEnabled != 0 && e.id - first < row) ++steps;
  return steps;
}

// The keys, and now and then input no mouse could give, which must change nothing a click
// would not: at the first choice a thousand presses of Down and of Up, at the second Enter held
// for ten seconds while menus open and wait.
void ChooseByKeys(const ElementList& list, int32_t kind, int row) {
  Script& s = g_script;
  if (s.choices == 0) {
    for (int i = 0; i < 1000; ++i) harness::PostPress(plat::VK_DOWN);
    for (int i = 0; i < 1000; ++i) harness::PostPress(plat::VK_UP);
  }
  for (int i = StepsTo(list, kind, row); i > 0; --i) harness::PostPress(s.turn++ % 2 ? uint32_t{'S'} : uint32_t{plat::VK_DOWN});
  if (s.choices++ == 1) {
    harness::PostKey(plat::VK_RETURN, true);
    s.enterHeldUntil = s.frame + 200;
    s.player.HoldUntil(s.enterHeldUntil + 1);
    return;
  }
  harness::PostPress(s.turn++ % 2 ? plat::VK_SPACE : plat::VK_RETURN);
}

void ChooseByPad(const ElementList& list, int32_t kind, int row) {
  Script& s = g_script;
  for (int i = StepsTo(list, kind, row); i > 0; --i) {
    if (s.turn++ % 2) s.pad.StickDown();
    else s.pad.Press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
  }
  s.pad.Press(SDL_CONTROLLER_BUTTON_A);
}

// Before the first menu opens (frame 80): keys the game does not use and picks with nothing to
// pick, which must leave no trace line; on the pad, every button and both stick axes at once,
// then the pad pulled out while they are held, and ten times in and out. Start is Pause, through
// the framework's own rule (time stands still but for the constant frame time, which goes on).
void NothingToPick(int frame) {
  Script& s = g_script;
  if (s.play == Play::kKeys && frame == 5) {
    for (uint32_t key : {uint32_t{plat::VK_RETURN}, uint32_t{plat::VK_SPACE}, uint32_t{'A'}, uint32_t{'Q'},
                         uint32_t{plat::VK_TAB}, uint32_t{plat::VK_F1}, uint32_t{plat::VK_HOME}})
      harness::PostPress(key);
  }
  if (s.play != Play::kPad) return;
  if (frame == 5) {
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) s.pad.Set(static_cast<SDL_GameControllerButton>(b), true);
    s.pad.Tilt(SDL_CONTROLLER_AXIS_LEFTX, SDL_JOYSTICK_AXIS_MIN);
    s.pad.Tilt(SDL_CONTROLLER_AXIS_LEFTY, SDL_JOYSTICK_AXIS_MAX);
  }
  if (frame == 7 && !AppIsTimePaused()) s.failures.push_back("Start did not pause");
  if (frame >= 8 && frame < 28) {
    if (frame % 2 == 0) s.pad.Detach();
    else if (!s.pad.Attach()) s.failures.push_back("no virtual controller at frame " + std::to_string(frame));
  }
  if (frame == 30) s.pad.Press(SDL_CONTROLLER_BUTTON_START);
  if (frame == 32 && AppIsTimePaused()) s.failures.push_back("a second Start did not resume");
}

void BeforeFrameMove(int frame) {
  Script& s = g_script;
  s.frame = frame;
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
  NothingToPick(frame);
  if (frame <= s.enterHeldUntil) harness::PostKey(plat::VK_RETURN, frame < s.enterHeldUntil, true);
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

// The golden picture of a frame. Played without the mouse (whose first keys come before the first
// menu), a menu shows its focused row lit where the pointer, standing elsewhere, lights none;
// every other frame is the mouse's.
std::string GoldenName(const std::string& frame) {
  static const std::map<std::string, std::string> focused{
      {"wholegame_2_avatar_menu", "wholegame_keys_2_avatar_menu"},
      {"wholegame_3_summon_menu", "wholegame_keys_3_summon_menu"},
      {"wholegame_6_target_monster", "wholegame_keys_6_target_monster"},
      {"wholegame_7_target_avatar", "wholegame_keys_7_target_avatar"}};
  const auto it = focused.find(frame);
  return g_script.play != Play::kMouse && it != focused.end() ? it->second : frame;
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
  const std::string golden = GoldenName(s.capture);
  const std::string message = testsupport::CheckGolden(golden, image, 2);
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

void PlayABattleToTheNextOne(Play play) {
  g_script.play = play;
  if (play == Play::kKeys) g_script.player = harness::AutoPlayer(ChooseByKeys);
  if (play == Play::kPad) g_script.player = harness::AutoPlayer(ChooseByPad);
  g_game.beforeFrameMove = BeforeFrameMove;
  g_game.afterRender = AfterRender;
  // SDL drops controller input while no window of the program has the keyboard focus, and the
  // headless driver never gives one the focus.
  if (play == Play::kPad) SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  ASSERT_TRUE(harness::Start({"arena", "-constantframetime:0.05", "-noerrormsgboxes", "-forceref"}));
  ASSERT_EQ(AppGetD3DDevice()->GetDeviceType(), static_cast<uint32_t>(plat::DEVTYPE_REF));
  if (play == Play::kPad) {
    ASSERT_TRUE(g_script.pad.Attach()) << SDL_GetError();
  }
  const int exitCode = harness::Run();
  g_script.pad.Detach();
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

  if (const char* update = std::getenv("ARENA_UPDATE_GOLDEN"); update && std::string(update) == "1" && play == Play::kMouse) {
    ASSERT_FALSE(g_script.screenshot.argb.empty());
    EXPECT_TRUE(testsupport::WritePng(testsupport::SourcePath("docs/screenshot.png"), g_script.screenshot));
  }
}

TEST(WholeGame, PlaysABattleToTheNextOne) { PlayABattleToTheNextOne(Play::kMouse); }
TEST(WholeGame, PlaysABattleToTheNextOneWithKeysOnly) { PlayABattleToTheNextOne(Play::kKeys); }
TEST(WholeGame, PlaysABattleToTheNextOneWithAGameController) { PlayABattleToTheNextOne(Play::kPad); }

}  // namespace
