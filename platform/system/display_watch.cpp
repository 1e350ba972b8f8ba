#include "platform/system/display_watch.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace plat {

void EndForLostDisplay(const char* name) {
  char line[512];
  const int n = std::snprintf(line, sizeof line, "arena: the connection to display \"%s\" was lost; ending\n",
                              name != nullptr ? name : "");
  if (n > 0) {
    const size_t length = std::min(static_cast<size_t>(n), sizeof line - 1);
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, length);
  }
  ::_exit(kDisplayLostExitCode);
}

struct ConnectionWatch::State {
  std::string name;
  int connection = -1;
  int wake = -1;  // eventfd: written to stop the thread
  std::thread thread;
};

ConnectionWatch::ConnectionWatch(int fd, std::string name) {
  if (fd < 0) return;
  auto state = std::make_unique<State>();
  state->name = std::move(name);
  state->connection = fd;
  state->wake = ::eventfd(0, EFD_CLOEXEC);
  if (state->wake < 0) return;
  state->thread = std::thread([s = state.get()] {
    pollfd fds[2] = {{s->connection, POLLRDHUP, 0}, {s->wake, POLLIN, 0}};
    for (;;) {
      if (::poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[1].revents != 0) return;
      if (fds[0].revents & (POLLRDHUP | POLLHUP | POLLERR)) EndForLostDisplay(s->name.c_str());
      // Anything else (a descriptor that is no socket reports POLLNVAL for ever) is not ours to watch.
      if (fds[0].revents != 0) return;
    }
  });
  state_ = std::move(state);
}

ConnectionWatch::~ConnectionWatch() {
  if (!state_) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(state_->wake, &one, sizeof one);
  state_->thread.join();
  ::close(state_->wake);
}

namespace {

// The name a Wayland client connects by: WAYLAND_DISPLAY, else the library's default.
std::string WaylandName() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  return name != nullptr && *name != '\0' ? name : "wayland-0";
}

}  // namespace

DisplayWatch::DisplayWatch(SDL_Window* window) {
  if (window == nullptr) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE) return;
  if (info.subsystem == SDL_SYSWM_X11) {
    name_ = DisplayString(info.info.x11.display);
    watch_ = std::make_unique<ConnectionWatch>(ConnectionNumber(info.info.x11.display), name_);
  } else if (info.subsystem == SDL_SYSWM_WAYLAND) {
    wayland_ = info.info.wl.display;
    name_ = WaylandName();
    watch_ = std::make_unique<ConnectionWatch>(wl_display_get_fd(info.info.wl.display), name_);
  }
}

DisplayWatch::~DisplayWatch() = default;

void DisplayWatch::CheckNow() const {
  if (wayland_ != nullptr && wl_display_get_error(static_cast<wl_display*>(wayland_)) != 0) {
    EndForLostDisplay(name_.c_str());
  }
}

}  // namespace plat
