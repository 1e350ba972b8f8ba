#pragma once
// Internal to platform/graphics: the device shared by both device types, over a raster backend.
#include <SDL.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/graphics.h"
#include "platform/system/window_system.h"

namespace plat::gfx {

struct DeviceConfig {
  uint32_t adapter = 0;
  uint32_t type = DEVTYPE_REF;
  uint32_t behaviourFlags = 0;
  Caps caps;
  // The device window. Switching it in and out of full screen is the window system's business
  // (the framework does it around device changes); a full-screen device only checks its mode.
  SDL_Window* window = nullptr;
  uint32_t desktopFormat = FMT_X8R8G8B8;
  std::vector<DisplayModeInfo> modes;  // the adapter's display modes, for full-screen checks
  // The window is this many times the back buffer's size in real pixels; positions and sizes the
  // device is given are logical pixels. Read when the device is made and at every reset: the
  // window system changes it when the window moves to an output of another scale.
  std::function<int()> presentScale = [] { return 1; };
};

// Checks and completes present parameters for a device with this configuration: a windowed
// size of 0 takes the window's client size, an unknown windowed format the desktop format, a
// back-buffer count of 0 one. D3DERR_INVALIDCALL for anything the device cannot do.
Result CompletePresentParameters(const DeviceConfig& config, PresentParameters& pp);

// Makes the backend for config.type and the device over it; `pp` is completed and written back.
Result CreateSharedDevice(const DeviceConfig& config, PresentParameters& pp, std::unique_ptr<IDevice>& out);

}  // namespace plat::gfx
