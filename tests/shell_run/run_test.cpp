// The game as a process: started from a folder without its data, or with something other than a
// readable file in place of one, it ends as each case says; under Xvfb, a real window's resize
// closes and reopens the sound device once and mouse events reach the Overlay before the Scene.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/game_process.h"
#include "tests/support/test_support.h"
#include "tests/support/x_server.h"

namespace {

using namespace std::chrono_literals;
using testsupport::GameProcess;

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
// with the media-not-found status and a line that names the fault. Nothing may block, work for
// more than five seconds of processor time or draw a sanitizer report.
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
    GameProcess game(folder, {"DISPLAY=", "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy", LeakSuppressions()},
                     c.options);
    ASSERT_GT(game.Pid(), 0);
    // Blocking shows as a game that does not end at all; reading or decoding what it should have
    // refused shows as the work it does, which a crowded machine does not inflate as it does the time.
    EXPECT_EQ(game.Wait(120s), c.status);
    EXPECT_LT(game.CpuSeconds(), 5.0);
    const std::string err = game.Err();
    for (const std::string& line : c.lines) EXPECT_NE(err.find(line), std::string::npos) << err;
    for (const char* report : {"runtime error:", "Sanitizer"}) EXPECT_EQ(err.find(report), std::string::npos) << err;
    std::filesystem::remove_all(folder);
  }
}

TEST(GameRun, ResizeReopensTheSoundOnceAndMouseReachesOverlayFirst) {
  testsupport::XServer server;
  ASSERT_TRUE(server.Started()) << server.Error();
  setenv("DISPLAY", server.Display().c_str(), 1);  // for xdotool
  GameProcess game(testsupport::SourcePath("."), {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11",
                                                  "SDL_AUDIODRIVER=dummy", "ARENA_TRACE_DEVICE_EVENTS=1"});
  ASSERT_GT(game.Pid(), 0);
  std::string window;
  ASSERT_TRUE(game.FindWindow(window));
  size_t at = 0;
  ASSERT_TRUE(game.Writes("arena-frames: 10 HAL 640x480\n", at));

  const size_t before = at;
  ASSERT_TRUE(testsupport::Shell("xdotool windowsize " + window + " 800 600"));
  ASSERT_TRUE(game.Writes("arena: reset HAL 800x600\n", at));
  ASSERT_TRUE(game.Writes("arena-sound: open 2 22050 16\n", at));
  const size_t afterResize = at;
  ASSERT_TRUE(testsupport::Shell("xdotool mousemove --window " + window + " 200 150 click 1"));
  ASSERT_TRUE(game.Writes("arena-mouse: scene 1 200 150\n", at));
  ASSERT_TRUE(testsupport::Shell("xdotool windowfocus --sync " + window + " key Escape"));
  EXPECT_NE(game.Wait(60s), -1) << "Escape did not end the game\n" << game.Err();
  const std::string err = game.Err();

  const std::string resize = err.substr(before, afterResize - before);
  EXPECT_EQ(CountOf(resize, "arena-sound: closed\n"), 1) << resize;
  EXPECT_EQ(CountOf(resize, "arena-sound: open 2 22050 16\n"), 1) << resize;
  EXPECT_LT(resize.find("arena-sound: closed"), resize.find("arena-sound: open")) << resize;
  // Up to the click, the resize's is the only reopening.
  const std::string mouse = err.substr(afterResize, at - afterResize);
  EXPECT_EQ(mouse.find("arena-sound:"), std::string::npos) << mouse;
  const size_t overlay = mouse.find("arena-mouse: overlay 1 200 150\n");
  ASSERT_NE(overlay, std::string::npos) << mouse;
  EXPECT_LT(overlay, mouse.find("arena-mouse: scene 1 200 150\n"));
}

}  // namespace
