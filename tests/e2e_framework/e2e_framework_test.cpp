// The real program under SDL's dummy driver and, when the test run provides one, under Xvfb with
// OpenGL, driven with xdotool. Device callbacks are watched through ARENA_TRACE_DEVICE_EVENTS.
#include <gtest/gtest.h>

#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using namespace std::chrono_literals;

struct ArenaRun {
  int exitCode = -1;
  std::string err;  // stderr: debugger output and device events
  bool timedOut = false;

  // The device events, in order, without the "arena: " prefix.
  std::vector<std::string> Events() const {
    std::vector<std::string> events;
    std::istringstream lines(err);
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("arena: ", 0) == 0) events.push_back(line.substr(7));
    return events;
  }

  int Count(const std::string& text) const {
    int n = 0;
    for (size_t at = err.find(text); at != std::string::npos; at = err.find(text, at + 1)) ++n;
    return n;
  }
};

// The environment of this process with `set` applied ("NAME=value"; "NAME=" removes NAME).
std::vector<std::string> Environment(const std::vector<std::string>& set) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (const std::string& s : set) {
    std::string name = s.substr(0, s.find('=') + 1);
    std::erase_if(env, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
    if (s.size() > name.size()) env.push_back(s);
  }
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (std::string& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

// Starts arena from the source tree (it reads Data2/ from there); `during` runs while it lives.
ArenaRun RunArena(std::vector<std::string> args, const std::vector<std::string>& env,
             const std::function<void(pid_t)>& during = {}, std::chrono::seconds limit = 60s) {
  std::string errFile = std::string(ARENA_BINARY_DIR) + "/e2e_framework_" + std::to_string(getpid()) + ".err";
  args.insert(args.begin(), std::string(ARENA_BINARY_DIR) + "/arena");
  std::vector<std::string> envStrings = Environment(env);
  std::vector<char*> argv = Pointers(args), envp = Pointers(envStrings);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::string cwd = ARENA_SOURCE_DIR;
  ArenaRun run;
  pid_t pid = 0;
  if (chdir(cwd.c_str()) != 0 || posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    run.err = "spawn failed";
    return run;
  }
  posix_spawn_file_actions_destroy(&actions);
  if (during) during(pid);

  int status = 0;
  auto deadline = std::chrono::steady_clock::now() + limit;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      run.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(20ms);
  }
  if (!run.timedOut && WIFEXITED(status)) run.exitCode = WEXITSTATUS(status);
  std::ifstream in(errFile);
  std::stringstream text;
  text << in.rdbuf();
  run.err = text.str();
  std::remove(errFile.c_str());
  return run;
}

const char* XDisplay() {
  const char* d = std::getenv("ARENA_XVFB_DISPLAY");
  return d && *d ? d : nullptr;
}

std::vector<std::string> XEnv() {
  // Mesa's drivers are unloaded before the leak check runs, leaving reports without symbols
  // that no suppression can name; the leak check of our own code runs in the headless test.
  return {std::string("DISPLAY=") + XDisplay(), "SDL_VIDEODRIVER=", "SDL_AUDIODRIVER=dummy",
          "ARENA_TRACE_DEVICE_EVENTS=1", "ASAN_OPTIONS=detect_leaks=0"};
}

std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* p = popen(command.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

std::string Xdo(const std::string& args) {
  return Shell(std::string("DISPLAY=") + XDisplay() + " xdotool " + args + " 2>/dev/null");
}

// The game window of process `pid`, waited for.
std::string WaitForWindow(pid_t pid) {
  for (int i = 0; i < 300; ++i) {
    std::string id = Xdo("search --onlyvisible --pid " + std::to_string(pid) + " --name 'x\\[vela\\]'");
    if (!id.empty()) return id.substr(0, id.find('\n'));
    std::this_thread::sleep_for(50ms);
  }
  return {};
}

void Key(const std::string& window, const std::string& key) {
  Xdo("windowfocus --sync " + window);
  Xdo("key --window " + window + " " + key);
}

// Waits until stderr (read back from the file as the program writes it) is not needed: the
// program's own pace decides, so give it time between steps.
void Settle() { std::this_thread::sleep_for(700ms); }

}  // namespace

TEST(E2eFramework, QuitsAfterFrame5OnTheReferenceDeviceHeadless) {
  ArenaRun run = RunArena({"-quitafterframe:5", "-noerrormsgboxes"},
                     {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", "ARENA_TRACE_DEVICE_EVENTS=1"});
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.Count("hr="), 0) << "no failure trace: " << run.err;
  EXPECT_EQ(run.Count("arena: created REF 640x480"), 1) << run.err;
  EXPECT_EQ(run.Count("arena: lost"), 1);
  EXPECT_EQ(run.Count("arena: destroyed"), 1);
}

TEST(E2eFramework, QuitsAfterFrame5OnOpenGLUnderXvfb) {
  if (!XDisplay()) GTEST_SKIP() << "no Xvfb display (ARENA_XVFB_DISPLAY)";
  ArenaRun run = RunArena({"-quitafterframe:5", "-noerrormsgboxes"}, XEnv());
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.Count("hr="), 0) << run.err;
  EXPECT_EQ(run.Count("arena: created HAL 640x480"), 1) << run.err;
}

TEST(E2eFramework, ClosingTheWindowExits11OnReferenceAnd0OnHardware) {
  if (!XDisplay()) GTEST_SKIP() << "no Xvfb display (ARENA_XVFB_DISPLAY)";
  for (bool reference : {true, false}) {
    std::vector<std::string> args = {"-noerrormsgboxes"};
    if (reference) args.push_back("-forceref");
    ArenaRun run = RunArena(args, XEnv(), [](pid_t pid) {
      std::string w = WaitForWindow(pid);
      ASSERT_FALSE(w.empty());
      Settle();
      Key(w, "alt+F4");
    });
    ASSERT_FALSE(run.timedOut) << run.err;
    EXPECT_EQ(run.exitCode, reference ? 11 : 0) << run.err;
  }
}

TEST(E2eFramework, RealWindowSizingHotkeysAndSwitches) {
  if (!XDisplay()) GTEST_SKIP() << "no Xvfb display (ARENA_XVFB_DISPLAY)";
  std::string geometryBack;
  ArenaRun run = RunArena({"-noerrormsgboxes"}, XEnv(), [&](pid_t pid) {
    std::string w = WaitForWindow(pid);
    ASSERT_FALSE(w.empty());
    Settle();
    Xdo("windowsize --sync " + w + " 800 600");  // resize: one lost/reset pair
    Settle();
    Key(w, "F8");  // wireframe on
    Settle();
    Key(w, "F3");  // to the reference device and back
    Settle();
    Key(w, "F3");
    Settle();
    Key(w, "alt+Return");  // full screen and back to the saved size
    Settle();
    Key(w, "alt+Return");
    Settle();
    geometryBack = Xdo("getwindowgeometry " + w);
    Key(w, "Escape");
  });
  ASSERT_FALSE(run.timedOut) << run.err;
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> expected = {
      "created HAL 640x480", "reset HAL 640x480",
      "lost", "reset HAL 800x600",                               // the resize: one lost/reset pair
      "lost", "destroyed", "created REF 800x600", "reset REF 800x600",  // F3
      "lost", "destroyed", "created HAL 800x600", "reset HAL 800x600",  // F3 back
      "lost", "reset HAL " + Xdo("getdisplaygeometry | tr ' ' x"),      // Alt+Enter: full screen
      "lost", "reset HAL 800x600",                               // and back to the saved size
      "lost", "destroyed"};                                      // Escape, then process exit
  EXPECT_EQ(run.Events(), expected) << run.err;
  EXPECT_NE(geometryBack.find("800x600"), std::string::npos) << geometryBack;
  EXPECT_EQ(run.Count("hr="), 0) << run.err;
}
