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
#include <vector>

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

// A request about a window that another client destroyed a moment before fails with BadWindow:
// SDL asks about the window manager's frame around ours, which the manager destroys when it lets
// the window go or changes its decoration. Xlib's default answer to any failed request ends the
// process; this one only means the window is gone. Every other failure goes on as before.
XErrorHandler g_requestFailed = nullptr;
int OnRequestFailed(Display* display, XErrorEvent* e) {
  if (e->error_code == BadWindow) {
    char line[128];
    const int n = std::snprintf(line, sizeof line, "arena-x11: request %u about window 0x%lx, which is gone\n",
                                unsigned(e->request_code), e->resourceid);
    if (n > 0) {
      [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, std::min(size_t(n), sizeof line - 1));
    }
    return 0;
  }
  return g_requestFailed != nullptr ? g_requestFailed(display, e) : 0;
}

// A property of 32-bit items (Xlib hands them over as longs), at most `most` of them; empty when
// the window has none of that type.
std::vector<unsigned long> ReadItems(Display* display, Window on, Atom property, Atom type, long most) {
  std::vector<unsigned long> items;
  if (property == None) return items;
  Atom actual = None;
  int format = 0;
  unsigned long count = 0, remaining = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, on, property, 0, most, False, type, &actual, &format, &count, &remaining,
                         &data) == Success &&
      actual == type && format == 32 && data != nullptr) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    items.assign(values, values + count);
  }
  if (data != nullptr) XFree(data);
  return items;
}

std::optional<FrameExtents> PublishedExtents(const X11Window& x) {
  const Atom atom = XInternAtom(x.display, "_NET_FRAME_EXTENTS", True);
  const std::vector<unsigned long> v = ReadItems(x.display, x.window, atom, XA_CARDINAL, 4);
  if (v.size() != 4) return std::nullopt;
  return FrameExtents{static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3])};
}

bool PositionOf(const X11Window& x, int& left, int& top) {
  XWindowAttributes attributes{};
  Window child = 0;
  return XGetWindowAttributes(x.display, x.window, &attributes) != 0 &&
         XTranslateCoordinates(x.display, x.window, attributes.root, 0, 0, &left, &top, &child) != 0;
}

}  // namespace

void InstallDisplayLossHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    XSetIOErrorHandler(OnDisplayLost);
    g_requestFailed = XSetErrorHandler(OnRequestFailed);
  });
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
    const std::vector<unsigned long> found = ReadItems(x.display, on, check, XA_WINDOW, 1);
    return found.size() == 1 ? static_cast<Window>(found[0]) : 0;
  };
  const Window wm = checkWindowOf(attributes.root);
  // A manager that died leaves the root's property behind; its check window is then gone.
  int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  const bool alive = wm != 0 && checkWindowOf(wm) == wm;
  XSync(x.display, False);
  XSetErrorHandler(previous);
  return alive;
}

std::optional<FrameExtents> X11FrameExtents(SDL_Window* window) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr) return std::nullopt;
  return PublishedExtents(x);
}

std::optional<FrameExtents> X11RequestFrameExtents(SDL_Window* window, int timeoutMs) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr || !X11HasWindowManager(window)) return std::nullopt;
  if (auto known = PublishedExtents(x)) return known;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(x.display, x.window, &attributes) == 0) return std::nullopt;
  const Atom request = XInternAtom(x.display, "_NET_REQUEST_FRAME_EXTENTS", False);
  const std::vector<unsigned long> supported =
      ReadItems(x.display, attributes.root, XInternAtom(x.display, "_NET_SUPPORTED", True), XA_ATOM, 4096);
  if (std::find(supported.begin(), supported.end(), request) == supported.end()) return std::nullopt;

  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = x.window;
  e.xclient.message_type = request;
  e.xclient.format = 32;
  XSendEvent(x.display, attributes.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  // Each look at the property is a round trip, so the manager's answer shows as soon as it is made.
  const uint64_t end = SDL_GetTicks64() + static_cast<uint64_t>(std::max(0, timeoutMs));
  for (;;) {
    if (auto answer = PublishedExtents(x)) return answer;
    if (SDL_GetTicks64() >= end) return std::nullopt;
    SDL_Delay(2);
  }
}

bool X11WindowPosition(SDL_Window* window, int& x, int& y) {
  const X11Window w = FromSdl(window);
  return w.display != nullptr && PositionOf(w, x, y);
}

bool X11MoveWindow(SDL_Window* window, int x, int y) {
  const X11Window w = FromSdl(window);
  if (w.display == nullptr) return false;
  XMoveWindow(w.display, w.window, x, y);
  // A window manager takes the move as a request and carries it out in its own time; wait a
  // little for it, so that the next look at the window sees it.
  const uint64_t end = SDL_GetTicks64() + 200;
  int atX = 0, atY = 0;
  while (PositionOf(w, atX, atY) && (atX != x || atY != y) && SDL_GetTicks64() < end) SDL_Delay(2);
  return true;
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
