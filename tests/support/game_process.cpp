#include "tests/support/game_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/test_support.h"

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

// The last `n` lines of `text`.
std::string LastLines(const std::string& text, int n) {
  size_t at = text.size();
  if (at > 0 && text.back() == '\n') --at;
  while (n-- > 0 && at != std::string::npos && at > 0) at = text.rfind('\n', at - 1);
  return at == std::string::npos || at == 0 ? text : text.substr(at + 1);
}

}  // namespace

bool Shell(const std::string& command, std::string* out) {
  FILE* pipe = popen(("timeout 60 " + command).c_str(), "r");
  if (pipe == nullptr) return false;
  std::string text;
  for (char buffer[256]; std::fgets(buffer, sizeof buffer, pipe) != nullptr;) text += buffer;
  const int status = pclose(pipe);
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  if (out) *out = text;
  return status == 0;
}

GameProcess::GameProcess(const std::string& folder, const std::vector<std::string>& env,
                         const std::vector<std::string>& options) {
  static int games = 0;
  errFile_ = ::testing::TempDir() + "arena-run-" + std::to_string(getpid()) + "-" + std::to_string(++games) + ".txt";
  // setpriv: the kernel ends the game when the test dies before it could.
  std::vector<std::string> args{"setpriv", "--pdeathsig", "KILL", "env", "-C", folder};
  args.insert(args.end(), env.begin(), env.end());
  args.push_back(BinaryPath("arena"));
  args.insert(args.end(), options.begin(), options.end());
  std::vector<char*> argv;
  for (std::string& s : args) argv.push_back(s.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
}

GameProcess::~GameProcess() {
  if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
  std::remove(errFile_.c_str());
}

int GameProcess::Wait(std::chrono::seconds limit) {
  for (const auto end = Clock::now() + limit; pid_ > 0; std::this_thread::sleep_for(20ms)) {
    int status = 0;
    rusage usage{};
    if (wait4(pid_, &status, WNOHANG, &usage) == pid_) {
      pid_ = -1;
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      cpuSeconds_ = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                    double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
      break;
    }
    if (Clock::now() >= end) return -1;
  }
  return status_;
}

std::string GameProcess::Err() const {
  std::stringstream s;
  s << std::ifstream(errFile_).rdbuf();
  return s.str();
}

::testing::AssertionResult GameProcess::Until(const std::string& what,
                                              const std::function<bool(const std::string&)>& done, size_t from,
                                              std::chrono::seconds limit) {
  const auto end = Clock::now() + limit;
  for (;;) {
    // Read before looking whether the game still runs: what it wrote before it ended counts.
    const bool ended = Wait(0s) != -1;
    const std::string err = Err();
    if (done(from < err.size() ? err.substr(from) : std::string())) return ::testing::AssertionSuccess();
    if (ended || Clock::now() >= end) {
      return ::testing::AssertionFailure()
             << "waited " << limit.count() << " s for " << what << ": "
             << (ended ? "the game ended with status " + std::to_string(status_) : std::string("not seen")) << "; the last "
             << "lines it wrote (from byte " << from << "):\n"
             << LastLines(from < err.size() ? err.substr(from) : std::string(), 30);
    }
    std::this_thread::sleep_for(20ms);
  }
}

::testing::AssertionResult GameProcess::Writes(const std::string& text, size_t& from, std::chrono::seconds limit) {
  size_t found = std::string::npos;
  auto result = Until(
      "\"" + text + "\"",
      [&](const std::string& err) {
        found = err.find(text);
        return found != std::string::npos;
      },
      from, limit);
  if (result) from += found + text.size();
  return result;
}

::testing::AssertionResult GameProcess::FindWindow(std::string& window, std::chrono::seconds limit) {
  size_t from = 0;
  if (auto made = Writes("arena: reset ", from, limit); !made) return made;
  window = WindowOfProcess(pid_, limit);
  if (window.empty())
    return ::testing::AssertionFailure() << "no visible window of process " << pid_ << " within " << limit.count()
                                         << " s after its device was made";
  return ::testing::AssertionSuccess();
}

std::string WindowOfProcess(pid_t pid, std::chrono::seconds limit) {
  const std::string search = "xdotool search --all --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null";
  for (const auto end = Clock::now() + limit;; std::this_thread::sleep_for(50ms)) {
    std::string found;
    Shell(search, &found);
    if (!found.empty()) return found.substr(0, found.find('\n'));
    if (Clock::now() >= end) return {};
  }
}

}  // namespace testsupport
