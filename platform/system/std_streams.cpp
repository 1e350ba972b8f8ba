#include "platform/system/std_streams.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace plat {

void OpenClosedStandardStreams() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int opened = ::open("/dev/null", O_RDWR | O_NOCTTY);
    // Without /dev/null (a bare chroot) the number is at least held, by a descriptor that takes
    // no reads or writes.
    if (opened < 0) opened = ::open("/", O_PATH | O_DIRECTORY);
    if (opened < 0 || opened == fd) continue;
    // The lowest free number is taken, so this happens only when a lower one was given out meanwhile.
    ::dup2(opened, fd);
    ::close(opened);
  }
}

}  // namespace plat
