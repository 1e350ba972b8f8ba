// Feeds arbitrary quads and states to the reference device's rasterizer on a small back buffer:
// vertices anywhere (huge, tiny, negative, NaN), any texture coordinates, every filter, fill
// mode, blending and depth combination. Nothing may be touched outside the buffers.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/graphics/raster_backend.h"

namespace {

std::unique_ptr<plat::gfx::IRasterBackend>& Backend() {
  static std::unique_ptr<plat::gfx::IRasterBackend> backend;
  return backend;
}

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return pos_ >= size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  float Float() {
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i) bits |= uint32_t(Byte()) << (8 * i);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) std::abort();
  SDL_Window* window = SDL_CreateWindow("fuzz", 0, 0, 37, 29, SDL_WINDOW_HIDDEN);
  if (!window) std::abort();
  Backend() = plat::gfx::CreateReferenceBackend(window);
  if (!Backend() || Failed(Backend()->ResizeBuffers(37, 29, true))) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in(data, size);
  plat::gfx::TextureImage texture;
  texture.width = 1 + in.Byte() % 9;
  texture.height = 1 + in.Byte() % 9;
  texture.argb.resize(size_t(texture.width) * texture.height);
  for (uint32_t& p : texture.argb) p = 0x01000000u * in.Byte() | 0x00808080u;
  plat::gfx::DrawState state;
  const uint8_t flags = in.Byte();
  state.alphaBlend = flags & 1;
  state.depthTest = flags & 2;
  state.minFilter = (flags & 4) ? plat::TEXF_LINEAR : plat::TEXF_POINT;
  state.magFilter = (flags & 8) ? plat::TEXF_LINEAR : plat::TEXF_POINT;
  state.fillMode = (flags & 16) ? plat::FILL_WIREFRAME : plat::FILL_SOLID;
  Backend()->Clear(plat::CLEAR_TARGET | plat::CLEAR_ZBUFFER, 0, 1.0f, 0);
  std::vector<plat::gfx::Quad> quads;
  while (!in.Empty() && quads.size() < 8) {
    plat::gfx::Quad q;
    for (auto& v : q.v) v = {in.Float(), in.Float(), in.Float(), in.Float(), in.Float()};
    q.tint = uint32_t(in.Byte()) * 0x01010101u;
    quads.push_back(q);
  }
  Backend()->DrawQuads(texture, quads, state);
  return 0;
}
