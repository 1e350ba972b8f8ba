#include "platform/system/end_signals.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <csignal>
#include <iterator>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace plat {

namespace {

constexpr int kCloseSignals[] = {SIGTERM, SIGINT, SIGHUP};
// Faults and the signals whose default is to ignore or stop are not here.
constexpr int kOtherEndSignals[] = {SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
                                    SIGIO,   SIGPWR,  SIGSTKFLT, SIGXCPU, SIGXFSZ};

// Seen by forked children too: a signal may arrive between the fork and the moment the child has
// said who it is.
struct Shared {
  std::atomic<pid_t> boxPid{0};
  std::atomic<int> ended{0};  // an ending signal has come
};
static_assert(std::atomic<pid_t>::is_always_lock_free && std::atomic<int>::is_always_lock_free &&
                  std::atomic<bool>::is_always_lock_free,
              "touched from signal handlers");

Shared* g_shared = nullptr;  // null when no shared page could be had: boxes then go unguarded
std::atomic<bool> g_ended{false};
std::atomic<int> g_closeRequests{0};
std::atomic<int> g_endSignal{0};
std::atomic<bool> g_boxUp{false};
pid_t g_boxParent = 0;
int g_wake[2] = {-1, -1};  // the handler tells the watch thread about an ending signal
std::vector<int> g_handled;

bool IsClose(int signal) {
  for (int s : kCloseSignals)
    if (s == signal) return true;
  return false;
}

void OnSignal(int signal) {
  const int savedErrno = errno;
  g_ended.store(true);
  if (g_shared != nullptr) {
    g_shared->ended.store(1);
    const pid_t box = g_shared->boxPid.load();
    if (box > 0) ::kill(box, SIGKILL);
  }
  if (IsClose(signal)) {
    g_closeRequests.fetch_add(1);
  } else {
    int none = 0;
    g_endSignal.compare_exchange_strong(none, signal);
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t n = ::write(g_wake[1], &byte, 1);
  }
  errno = savedErrno;
}

void RestoreDefault(int signal) {
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal, &fallback, nullptr);
}

// In every forked child: the game's handlers are not the child's. A box's child also dies with
// the game, and leaves at once when the game is already gone or an ending signal came first.
void AfterForkInChild() {
  for (int signal : g_handled) RestoreDefault(signal);
  if (!g_boxUp.load()) return;
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != g_boxParent) ::_exit(1);
  g_shared->boxPid.store(::getpid());
  if (g_shared->ended.load() != 0) ::_exit(1);
}

// Gives the main loop kEndGraceMs to put the display back, then lets the signal end the process.
void WatchEndSignals() {
  unsigned char byte = 0;
  for (;;) {
    const ssize_t n = ::read(g_wake[0], &byte, 1);
    if (n == 1) break;
    if (n < 0 && errno == EINTR) continue;
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(kEndGraceMs));
  EndBySignal(g_endSignal.load());
}

void Install() {
  void* page = ::mmap(nullptr, sizeof(Shared), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (page != MAP_FAILED) g_shared = new (page) Shared;  // lives as long as the process
  const bool watch = ::pipe2(g_wake, O_CLOEXEC) == 0;

  std::vector<int> wanted(std::begin(kCloseSignals), std::end(kCloseSignals));
  wanted.insert(wanted.end(), std::begin(kOtherEndSignals), std::end(kOtherEndSignals));
  for (int s = SIGRTMIN; s <= SIGRTMAX; ++s) wanted.push_back(s);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (int s : wanted) sigaddset(&action.sa_mask, s);
  action.sa_flags = SA_RESTART;
  for (int signal : wanted) {
    // Ignored ones stay ignored, and a handler someone put there first stays in charge.
    struct sigaction before {};
    if (::sigaction(signal, nullptr, &before) != 0 || (before.sa_flags & SA_SIGINFO) != 0 ||
        before.sa_handler != SIG_DFL) {
      continue;
    }
    if (::sigaction(signal, &action, nullptr) == 0) g_handled.push_back(signal);
  }
  ::pthread_atfork(nullptr, nullptr, AfterForkInChild);
  // A signal that came while the game was ending anyway (a box up, say) still ends it as itself.
  std::atexit([] {
    if (const int signal = g_endSignal.load()) EndBySignal(signal);
  });
  try {
    if (watch) std::thread(WatchEndSignals).detach();
  } catch (const std::system_error&) {
    // No thread: the signals then wait for the main loop alone.
  }
}

}  // namespace

void InstallEndSignals() {
  static std::once_flag once;
  std::call_once(once, Install);
}

bool TakeCloseRequest() { return g_closeRequests.exchange(0) != 0; }

int PendingEndSignal() { return g_endSignal.load(); }

bool EndSignalled() { return g_ended.load(); }

void EndBySignal(int signal) {
  RestoreDefault(signal);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal);
  ::_exit(128 + signal);  // not reached for a signal whose default is to end the process
}

BoxChildGuard::BoxChildGuard() {
  if (g_shared == nullptr) return;
  g_boxParent = ::getpid();
  g_shared->boxPid.store(0);
  g_boxUp.store(true);
}

BoxChildGuard::~BoxChildGuard() {
  if (g_shared == nullptr) return;
  g_boxUp.store(false);
  g_shared->boxPid.store(0);
}

}  // namespace plat
