#pragma once
// Ending the game when the connection to its display (an X server or a Wayland compositor) is
// lost: one line naming the display on standard error and exit status 1, at once. The game has
// nothing to save, and exit-time handling would only talk to the dead connection again (the
// framework's final shutdown hides and destroys the window; Xlib then spins inside itself).
#include <SDL.h>

#include <memory>
#include <string>

namespace plat {

// Exit status of a process whose display went away under it.
constexpr int kDisplayLostExitCode = 1;

// Writes the line and ends the process without exit-time handling or buffered output. Safe where
// the connection is already gone.
[[noreturn]] void EndForLostDisplay(const char* name);

// Watches a display connection from a thread of its own and ends the process, as above, once the
// other end has hung up. A client library notices a dead connection only when it next talks to
// it, and some OpenGL drivers then spin or wait inside their own present loop and never return.
// Only hang-ups are polled for, so the thread never takes replies or events from the client
// library. Stops (and joins) when destroyed, which must be before the connection is closed.
class ConnectionWatch {
 public:
  // `fd` stays the caller's; a negative one is not watched.
  ConnectionWatch(int fd, std::string name);
  ~ConnectionWatch();
  ConnectionWatch(const ConnectionWatch&) = delete;
  ConnectionWatch& operator=(const ConnectionWatch&) = delete;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The watch for a window's display: its X connection or its Wayland socket. Does nothing for a
// window of a headless driver.
class DisplayWatch {
 public:
  explicit DisplayWatch(SDL_Window* window);
  ~DisplayWatch();
  DisplayWatch(const DisplayWatch&) = delete;
  DisplayWatch& operator=(const DisplayWatch&) = delete;

  // Ends the process now if the client library has already found the connection dead. SDL reads
  // a Wayland compositor's hang-up as a request to quit; called after each event pump so that such
  // a quit never reaches the game as the player's own.
  void CheckNow() const;

 private:
  void* wayland_ = nullptr;  // the wl_display of a Wayland window
  std::string name_;
  std::unique_ptr<ConnectionWatch> watch_;
};

}  // namespace plat
