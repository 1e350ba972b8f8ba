// The game as a process: started from a folder whose monster table cannot be played it ends with
// the media-not-found exit code; under Xvfb, a real window's resize closes and reopens the sound
// device once and mouse events reach the Overlay before the Scene.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/shell/workspace.h"

extern char** environ;

namespace {

struct Process {
  pid_t pid = -1;
  std::string errFile;
  Process() = default;
  Process(Process&& o) noexcept : pid(o.pid), errFile(std::move(o.errFile)) { o.pid = -1; }
  Process& operator=(Process&&) = delete;
  // A test that stops early leaves no game behind.
  ~Process() {
    if (pid <= 0) return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
};

// Starts the game in the current folder with `env` added, stderr to a file.
Process StartGame(const std::vector<std::string>& env, const std::vector<std::string>& args = {}) {
  Process p;
  p.errFile = (std::filesystem::current_path() / "stderr.txt").string();
  std::vector<std::string> envStrings;
  for (char** e = environ; *e; ++e) {
    const std::string s = *e;
    bool replaced = false;
    for (const std::string& add : env) replaced |= s.substr(0, s.find('=') + 1) == add.substr(0, add.find('=') + 1);
    if (!replaced) envStrings.push_back(s);
  }
  for (const std::string& add : env) envStrings.push_back(add);
  std::vector<char*> envp;
  for (std::string& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);

  std::string exe = testsupport::BinaryPath("arena");
  std::vector<std::string> argStrings{exe};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, p.errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (posix_spawn(&p.pid, exe.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0) p.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return p;
}

// Exit status, or -1 when the game did not end within the time (it is then killed).
int WaitGame(Process& p, std::chrono::seconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (std::chrono::steady_clock::now() < end) {
    const pid_t r = waitpid(p.pid, &status, WNOHANG);
    if (r == p.pid) {
      p.pid = -1;
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(p.pid, SIGKILL);
  waitpid(p.pid, &status, 0);
  p.pid = -1;
  return -1;
}

std::string ReadAll(const std::string& file) {
  std::ifstream in(file);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Runs a shell command and returns its standard output.
std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* f = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, f)) out += buffer;
    pclose(f);
  }
  return out;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

using GameRunTest = Workspace;

TEST_F(GameRunTest, UnplayableMonsterTableExitsWithMediaNotFound) {
  WriteGameImages();
  WriteMonsterTable(5);
  Process game = StartGame({"DISPLAY=", "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
  ASSERT_GT(game.pid, 0);
  EXPECT_EQ(WaitGame(game, std::chrono::seconds(60)), 4);
  const std::string err = ReadAll(game.errFile);
  EXPECT_NE(err.find("Data2/monster.txt: 5 monster records found, 8 needed"), std::string::npos) << err;
}

TEST_F(GameRunTest, WrongWorkingFolderExitsWithMediaNotFound) {
  Process game = StartGame({"DISPLAY=", "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"});
  ASSERT_GT(game.pid, 0);
  EXPECT_EQ(WaitGame(game, std::chrono::seconds(60)), 4);
  const std::string err = ReadAll(game.errFile);
  EXPECT_NE(err.find("Cannot load image Data2/Monster.png"), std::string::npos) << err;
  EXPECT_NE(err.find("Data2/monster.txt: 0 monster records found, 8 needed"), std::string::npos) << err;
}

TEST_F(GameRunTest, NoSoundDeviceGoesOnSilently) {
  WriteGameImages();
  WriteMonsterTable(8);
  // Ends by itself after a few frames.
  Process game = StartGame({"DISPLAY=", "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=no-such-driver"}, {"-quitafterframe:5"});
  ASSERT_GT(game.pid, 0);
  EXPECT_EQ(WaitGame(game, std::chrono::seconds(60)), 0);
  const std::string err = ReadAll(game.errFile);
  const size_t trace = err.find("common/appsound(");
  ASSERT_NE(trace, std::string::npos) << err;
  EXPECT_NE(err.find("DirectSoundCreate8", trace), std::string::npos) << err;
  EXPECT_NE(err.find("FAIL:Initialize\n", trace), std::string::npos) << err;
  EXPECT_EQ(err.find("FAIL:SetPrimaryBufferFormat"), std::string::npos) << err;
}

TEST_F(GameRunTest, ResizeReopensTheSoundOnceAndMouseReachesOverlayFirst) {
  const char* display = std::getenv("ARENA_XVFB_DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "needs the Xvfb display of scripts/test.sh";
  WriteGameImages();
  WriteMonsterTable(8);
  const std::string d = std::string("DISPLAY=") + display;
  // Keys another test left held on the shared server (Alt+F4, Escape) would close the game.
  Shell("env " + d + " xdotool keyup Alt_L Alt_R Control_L Control_R Shift_L Shift_R F4 Escape Return 2>/dev/null");
  Process game = StartGame({d, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy", "ARENA_TRACE_DEVICE_EVENTS=1"});
  ASSERT_GT(game.pid, 0);

  const std::string env = "env " + d + " ";
  // The window is final once the device exists (making the device may recreate it).
  for (int i = 0; i < 300 && ReadAll(game.errFile).find("arena: reset") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::string window;
  for (int i = 0; i < 100 && window.empty() && kill(game.pid, 0) == 0; ++i) {
    window = Shell(env + "xdotool search --pid " + std::to_string(game.pid) +
                   " --name '^x\\[vela\\] 1\\.3\\.5$' 2>/dev/null | tail -1");
    while (!window.empty() && (window.back() == '\n' || window.back() == ' ')) window.pop_back();
    if (window.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_FALSE(window.empty()) << ReadAll(game.errFile);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  const size_t before = ReadAll(game.errFile).size();
  Shell(env + "xdotool windowsize " + window + " 800 600");
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const size_t afterResize = ReadAll(game.errFile).size();
  Shell(env + "xdotool mousemove --window " + window + " 200 150 click 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  Shell(env + "xdotool key --window " + window + " Escape");
  const int status = WaitGame(game, std::chrono::seconds(30));
  const std::string err = ReadAll(game.errFile);
  EXPECT_NE(status, -1) << "Escape did not end the game\n" << err;

  const std::string resize = err.substr(before, afterResize - before);
  EXPECT_EQ(CountOf(resize, "arena-sound: closed\n"), 1) << resize;
  EXPECT_EQ(CountOf(resize, "arena-sound: open 2 22050 16\n"), 1) << resize;
  EXPECT_LT(resize.find("arena-sound: closed"), resize.find("arena-sound: open")) << resize;

  const std::string mouse = err.substr(afterResize);
  const size_t overlay = mouse.find("arena-mouse: overlay 1 200 150\n");
  const size_t scene = mouse.find("arena-mouse: scene 1 200 150\n");
  ASSERT_NE(overlay, std::string::npos) << mouse;
  ASSERT_NE(scene, std::string::npos) << mouse;
  EXPECT_LT(overlay, scene);
}

}  // namespace
