// Watching a display connection: a hang-up ends the game at once with one line.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/system/display_watch.h"

namespace {

using namespace plat;

// The other end of the connection hangs up: one line naming the display, exit status 1, at once.
TEST(ConnectionWatchDeathTest, AHungUpConnectionEndsTheProcessWithTheLine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto run = [] {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) ::_exit(3);
    ConnectionWatch watch(ends[0], "wayland-test");
    ::close(ends[1]);
    // The watch ends the process; it has ten seconds, then the test fails on status 2.
    std::this_thread::sleep_for(std::chrono::seconds(10));
    ::_exit(2);
  };
  EXPECT_EXIT(run(), ::testing::ExitedWithCode(kDisplayLostExitCode),
              "^arena: the connection to display \"wayland-test\" was lost; ending\n$");
}

// A watch stopped before the connection closes lets it close; one on no connection does nothing.
TEST(ConnectionWatch, AStoppedWatchLetsTheConnectionClose) {
  int ends[2];
  ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
  { ConnectionWatch watch(ends[0], "stopped"); }
  ::close(ends[1]);
  ::close(ends[0]);
  ConnectionWatch none(-1, "none");
}

}  // namespace
