#pragma once
// What SDL does not tell about an X display: whether a window manager runs on it, and what to do
// when the connection to it is lost. Every call does nothing (or answers "unknown") when the
// window is not on X11.
#include <SDL.h>

#include <memory>
#include <optional>
#include <string>

namespace plat {

// Installs, once per process, Xlib's handler for a lost connection: it ends the process as
// EndForLostDisplay does. Xlib's own handler calls exit(), whose exit-time handling would talk to
// the dead connection again. Also makes a request about a window that is gone (BadWindow: another
// client destroyed it, as a window manager does with its frames) write a line rather than end the
// process.
void InstallDisplayLossHandler();

// Waits until the X server has carried out everything sent on the window's connection.
void X11Sync(SDL_Window* window);

// While it exists, X errors do not end the process (Xlib's default handler exits on any): they are
// counted instead, for probing what a driver offers. Errors come in when the server has answered,
// so the connection the probed window is on is waited for before the previous handler comes back.
class X11ErrorTrap {
 public:
  X11ErrorTrap();
  ~X11ErrorTrap();
  X11ErrorTrap(const X11ErrorTrap&) = delete;
  X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

  // Waits for the answers on this window's connection, and again on it when the trap ends.
  void Sync(SDL_Window* window);
  // The first error caught, as "BadValue (request 150.3)"; empty when none.
  std::string FirstError() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The window manager that announces itself on the window's screen (_NET_SUPPORTING_WM_CHECK), as
// the id of its check window: another id means another manager. 0 when none runs, and for windows
// that are not on X11.
unsigned long X11WindowManager(SDL_Window* window);
inline bool X11HasWindowManager(SDL_Window* window) { return X11WindowManager(window) != 0; }

// The widths of the frame a window manager draws around a window.
struct FrameExtents {
  int left = 0, right = 0, top = 0, bottom = 0;
};

// The frame the window manager has published for the window (_NET_FRAME_EXTENTS); none without a
// manager, or before it has said.
std::optional<FrameExtents> X11FrameExtents(SDL_Window* window);

// For a window not mapped yet: asks the window manager which frame it will give the window
// (_NET_REQUEST_FRAME_EXTENTS) and waits at most `timeoutMs` for the answer. None without a
// manager, with one that does not offer the request, or when it did not answer in time.
std::optional<FrameExtents> X11RequestFrameExtents(SDL_Window* window, int timeoutMs);

// Where the X window itself stands on the root window. Before it is mapped this is where the
// window manager will put the top-left corner of its frame: SDL asks for the position as the
// user's own, with the default north-west gravity. False when the window is not on X11.
bool X11WindowPosition(SDL_Window* window, int& x, int& y);
// Moves the X window itself; for a window not mapped yet, that is where its frame will go.
bool X11MoveWindow(SDL_Window* window, int x, int y);

// Moves and sizes the X window itself, bypassing SDL's bookkeeping (which, in full screen, holds
// the display's geometry already), and raises it. For full screen with no window manager to do it.
void X11PlaceWindow(SDL_Window* window, const SDL_Rect& rect);

// The rectangle a display covers now, for the display SDL knows at `known`: SDL reads the displays
// once, so a mode or size set since (xrandr) shows only here. The display is the screen area whose
// top-left corner is where SDL has it. None when that cannot be told (no RandR, not on X11).
std::optional<SDL_Rect> X11DisplayRect(SDL_Window* anyWindow, const SDL_Rect& known);

// The X window's own rectangle on the root window (the frame left out). False when not on X11.
bool X11WindowRect(SDL_Window* window, SDL_Rect& rect);

// Whether the window has the keyboard focus now, as the X server has it.
bool X11HasFocus(SDL_Window* window);

// With no window manager to hand out the focus: maps and raises the window and gives it the
// keyboard focus.
void X11TakeFocus(SDL_Window* window);

// Asks the window manager to size the window by the user in steps of `step` pixels from 0, so
// that a window shown at a whole presentation scale keeps a whole number of logical pixels.
void X11SetSizeStep(SDL_Window* window, int step);

}  // namespace plat
