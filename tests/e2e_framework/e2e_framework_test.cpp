// The real program under SDL's dummy driver and under an Xvfb of its own with OpenGL, driven with
// xdotool. Device callbacks are watched through ARENA_TRACE_DEVICE_EVENTS.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/support/game_process.h"
#include "tests/support/x_server.h"

namespace {

using namespace std::chrono_literals;

struct ArenaRun {
  int exitCode = -1;  // -1: still running at the time limit (then killed)
  std::string err;    // stderr: debugger output and device events

  // The device events in order, without their "arena: " prefix; with `frames`, also "frames" and
  // the device and back buffer where the tenth frame since a reset (or a resume) was drawn.
  std::vector<std::string> Events(bool frames = false) const {
    std::vector<std::string> events;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("arena: ", 0) == 0) events.push_back(line.substr(7));
      if (frames && line.rfind(kTenthFrame, 0) == 0) events.push_back("frames " + line.substr(kTenthFrame.size()));
    }
    return events;
  }
  static constexpr std::string_view kTenthFrame = "arena-frames: 10 ";
};

// How many times `err` says a tenth frame was drawn.
int TenthFrames(const std::string& err) {
  std::istringstream in(err);
  int n = 0;
  for (std::string line; std::getline(in, line);) n += line.rfind(ArenaRun::kTenthFrame, 0) == 0;
  return n;
}

// Runs arena from the source tree (it reads Data2/ from there) with `env` added; `during` runs
// while it lives. The game is ended after three minutes at most.
ArenaRun RunArena(const std::vector<std::string>& options, std::vector<std::string> env,
                  const std::function<void(testsupport::GameProcess&)>& during = {}) {
  env.insert(env.end(), {"ARENA_TRACE_DEVICE_EVENTS=1", "SDL_AUDIODRIVER=dummy"});
  std::vector<std::string> args = options;
  args.push_back("-noerrormsgboxes");
  testsupport::GameProcess game(ARENA_SOURCE_DIR, env, args);
  if (during && game.Pid() > 0) during(game);
  ArenaRun run;
  // A step that failed has said why; the game need not be waited for.
  run.exitCode = ::testing::Test::HasFatalFailure() ? -1 : game.Wait(180s);
  run.err = game.Err();
  return run;
}

// Keys go through the X server's test extension to the focused window, as a user's would.
void Key(const std::string& window, const std::string& key) {
  EXPECT_TRUE(testsupport::Shell("xdotool windowfocus --sync " + window + " key --clearmodifiers " + key)) << key;
}

}  // namespace

TEST(E2eFramework, QuitsAfterFrame5OnTheReferenceDeviceHeadless) {
  ArenaRun run = RunArena({"-quitafterframe:5"}, {"SDL_VIDEODRIVER=dummy"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err.find("hr="), std::string::npos) << "no failure trace: " << run.err;
  EXPECT_EQ(run.Events(), (std::vector<std::string>{"created REF 640x480", "reset REF 640x480", "lost", "destroyed"}))
      << run.err;
}

TEST(E2eFramework, RealWindowSizingHotkeysAndSwitches) {
  testsupport::XServer server;
  ASSERT_TRUE(server.Started()) << server.Error();
  setenv("DISPLAY", server.Display().c_str(), 1);  // for xdotool
  std::string geometryBack;
  // Mesa's drivers are unloaded before the leak check runs, leaving reports without symbols that no
  // suppression can name; the leak check of our own code runs in the headless test.
  ArenaRun run = RunArena({}, {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11", "ASAN_OPTIONS=detect_leaks=0"},
                          [&](testsupport::GameProcess& game) {
    std::string w;
    ASSERT_TRUE(game.FindWindow(w));
    // After every change of device or mode (the first: its creation), frames must come again
    // before the next.
    int changes = 0;
    const auto framesAgain = [&] {
      const int want = ++changes;
      return game.Until("ten frames after change " + std::to_string(want),
                        [want](const std::string& err) { return TenthFrames(err) >= want; });
    };
    ASSERT_TRUE(framesAgain());
    ASSERT_TRUE(testsupport::Shell("xdotool windowsize --sync " + w + " 800 600"));
    ASSERT_TRUE(framesAgain());
    Key(w, "F8");
    for (const char* key : {"F3", "F3", "alt+Return", "alt+Return"}) {
      Key(w, key);
      ASSERT_TRUE(framesAgain()) << key;
    }
    for (const auto end = std::chrono::steady_clock::now() + 60s;
         geometryBack.find("800x600") == std::string::npos && std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(50ms))
      testsupport::Shell("xdotool getwindowgeometry " + w, &geometryBack);
    Key(w, "Escape");
  });
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::string screen;
  ASSERT_TRUE(testsupport::Shell("xdotool getdisplaygeometry | tr ' ' x", &screen));
  screen = "HAL " + screen;
  const std::vector<std::string> expected = {
      "created HAL 640x480", "reset HAL 640x480", "frames HAL 640x480",
      "lost", "reset HAL 800x600", "frames HAL 800x600",                                       // the resize
      "lost", "destroyed", "created REF 800x600", "reset REF 800x600", "frames REF 800x600",  // F3
      "lost", "destroyed", "created HAL 800x600", "reset HAL 800x600", "frames HAL 800x600",  // F3 back
      "lost", "reset " + screen, "frames " + screen,                                          // full screen
      "lost", "reset HAL 800x600", "frames HAL 800x600",  // and back to the saved size
      "lost", "destroyed"};                               // Escape, then process exit
  EXPECT_EQ(run.Events(true), expected) << run.err;
  EXPECT_NE(geometryBack.find("800x600"), std::string::npos) << geometryBack;
  EXPECT_EQ(run.err.find("hr="), std::string::npos) << run.err;
}
