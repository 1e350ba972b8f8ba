// The real program under SDL's dummy driver and, when the test run provides one, under Xvfb with
// OpenGL, driven with xdotool. Device callbacks are watched through ARENA_TRACE_DEVICE_EVENTS.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct ArenaRun {
  int exitCode = -1;  // 137: killed after the time limit
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

// How many times the game's standard error, so far, says a tenth frame was drawn.
int TenthFrames(const std::string& errFile) {
  std::ifstream in(errFile);
  int n = 0;
  for (std::string line; std::getline(in, line);) n += line.rfind(ArenaRun::kTenthFrame, 0) == 0;
  return n;
}

// Waits (at most a minute) until the game has drawn ten frames after its `n`th change.
void WaitForFrames(const std::string& errFile, int n) {
  for (int i = 0; i < 600 && TenthFrames(errFile) < n; ++i) std::this_thread::sleep_for(100ms);
}

// Runs arena from the source tree (it reads Data2/ from there) with `env` ("NAME=value" sets,
// "-u NAME" removes); `during` runs while it lives, given the file its standard error goes to.
ArenaRun RunArena(const std::string& args, const std::string& env,
                  const std::function<void(const std::string&)>& during = {}) {
  const std::string errFile = std::string(ARENA_BINARY_DIR) + "/e2e_framework_" + std::to_string(getpid()) + ".err";
  const std::string command = "cd " ARENA_SOURCE_DIR " && timeout -s KILL 180 env " + env +
                              " ARENA_TRACE_DEVICE_EVENTS=1 SDL_AUDIODRIVER=dummy " ARENA_BINARY_DIR "/arena " +
                              args + " -noerrormsgboxes >/dev/null 2>" + errFile;
  auto status = std::async(std::launch::async, [&] { return std::system(command.c_str()); });
  if (during) during(errFile);
  ArenaRun run;
  const int s = status.get();
  run.exitCode = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
  std::stringstream text;
  text << std::ifstream(errFile).rdbuf();
  run.err = text.str();
  std::remove(errFile.c_str());
  return run;
}

const char* XDisplay() {
  const char* d = std::getenv("ARENA_XVFB_DISPLAY");
  return d && *d ? d : nullptr;
}
// Mesa's drivers are unloaded before the leak check runs, leaving reports without symbols that no
// suppression can name; the leak check of our own code runs in the headless test.
std::string XEnv() {
  return std::string("-u SDL_VIDEODRIVER -u WAYLAND_DISPLAY DISPLAY=") + XDisplay() + " ASAN_OPTIONS=detect_leaks=0";
}

std::string Xdo(const std::string& args) {
  std::string out;
  if (FILE* p = popen(("DISPLAY=" + std::string(XDisplay()) + " xdotool " + args + " 2>/dev/null").c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

// The game window, waited for; then a pause so that the program settles before the first input.
std::string WaitForWindow() {
  for (int i = 0; i < 1200; ++i) {  // a loaded machine starts a sanitizer build slowly
    std::string id = Xdo("search --onlyvisible --name 'x\\[vela\\]'");
    if (!id.empty()) {
      std::this_thread::sleep_for(700ms);
      return id.substr(0, id.find('\n'));
    }
    std::this_thread::sleep_for(50ms);
  }
  return {};
}

// Keys go through the X server's test extension to the focused window, as a user's would; events
// sent to one window directly were at times dropped while the window was still settling. The
// program's own pace decides how soon it reacts, so give it time after each key.
void Key(const std::string& window, const std::string& key) {
  Xdo("windowfocus --sync " + window);
  Xdo("key --clearmodifiers " + key);
  std::this_thread::sleep_for(700ms);
}

}  // namespace

TEST(E2eFramework, QuitsAfterFrame5OnTheReferenceDeviceHeadless) {
  ArenaRun run = RunArena("-quitafterframe:5", "SDL_VIDEODRIVER=dummy");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err.find("hr="), std::string::npos) << "no failure trace: " << run.err;
  EXPECT_EQ(run.Events(), (std::vector<std::string>{"created REF 640x480", "reset REF 640x480", "lost", "destroyed"}))
      << run.err;
}

TEST(E2eFramework, RealWindowSizingHotkeysAndSwitches) {
  if (!XDisplay()) GTEST_SKIP() << "no Xvfb display (ARENA_XVFB_DISPLAY)";
  std::string geometryBack;
  ArenaRun run = RunArena("", XEnv(), [&](const std::string& err) {
    std::string w = WaitForWindow();
    ASSERT_FALSE(w.empty());
    WaitForFrames(err, 1);
    Xdo("windowsize --sync " + w + " 800 600");
    WaitForFrames(err, 2);
    Key(w, "F8");
    // After every change of device or mode, frames must come again before the next.
    int changes = 2;
    for (const char* key : {"F3", "F3", "alt+Return", "alt+Return"}) {
      Key(w, key);
      WaitForFrames(err, ++changes);
    }
    for (int i = 0; i < 200 && geometryBack.find("800x600") == std::string::npos; ++i) {
      geometryBack = Xdo("getwindowgeometry " + w);
      std::this_thread::sleep_for(50ms);
    }
    Key(w, "Escape");
  });
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::string screen = "HAL " + Xdo("getdisplaygeometry | tr ' ' x");
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
