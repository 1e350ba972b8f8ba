#pragma once
// Internal to platform/graphics: shows a CPU-drawn picture in a window made with
// SDL_WINDOW_OPENGL, which the hardware device draws into as well, by uploading it into a
// texture and drawing that over the window.
#include <SDL.h>

#include <cstdint>
#include <memory>

namespace plat::gfx {

class GlPresenter {
 public:
  virtual ~GlPresenter() = default;
  // Shows `argb` (0xAARRGGBB rows, top first) scaled to the window's drawable. False on failure.
  virtual bool Present(const uint32_t* argb, int width, int height) = 0;
};

// Null when no OpenGL context can be made on the window.
std::unique_ptr<GlPresenter> CreateGlPresenter(SDL_Window* window);

}  // namespace plat::gfx
