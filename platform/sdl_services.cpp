// The real services: SDL window and system layer, the graphics devices and SDL audio.
#include <SDL.h>

#include <cstdlib>
#include <memory>

#include "platform/services.h"
#include "platform/system/sdl_system.h"
#include "platform/system/sdl_window_system.h"

namespace plat {

namespace {

struct RealServices {
  std::unique_ptr<SdlSystem> system;
  std::unique_ptr<SdlWindowSystem> windows;
  std::unique_ptr<IAudioSystem> audio;
  bool sdlStarted = false;
};

RealServices& Real() {
  static RealServices real;
  return real;
}

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0';
}

bool StartSdl() {
  constexpr uint32_t kSubsystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER;
  // The window procedure sees the close request once; SDL must not add a quit of its own.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // The click that activates the window is a click like any other.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Without a display nothing could be shown: run on SDL's headless driver instead of failing.
  if (!EnvSet("SDL_VIDEODRIVER") && !EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY")) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  }
  const char* driver = SDL_GetHint(SDL_HINT_VIDEODRIVER);
  if (driver == nullptr) driver = std::getenv("SDL_VIDEODRIVER");
  if (driver != nullptr && SDL_strcasecmp(driver, "dummy") == 0) {
    // The headless driver has no GL: its window surface is a plain memory framebuffer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  if (SDL_Init(kSubsystems) == 0) return true;
  // A display named in the environment that cannot be opened: fall back to the headless driver.
  if (!EnvSet("SDL_VIDEODRIVER")) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    return SDL_Init(kSubsystems) == 0;
  }
  return false;
}

}  // namespace

bool InstallRealServices() {
  RealServices& real = Real();
  if (!real.sdlStarted) {
    if (!StartSdl()) return false;
    real.sdlStarted = true;
  }
  if (!real.system) real.system = std::make_unique<SdlSystem>();
  if (!real.windows) real.windows = std::make_unique<SdlWindowSystem>();
  if (!real.audio) real.audio = CreateSdlAudioSystem();

  Services services;
  services.system = real.system.get();
  services.windows = real.windows.get();
  services.audio = real.audio.get();
  SdlWindowSystem* windows = real.windows.get();
  services.createGraphics = [windows]() -> std::unique_ptr<IGraphicsSystem> {
    return CreateGraphicsSystem(*windows);
  };
  SetServices(services);
  return true;
}

void ShutdownRealServices() {
  RealServices& real = Real();
  SetServices(Services{});
  real.audio.reset();
  real.windows.reset();
  real.system.reset();
  if (real.sdlStarted) {
    SDL_Quit();
    real.sdlStarted = false;
  }
}

}  // namespace plat
