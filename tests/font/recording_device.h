#pragma once
// A device that only records: sprites log their draws, live objects are counted. Enough to check
// where the font puts its glyphs without any rasterizer.
#include <memory>
#include <vector>

#include "platform/graphics/graphics.h"

namespace fonttest {

struct Live {
  int textures = 0, sprites = 0, spritesMade = 0;
};

class RecordingTexture final : public plat::ITexture {
 public:
  explicit RecordingTexture(Live& live) : live_(live) { ++live_.textures; }
  ~RecordingTexture() override { --live_.textures; }
  uint32_t Width() const override { return 0; }
  uint32_t Height() const override { return 0; }
  uint32_t Format() const override { return plat::FMT_A8R8G8B8; }

 private:
  Live& live_;
};

struct DrawCall {
  const plat::ITexture* texture = nullptr;
  plat::RectI src;
  plat::Vec3 position;
  uint32_t colour = 0;
};

class RecordingSprite final : public plat::ISprite {
 public:
  explicit RecordingSprite(Live* live = nullptr) : live_(live) {
    if (live_) ++live_->sprites, ++live_->spritesMade;
  }
  ~RecordingSprite() override {
    if (live_) --live_->sprites;
  }
  Result Begin(uint32_t flags) override {
    ++begins;
    lastFlags = flags;
    return S_OK;
  }
  Result SetTransform(const plat::Matrix& m) override {
    transformed = !(m == plat::Matrix::Identity());
    return S_OK;
  }
  Result Draw(const plat::ITexture* texture, const plat::RectI* src, const plat::Vec3* centre,
              const plat::Vec3* position, uint32_t colour) override {
    draws.push_back({texture, src ? *src : plat::RectI{}, position ? *position : plat::Vec3{}, colour});
    transformed = transformed || centre != nullptr;
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
  bool transformed = false;
  std::vector<DrawCall> draws;

 private:
  Live* live_;
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
  Result CreateTextureFromFile(const std::wstring&, std::unique_ptr<plat::ITexture>&) override { return E_NOTIMPL; }
  Result CreateTextureFromPixels(uint32_t, uint32_t, const std::vector<uint32_t>&,
                                 std::unique_ptr<plat::ITexture>& out) override {
    if (failTextures) return E_OUTOFMEMORY;
    out = std::make_unique<RecordingTexture>(live);
    lastTexture = out.get();
    return S_OK;
  }
  Result CreateSprite(std::unique_ptr<plat::ISprite>& out) override {
    auto s = std::make_unique<RecordingSprite>(&live);
    lastSprite = s.get();
    out = std::move(s);
    return S_OK;
  }
  Result CreateFont(int height, uint32_t weight, const std::wstring& face, std::unique_ptr<plat::IFont>& out) override {
    return plat::CreateDeviceFont(*this, height, weight, face, out);
  }
  Result ReadBackBuffer(std::vector<uint32_t>&, uint32_t&, uint32_t&) override { return E_NOTIMPL; }
  uint32_t LiveObjectCount() const override { return uint32_t(live.textures + live.sprites); }

  Live live;
  bool failTextures = false;
  const plat::ITexture* lastTexture = nullptr;  // the newest
  RecordingSprite* lastSprite = nullptr;
};

}  // namespace fonttest
