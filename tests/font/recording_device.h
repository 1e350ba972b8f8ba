#pragma once
// A device that only records: textures keep their pixels, sprites log every call. Enough to
// check where the font puts its glyphs without any rasterizer.
#include <memory>
#include <vector>

#include "platform/graphics/graphics.h"

namespace fonttest {

struct Counters {
  int texturesMade = 0, texturesLive = 0;
  int spritesMade = 0, spritesLive = 0;
};

class RecordingTexture final : public plat::ITexture {
 public:
  RecordingTexture(Counters& c, uint32_t w, uint32_t h, std::vector<uint32_t> argb)
      : counters_(c), width_(w), height_(h), argb_(std::move(argb)) {
    ++counters_.texturesMade;
    ++counters_.texturesLive;
  }
  ~RecordingTexture() override { --counters_.texturesLive; }
  uint32_t Width() const override { return width_; }
  uint32_t Height() const override { return height_; }
  uint32_t Format() const override { return plat::FMT_A8R8G8B8; }
  uint32_t At(int x, int y) const { return argb_[size_t(y) * width_ + size_t(x)]; }

 private:
  Counters& counters_;
  uint32_t width_, height_;
  std::vector<uint32_t> argb_;
};

struct DrawCall {
  const plat::ITexture* texture = nullptr;
  plat::RectI src;
  plat::Vec3 position;
  uint32_t colour = 0;
  int batch = 0;  // how many Begin calls came before it on that sprite
};

class RecordingSprite final : public plat::ISprite {
 public:
  explicit RecordingSprite(Counters* c = nullptr) : counters_(c) {
    if (counters_) ++counters_->spritesMade, ++counters_->spritesLive;
  }
  ~RecordingSprite() override {
    if (counters_) --counters_->spritesLive;
  }
  Result Begin(uint32_t flags) override {
    ++begins;
    lastFlags = flags;
    return S_OK;
  }
  Result SetTransform(const plat::Matrix& m) override {
    transform = m;
    return S_OK;
  }
  Result Draw(const plat::ITexture* texture, const plat::RectI* src, const plat::Vec3* centre,
              const plat::Vec3* position, uint32_t colour) override {
    DrawCall d;
    d.texture = texture;
    if (src) d.src = *src;
    if (position) d.position = *position;
    d.colour = colour;
    d.batch = begins;
    centreGiven = centreGiven || centre != nullptr;
    draws.push_back(d);
    return S_OK;
  }
  Result End() override {
    ++ends;
    return S_OK;
  }
  Result OnLostDevice() override { return S_OK; }
  Result OnResetDevice() override { return S_OK; }

  int begins = 0, ends = 0;
  uint32_t lastFlags = 0;
  bool centreGiven = false;
  plat::Matrix transform;
  std::vector<DrawCall> draws;

 private:
  Counters* counters_;
};

class RecordingDevice final : public plat::IDevice {
 public:
  Result Clear(uint32_t, uint32_t, float, uint32_t) override { return S_OK; }
  Result BeginScene() override { return S_OK; }
  Result EndScene() override { return S_OK; }
  Result Present() override { return S_OK; }
  Result TestCooperativeLevel() override { return S_OK; }
  Result Reset(plat::PresentParameters&) override { return S_OK; }
  Result SetRenderState(plat::RenderState, uint32_t) override { return S_OK; }
  uint32_t GetRenderState(plat::RenderState) const override { return 0; }
  Result SetSamplerState(uint32_t, plat::SamplerState, uint32_t) override { return S_OK; }
  uint32_t GetSamplerState(uint32_t, plat::SamplerState) const override { return 0; }
  Result SetTransform(plat::TransformType, const plat::Matrix&) override { return S_OK; }
  Result GetTransform(plat::TransformType, plat::Matrix&) const override { return S_OK; }
  Result GetBackBufferDesc(plat::SurfaceDesc&) const override { return S_OK; }
  Result GetDeviceCaps(plat::Caps&) const override { return S_OK; }
  uint32_t GetDeviceType() const override { return plat::DEVTYPE_REF; }
  Result SetCursorProperties(int, int, const std::vector<uint32_t>&, int, int) override { return S_OK; }
  void SetCursorPosition(int, int) override {}
  bool ShowCursor(bool) override { return false; }
  Result CreateTextureFromFile(const std::wstring&, std::unique_ptr<plat::ITexture>&) override {
    return E_NOTIMPL;
  }
  Result CreateTextureFromPixels(uint32_t w, uint32_t h, const std::vector<uint32_t>& argb,
                                 std::unique_ptr<plat::ITexture>& out) override {
    if (failTextures) return E_OUTOFMEMORY;
    auto t = std::make_unique<RecordingTexture>(counters, w, h, argb);
    lastTexture = t.get();
    out = std::move(t);
    return S_OK;
  }
  Result CreateSprite(std::unique_ptr<plat::ISprite>& out) override {
    auto s = std::make_unique<RecordingSprite>(&counters);
    lastSprite = s.get();
    out = std::move(s);
    return S_OK;
  }
  Result CreateFont(int height, uint32_t weight, const std::wstring& face, std::unique_ptr<plat::IFont>& out) override {
    return plat::CreateDeviceFont(*this, height, weight, face, out);
  }
  Result ReadBackBuffer(std::vector<uint32_t>&, uint32_t&, uint32_t&) override { return E_NOTIMPL; }
  uint32_t LiveObjectCount() const override { return uint32_t(counters.texturesLive + counters.spritesLive); }

  Counters counters;
  bool failTextures = false;
  RecordingTexture* lastTexture = nullptr;  // the newest, valid while texturesLive says so
  RecordingSprite* lastSprite = nullptr;
};

}  // namespace fonttest
