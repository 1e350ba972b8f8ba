// The hardware device's backend: OpenGL 3.3 core through an SDL context on the device window.
// Drawing goes into an off-screen colour and depth buffer of the back-buffer size, so depth and
// read-back do not depend on what the window's own framebuffer offers; Present copies it to the
// window, scaled to the drawable.
#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/graphics/gl_driver.h"
#include "platform/graphics/raster_backend.h"

namespace plat::gfx {

namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;  // screen pixels, y down; z is the depth
layout(location = 1) in vec2 texel;     // texels of the whole texture
layout(location = 2) in vec4 tint;
uniform vec2 targetSize;
uniform vec2 imageSize;
uniform vec2 lineShift;  // wireframe: lines through pixel centres light the pixels holding their points
out vec2 uv;
out vec4 colour;
void main() {
  uv = texel / imageSize;
  colour = tint;
  // Depth outside [0, 1] is pulled in, never clipped.
  vec2 p = position.xy + lineShift;
  gl_Position = vec4(p.x / targetSize.x * 2.0 - 1.0, 1.0 - p.y / targetSize.y * 2.0,
                     clamp(position.z, 0.0, 1.0) * 2.0 - 1.0, 1.0);
})";

// Fragments whose alpha would store as 0 in eight bits leave colour and depth alone.
constexpr const char* kFragmentShader = R"(#version 330 core
in vec2 uv;
in vec4 colour;
uniform sampler2D image;
out vec4 result;
void main() {
  vec4 c = texture(image, uv) * colour;
  if (c.a < 0.5 / 255.0) discard;
  result = c;
})";

struct GlVertex {
  float x, y, z, u, v;
  uint32_t tint;  // 0xAARRGGBB: bytes B, G, R, A in memory, read as GL_BGRA
};

GLint ToGlFilter(uint32_t filter) { return filter == TEXF_LINEAR ? GL_LINEAR : GL_NEAREST; }

class GlBackend final : public IRasterBackend {
 public:
  explicit GlBackend(SDL_Window* window) : window_(window) {}

  ~GlBackend() override {
    if (!context_) return;
    SDL_GL_MakeCurrent(window_, context_);
    for (const auto& [serial, name] : textures_) glDeleteTextures(1, &name);
    DeleteTargets();
    if (samplers_[0]) glDeleteSamplers(4, samplers_);
    if (vertexBuffer_) glDeleteBuffers(1, &vertexBuffer_);
    if (indexBuffer_) glDeleteBuffers(1, &indexBuffer_);
    if (vao_) glDeleteVertexArrays(1, &vao_);
    if (program_) glDeleteProgram(program_);
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
  }

  bool Init(std::string& error) {
    if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_OPENGL)) {
      error = "the window was not made for OpenGL";
      return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    context_ = SDL_GL_CreateContext(window_);
    if (!context_) {
      error = std::string("no OpenGL 3.3 core context: ") + SDL_GetError();
      return false;
    }
    KeepGlDriverLoaded();
    if (epoxy_gl_version() < 33) {
      error = "OpenGL 3.3 is not available";
      return false;
    }
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    maxTextureSize_ = uint32_t(std::max(maxSize, 0));

    program_ = BuildShaderProgram(kVertexShader, kFragmentShader, error);
    if (!program_) return false;
    targetSizeAt_ = glGetUniformLocation(program_, "targetSize");
    imageSizeAt_ = glGetUniformLocation(program_, "imageSize");
    lineShiftAt_ = glGetUniformLocation(program_, "lineShift");
    glUseProgram(program_);
    glUniform1i(glGetUniformLocation(program_, "image"), 0);

    glGenVertexArrays(1, &vao_);
    glBindVertexArray(vao_);
    glGenBuffers(1, &vertexBuffer_);
    glGenBuffers(1, &indexBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(GlVertex), reinterpret_cast<void*>(offsetof(GlVertex, x)));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, sizeof(GlVertex), reinterpret_cast<void*>(offsetof(GlVertex, u)));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(GlVertex),
                          reinterpret_cast<void*>(offsetof(GlVertex, tint)));

    // One sampler per (minification, magnification) pair, clamped at the edges.
    glGenSamplers(4, samplers_);
    for (int i = 0; i < 4; ++i) {
      glSamplerParameteri(samplers_[i], GL_TEXTURE_MIN_FILTER, (i & 1) ? GL_LINEAR : GL_NEAREST);
      glSamplerParameteri(samplers_[i], GL_TEXTURE_MAG_FILTER, (i & 2) ? GL_LINEAR : GL_NEAREST);
      glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
      glSamplerParameteri(samplers_[i], GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glDisable(GL_CULL_FACE);  // mirrored sprites turn their triangles around
    glDepthFunc(GL_LEQUAL);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    if (glGetError() != GL_NO_ERROR) {
      error = "OpenGL set-up failed";
      return false;
    }
    return true;
  }

  Result ResizeBuffers(uint32_t width, uint32_t height, bool depth) override {
    if (width == 0 || height == 0) return D3DERR_INVALIDCALL;
    if (!MakeCurrent()) return D3DERR_DEVICELOST;
    if (width > maxTextureSize_ || height > maxTextureSize_) return D3DERR_OUTOFVIDEOMEMORY;
    DeleteTargets();
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glGenRenderbuffers(1, &colourBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colourBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, GLsizei(width), GLsizei(height));
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colourBuffer_);
    if (depth) {
      // Float depth compares exactly like the reference rasterizer's.
      glGenRenderbuffers(1, &depthBuffer_);
      glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
      glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT32F, GLsizei(width), GLsizei(height));
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    }
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE || glGetError() != GL_NO_ERROR) {
      DeleteTargets();
      return D3DERR_OUTOFVIDEOMEMORY;
    }
    width_ = width;
    height_ = height;
    hasDepth_ = depth;
    glViewport(0, 0, GLsizei(width), GLsizei(height));
    glUseProgram(program_);
    glUniform2f(targetSizeAt_, float(width), float(height));
    return S_OK;
  }

  Result Clear(uint32_t flags, uint32_t argb, float z, uint32_t) override {
    if (!framebuffer_) return D3DERR_INVALIDCALL;
    if (!MakeCurrent()) return D3DERR_DEVICELOST;
    GLbitfield mask = 0;
    if (flags & CLEAR_TARGET) {
      glClearColor(float((argb >> 16) & 0xFF) / 255.0f, float((argb >> 8) & 0xFF) / 255.0f,
                   float(argb & 0xFF) / 255.0f, float(argb >> 24) / 255.0f);
      mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & CLEAR_ZBUFFER) && hasDepth_) {
      glDepthMask(GL_TRUE);
      glClearDepth(std::clamp(z, 0.0f, 1.0f));
      mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (mask) glClear(mask);
    return S_OK;
  }

  Result DrawQuads(const TextureImage& texture, std::span<const Quad> quads, const DrawState& state) override {
    if (texture.width == 0 || texture.height == 0 || texture.argb.size() != size_t(texture.width) * texture.height) {
      return D3DERR_INVALIDCALL;
    }
    if (!framebuffer_) return D3DERR_INVALIDCALL;
    if (quads.empty()) return S_OK;
    if (!MakeCurrent()) return D3DERR_DEVICELOST;
    const GLuint name = TextureFor(texture);
    if (!name) return D3DERR_OUTOFVIDEOMEMORY;

    vertices_.clear();
    for (const Quad& q : quads)
      for (const QuadVertex& v : q.v) vertices_.push_back(GlVertex{v.x, v.y, v.z, v.u, v.v, q.tint});
    EnsureIndices(quads.size());

    glBindVertexArray(vao_);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    const GLsizeiptr bytes = GLsizeiptr(vertices_.size() * sizeof(GlVertex));
    if (bytes > vertexCapacity_) {
      glBufferData(GL_ARRAY_BUFFER, bytes, vertices_.data(), GL_STREAM_DRAW);
      vertexCapacity_ = bytes;
    } else {
      glBufferData(GL_ARRAY_BUFFER, vertexCapacity_, nullptr, GL_STREAM_DRAW);  // fresh storage
      glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, vertices_.data());
    }

    glUseProgram(program_);
    glUniform2f(imageSizeAt_, float(texture.width), float(texture.height));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, name);
    // Wireframe edges take the nearest texel, as the reference rasterizer's lines do.
    const bool solid = state.fillMode == FILL_SOLID;
    const int sampler = solid ? ((ToGlFilter(state.minFilter) == GL_LINEAR ? 1 : 0) |
                                 (ToGlFilter(state.magFilter) == GL_LINEAR ? 2 : 0))
                              : 0;
    glBindSampler(0, samplers_[sampler]);
    glPolygonMode(GL_FRONT_AND_BACK, solid ? GL_FILL : GL_LINE);
    glUniform2f(lineShiftAt_, solid ? 0.0f : 0.5f, solid ? 0.0f : 0.5f);
    if (state.alphaBlend) glEnable(GL_BLEND); else glDisable(GL_BLEND);
    if (state.depthTest && hasDepth_) {
      glEnable(GL_DEPTH_TEST);
      glDepthMask(GL_TRUE);
    } else {
      glDisable(GL_DEPTH_TEST);
    }
    glDrawElements(GL_TRIANGLES, GLsizei(quads.size() * 6), GL_UNSIGNED_INT, nullptr);
    return S_OK;
  }

  void ForgetTexture(uint64_t serial) override {
    auto it = textures_.find(serial);
    if (it == textures_.end()) return;
    if (MakeCurrent()) glDeleteTextures(1, &it->second);
    textures_.erase(it);
  }

  Result Present() override {
    if (!framebuffer_) return D3DERR_INVALIDCALL;
    if (!MakeCurrent()) return D3DERR_DEVICELOST;
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window_, &dw, &dh);
    if (dw > 0 && dh > 0) {
      glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
      glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
      // At a whole scale (the presentation scale; 1 when the sizes agree) pixels stay crisp.
      const bool whole = WholeScale(int(width_), int(height_), dw, dh) != 0;
      glBlitFramebuffer(0, 0, GLint(width_), GLint(height_), 0, 0, dw, dh, GL_COLOR_BUFFER_BIT,
                        whole ? GL_NEAREST : GL_LINEAR);
      // The blit copies the back buffer's alpha, which blending leaves below 1; a compositor
      // would show the desktop through the window. Every presented pixel is opaque.
      glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
      glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
      glClear(GL_COLOR_BUFFER_BIT);
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      SDL_GL_SwapWindow(window_);
      glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    }
    return S_OK;
  }

  void SetPresentInterval(uint32_t presentInterval) override {
    if (MakeCurrent()) SDL_GL_SetSwapInterval(SwapIntervalFor(presentInterval, ProbeGlContext().swapIntervals));
  }

  Result ReadBack(std::vector<uint32_t>& argb, uint32_t& width, uint32_t& height) override {
    if (!framebuffer_) return D3DERR_INVALIDCALL;
    if (!MakeCurrent()) return D3DERR_DEVICELOST;
    const size_t w = width_, h = height_;
    argb.resize(w * h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, GLsizei(w), GLsizei(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, argb.data());
    // OpenGL gives the bottom row first.
    for (size_t y = 0; y < h / 2; ++y)
      std::swap_ranges(argb.begin() + std::ptrdiff_t(y * w), argb.begin() + std::ptrdiff_t((y + 1) * w),
                       argb.begin() + std::ptrdiff_t((h - 1 - y) * w));
    width = width_;
    height = height_;
    return glGetError() == GL_NO_ERROR ? S_OK : E_FAIL;
  }

 private:
  bool MakeCurrent() { return SDL_GL_MakeCurrent(window_, context_) == 0; }

  void DeleteTargets() {
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (colourBuffer_) glDeleteRenderbuffers(1, &colourBuffer_);
    if (depthBuffer_) glDeleteRenderbuffers(1, &depthBuffer_);
    framebuffer_ = colourBuffer_ = depthBuffer_ = 0;
    width_ = height_ = 0;
  }

  // The texture's copy in video memory, uploaded from its pixels in memory on first use.
  GLuint TextureFor(const TextureImage& texture) {
    auto it = textures_.find(texture.serial);
    if (it != textures_.end()) return it->second;
    if (texture.width > maxTextureSize_ || texture.height > maxTextureSize_) return 0;
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(texture.width), GLsizei(texture.height), 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, texture.argb.data());
    if (glGetError() != GL_NO_ERROR) {
      glDeleteTextures(1, &name);
      return 0;
    }
    textures_.emplace(texture.serial, name);
    return name;
  }

  // Two triangles per quad, (0, 1, 2) and (2, 1, 3); the index buffer only ever grows.
  void EnsureIndices(size_t quadCount) {
    if (quadCount <= indexQuads_) return;
    size_t n = std::max<size_t>(indexQuads_ * 2, 256);
    while (n < quadCount) n *= 2;
    std::vector<uint32_t> indices(n * 6);
    for (size_t i = 0; i < n; ++i) {
      const uint32_t b = uint32_t(i * 4);
      const uint32_t six[6] = {b, b + 1, b + 2, b + 2, b + 1, b + 3};
      std::copy(six, six + 6, indices.begin() + std::ptrdiff_t(i * 6));
    }
    glBindVertexArray(vao_);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(indices.size() * sizeof(uint32_t)), indices.data(), GL_STATIC_DRAW);
    indexQuads_ = n;
  }

  SDL_Window* window_;
  SDL_GLContext context_ = nullptr;
  GLuint program_ = 0, vao_ = 0, vertexBuffer_ = 0, indexBuffer_ = 0;
  GLuint samplers_[4] = {};
  GLint targetSizeAt_ = -1, imageSizeAt_ = -1, lineShiftAt_ = -1;
  GLuint framebuffer_ = 0, colourBuffer_ = 0, depthBuffer_ = 0;
  uint32_t width_ = 0, height_ = 0;
  bool hasDepth_ = false;
  uint32_t maxTextureSize_ = 0;
  std::unordered_map<uint64_t, GLuint> textures_;
  std::vector<GlVertex> vertices_;  // scratch, keeps its capacity between draws
  GLsizeiptr vertexCapacity_ = 0;
  size_t indexQuads_ = 0;
};

}  // namespace

bool GlBackendBuilt() { return true; }

std::unique_ptr<IRasterBackend> CreateGlBackend(SDL_Window* window, std::string& error) {
  if (!window) {
    error = "no window";
    return nullptr;
  }
  auto backend = std::make_unique<GlBackend>(window);
  if (!backend->Init(error)) return nullptr;
  return backend;
}

}  // namespace plat::gfx
