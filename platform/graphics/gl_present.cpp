// Presenting the CPU rasterizer's picture through OpenGL, and the one-time probe for an
// OpenGL 3.3 core context that decides whether the hardware device type is offered.
#include "platform/graphics/gl_present.h"

#include <epoxy/egl.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/graphics/gl_driver.h"
#include "platform/graphics/raster_backend.h"
#include "platform/system/x11_display.h"

namespace plat::gfx {

namespace {

void AskForCoreContext() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
}

// One triangle covering the viewport; the picture's top row goes to the top of the window.
constexpr const char* kVertex = R"(#version 330 core
out vec2 uv;
void main() {
  vec2 p = vec2(float((gl_VertexID & 1) << 2) - 1.0, float((gl_VertexID & 2) << 1) - 1.0);
  uv = vec2((p.x + 1.0) * 0.5, (1.0 - p.y) * 0.5);
  gl_Position = vec4(p, 0.0, 1.0);
})";
constexpr const char* kFragment = R"(#version 330 core
in vec2 uv;
out vec4 colour;
uniform sampler2D picture;
void main() { colour = vec4(texture(picture, uv).rgb, 1.0); })";

class GlPresenterImpl final : public GlPresenter {
 public:
  explicit GlPresenterImpl(SDL_Window* window) : window_(window) {}

  ~GlPresenterImpl() override {
    if (!context_) return;
    SDL_GL_MakeCurrent(window_, context_);
    if (texture_) glDeleteTextures(1, &texture_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
    if (program_) glDeleteProgram(program_);
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
  }

  bool Init() {
    AskForCoreContext();
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) return false;
    KeepGlDriverLoaded();
    SDL_GL_SetSwapInterval(0);
    std::string error;
    program_ = BuildShaderProgram(kVertex, kFragment, error);
    if (!program_) return false;
    glGenVertexArrays(1, &vao_);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return glGetError() == GL_NO_ERROR;
  }

  bool Present(const uint32_t* argb, int width, int height) override {
    if (SDL_GL_MakeCurrent(window_, context_) != 0) return false;
    glBindTexture(GL_TEXTURE_2D, texture_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (width != texW_ || height != texH_) {
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
      texW_ = width;
      texH_ = height;
    } else {
      glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb);
    }
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    // At a whole scale (the presentation scale; 1 when the sizes agree) pixels stay crisp.
    const GLint filter = WholeScale(width, height, dw, dh) != 0 ? GL_NEAREST : GL_LINEAR;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glViewport(0, 0, dw, dh);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    // The driver takes the window's present size at a clear, not at a draw. SDL reports a size
    // before the X server has it (full screen, which a window manager grants only once the window
    // shows), so the viewport above may not change when the window does; without the clear the
    // picture would stay on a framebuffer of the old size for good.
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glUseProgram(program_);
    glBindVertexArray(vao_);
    glDrawArrays(GL_TRIANGLES, 0, 3);
    SDL_GL_SwapWindow(window_);
    return glGetError() == GL_NO_ERROR;
  }

 private:
  SDL_Window* window_;
  SDL_GLContext context_ = nullptr;
  GLuint program_ = 0, vao_ = 0, texture_ = 0;
  int texW_ = 0, texH_ = 0;
};

}  // namespace

std::unique_ptr<GlPresenter> CreateGlPresenter(SDL_Window* window) {
  auto p = std::make_unique<GlPresenterImpl>(window);
  if (!p->Init()) return nullptr;
  return p;
}

namespace {

// The swap intervals the current context's driver takes.
uint32_t OfferedSwapIntervals() {
  uint32_t bits = 0;
  if (epoxy_has_egl() && eglGetCurrentContext() != EGL_NO_CONTEXT) {
    // EGL quietly clamps a swap interval into the range of the surface's configuration, so ask
    // the configuration for its range.
    const EGLDisplay display = eglGetCurrentDisplay();
    EGLint id = 0, count = 0, lowest = 1, highest = 1;
    EGLConfig config = nullptr;
    if (!eglQueryContext(display, eglGetCurrentContext(), EGL_CONFIG_ID, &id)) return 0;
    const EGLint wanted[] = {EGL_CONFIG_ID, id, EGL_NONE};
    if (!eglChooseConfig(display, wanted, &config, 1, &count) || count != 1) return 0;
    eglGetConfigAttrib(display, config, EGL_MIN_SWAP_INTERVAL, &lowest);
    eglGetConfigAttrib(display, config, EGL_MAX_SWAP_INTERVAL, &highest);
    for (EGLint n = std::max<EGLint>(lowest, 0); n <= std::min<EGLint>(highest, 4); ++n) bits |= 1u << n;
    return bits;
  }
  for (int n = 0; n <= 4; ++n) {
    if (SDL_GL_SetSwapInterval(n) == 0 && SDL_GL_GetSwapInterval() == n) bits |= 1u << n;
  }
  SDL_GL_SetSwapInterval(0);
  return bits;
}

GlFacts ProbeOnce() {
  GlFacts facts;
  // A driver that cannot serve the display (none installed, an X server that refuses its
  // requests) answers with X errors, which must mean "no hardware device", not the end.
  X11ErrorTrap trap;
  // Loaded here rather than by the window, so that it stays loaded until whatever the driver
  // keeps for the process is pinned, also when no window comes up.
  if (SDL_GL_LoadLibrary(nullptr) != 0) {
    facts.unavailable = std::string("OpenGL does not load (") + SDL_GetError() + ")";
    return facts;
  }
  AskForCoreContext();
  SDL_Window* w = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!w) {
    facts.unavailable = std::string("no window for OpenGL (") + SDL_GetError() + ")";
    KeepGlDriverLoaded();
    SDL_GL_UnloadLibrary();
    return facts;
  }
  if (SDL_GLContext c = SDL_GL_CreateContext(w)) {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    facts.maxTextureSize = uint32_t(std::max(size, 0));
    const int version = epoxy_gl_version();
    facts.available = version >= 33 && facts.maxTextureSize >= 1024;
    if (version < 33) {
      facts.unavailable = "OpenGL " + std::to_string(version / 10) + "." + std::to_string(version % 10) + " only";
    } else if (!facts.available) {
      facts.unavailable = "textures of at most " + std::to_string(facts.maxTextureSize) + " pixels";
    }
    facts.swapIntervals = OfferedSwapIntervals();
    SDL_GL_MakeCurrent(w, nullptr);
    SDL_GL_DeleteContext(c);
  } else {
    facts.unavailable = std::string("no OpenGL 3.3 core context (") + SDL_GetError() + ")";
  }
  trap.Sync(w);
  if (const std::string error = trap.FirstError(); !error.empty()) {
    facts.available = false;
    facts.unavailable = "the X server refused OpenGL: " + error;
  }
  // Whatever the driver kept for the process must not look lost to leak checkers once SDL unloads it.
  KeepGlDriverLoaded();
  SDL_DestroyWindow(w);
  SDL_GL_UnloadLibrary();
  return facts;
}

}  // namespace

const GlFacts& ProbeGlContext() {
  static const GlFacts facts = [] {
    const GlFacts usual = ProbeOnce();
    // On X11 SDL reaches OpenGL through GLX unless told otherwise. Some GLX drivers take no swap
    // interval at all (Mesa's software path on an X server without direct rendering), so a device
    // on them could not wait for the vertical blank when asked; their EGL takes one. GLX stays
    // where it works, since its presents are the cheaper ones there. The choice holds for the
    // process: SDL reads it whenever it loads OpenGL for a window.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (usual.swapIntervals == 0 && driver != nullptr && std::strcmp(driver, "x11") == 0 &&
        SDL_GetHint(SDL_HINT_VIDEO_X11_FORCE_EGL) == nullptr) {
      SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
      // Where EGL finds no driver SDL unloads it before anything could be pinned.
      KeepLibraryLoaded("libEGL.so.1");
      const GlFacts egl = ProbeOnce();
      if (egl.available && egl.swapIntervals != 0) return egl;
      SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "0");
    }
    return usual;
  }();
  return facts;
}

bool VideoDriverHasGl() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

bool WindowsUseGl() { return VideoDriverHasGl() && GlBackendBuilt() && ProbeGlContext().available; }

int SwapIntervalFor(uint32_t presentInterval, uint32_t swapIntervals) {
  switch (presentInterval) {
    case PRESENT_INTERVAL_IMMEDIATE: return 0;
    case PRESENT_INTERVAL_TWO: case PRESENT_INTERVAL_THREE: case PRESENT_INTERVAL_FOUR: break;
    default: return 1;  // default and one: every vertical blank
  }
  const int wanted = presentInterval == PRESENT_INTERVAL_TWO ? 2 : presentInterval == PRESENT_INTERVAL_THREE ? 3 : 4;
  int best = 1;
  bool found = false;
  for (int n = 1; n <= 4; ++n) {
    if (!(swapIntervals & (1u << n))) continue;
    if (!found || std::abs(n - wanted) < std::abs(best - wanted)) best = n;
    found = true;
  }
  return best;
}

uint32_t PresentIntervalsOf(uint32_t swapIntervals) {
  constexpr uint32_t kBySwap[5] = {PRESENT_INTERVAL_IMMEDIATE, PRESENT_INTERVAL_ONE, PRESENT_INTERVAL_TWO,
                                   PRESENT_INTERVAL_THREE, PRESENT_INTERVAL_FOUR};
  uint32_t intervals = 0;
  for (int n = 0; n <= 4; ++n)
    if (swapIntervals & (1u << n)) intervals |= kBySwap[n];
  return intervals;
}

}  // namespace plat::gfx
