#pragma once
// The real program as a child process of a test, and the X tools that find and drive its window.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

using namespace std::chrono_literals;

// Runs a command through the shell (bounded to a minute) and returns whether it succeeded; its
// standard output, without the final line break, goes to `out`.
bool Shell(const std::string& command, std::string* out = nullptr);

// The game started in `folder` with `env` added ("NAME=value") and `options` on its command line,
// its standard error to a file of its own. A test that stops early, even by dying, leaves no game
// behind.
class GameProcess {
 public:
  GameProcess(const std::string& folder, const std::vector<std::string>& env,
              const std::vector<std::string>& options = {});
  ~GameProcess();
  GameProcess(const GameProcess&) = delete;
  GameProcess& operator=(const GameProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // Exit status (128 + the signal when killed), or -1 when the game did not end in time.
  int Wait(std::chrono::seconds limit);
  // Processor time (user and system) the game used, once it has ended: unlike the time it took,
  // it hardly grows when other work crowds the machine.
  double CpuSeconds() const { return cpuSeconds_; }
  std::string Err() const;

  // Waits (at most `limit`) until the game's standard error, read from byte `from` on, satisfies
  // `done`; on failure says what it waited for and the last lines it saw.
  ::testing::AssertionResult Until(const std::string& what, const std::function<bool(const std::string&)>& done,
                                   size_t from = 0, std::chrono::seconds limit = 60s);
  // Waits until the game writes `text` at or after byte `from`; `from` then points just past it.
  ::testing::AssertionResult Writes(const std::string& text, size_t& from, std::chrono::seconds limit = 60s);

  // The game's visible window on DISPLAY, once it has made its device (which may recreate the
  // window). Only this process's windows are looked at.
  ::testing::AssertionResult FindWindow(std::string& window, std::chrono::seconds limit = 60s);

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  double cpuSeconds_ = 0;
  std::string errFile_;
};

// The first visible window whose _NET_WM_PID is `pid`, searched until it shows; empty when none
// did within `limit`. Every search is a fresh xdotool: a window that vanishes while one walks the
// tree fails that search alone, never the wait.
std::string WindowOfProcess(pid_t pid, std::chrono::seconds limit = 60s);

}  // namespace testsupport
