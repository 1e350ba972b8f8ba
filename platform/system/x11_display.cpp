#include "platform/system/x11_display.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/system/display_watch.h"

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

void X11Sync(SDL_Window* window) {
  const X11Window x = FromSdl(window);
  if (x.display != nullptr) XSync(x.display, False);
}

namespace {
struct CaughtErrors {
  int count = 0;
  XErrorEvent first{};
};
// Xlib has one error handler for the whole process, so one trap counts at a time.
CaughtErrors* g_caught = nullptr;

int CountError(Display*, XErrorEvent* event) {
  if (g_caught != nullptr && g_caught->count++ == 0) g_caught->first = *event;
  return 0;
}
}  // namespace

struct X11ErrorTrap::State {
  Display* display = nullptr;
  XErrorHandler previous = nullptr;
  bool installed = false;
  CaughtErrors caught;
};

X11ErrorTrap::X11ErrorTrap() : state_(std::make_unique<State>()) {
  if (g_caught != nullptr) return;  // within another trap, which catches these as well
  g_caught = &state_->caught;
  state_->previous = XSetErrorHandler(CountError);
  state_->installed = true;
}

X11ErrorTrap::~X11ErrorTrap() {
  if (!state_->installed) return;
  if (state_->display != nullptr) XSync(state_->display, False);
  XSetErrorHandler(state_->previous);
  g_caught = nullptr;
}

void X11ErrorTrap::Sync(SDL_Window* window) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr) return;
  state_->display = x.display;
  XSync(x.display, False);
}

std::string X11ErrorTrap::FirstError() const {
  const CaughtErrors* caught = g_caught;
  if (caught == nullptr || caught->count == 0) return {};
  char name[128] = {};
  if (caught->first.display != nullptr) XGetErrorText(caught->first.display, caught->first.error_code, name, sizeof name);
  if (name[0] == '\0') std::snprintf(name, sizeof name, "error %d", caught->first.error_code);
  return std::string(name) + " (request " + std::to_string(caught->first.request_code) + "." +
         std::to_string(caught->first.minor_code) + ")";
}

unsigned long X11WindowManager(SDL_Window* window) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr) return 0;
  // A window manager names its check window on the root window, and on the check window itself.
  const Atom check = XInternAtom(x.display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return 0;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(x.display, x.window, &attributes) == 0) return 0;
  auto checkWindowOf = [&](Window on) -> Window {
    const std::vector<unsigned long> found = ReadItems(x.display, on, check, XA_WINDOW, 1);
    return found.size() == 1 ? static_cast<Window>(found[0]) : 0;
  };
  const Window wm = checkWindowOf(attributes.root);
  // A manager that died leaves the root's property behind; its check window is then gone, and
  // asking about it fails rather than ending the process.
  X11ErrorTrap ignored;
  ignored.Sync(window);
  return wm != 0 && checkWindowOf(wm) == wm ? wm : 0;
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

std::optional<SDL_Rect> X11DisplayRect(SDL_Window* anyWindow, const SDL_Rect& known) {
  const X11Window x = FromSdl(anyWindow);
  int eventBase = 0, errorBase = 0, major = 0, minor = 0;
  // The current configuration without probing the outputs again came with RandR 1.3.
  if (x.display == nullptr || !XRRQueryExtension(x.display, &eventBase, &errorBase) ||
      !XRRQueryVersion(x.display, &major, &minor) || major * 100 + minor < 103)
    return std::nullopt;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(x.display, x.window, &attributes) == 0) return std::nullopt;
  XRRScreenResources* resources = XRRGetScreenResourcesCurrent(x.display, attributes.root);
  if (resources == nullptr) return std::nullopt;
  std::optional<SDL_Rect> found;
  for (int i = 0; i < resources->ncrtc && !found; ++i) {
    XRRCrtcInfo* crtc = XRRGetCrtcInfo(x.display, resources, resources->crtcs[i]);
    if (crtc == nullptr) continue;
    if (crtc->mode != None && crtc->noutput > 0 && crtc->x == known.x && crtc->y == known.y)
      found = SDL_Rect{crtc->x, crtc->y, static_cast<int>(crtc->width), static_cast<int>(crtc->height)};
    XRRFreeCrtcInfo(crtc);
  }
  XRRFreeScreenResources(resources);
  return found;
}

bool X11WindowRect(SDL_Window* window, SDL_Rect& rect) {
  const X11Window x = FromSdl(window);
  XWindowAttributes attributes{};
  if (x.display == nullptr || XGetWindowAttributes(x.display, x.window, &attributes) == 0) return false;
  if (!PositionOf(x, rect.x, rect.y)) return false;
  rect.w = attributes.width;
  rect.h = attributes.height;
  return true;
}

bool X11HasFocus(SDL_Window* window) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr) return false;
  Window focus = None;
  int revert = 0;
  XGetInputFocus(x.display, &focus, &revert);
  return focus == x.window;
}

void X11TakeFocus(SDL_Window* window) {
  const X11Window x = FromSdl(window);
  if (x.display == nullptr) return;
  // The window may be going away meanwhile: a failed request must not end the process.
  X11ErrorTrap ignored;
  ignored.Sync(window);
  XMapRaised(x.display, x.window);
  // Without a manager the map is done at once, so the window can take the focus now.
  XSync(x.display, False);
  XSetInputFocus(x.display, x.window, RevertToParent, CurrentTime);
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
