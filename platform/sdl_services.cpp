// The real services: SDL window and system layer, the graphics devices and SDL audio.
#include <SDL.h>

#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/services.h"
#include "platform/system/end_signals.h"
#include "platform/system/sdl_system.h"
#include "platform/system/sdl_window_system.h"
#include "platform/system/x11_display.h"

namespace plat {

namespace {

// The desktop entry org.xvela.xvela.desktop names this class as its StartupWMClass.
constexpr const char* kWindowClass = "xvela";
constexpr const char* kDesktopId = "org.xvela.xvela";

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

bool IsHeadless(const char* driver) {
  return driver != nullptr && (SDL_strcasecmp(driver, "dummy") == 0 || SDL_strcasecmp(driver, "offscreen") == 0);
}

// Starts SDL on a real display, or on the driver SDL_VIDEODRIVER names. On failure `why` says so in
// one line that names the display tried.
bool StartSdl(std::string& why) {
  constexpr uint32_t kSubsystems = SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER;
  // The window procedure sees the close request once; SDL must not add a quit of its own.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // The click that activates the window is a click like any other.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // Ours close the windows on SIGTERM, SIGINT and SIGHUP alike, and end a message box that is up.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  InstallEndSignals();
  // The window's class (X11) and application id (Wayland) are the names the desktop entry gives,
  // whatever the program file is called: docks group the window with its launcher by them. SDL
  // reads them from these variables when its video starts, and has no hint for them.
  ::setenv("SDL_VIDEO_X11_WMCLASS", kWindowClass, 1);
  ::setenv("SDL_VIDEO_WAYLAND_WMCLASS", kDesktopId, 1);
  PrepareSdlAudio();
  const bool chosen = EnvSet("SDL_VIDEODRIVER");
  const bool wayland = EnvSet("WAYLAND_DISPLAY"), x11 = EnvSet("DISPLAY");
  // The displays tried, in SDL's order, for the line that says none could be opened.
  std::string tried;
  if (wayland) tried = std::string("\"") + std::getenv("WAYLAND_DISPLAY") + "\"";
  if (x11) tried += (tried.empty() ? "\"" : " or \"") + std::string(std::getenv("DISPLAY")) + "\"";
  if (!chosen) {
    if (tried.empty()) {
      why = "no display to open: DISPLAY is not set, nor WAYLAND_DISPLAY (start the game from a desktop "
            "session; SDL_VIDEODRIVER=dummy runs it without a window)";
      return false;
    }
    // A Wayland desktop sets both: its own compositor draws the window at the output's scale,
    // where the X server it also runs would have it enlarge a window drawn at 1. X11 is the fall-back
    // when the compositor cannot be reached. Left to itself SDL would fall back to a headless
    // driver and the game would play unseen.
    SDL_SetHint(SDL_HINT_VIDEODRIVER, wayland && x11 ? "wayland,x11" : wayland ? "wayland" : "x11");
  } else if (IsHeadless(std::getenv("SDL_VIDEODRIVER"))) {
    // The headless drivers have no GL: the window surface is a plain memory framebuffer.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  // A compositor cannot change an output's mode; SDL would pretend to by scaling the window's
  // picture, smoothed. Full screen takes the output as it is instead.
  SDL_SetHint(SDL_HINT_VIDEO_WAYLAND_MODE_EMULATION, "0");
  if (SDL_Init(kSubsystems) != 0) {
    why = "cannot open display " + (tried.empty() ? std::string("\"\"") : tried) + " (" + SDL_GetError() + ")";
    return false;
  }
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver != nullptr && SDL_strcasecmp(driver, "x11") == 0) {
    InstallDisplayLossHandler();
    // X11 shows a window surface itself. Left to choose, SDL would put one through an OpenGL
    // renderer, which re-creates the window for OpenGL (under a new X window) and takes the
    // process down where OpenGL does not work: exactly where the reference device needs it.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  // Game controllers are optional: without them, or where they cannot start, the keyboard and
  // the mouse play as before.
  SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
  return true;
}

}  // namespace

bool InstallRealServices(std::string* why) {
  RealServices& real = Real();
  if (!real.sdlStarted) {
    std::string reason;
    if (!StartSdl(reason)) {
      if (why != nullptr) *why = reason;
      return false;
    }
    real.sdlStarted = true;
    // A debug line written into a pipe whose reader has gone must not end the game.
    std::signal(SIGPIPE, SIG_IGN);
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
