#pragma once
// Real-window tests talk to the X server that the test script starts (its display name is in
// ARENA_XVFB_DISPLAY); without one they are skipped.
#include <SDL.h>

#include <cstdlib>
#include <string>

namespace gltest {

inline bool OpenDisplay(std::string& why) {
  const char* display = std::getenv("ARENA_XVFB_DISPLAY");
  if (!display || !*display) {
    why = "ARENA_XVFB_DISPLAY is not set: no X server for OpenGL tests";
    return false;
  }
  setenv("DISPLAY", display, 1);
  setenv("SDL_VIDEODRIVER", "x11", 1);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    why = std::string("SDL video does not start on ") + display + ": " + SDL_GetError();
    return false;
  }
  return true;
}

inline void CloseDisplay() { SDL_Quit(); }

}  // namespace gltest
