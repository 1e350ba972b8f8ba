#include "platform/system/x11_display.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

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
int OnDisplayLost(Display* display) {
  const char* name = display != nullptr ? DisplayString(display) : nullptr;
  char line[512];
  const int n = std::snprintf(line, sizeof line, "arena: the connection to display \"%s\" was lost; ending\n",
                              name != nullptr ? name : "");
  if (n > 0) {
    const size_t length = std::min(static_cast<size_t>(n), sizeof line - 1);
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, length);
  }
  ::_exit(kDisplayLostExitCode);
}

}  // namespace

void InstallDisplayLossHandler() {
  static std::once_flag once;
  std::call_once(once, [] { XSetIOErrorHandler(OnDisplayLost); });
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

}  // namespace plat
