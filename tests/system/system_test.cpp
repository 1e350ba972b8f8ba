// Process services of the real system: command line, files, debug output, boxes, text.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/system/sdl_system.h"
#include "platform/system/text.h"

namespace {

TEST(CommandLine, QuotesArgumentsWithBlanksAndKeepsTheRest) {
  EXPECT_EQ(plat::BuildCommandLine({"/opt/my games/arena", "-width:800", "tab\there", "", "gr\xC3\xB6\xC3\x9F" "e"}),
            L"\"/opt/my games/arena\" -width:800 \"tab\there\" \"\" gr\u00F6\u00DFe");
}

TEST(Files, ReadsWholeRegularFilesByWideNameAndSaysWhyNotWithoutTouchingTheBuffer) {
  const auto dir = std::filesystem::temp_directory_path() / ("arena_files_" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  const std::wstring name = dir.wstring() + L"/\u00FCber \u30C6.txt";
  const std::string content = std::string("\xFF\xFE" "a\0b\0", 6) + std::string(100000, 'x');
  std::ofstream(plat::WideToUtf8(name), std::ios::binary) << content;
  plat::SdlSystem system;
  std::vector<uint8_t> bytes{1, 2, 3};
  ASSERT_TRUE(system.ReadWholeFile(name, content.size(), bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
  // A file that reports no size (as /proc's do) is read to its end all the same.
  ASSERT_TRUE(system.ReadWholeFile(L"/proc/self/status", 1 << 20, bytes));
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("TracerPid:"), std::string::npos);

  struct Case {
    std::wstring name;
    uint64_t maxBytes;
    plat::FileFault fault;
    int error;
    uint64_t size;
  };
  const Case cases[] = {
      {dir.wstring() + L"/none.png", 100, plat::FileFault::Missing, ENOENT, 0},
      {name + L"/inside", 100, plat::FileFault::Missing, ENOTDIR, 0},
      {std::wstring(L"a\0b", 3), 100, plat::FileFault::Missing, ENOENT, 0},
      {name, content.size() - 1, plat::FileFault::TooLarge, 0, content.size()},
      {L"/proc/self/status", 10, plat::FileFault::TooLarge, 0, 11},  // found over the limit while reading
  };
  // Directories, FIFOs, devices, symlink loops and unreadable files are refused by the game-run
  // tests, which see the line naming each cause.
  for (const Case& c : cases) {
    bytes = {7};
    const plat::FileRead r = system.ReadWholeFile(c.name, c.maxBytes, bytes);
    const std::string shown = plat::WideToUtf8(c.name);
    EXPECT_EQ(r.fault, c.fault) << shown;
    EXPECT_EQ(r.error, c.error) << shown << ": " << plat::ErrorText(r.error);
    EXPECT_EQ(r.size, c.size) << shown;
    EXPECT_EQ(bytes, std::vector<uint8_t>{7}) << shown;
  }
  std::filesystem::remove_all(dir);
}

// Standard error goes to a packet socket, which keeps the boundaries of every write().
TEST(DebugOutput, EachCallIsOneUtf8WriteWithNothingAdded) {
  int fds[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
  const int saved = ::dup(STDERR_FILENO);
  ::dup2(fds[0], STDERR_FILENO);
  plat::SdlSystem system;
  system.OutputDebugString(L"Init Sprite\r\n");
  system.OutputDebugString(L"\u30E2\u30F3 \U0001F409\n");
  system.OutputDebugString(std::wstring(20000, L'z'));
  system.OutputDebugString(L"");
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  std::vector<std::string> packets;
  static char buffer[1 << 17];
  for (ssize_t n; (n = ::recv(fds[1], buffer, sizeof buffer, MSG_DONTWAIT)) > 0;) packets.emplace_back(buffer, size_t(n));
  ::close(fds[0]);
  ::close(fds[1]);
  EXPECT_EQ(packets, (std::vector<std::string>{"Init Sprite\r\n", "\xE3\x83\xA2\xE3\x83\xB3 \xF0\x9F\x90\x89\n",
                                               std::string(20000, 'z')}));
}

TEST(Headless, BoxesNeverWaitAndTheTracerLineTellsOfADebugger) {
  for (const char* name : {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY", "ARENA_NO_MESSAGE_BOXES"}) ::unsetenv(name);
  EXPECT_FALSE(plat::MessageBoxesPossible());
  ::setenv("DISPLAY", ":1234", 1);
  EXPECT_TRUE(plat::MessageBoxesPossible());
  ::setenv("ARENA_NO_MESSAGE_BOXES", "1", 1);
  EXPECT_FALSE(plat::MessageBoxesPossible());
  plat::SdlSystem system;
  EXPECT_EQ(system.MessageBox(nullptr, L"t", L"c", plat::BoxButtons::YesNo, true), plat::BoxAnswer::No);
  ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
  ::unsetenv("ARENA_NO_MESSAGE_BOXES");
  EXPECT_FALSE(plat::MessageBoxesPossible());
  // A debugger is attached when the status file names a tracer.
  EXPECT_FALSE(plat::StatusShowsTracer("Name:\tarena\nTracerPid:\t0\nUid:\t0\n"));
  EXPECT_TRUE(plat::StatusShowsTracer("Name:\tarena\nTracerPid:\t4711\nUid:\t0\n"));
}

TEST(Text, Utf8AndWideRoundTripAndMalformedInputIsReplaced) {
  const std::wstring wide = L"A\u00E9\u30E2\U0001F409";
  EXPECT_EQ(plat::WideToUtf8(wide), "A\xC3\xA9\xE3\x83\xA2\xF0\x9F\x90\x89");
  EXPECT_EQ(plat::Utf8ToWide(plat::WideToUtf8(wide)), wide);
  // Truncated sequence, encoded surrogate, beyond Unicode.
  EXPECT_EQ(plat::Utf8ToWide("a\xE3\x83" "b"), L"a\uFFFD\uFFFDb");
  EXPECT_EQ(plat::Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(plat::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}

// Box texts go into lines of at most 60 characters, counted as characters however many bytes
// each takes in UTF-8, broken at blanks; a word longer than a line is cut, and line breaks already
// in the text stay.
TEST(Text, BreakLinesKeepsEveryWordWithinTheWidth) {
  const std::wstring sixty(60, L'x');
  EXPECT_EQ(plat::BreakLines(sixty, 60), sixty);
  EXPECT_EQ(plat::BreakLines(sixty + L" y", 60), sixty + L"\ny");
  EXPECT_EQ(plat::BreakLines(L"a " + std::wstring(130, L'w'), 60),
            L"a\n" + std::wstring(60, L'w') + L"\n" + std::wstring(60, L'w') + L"\n" + std::wstring(10, L'w'));
  EXPECT_EQ(plat::BreakLines(L"File: x.cpp\nLine: 3\n\nDo you  want to debug? ", 60),
            L"File: x.cpp\nLine: 3\n\nDo you want to debug?");

  std::string words;
  for (int i = 0; i < 12; ++i) words += "Gr\xC3\xB6\xC3\x9F" "en\xC3\xA4nderung \xE3\x83\xA2\xE3\x83\xB3 ";
  const std::wstring wide = plat::Utf8ToWide(words);
  const std::wstring longWord(100, L'\u30E2');
  const std::string broken = plat::WideToUtf8(plat::BreakLines(wide + longWord, 60));
  std::wstring joined;
  int lines = 0;
  for (size_t start = 0, end; start <= broken.size(); start = end + 1, ++lines) {
    end = std::min(broken.find('\n', start), broken.size());
    const std::string line = broken.substr(start, end - start);
    // Cut only between characters: each line is whole UTF-8 text on its own.
    EXPECT_EQ(plat::WideToUtf8(plat::Utf8ToWide(line)), line);
    EXPECT_LE(plat::Utf8ToWide(line).size(), 60u) << line;
    joined += (joined.empty() ? L"" : L" ") + plat::Utf8ToWide(line);
  }
  EXPECT_EQ(lines, 6) << "three 17-character words a line, then the long word in two";
  EXPECT_EQ(joined, wide + std::wstring(60, L'\u30E2') + L" " + std::wstring(40, L'\u30E2')) << "no word lost or changed";
}

}  // namespace
