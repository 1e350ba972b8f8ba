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

  // The device events (and pauses when asked), in order, without their "arena: " or
  // "arena-pause: " prefix.
  std::vector<std::string> Events(bool withPauses = false) const {
    std::vector<std::string> events;
    std::istringstream lines(err);
    const std::string device = "arena: ", pause = "arena-pause: ";
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(device, 0) == 0) events.push_back(line.substr(device.size()));
      if (withPauses && line.rfind(pause, 0) == 0) events.push_back(line.substr(pause.size()));
    }
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
             const std::function<void(pid_t)>& during = {}, std::chrono::seconds limit = 180s) {
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

std::vector<std::string> XEnv(const std::string& display = XDisplay()) {
  // Mesa's drivers are unloaded before the leak check runs, leaving reports without symbols
  // that no suppression can name; the leak check of our own code runs in the headless test.
  return {"DISPLAY=" + display, "SDL_VIDEODRIVER=", "SDL_AUDIODRIVER=dummy",
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

std::string XdoOn(const std::string& display, const std::string& args) {
  return Shell("DISPLAY=" + display + " xdotool " + args + " 2>/dev/null");
}
std::string Xdo(const std::string& args) { return XdoOn(XDisplay(), args); }

// The game window of process `pid`, waited for.
std::string WaitForWindow(pid_t pid, const std::string& display = XDisplay()) {
  for (int i = 0; i < 1200; ++i) {  // a loaded machine starts a sanitizer build slowly
    std::string id = XdoOn(display, "search --onlyvisible --pid " + std::to_string(pid) + " --name 'x\\[vela\\]'");
    if (!id.empty()) return id.substr(0, id.find('\n'));
    std::this_thread::sleep_for(50ms);
  }
  return {};
}

// Keys go through the X server's test extension to the focused window, as a user's would; events
// sent to one window directly were at times dropped while the window was still settling.
void Key(const std::string& window, const std::string& key, const std::string& display = XDisplay()) {
  XdoOn(display, "windowfocus --sync " + window);
  XdoOn(display, "key --clearmodifiers " + key);
}

pid_t Spawn(std::vector<std::string> args, const std::vector<std::string>& env) {
  std::vector<std::string> envStrings = Environment(env);
  std::vector<char*> argv = Pointers(args), envp = Pointers(envStrings);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) return 0;
  return pid;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
}

// A display of our own with a window manager, for what only a managed window does (minimising).
class ManagedDisplay {
 public:
  ManagedDisplay() {
    // A display number nobody holds, away from the ones test runs usually pick.
    for (int n = 300 + getpid() % 200, tries = 0; tries < 20 && name_.empty(); ++n, ++tries) {
      std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
      if (access(lock.c_str(), F_OK) == 0) continue;
      const std::string name = ":" + std::to_string(n);
      pid_t xvfb = Spawn({"Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, {});
      for (int i = 0; i < 100 && xvfb != 0; ++i) {
        int status = 0;
        if (waitpid(xvfb, &status, WNOHANG) == xvfb) {
          xvfb = 0;  // it gave up (display taken): try the next number
          break;
        }
        if (system(("xdpyinfo -display " + name + " >/dev/null 2>&1").c_str()) == 0) {
          xvfb_ = xvfb;
          name_ = name;
          break;
        }
        std::this_thread::sleep_for(50ms);
      }
      if (name_.empty()) Stop(xvfb);
    }
    if (name_.empty()) {
      problem_ = "no Xvfb display could be started";
      return;
    }
    wm_ = Spawn({"openbox"}, {"DISPLAY=" + name_});
    // Managed once the window manager announces itself on the root window.
    for (int i = 0; i < 600; ++i) {
      if (Shell("DISPLAY=" + name_ + " xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") !=
          std::string::npos)
        return;
      std::this_thread::sleep_for(100ms);
    }
    problem_ = "openbox did not start on " + name_;
    name_.clear();
  }
  ~ManagedDisplay() {
    Stop(wm_);
    Stop(xvfb_);
  }
  const std::string& Name() const { return name_; }  // empty when it could not be had
  const std::string& Problem() const { return problem_; }

 private:
  pid_t xvfb_ = 0, wm_ = 0;
  std::string name_, problem_;
};

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
    for (int i = 0; i < 200 && geometryBack.find("800x600") == std::string::npos; ++i) {
      geometryBack = Xdo("getwindowgeometry " + w);
      std::this_thread::sleep_for(50ms);
    }
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

TEST(E2eFramework, MinimisePausesAndRestoreResumes) {
  if (!XDisplay()) GTEST_SKIP() << "no Xvfb display (ARENA_XVFB_DISPLAY)";
  ManagedDisplay display;
  if (display.Name().empty()) GTEST_SKIP() << display.Problem();
  const std::string d = display.Name();
  ArenaRun run = RunArena({"-noerrormsgboxes"}, XEnv(d), [&](pid_t pid) {
    std::string w = WaitForWindow(pid, d);
    ASSERT_FALSE(w.empty());
    Settle();
    XdoOn(d, "windowminimize --sync " + w);
    Settle();
    XdoOn(d, "windowactivate --sync " + w);
    Settle();
    Key(w, "Escape", d);
  });
  ASSERT_FALSE(run.timedOut) << run.err;
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> expected = {
      "created HAL 640x480", "reset HAL 640x480",                     // no device change at all:
      "rendering paused", "time paused", "rendering resumed", "time resumed",  // only the pause
      "lost", "destroyed"};
  EXPECT_EQ(run.Events(true), expected) << run.err;
}
