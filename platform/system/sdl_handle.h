#pragma once
// Inside platform/ only: a WindowHandle is the SDL window itself.
#include <SDL.h>

#include "platform/system/messages.h"

namespace plat {
inline SDL_Window* ToSdlWindow(WindowHandle w) { return reinterpret_cast<SDL_Window*>(w); }
inline WindowHandle ToWindowHandle(SDL_Window* w) { return reinterpret_cast<WindowHandle>(w); }
}  // namespace plat
