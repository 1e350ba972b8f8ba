#pragma once
// What SDL does not tell about an X display: whether a window manager runs on it, and what to do
// when the connection to it is lost. Every call does nothing (or answers "unknown") when the
// window is not on X11.
#include <SDL.h>

#include <memory>
#include <optional>

namespace plat {

// Exit status of a process whose display went away under it.
constexpr int kDisplayLostExitCode = 1;

// Installs, once per process, Xlib's handler for a lost connection: it writes one line naming the
// display to standard error and ends the process at once with kDisplayLostExitCode. Xlib's own
// handler calls exit(), whose exit-time handling would talk to the dead connection again (the
// framework's final shutdown hides and destroys the window), and Xlib then spins inside itself.
// Also makes a request about a window that is gone (BadWindow: another client destroyed it, as a
// window manager does with its frames) write a line rather than end the process.
void InstallDisplayLossHandler();

// Watches the connection of a window's X display from a thread of its own and ends the process,
// as the handler above does, once the server has hung up. Xlib notices a dead connection only
// when it next talks to it, and some OpenGL drivers then spin inside their own present loop on
// it and never return to Xlib. Stops (and joins) when destroyed, which must be before the display
// is closed. Does nothing for a window that is not on X11.
class DisplayWatch {
 public:
  explicit DisplayWatch(SDL_Window* window);
  ~DisplayWatch();
  DisplayWatch(const DisplayWatch&) = delete;
  DisplayWatch& operator=(const DisplayWatch&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Whether a window manager announces itself on the window's screen (_NET_SUPPORTING_WM_CHECK).
// False for windows that are not on X11.
bool X11HasWindowManager(SDL_Window* window);

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

// Asks the window manager to size the window by the user in steps of `step` pixels from 0, so
// that a window shown at a whole presentation scale keeps a whole number of logical pixels.
void X11SetSizeStep(SDL_Window* window, int step);

}  // namespace plat
