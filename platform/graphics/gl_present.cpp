// Presenting the CPU rasterizer's picture through OpenGL, and the one-time probe for an
// OpenGL 3.3 core context that decides whether the hardware device type is offered.
#include "platform/graphics/gl_present.h"

#include <epoxy/gl.h>

#include "platform/graphics/gl_driver.h"
#include "platform/graphics/raster_backend.h"

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
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
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
    glViewport(0, 0, dw, dh);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
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

bool ProbeGlContext(uint32_t& maxTextureSize) {
  static bool probed = false, available = false;
  static uint32_t maxSize = 0;
  if (!probed) {
    probed = true;
    AskForCoreContext();
    SDL_Window* w = SDL_CreateWindow("", 0, 0, 16, 16, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (w) {
      SDL_GLContext c = SDL_GL_CreateContext(w);
      if (c) {
        GLint size = 0;
        glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
        maxSize = uint32_t(size > 0 ? size : 0);
        available = epoxy_gl_version() >= 33 && maxSize >= 1024;
        SDL_GL_MakeCurrent(w, nullptr);
        SDL_GL_DeleteContext(c);
      }
      SDL_DestroyWindow(w);
    }
  }
  maxTextureSize = maxSize;
  return available;
}

}  // namespace plat::gfx
