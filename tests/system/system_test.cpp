// Process services of the real system: command line, files, debug output, boxes, text.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/system/sdl_system.h"
#include "platform/system/text.h"

namespace {

namespace fs = std::filesystem;

TEST(CommandLine, QuotesArgumentsWithBlanksAndKeepsTheRest) {
  EXPECT_EQ(plat::BuildCommandLine({"/opt/my games/arena", "-windowed", "-width:800", "two words",
                                    "tab\there", ""}),
            L"\"/opt/my games/arena\" -windowed -width:800 \"two words\" \"tab\there\" \"\"");
  // UTF-8 arguments come out as wide characters, not bytes.
  EXPECT_EQ(plat::BuildCommandLine({"arena", "gr\xC3\xB6\xC3\x9F" "e"}), L"arena gr\u00F6\u00DFe");
}

class Files : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("arena_files_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    old_ = fs::current_path();
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(old_);
    fs::remove_all(dir_);
  }
  fs::path dir_, old_;
  plat::SdlSystem system;
};

TEST_F(Files, ReadsWholeBinaryFilesByWideNameAndFailsWithoutTouchingTheBuffer) {
  std::string content("\xFF\xFE" "a\0b\0\r\0\n\0", 10);
  content += std::string(100000, 'x');
  std::ofstream(plat::WideToUtf8(L"\u00FCber \u30C6.txt"), std::ios::binary) << content;
  std::vector<uint8_t> bytes{1, 2, 3};
  ASSERT_TRUE(system.ReadWholeFile(L"\u00FCber \u30C6.txt", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);

  bytes = {7};
  EXPECT_FALSE(system.ReadWholeFile(L"Data2/none.png", bytes));
  fs::create_directories("adir");
  EXPECT_FALSE(system.ReadWholeFile(L"adir", bytes));
  EXPECT_FALSE(system.ReadWholeFile(std::wstring(L"a\0b", 3), bytes));
  EXPECT_EQ(bytes, std::vector<uint8_t>{7});
}

// A packet socket keeps the boundaries of every write(), so it shows how many writes a call made.
class StderrCapture {
 public:
  StderrCapture() {
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds_) != 0) return;
    saved_ = ::dup(STDERR_FILENO);
    ::dup2(fds_[0], STDERR_FILENO);
  }
  ~StderrCapture() {
    Restore();
    ::close(fds_[0]);
    ::close(fds_[1]);
  }
  void Restore() {
    if (saved_ >= 0) {
      ::dup2(saved_, STDERR_FILENO);
      ::close(saved_);
      saved_ = -1;
    }
  }
  bool ok() const { return fds_[1] >= 0; }
  std::vector<std::string> Packets() {
    std::vector<std::string> packets;
    char buffer[1 << 17];
    for (;;) {
      const ssize_t n = ::recv(fds_[1], buffer, sizeof buffer, MSG_DONTWAIT);
      if (n <= 0) break;
      packets.emplace_back(buffer, static_cast<size_t>(n));
    }
    return packets;
  }

 private:
  int fds_[2] = {-1, -1};
  int saved_ = -1;
};

TEST(DebugOutput, EachCallIsOneUtf8WriteWithNothingAdded) {
  plat::SdlSystem system;
  StderrCapture capture;
  ASSERT_TRUE(capture.ok());
  system.OutputDebugString(L"Init Sprite\r\n");
  system.OutputDebugString(L"\u30E2\u30F3\u30B9\u30BF\u30FC \U0001F409\n");
  system.OutputDebugString(std::wstring(20000, L'z'));
  system.OutputDebugString(L"");
  capture.Restore();
  const auto packets = capture.Packets();
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[0], "Init Sprite\r\n");
  EXPECT_EQ(packets[1], "\xE3\x83\xA2\xE3\x83\xB3\xE3\x82\xB9\xE3\x82\xBF\xE3\x83\xBC \xF0\x9F\x90\x89\n");
  EXPECT_EQ(packets[2], std::string(20000, 'z'));
}

TEST(MessageBoxes, NeverWaitWithoutADisplayOrWhenSwitchedOff) {
  ::unsetenv("SDL_VIDEODRIVER");
  ::unsetenv("DISPLAY");
  ::unsetenv("WAYLAND_DISPLAY");
  ::unsetenv("ARENA_NO_MESSAGE_BOXES");
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
}

TEST(Debugger, TracerPidDecidesWhetherOneIsAttached) {
  EXPECT_FALSE(plat::StatusShowsTracer("Name:\tarena\nState:\tR\nTracerPid:\t0\nUid:\t0\n"));
  EXPECT_TRUE(plat::StatusShowsTracer("Name:\tarena\nTracerPid:\t4711\nUid:\t0\n"));
  EXPECT_FALSE(plat::StatusShowsTracer(""));
}

TEST(Text, Utf8AndWideRoundTripAndMalformedInputIsReplaced) {
  const std::wstring wide = L"A\u00E9\u30E2\U0001F409";
  EXPECT_EQ(plat::WideToUtf8(wide), "A\xC3\xA9\xE3\x83\xA2\xF0\x9F\x90\x89");
  EXPECT_EQ(plat::Utf8ToWide(plat::WideToUtf8(wide)), wide);
  // Truncated sequence, stray continuation, overlong form, encoded surrogate.
  EXPECT_EQ(plat::Utf8ToWide("a\xE3\x83" "b"), L"a\uFFFD\uFFFDb");
  EXPECT_EQ(plat::Utf8ToWide("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(plat::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");
}

}  // namespace
