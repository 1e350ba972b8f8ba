#pragma once
// Internal to platform/graphics. Both device types share one device implementation (state,
// textures' pixels in memory, sprite batches, fonts, cursor, lost/reset bookkeeping); underneath
// it sits a small backend that only draws textured, tinted quads into its buffers and presents.
// The reference backend is the CPU rasterizer (reference_backend.cpp); the hardware backend is
// OpenGL 3.3 core (gl_backend.cpp).
//
// Conventions every backend follows:
// - Screen space is the back buffer in pixels, origin top-left, y down; pixel (i, j) covers
//   [i, i+1) x [j, j+1), so its centre is (i + 0.5, j + 0.5).
// - Texture coordinates are in texels of the whole texture, origin top-left; texel (i, j) has
//   its centre at (i + 0.5, j + 0.5). Addressing clamps to the texture's edge.
//   So a quad whose corners sit on whole pixels with one texel per pixel copies texels exactly.
// - Depth: a vertex's z is the sprite depth, 0 nearest and 1 farthest, and is what the depth
//   buffer stores; z outside [0, 1] is clamped into it rather than clipped, so a sprite never
//   vanishes for lying slightly outside. Clear depth uses the same scale (1.0 = farthest).
// - Colours are 0xAARRGGBB. A fragment's colour is texel (after filtering) x tint, per channel
//   with 255 as one. A fragment whose resulting alpha is 0 is discarded (no colour, no depth).
// - Depth test, when on: pass when fragment z <= stored z; passing fragments write their z.
// - Blending, when on: dst = src * srcAlpha + dst * (1 - srcAlpha), alpha channel included.
//   Off: src replaces dst.
#include <SDL.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/graphics/types.h"
#include "platform/result.h"

namespace plat::gfx {

// A texture's pixels, kept in memory for the texture's whole life so a backend can upload (or
// upload again, after a reset) whenever it needs to. Immutable once made.
struct TextureImage {
  uint32_t width = 0, height = 0;
  uint32_t format = FMT_A8R8G8B8;  // the format reported to callers; pixels are always 0xAARRGGBB
  std::vector<uint32_t> argb;      // rows top first, width * height
  uint64_t serial = 0;             // unique per texture in the process, for backend caches
};

struct QuadVertex {
  float x = 0, y = 0;  // screen pixels
  float z = 0;         // depth, see above
  float u = 0, v = 0;  // texels
};

// One sprite: corners 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right of its source
// rectangle (after transformation they may lie anywhere, mirrored or turned). Drawn as the two
// triangles (0, 1, 2) and (2, 1, 3).
struct Quad {
  QuadVertex v[4];
  uint32_t tint = 0xFFFFFFFFu;
};

struct DrawState {
  bool alphaBlend = false;
  bool depthTest = false;         // on only when the device has a depth buffer
  uint32_t minFilter = TEXF_POINT;  // TEXF_POINT or TEXF_LINEAR (anything else: point)
  uint32_t magFilter = TEXF_POINT;
  uint32_t fillMode = FILL_SOLID;   // FILL_WIREFRAME draws the triangles' edges (FILL_POINT too)
};

class IRasterBackend {
 public:
  virtual ~IRasterBackend() = default;

  // (Re)makes the colour buffer, and the depth buffer when `depth`, at this size. Called at device
  // creation and at every reset. Contents afterwards are undefined until cleared.
  virtual Result ResizeBuffers(uint32_t width, uint32_t height, bool depth) = 0;

  // CLEAR_* flags. Stencil may be ignored (no stencil is used by any drawing here).
  virtual Result Clear(uint32_t flags, uint32_t argb, float z, uint32_t stencil) = 0;

  // Draws the quads in order with one texture and one state. The image outlives the call; a
  // backend may cache per image.serial and must re-upload when it no longer has it.
  virtual Result DrawQuads(const TextureImage& texture, std::span<const Quad> quads, const DrawState& state) = 0;

  // The texture with this serial is gone: drop anything cached for it.
  virtual void ForgetTexture(uint64_t serial) = 0;

  // Shows the colour buffer in the window, scaled to its client area when sizes differ.
  // D3DERR_DEVICELOST when it cannot be shown any more.
  virtual Result Present() = 0;

  // Colour buffer as 0xAARRGGBB rows, top row first.
  virtual Result ReadBack(std::vector<uint32_t>& argb, uint32_t& width, uint32_t& height) = 0;

  // How Present waits: one of the PRESENT_INTERVAL_* values. Called at device creation and at every
  // reset. A backend that can only show frames at once ignores it.
  virtual void SetPresentInterval(uint32_t presentInterval) = 0;
};

// The whole number k >= 1 with (w, h) * k == (targetW, targetH), or 0 when there is none. A back
// buffer shown at such a whole scale is enlarged pixel by pixel (nearest), so it stays crisp.
int WholeScale(int w, int h, int targetW, int targetH);
// Writes the w x h picture `src` into `dst` enlarged k times (each pixel a k x k block); dst rows
// are `dstPitchPixels` apart and hold at least w * k pixels.
void ScaleUp(const uint32_t* src, int w, int h, int k, uint32_t* dst, int dstPitchPixels);

// The CPU rasterizer on `window`; presents through the window surface, or through OpenGL when the
// window was made with SDL_WINDOW_OPENGL and a context comes up on it. Null on failure.
std::unique_ptr<IRasterBackend> CreateReferenceBackend(SDL_Window* window);

// The OpenGL 3.3 core backend on `window` (which must have SDL_WINDOW_OPENGL); null on failure,
// with a reason in `error`.
std::unique_ptr<IRasterBackend> CreateGlBackend(SDL_Window* window, std::string& error);
// Whether CreateGlBackend is implemented in this build (the hardware device type is offered only
// then, and only when ProbeGlContext succeeds).
bool GlBackendBuilt();

// What the OpenGL driver offers, found once per process on a hidden window of its own.
struct GlFacts {
  bool available = false;       // an OpenGL 3.3 core context can be made
  uint32_t maxTextureSize = 0;  // GL_MAX_TEXTURE_SIZE
  uint32_t swapIntervals = 0;   // bit n set: the driver takes swap interval n (0 to 4)
  std::string unavailable;      // why not, when it is not available
};
const GlFacts& ProbeGlContext();

// Whether the video driver SDL runs on can offer OpenGL at all (the headless ones cannot).
bool VideoDriverHasGl();
// Whether windows are made for OpenGL: only where the probe made a 3.3 core context. SDL 2.26
// cannot give a window made without SDL_WINDOW_OPENGL a context later (SDL_GL_CreateContext
// refuses it; only its internal re-creation of the window, under a new X window, would), so the
// choice is made once, before the first window. A window without OpenGL shows the reference
// device's pictures through its window surface.
bool WindowsUseGl();

// The swap interval that honours a present interval, given the swap intervals the driver takes
// (bits as in GlFacts): immediate 0, default and one 1, two to four the nearest one the driver
// takes from 1 up (ties to the shorter wait), 1 when it takes none of those.
int SwapIntervalFor(uint32_t presentInterval, uint32_t swapIntervals);
// The PRESENT_INTERVAL_* bits those swap intervals honour.
uint32_t PresentIntervalsOf(uint32_t swapIntervals);

}  // namespace plat::gfx
