// Signals that end the game: close requests, the others' default end, and the processes that show
// message boxes. Each test runs in a process of its own, as the handlers are the process's.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "platform/system/end_signals.h"

namespace {

TEST(EndSignals, CloseRequestsAreTakenOnceAndIgnoredSignalsStayIgnored) {
  std::signal(SIGINT, SIG_IGN);  // as nohup or a shell's background job leave it
  plat::InstallEndSignals();
  EXPECT_FALSE(plat::TakeCloseRequest());
  EXPECT_FALSE(plat::EndSignalled());
  std::raise(SIGINT);
  EXPECT_FALSE(plat::TakeCloseRequest()) << "SIGINT was ignored at start";
  std::raise(SIGHUP);
  std::raise(SIGTERM);
  EXPECT_TRUE(plat::TakeCloseRequest());
  EXPECT_FALSE(plat::TakeCloseRequest()) << "both arrived before the request was taken: one close";
  EXPECT_TRUE(plat::EndSignalled()) << "no box may be shown any more";
  EXPECT_EQ(plat::PendingEndSignal(), 0);
}

// With nobody to put the display back (a main loop that does not pump), the signal still ends the
// process as its default action would, within the grace time.
TEST(EndSignalsDeathTest, OtherSignalsEndTheProcessByThemselvesAfterTheGraceTime) {
  EXPECT_EXIT(
      {
        plat::InstallEndSignals();
        std::raise(SIGUSR2);
        if (plat::PendingEndSignal() != SIGUSR2) std::_Exit(2);
        ::sleep(10 * plat::kEndGraceMs / 1000);
        std::_Exit(3);
      },
      ::testing::KilledBySignal(SIGUSR2), "");
}

// A box's process (forked as SDL forks it) is killed when an ending signal arrives; its parent's
// handlers are not its own.
TEST(EndSignals, ABoxProcessIsKilledByAnEndingSignalAndKeepsNoHandlerOfTheGame) {
  plat::InstallEndSignals();
  pid_t box = 0;
  {
    const plat::BoxChildGuard guard;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    box = ::fork();
    ASSERT_GE(box, 0);
    if (box == 0) {
      struct sigaction term {};
      ::sigaction(SIGTERM, nullptr, &term);
      const char handled = term.sa_handler == SIG_DFL ? 'd' : 'h';
      [[maybe_unused]] const ssize_t n = ::write(ready[1], &handled, 1);
      ::pause();
      std::_Exit(0);
    }
    ::close(ready[1]);
    char handled = 0;
    ASSERT_EQ(::read(ready[0], &handled, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(handled, 'd') << "the box's SIGTERM is the default one";
    std::raise(SIGHUP);
  }
  int status = 0;
  pid_t ended = 0;
  for (int tenths = 0; tenths < 100 && (ended = ::waitpid(box, &status, WNOHANG)) == 0; ++tenths) ::usleep(100'000);
  if (ended == 0) {
    ::kill(box, SIGKILL);
    ::waitpid(box, &status, 0);
    FAIL() << "the box's process still runs 10 s after SIGHUP";
  }
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
  EXPECT_TRUE(plat::TakeCloseRequest());
}

// The game killed outright (SIGKILL, no handler runs): its box's process goes with it.
TEST(EndSignals, ABoxProcessDoesNotOutliveTheGame) {
  int alive[2], ready[2];
  ASSERT_EQ(::pipe(alive), 0);
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t gameProcess = ::fork();
  ASSERT_GE(gameProcess, 0);
  if (gameProcess == 0) {
    plat::InstallEndSignals();
    const plat::BoxChildGuard guard;
    if (::fork() == 0) {
      const pid_t self = ::getpid();
      [[maybe_unused]] const ssize_t n = ::write(ready[1], &self, sizeof self);
      ::pause();  // holds the write end of `alive` while it lives
      std::_Exit(0);
    }
    ::close(alive[1]);
    ::pause();
    std::_Exit(0);
  }
  ::close(alive[1]);
  ::close(ready[1]);
  pid_t box = 0;
  ASSERT_EQ(::read(ready[0], &box, sizeof box), static_cast<ssize_t>(sizeof box));
  ::kill(gameProcess, SIGKILL);
  ASSERT_EQ(::waitpid(gameProcess, nullptr, 0), gameProcess);
  pollfd end{alive[0], POLLIN, 0};
  const bool ended = ::poll(&end, 1, 10'000) == 1;
  if (!ended) ::kill(box, SIGKILL);
  EXPECT_TRUE(ended) << "the box's process still runs 10 s after the game died";
  ::close(alive[0]);
  ::close(ready[0]);
}

}  // namespace
