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
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct ArenaRun {
  int exitCode = -1;  // 137: killed after the time limit
  std::string err;    // stderr: debugger output and device events

  // The device events in order, without their "arena: " prefix.
  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("arena: ", 0) == 0) events.push_back(line.substr(7));
    return events;
  }
};

// Runs arena from the source tree (it reads Data2/ from there) with `env` ("NAME=value" sets,
// "-u NAME" removes); `during` runs while it lives.
ArenaRun RunArena(const std::string& args, const std::string& env, const std::function<void()>& during = {}) {
  const std::string errFile = std::string(ARENA_BINARY_DIR) + "/e2e_framework_" + std::to_string(getpid()) + ".err";
  const std::string command = "cd " ARENA_SOURCE_DIR " && timeout -s KILL 180 env " + env +
                              " ARENA_TRACE_DEVICE_EVENTS=1 SDL_AUDIODRIVER=dummy " ARENA_BINARY_DIR "/arena " +
                              args + " -noerrormsgboxes >/dev/null 2>" + errFile;
  auto status = std::async(std::launch::async, [&] { return std::system(command.c_str()); });
  if (during) during();
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
std::string XEnv() { return std::string("-u SDL_VIDEODRIVER DISPLAY=") + XDisplay() + " ASAN_OPTIONS=detect_leaks=0"; }

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
  ArenaRun run = RunArena("", XEnv(), [&] {
    std::string w = WaitForWindow();
    ASSERT_FALSE(w.empty());
    Xdo("windowsize --sync " + w + " 800 600");
    std::this_thread::sleep_for(700ms);
    for (const char* key : {"F8", "F3", "F3", "alt+Return", "alt+Return"}) Key(w, key);
    for (int i = 0; i < 200 && geometryBack.find("800x600") == std::string::npos; ++i) {
      geometryBack = Xdo("getwindowgeometry " + w);
      std::this_thread::sleep_for(50ms);
    }
    Key(w, "Escape");
  });
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> expected = {
      "created HAL 640x480", "reset HAL 640x480",
      "lost", "reset HAL 800x600",                                       // the resize: one lost/reset pair
      "lost", "destroyed", "created REF 800x600", "reset REF 800x600",  // F3
      "lost", "destroyed", "created HAL 800x600", "reset HAL 800x600",  // F3 back
      "lost", "reset HAL " + Xdo("getdisplaygeometry | tr ' ' x"),      // Alt+Enter: full screen
      "lost", "reset HAL 800x600",                                       // and back to the saved size
      "lost", "destroyed"};                                              // Escape, then process exit
  EXPECT_EQ(run.Events(), expected) << run.err;
  EXPECT_NE(geometryBack.find("800x600"), std::string::npos) << geometryBack;
  EXPECT_EQ(run.err.find("hr="), std::string::npos) << run.err;
}
