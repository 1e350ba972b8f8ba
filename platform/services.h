#pragma once
// The one place the framework and the game find the platform. The program installs the real
// SDL-backed services at start; tests install fakes.
#include <functional>
#include <memory>
#include <string>

#include "platform/audio/audio.h"
#include "platform/graphics/graphics.h"
#include "platform/system/system.h"
#include "platform/system/window_system.h"

namespace plat {

struct Services {
  ISystem* system = nullptr;
  IWindowSystem* windows = nullptr;
  IAudioSystem* audio = nullptr;
  // Makes the graphics system (the framework keeps one per process); null when impossible.
  std::function<std::unique_ptr<IGraphicsSystem>()> createGraphics;
};

Services& GetServices();
void SetServices(const Services& services);

// Installs the SDL, OpenGL/CPU-rasterizer and SDL-audio implementations. Returns false when
// SDL cannot start, with the reason in `why`: no display, or one that cannot be opened (headless
// drivers are used only when SDL_VIDEODRIVER names one).
bool InstallRealServices(std::string* why = nullptr);
void ShutdownRealServices();

}  // namespace plat
