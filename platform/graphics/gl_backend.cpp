// Placeholder until the OpenGL backend lands: the hardware device type is not offered.
#include "platform/graphics/raster_backend.h"

namespace plat::gfx {

bool GlBackendBuilt() { return false; }

std::unique_ptr<IRasterBackend> CreateGlBackend(SDL_Window*, std::string& error) {
  error = "OpenGL backend not built";
  return nullptr;
}

}  // namespace plat::gfx
