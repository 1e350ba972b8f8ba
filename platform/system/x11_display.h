#pragma once
// What SDL does not tell about an X display: whether a window manager runs on it, and what to do
// when the connection to it is lost. Every call does nothing (or answers "unknown") when the
// window is not on X11.
#include <SDL.h>

#include <memory>

namespace plat {

// Exit status of a process whose display went away under it.
constexpr int kDisplayLostExitCode = 1;

// Installs, once per process, Xlib's handler for a lost connection: it writes one line naming the
// display to standard error and ends the process at once with kDisplayLostExitCode. Xlib's own
// handler calls exit(), whose exit-time handling would talk to the dead connection again (the
// framework's final shutdown hides and destroys the window), and Xlib then spins inside itself.
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

// Moves and sizes the X window itself, bypassing SDL's bookkeeping (which, in full screen, holds
// the display's geometry already), and raises it. For full screen with no window manager to do it.
void X11PlaceWindow(SDL_Window* window, const SDL_Rect& rect);

// Asks the window manager to size the window by the user in steps of `step` pixels from 0, so
// that a window shown at a whole presentation scale keeps a whole number of logical pixels.
void X11SetSizeStep(SDL_Window* window, int step);

}  // namespace plat
