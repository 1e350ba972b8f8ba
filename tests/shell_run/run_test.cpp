// The game as a process: started from a folder without its data, or with something other than a
// readable file in place of one, it ends as each case says; under Xvfb, a real window's resize
// closes and reopens the sound device once and mouse events reach the Overlay before the Scene.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/test_support.h"

namespace {

using namespace std::chrono_literals;

// The game started in `folder` with `env` added (entries "NAME=value") and `options` on its
// command line, stderr to a file; a test that stops early leaves no game behind.
struct Game {
  pid_t pid = -1;
  std::string errFile = ::testing::TempDir() + "arena-run-" + std::to_string(getpid()) + ".txt";

  Game(const std::string& folder, std::vector<std::string> env, std::vector<std::string> options = {}) {
    std::vector<std::string> args{"env", "-C", folder};
    args.insert(args.end(), env.begin(), env.end());
    args.push_back(testsupport::BinaryPath("arena"));
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& s : args) argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (posix_spawnp(&pid, "env", &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~Game() {
    if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0);
    std::remove(errFile.c_str());
  }

  // Exit status, or -1 when the game did not end in time.
  int Wait(std::chrono::seconds limit) {
    int status = 0;
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(50ms))
      if (waitpid(pid, &status, WNOHANG) == pid) {
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
    return -1;
  }
  std::string Err() const {
    std::stringstream s;
    s << std::ifstream(errFile).rdbuf();
    return s.str();
  }
};

// Runs a shell command and returns its standard output without the final line break.
std::string Shell(const std::string& command) {
  std::string out;
  if (FILE* f = popen(command.c_str(), "r")) {
    for (char buffer[256]; fgets(buffer, sizeof buffer, f);) out += buffer;
    pclose(f);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

int CountOf(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The sanitizer build reports leaks in system libraries that are not ours; the runs below read
// the rest of its report.
std::string LeakSuppressions() {
  return "LSAN_OPTIONS=suppressions=" + testsupport::SourcePath("scripts/lsan.supp") + ":print_suppressions=0";
}

// What can stand in place of a data file, made at `path` (which does not exist yet).
using Maker = void (*)(const std::string& path);
void MakeDirectory(const std::string& path) { std::filesystem::create_directory(path); }
void MakeFifo(const std::string& path) { mkfifo(path.c_str(), 0644); }
void MakeLoop(const std::string& path) { std::filesystem::create_symlink(path, path); }
void MakeZeroLink(const std::string& path) { std::filesystem::create_symlink("/dev/zero", path); }
// Open succeeds and the first read fails, whoever runs the game: root reads files of mode 000.
void MakeUnreadable(const std::string& path) { std::filesystem::create_symlink("/proc/self/mem", path); }
void MakeSparse8GB(const std::string& path) {
  std::ofstream(path) << "";
  std::filesystem::resize_file(path, 8ull << 30);
}
void MakeHugeHeader(const std::string& path) {
  std::ofstream(path, std::ios::binary) << testsupport::PngWithHeader(16384, 16384);
}
void MakeUtf8Table(const std::string& path) {
  std::ofstream(path) << "id\thp\n1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t16\n";
}
void MakeNoRows(const std::string& path) {
  std::ofstream(path, std::ios::binary) << std::string("h\0\n\0x\0\t\0\n\0", 10);
}
void MakeNothing(const std::string&) {}
// A game started from the wrong folder: no Data2/ at all.
void RemoveFolder(const std::string& path) {
  std::filesystem::remove_all(std::filesystem::path(path).parent_path());
}

// Each case replaces data files of a fresh copy of Data2/ and runs the sanitizer build for 30
// frames with no display: a bad image is left out and the game plays on, a bad table ends it
// with the media-not-found status and a line that names the fault. Nothing may block, take
// longer than five seconds or draw a sanitizer report.
TEST(GameRun, WhatStandsInPlaceOfADataFileIsRefusedQuicklyAndNamed) {
  const std::vector<std::string> images = {"Monster.png", "BattleBackground.png", "BattleSelectBackground.png",
                                           "BattleCommand.png", "BattleHilite.png", "TimeBar.png",
                                           "MonsterName.png", "BattleAnimation.png"};
  struct Case {
    std::string name;
    std::vector<std::string> files;
    Maker make;
    int status;
    std::vector<std::string> lines;
    std::vector<std::string> options = {};
  };
  const std::string table = "Data2/monster.txt: ";
  Case cases[] = {
      {"image directory", {"Monster.png"}, MakeDirectory, 0, {"Cannot load image Data2/Monster.png"}},
      {"image FIFO", {"Monster.png"}, MakeFifo, 0, {"Cannot load image Data2/Monster.png"}},
      {"image symlink loop", {"TimeBar.png"}, MakeLoop, 0, {"Cannot load image Data2/TimeBar.png"}},
      {"image unreadable", {"BattleCommand.png"}, MakeUnreadable, 0, {"Cannot load image Data2/BattleCommand.png"}},
      {"image /dev/zero", {"Monster.png"}, MakeZeroLink, 0, {"Cannot load image Data2/Monster.png"}},
      {"eight oversized headers", images, MakeHugeHeader, 0, {"Cannot load image Data2/BattleAnimation.png"}},
      {"table missing", {"monster.txt"}, MakeNothing, 4, {table + "missing\n"}},
      {"no data folder", {"monster.txt"}, RemoveFolder, 4,
       {"Cannot load image Data2/Monster.png", table + "missing\n"}},
      {"table directory", {"monster.txt"}, MakeDirectory, 4, {table + "not a regular file\n"}},
      {"table FIFO", {"monster.txt"}, MakeFifo, 4, {table + "not a regular file\n"}},
      {"table /dev/zero", {"monster.txt"}, MakeZeroLink, 4, {table + "not a regular file\n"}},
      {"table symlink loop", {"monster.txt"}, MakeLoop, 4,
       {table + "unreadable (Too many levels of symbolic links)\n"}},
      {"table unreadable", {"monster.txt"}, MakeUnreadable, 4, {table + "unreadable (Input/output error)\n"}},
      {"table sparse 8 GB", {"monster.txt"}, MakeSparse8GB, 4,
       {table + "too large (8589934592 bytes, at most 33554432)\n"}},
      {"table UTF-8", {"monster.txt"}, MakeUtf8Table, 4,
       {table + "not UTF-16LE text (TABs and line breaks are single bytes)\n"}},
      {"table without rows", {"monster.txt"}, MakeNoRows, 4, {table + "0 monster records found, 8 needed\n"}},
      // Window positions the rectangle arithmetic cannot hold as given.
      {"start at the int limits", {}, MakeNothing, 0, {}, {"-startx:2147483647", "-starty:-2147483648"}},
      {"start at the int limits", {}, MakeNothing, 0, {}, {"-startx:-2147483647", "-starty:2147483647"}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    char folder[] = "/tmp/arena-run-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string data = std::string(folder) + "/Data2";
    std::filesystem::copy(testsupport::SourcePath("Data2"), data);
    c.options.push_back("-quitafterframe:30");
    for (const std::string& file : c.files) {
      std::filesystem::remove(data + "/" + file);
      c.make(data + "/" + file);
    }
    Game game(folder, {"DISPLAY=", "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", LeakSuppressions()}, c.options);
    ASSERT_GT(game.pid, 0);
    EXPECT_EQ(game.Wait(5s), c.status);
    const std::string err = game.Err();
    for (const std::string& line : c.lines) EXPECT_NE(err.find(line), std::string::npos) << err;
    for (const char* report : {"runtime error:", "Sanitizer"}) EXPECT_EQ(err.find(report), std::string::npos) << err;
    std::filesystem::remove_all(folder);
  }
}

TEST(GameRun, ResizeReopensTheSoundOnceAndMouseReachesOverlayFirst) {
  const char* display = std::getenv("ARENA_XVFB_DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "needs the Xvfb display of scripts/test.sh";
  const std::string d = std::string("DISPLAY=") + display, env = "env " + d + " ";
  // Keys another test left held on the shared server (Alt+F4, Escape) would close the game.
  Shell(env + "xdotool keyup Alt_L Alt_R Control_L Control_R Shift_L Shift_R F4 Escape Return 2>/dev/null");
  Game game(testsupport::SourcePath("."), {d, "SDL_VIDEODRIVER=x11", "SDL_AUDIODRIVER=dummy",
                                           "ARENA_TRACE_DEVICE_EVENTS=1"});
  ASSERT_GT(game.pid, 0);

  // The window is final once the device exists (making the device may recreate it).
  for (int i = 0; i < 300 && game.Err().find("arena: reset") == std::string::npos; ++i)
    std::this_thread::sleep_for(100ms);
  std::string window;
  for (int i = 0; i < 100 && window.empty() && kill(game.pid, 0) == 0; ++i) {
    window = Shell(env + "xdotool search --pid " + std::to_string(game.pid) +
                   " --name '^x\\[vela\\] 1\\.3\\.5$' 2>/dev/null | tail -1");
    if (window.empty()) std::this_thread::sleep_for(100ms);
  }
  ASSERT_FALSE(window.empty()) << game.Err();
  std::this_thread::sleep_for(500ms);

  const size_t before = game.Err().size();
  Shell(env + "xdotool windowsize " + window + " 800 600");
  std::this_thread::sleep_for(1500ms);
  const size_t afterResize = game.Err().size();
  Shell(env + "xdotool mousemove --window " + window + " 200 150 click 1");
  std::this_thread::sleep_for(800ms);
  Shell(env + "xdotool key --window " + window + " Escape");
  EXPECT_NE(game.Wait(30s), -1) << "Escape did not end the game\n" << game.Err();
  const std::string err = game.Err();

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
