#include "tests/support/x_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace testsupport {

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Starting an X server takes well under a second; a machine loaded many times over its cores
// takes far longer, and nothing is gained by giving up early.
constexpr auto kStartLimit = 60s;

std::string Contents(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// Waits for the child to end, at most `limit`; false when it still runs.
bool Reap(pid_t pid, std::chrono::milliseconds limit) {
  for (const auto end = Clock::now() + limit;; std::this_thread::sleep_for(10ms)) {
    const pid_t r = waitpid(pid, nullptr, WNOHANG);
    if (r == pid || (r < 0 && errno == ECHILD)) return true;
    if (Clock::now() >= end) return false;
  }
}

}  // namespace

XServer::XServer(const std::string& screen) {
  static int servers = 0;
  const std::string log = ::testing::TempDir() + "xvfb-" + std::to_string(getpid()) + "-" + std::to_string(++servers) + ".log";
  int ready[2];
  if (pipe2(ready, O_CLOEXEC) != 0) {
    error_ = std::string("no pipe for the X server: ") + std::strerror(errno);
    return;
  }
  const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  // -displayfd: the server takes the first free display number and writes it once it takes
  // connections. -noreset: it would otherwise reset when its last client leaves, refusing whoever
  // connects meanwhile. -r: a key press delayed past the autorepeat delay on a busy machine would
  // otherwise arrive as several.
  std::vector<std::string> args{"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp", "-noreset", "-r"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {  // only async-signal-safe calls from here on
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    if (logFd >= 0) {
      dup2(logFd, STDOUT_FILENO);
      dup2(logFd, STDERR_FILENO);
    }
    if (ready[1] == 3) fcntl(3, F_SETFD, 0);
    else dup2(ready[1], 3);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(ready[1]);
  if (logFd >= 0) close(logFd);
  if (pid_ < 0) {
    error_ = std::string("cannot start Xvfb: ") + std::strerror(errno);
    close(ready[0]);
    return;
  }

  std::string number;
  const auto end = Clock::now() + kStartLimit;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) {
      error_ = "Xvfb took no connections within " + std::to_string(kStartLimit.count()) + " s";
      break;
    }
    pollfd p{ready[0], POLLIN, 0};
    const int r = poll(&p, 1, int(left));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) continue;
    char c = 0;
    const ssize_t n = read(ready[0], &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error_ = "Xvfb ended before it took connections (is the xvfb package installed?)";
      break;
    }
    if (c == '\n') {
      display_ = ":" + number;
      break;
    }
    number += c;
  }
  close(ready[0]);
  if (!Started()) {
    kill(pid_, SIGKILL);
    Reap(pid_, 10s);
    pid_ = -1;
    error_ += "; its output: " + Contents(log);
  }
  std::remove(log.c_str());
}

XServer::~XServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  if (!Reap(pid_, 10s)) {
    kill(pid_, SIGKILL);
    Reap(pid_, 10s);
  }
}

}  // namespace testsupport
