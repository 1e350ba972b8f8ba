// Kept apart from the tests: Xlib's macros (None, Bool, Status...) clash with our own names.
// Each opens a connection of its own to DISPLAY.
#include <X11/Xlib.h>

#include <string>

// Asks a window to close as a window manager does: WM_PROTOCOLS carrying WM_DELETE_WINDOW.
bool SendDeleteWindow(const std::string& xid) {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = std::stoul(xid);
  e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  e.xclient.format = 32;
  e.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  e.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(display, e.xclient.window, False, NoEventMask, &e) != 0;
  XCloseDisplay(display);  // flushes the request
  return sent;
}

// Asks where a window that was destroyed a moment before stands, and waits for the server's
// answer (BadWindow); true once that answer has been handled and the process goes on.
bool AskAboutAWindowThatIsGone() {
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) return false;
  const Window root = DefaultRootWindow(display);
  const Window gone = XCreateSimpleWindow(display, root, 0, 0, 10, 10, 0, 0, 0);
  XDestroyWindow(display, gone);
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display, gone, root, 0, 0, &x, &y, &child);
  XSync(display, False);
  XCloseDisplay(display);
  return true;
}
