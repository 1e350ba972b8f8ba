#include "platform/system/x11_display.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace plat {

namespace {

struct X11Window {
  Display* display = nullptr;
  Window window = 0;
};

X11Window FromSdl(SDL_Window* window) {
  if (window == nullptr) return {};
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return {};
  return X11Window{info.info.x11.display, info.info.x11.window};
}

// Runs on a connection that is already gone: no Xlib call, no exit handlers, no buffered output.
[[noreturn]] void EndForLostDisplay(const char* name) {
  char line[512];
  const int n = std::snprintf(line, sizeof line, "arena: the connection to display \"%s\" was lost; ending\n",
                              name != nullptr ? name : "");
  if (n > 0) {
    const size_t length = std::min(static_cast<size_t>(n), sizeof line - 1);
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, length);
  }
  ::_exit(kDisplayLostExitCode);
}

int OnDisplayLost(Display* display) { EndForLostDisplay(display != nullptr ? DisplayString(display) : nullptr); }

}  // namespace

void InstallDisplayLossHandler() {
  static std::once_flag once;
  std::call_once(once, [] { XSetIOErrorHandler(OnDisplayLost); });
}

struct DisplayWatch::State {
  std::string name;
  int connection = -1;  // the display's socket; owned by Xlib
  int wake = -1;        // eventfd: written to stop the thread
  std::thread thread;
};

DisplayWatch::DisplayWatch(SDL_Window* window) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr) return;
  auto state = std::make_unique<State>();
  state->name = DisplayString(x.display);
  state->connection = ConnectionNumber(x.display);
  state->wake = ::eventfd(0, EFD_CLOEXEC);
  if (state->wake < 0) return;
  // Only hang-ups are asked for: polling never takes the replies and events Xlib is waiting for.
  state->thread = std::thread([s = state.get()] {
    pollfd fds[2] = {{s->connection, POLLRDHUP, 0}, {s->wake, POLLIN, 0}};
    for (;;) {
      if (::poll(fds, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (fds[1].revents != 0) return;
      if (fds[0].revents & (POLLRDHUP | POLLHUP | POLLERR)) EndForLostDisplay(s->name.c_str());
    }
  });
  state_ = std::move(state);
}

DisplayWatch::~DisplayWatch() {
  if (!state_) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(state_->wake, &one, sizeof one);
  state_->thread.join();
  ::close(state_->wake);
}

bool X11HasWindowManager(SDL_Window* window) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr) return false;
  // A window manager names its check window on the root window, and on the check window itself.
  const Atom check = XInternAtom(x.display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(x.display, x.window, &attributes) == 0) return false;
  auto checkWindowOf = [&](Window on) -> Window {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    Window found = 0;
    if (XGetWindowProperty(x.display, on, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &remaining,
                           &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1 && data != nullptr) {
      found = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) XFree(data);
    return found;
  };
  const Window wm = checkWindowOf(attributes.root);
  // A manager that died leaves the root's property behind; its check window is then gone.
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const bool alive = wm != 0 && checkWindowOf(wm) == wm;
  XSync(x.display, False);
  XSetErrorHandler(previous);
  return alive;
}

void X11PlaceWindow(SDL_Window* window, const SDL_Rect& rect) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr || rect.w <= 0 || rect.h <= 0) return;
  XMoveResizeWindow(x.display, x.window, rect.x, rect.y, static_cast<unsigned>(rect.w), static_cast<unsigned>(rect.h));
  XRaiseWindow(x.display, x.window);
  XFlush(x.display);
}

void X11SetSizeStep(SDL_Window* window, int step) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr || step < 1) return;
  XSizeHints* hints = XAllocSizeHints();
  if (hints == nullptr) return;
  long supplied = 0;
  XGetWMNormalHints(x.display, x.window, hints, &supplied);  // SDL's own hints stay as they are
  hints->flags |= PResizeInc | PBaseSize;
  hints->width_inc = hints->height_inc = step;
  hints->base_width = hints->base_height = 0;
  XSetWMNormalHints(x.display, x.window, hints);
  XFree(hints);
  XFlush(x.display);
}

}  // namespace plat
