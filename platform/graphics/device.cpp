// The device both device types share. Its state lives in a DeviceCore that every object made by
// the device holds through a shared pointer, so a texture, sprite or font destroyed after the
// device is still safe: it then finds the backend gone and does nothing.
#include "platform/graphics/device.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <map>

#include "platform/graphics/image_file.h"
#include "platform/graphics/raster_backend.h"
#include "platform/system/screen_scale.h"

namespace plat::gfx {

namespace {

constexpr uint32_t kSamplerCount = 16;
constexpr uint32_t kSamplerStateCount = 14;  // sampler state types run from 1 to 13

uint64_t NextTextureSerial() {
  static std::atomic<uint64_t> serial{0};
  return ++serial;
}

bool IsBackBufferFormat(uint32_t f) { return f == FMT_A8R8G8B8 || f == FMT_X8R8G8B8 || f == FMT_R5G6B5; }
bool IsDepthFormat(uint32_t f) { return f == FMT_D16 || f == FMT_D24X8 || f == FMT_D24S8 || f == FMT_D32; }
uint32_t BitsOf(uint32_t format) { return format == FMT_R5G6B5 ? 16 : 32; }

bool WindowInactive(SDL_Window* w) {
  return (SDL_GetWindowFlags(w) & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
}

class DeviceCore;

class Texture final : public ITexture {
 public:
  Texture(std::shared_ptr<DeviceCore> core, std::shared_ptr<const TextureImage> image);
  ~Texture() override;
  uint32_t Width() const override { return image_->width; }
  uint32_t Height() const override { return image_->height; }
  uint32_t Format() const override { return image_->format; }
  const std::shared_ptr<const TextureImage>& Image() const { return image_; }
  const DeviceCore* Core() const { return core_.get(); }

 private:
  std::shared_ptr<DeviceCore> core_;
  std::shared_ptr<const TextureImage> image_;
};

class DeviceCore : public std::enable_shared_from_this<DeviceCore> {
 public:
  DeviceCore(DeviceConfig config, std::unique_ptr<IRasterBackend> backend, const PresentParameters& pp)
      : config_(std::move(config)), backend_(std::move(backend)), pp_(pp) {
    ResetStates();
  }

  ~DeviceCore() { ReleaseCursor(); }

  bool Alive() const { return backend_ != nullptr; }
  IRasterBackend* Backend() const { return backend_.get(); }
  bool InScene() const { return inScene_; }
  bool NeedsReset() const { return needsReset_; }
  bool HasDepth() const { return pp_.EnableAutoDepthStencil != 0; }

  DrawState SpriteState(uint32_t spriteFlags) const {
    DrawState s;
    s.alphaBlend = (spriteFlags & SPRITE_ALPHABLEND) != 0;
    s.depthTest = HasDepth();
    s.minFilter = samplers_[0][SAMP_MINFILTER];
    s.magFilter = samplers_[0][SAMP_MAGFILTER];
    s.fillMode = fillMode_;
    return s;
  }

  // The owning device is being destroyed: drop the backend. Objects still alive see a dead
  // device from now on.
  void Shutdown() {
    if (!backend_) return;
    backend_.reset();
    ReleaseCursor();
  }

  void AddLive() { ++live_; }
  void DropLive() {
    if (live_ > 0) --live_;
  }
  void TextureGone(uint64_t serial) {
    DropLive();
    if (backend_) backend_->ForgetTexture(serial);
  }

  // --- IDevice ---

  Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
    if (!backend_) return D3DERR_INVALIDCALL;
    if ((flags & (CLEAR_ZBUFFER | CLEAR_STENCIL)) && !HasDepth()) return D3DERR_INVALIDCALL;
    if ((flags & CLEAR_STENCIL) && pp_.AutoDepthStencilFormat != FMT_D24S8) return D3DERR_INVALIDCALL;
    if (needsReset_) return S_OK;  // a lost device takes calls and does nothing
    return backend_->Clear(flags, colour, std::clamp(z, 0.0f, 1.0f), stencil);
  }

  Result BeginScene() {
    if (!backend_ || inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return S_OK;
  }

  Result EndScene() {
    if (!backend_ || !inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return S_OK;
  }

  Result Present() {
    if (!backend_) return D3DERR_INVALIDCALL;
    if (needsReset_ || (!pp_.Windowed && WindowInactive(config_.window))) {
      needsReset_ = true;
      return D3DERR_DEVICELOST;
    }
    const Result r = backend_->Present();
    if (r == D3DERR_DEVICELOST) needsReset_ = true;
    return r;
  }

  Result TestCooperativeLevel() const {
    if (!backend_) return D3DERR_INVALIDCALL;
    if (!pp_.Windowed && WindowInactive(config_.window)) return D3DERR_DEVICELOST;
    return needsReset_ ? D3DERR_DEVICENOTRESET : S_OK;
  }

  Result Reset(PresentParameters& pp) {
    if (!backend_) return D3DERR_INVALIDCALL;
    if (inScene_) return D3DERR_INVALIDCALL;
    if (!pp.Windowed && WindowInactive(config_.window)) {
      needsReset_ = true;
      return D3DERR_DEVICELOST;
    }
    // A failed reset leaves the device lost until a reset succeeds.
    needsReset_ = true;
    PresentParameters wanted = pp;
    Result r = CompletePresentParameters(config_, wanted);
    if (Failed(r)) return r;
    r = backend_->ResizeBuffers(wanted.BackBufferWidth, wanted.BackBufferHeight, wanted.EnableAutoDepthStencil != 0);
    if (Failed(r)) return r;
    backend_->SetPresentInterval(wanted.PresentationInterval);
    pp_ = wanted;
    pp = wanted;
    needsReset_ = false;
    ResetStates();
    return S_OK;
  }

  Result SetRenderState(RenderState state, uint32_t value) {
    if (!backend_) return D3DERR_INVALIDCALL;
    if (state == RS_FILLMODE) {
      if (value < FILL_POINT || value > FILL_SOLID) return D3DERR_INVALIDCALL;
      fillMode_ = value;
    } else if (state == RS_CULLMODE) {
      if (value < CULL_NONE || value > CULL_CCW) return D3DERR_INVALIDCALL;
      cullMode_ = value;
    } else {
      otherStates_[state] = value;
    }
    return S_OK;
  }

  uint32_t GetRenderState(RenderState state) const {
    if (state == RS_FILLMODE) return fillMode_;
    if (state == RS_CULLMODE) return cullMode_;
    auto it = otherStates_.find(state);
    return it == otherStates_.end() ? 0 : it->second;
  }

  Result SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) {
    if (!backend_ || sampler >= kSamplerCount || type == 0 || type >= kSamplerStateCount) return D3DERR_INVALIDCALL;
    samplers_[sampler][type] = value;
    return S_OK;
  }

  uint32_t GetSamplerState(uint32_t sampler, SamplerState type) const {
    if (sampler >= kSamplerCount || type >= kSamplerStateCount) return 0;
    return samplers_[sampler][type];
  }

  Result SetTransform(TransformType type, const Matrix& m) {
    if (!backend_) return D3DERR_INVALIDCALL;
    Matrix* slot = TransformSlot(type);
    if (!slot) return D3DERR_INVALIDCALL;
    *slot = m;
    return S_OK;
  }

  Result GetTransform(TransformType type, Matrix& m) const {
    const Matrix* slot = const_cast<DeviceCore*>(this)->TransformSlot(type);
    if (!slot) return D3DERR_INVALIDCALL;
    m = *slot;
    return S_OK;
  }

  Result GetBackBufferDesc(SurfaceDesc& desc) const {
    if (!backend_) return D3DERR_INVALIDCALL;
    desc = SurfaceDesc{};
    desc.Format = pp_.BackBufferFormat;
    desc.Type = RTYPE_SURFACE;
    desc.Usage = USAGE_RENDERTARGET;
    desc.MultiSampleType = pp_.MultiSampleType;
    desc.MultiSampleQuality = pp_.MultiSampleQuality;
    desc.Width = pp_.BackBufferWidth;
    desc.Height = pp_.BackBufferHeight;
    return S_OK;
  }

  Result GetDeviceCaps(Caps& caps) const {
    caps = config_.caps;
    return S_OK;
  }
  uint32_t GetDeviceType() const { return config_.type; }

  // The device cursor is an SDL colour cursor; it only takes effect in full screen, where the
  // framework hands the pointer's look to the device.
  Result SetCursorProperties(int hotX, int hotY, const std::vector<uint32_t>& argb, int width, int height) {
    if (!backend_ || width <= 0 || height <= 0 || width > 256 || height > 256 ||
        argb.size() != size_t(width) * size_t(height) || hotX < 0 || hotY < 0 || hotX >= width || hotY >= height) {
      return D3DERR_INVALIDCALL;
    }
    // The cursor is drawn at the presentation scale, like everything else the device shows. Its
    // image is in window coordinates, which on a scaled Wayland output are larger than pixels.
    const int scale = std::max(1, static_cast<int>(std::lround(Screen().scale / Screen().buffer)));
    cursorPixels_.resize(argb.size() * size_t(scale) * size_t(scale));
    ScaleUp(argb.data(), width, height, scale, cursorPixels_.data(), width * scale);
    ReleaseCursor();
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(cursorPixels_.data(), width * scale, height * scale, 32,
                                                              width * scale * 4, SDL_PIXELFORMAT_ARGB8888);
    if (surface) {
      // Null where the video driver has no cursors.
      cursor_ = SDL_CreateColorCursor(surface, hotX * scale + scale / 2, hotY * scale + scale / 2);
      SDL_FreeSurface(surface);
    }
    ApplyCursor();
    return S_OK;
  }

  // The device cursor is the system pointer wearing the device's image, so it already sits
  // wherever the pointer is. The framework moves it to the pointer's position at every mouse move;
  // warping then would make the window system report a move again, the framework would answer it,
  // and the message queue would never empty (no frame is drawn while it holds messages). So the
  // pointer is warped only for a position that is new and that the pointer is not already at:
  // our own warp then reports the position just set and ends there.
  void SetCursorPosition(int x, int y) {
    const bool changed = x != cursorX_ || y != cursorY_;
    cursorX_ = x;
    cursorY_ = y;
    if (!changed || !backend_ || pp_.Windowed || !cursorShown_) return;
    // Positions are logical desktop coordinates; SDL warps in the window's coordinates.
    const ScreenScale screen = Screen();
    int pointerX = 0, pointerY = 0, windowX = 0, windowY = 0;
    SDL_GetGlobalMouseState(&pointerX, &pointerY);
    if (screen.ToLogical(pointerX) == x && screen.ToLogical(pointerY) == y) return;
    SDL_GetWindowPosition(config_.window, &windowX, &windowY);
    SDL_WarpMouseInWindow(config_.window, screen.ToCoordinate(x - screen.ToLogical(windowX)),
                          screen.ToCoordinate(y - screen.ToLogical(windowY)));
  }

  bool ShowCursor(bool show) {
    const bool previous = cursorShown_;
    cursorShown_ = show;
    ApplyCursor();
    return previous;
  }

  Result ReadBackBuffer(std::vector<uint32_t>& pixels, uint32_t& width, uint32_t& height) {
    if (!backend_) return D3DERR_INVALIDCALL;
    const Result r = backend_->ReadBack(pixels, width, height);
    if (Failed(r)) return r;
    // Formats without alpha show as opaque; a 16-bit back buffer keeps only its 5/6/5 bits.
    if (pp_.BackBufferFormat == FMT_X8R8G8B8) {
      for (uint32_t& p : pixels) p |= 0xFF000000u;
    } else if (pp_.BackBufferFormat == FMT_R5G6B5) {
      for (uint32_t& p : pixels) {
        uint32_t r5 = (p >> 19) & 0x1F, g6 = (p >> 10) & 0x3F, b5 = (p >> 3) & 0x1F;
        p = 0xFF000000u | (((r5 << 3) | (r5 >> 2)) << 16) | (((g6 << 2) | (g6 >> 4)) << 8) | ((b5 << 3) | (b5 >> 2));
      }
    }
    return S_OK;
  }

  Result CreateTexture(std::shared_ptr<TextureImage> image, std::unique_ptr<ITexture>& out) {
    if (!backend_) return D3DERR_INVALIDCALL;
    if (image->width > config_.caps.MaxTextureWidth || image->height > config_.caps.MaxTextureHeight) {
      return D3DERR_NOTAVAILABLE;
    }
    image->serial = NextTextureSerial();
    out = std::make_unique<Texture>(shared_from_this(), std::move(image));
    return S_OK;
  }

  uint32_t LiveObjectCount() const { return live_; }

 private:
  void ResetStates() {
    fillMode_ = FILL_SOLID;
    cullMode_ = CULL_CCW;
    otherStates_.clear();
    for (auto& s : samplers_) {
      s.fill(0);
      s[1] = s[2] = s[3] = 1;  // address modes: wrap
      s[SAMP_MAGFILTER] = TEXF_POINT;
      s[SAMP_MINFILTER] = TEXF_POINT;
      s[SAMP_MIPFILTER] = TEXF_NONE;
      s[10] = 1;  // maximum anisotropy
    }
    world_ = view_ = projection_ = Matrix::Identity();
  }

  Matrix* TransformSlot(TransformType type) {
    switch (type) {
      case TS_WORLD: return &world_;
      case TS_VIEW: return &view_;
      case TS_PROJECTION: return &projection_;
    }
    return nullptr;
  }

  // The presentation scale, and the real pixels per coordinate of the output the window is on.
  ScreenScale Screen() const {
    int units = 0, unitsHigh = 0, pixels = 0, pixelsHigh = 0;
    SDL_GetWindowSize(config_.window, &units, &unitsHigh);
    SDL_GetWindowSizeInPixels(config_.window, &pixels, &pixelsHigh);
    return ScreenScale{std::max(1, config_.presentScale()), BufferScaleOf(pixels, units)};
  }

  void ApplyCursor() {
    if (!backend_ || pp_.Windowed) return;
    if (cursor_) SDL_SetCursor(cursor_);
    SDL_ShowCursor(cursorShown_ ? SDL_ENABLE : SDL_DISABLE);
  }

  void ReleaseCursor() {
    if (!cursor_) return;
    if (SDL_GetCursor() == cursor_) SDL_SetCursor(SDL_GetDefaultCursor());
    SDL_FreeCursor(cursor_);
    cursor_ = nullptr;
  }

  DeviceConfig config_;
  std::unique_ptr<IRasterBackend> backend_;
  PresentParameters pp_;
  bool inScene_ = false;
  bool needsReset_ = false;
  uint32_t fillMode_ = FILL_SOLID;
  uint32_t cullMode_ = CULL_CCW;
  std::map<uint32_t, uint32_t> otherStates_;
  std::array<std::array<uint32_t, kSamplerStateCount>, kSamplerCount> samplers_{};
  Matrix world_, view_, projection_;
  uint32_t live_ = 0;
  std::vector<uint32_t> cursorPixels_;
  SDL_Cursor* cursor_ = nullptr;
  bool cursorShown_ = false;
  int cursorX_ = 0, cursorY_ = 0;
};

Texture::Texture(std::shared_ptr<DeviceCore> core, std::shared_ptr<const TextureImage> image)
    : core_(std::move(core)), image_(std::move(image)) {
  core_->AddLive();
}

Texture::~Texture() { core_->TextureGone(image_->serial); }

// A batch of quads; see ISprite. Nothing is allocated per frame once the vectors have grown.
class Sprite final : public ISprite {
 public:
  explicit Sprite(std::shared_ptr<DeviceCore> core) : core_(std::move(core)) { core_->AddLive(); }
  ~Sprite() override { core_->DropLive(); }

  Result Begin(uint32_t flags) override {
    if (!core_->Alive() || begun_) return D3DERR_INVALIDCALL;
    begun_ = true;
    flags_ = flags;
    items_.clear();
    return S_OK;
  }

  Result SetTransform(const Matrix& m) override {
    transform_ = m;
    return S_OK;
  }

  Result Draw(const ITexture* texture, const RectI* src, const Vec3* centre, const Vec3* position,
              uint32_t colour) override {
    if (!begun_ || !texture) return D3DERR_INVALIDCALL;
    const auto* tex = dynamic_cast<const Texture*>(texture);
    if (!tex || tex->Core() != core_.get()) return D3DERR_INVALIDCALL;
    const TextureImage& image = *tex->Image();
    const RectI r = src ? *src : RectI{0, 0, int32_t(image.width), int32_t(image.height)};
    const Vec3 c = centre ? *centre : Vec3{};
    const Vec3 p = position ? *position : Vec3{};
    const float x0 = p.x - c.x, y0 = p.y - c.y, z = p.z - c.z;
    const float x1 = x0 + float(r.right - r.left), y1 = y0 + float(r.bottom - r.top);
    const Vec3 corners[4] = {{x0, y0, z}, {x1, y0, z}, {x0, y1, z}, {x1, y1, z}};
    const float us[4] = {float(r.left), float(r.right), float(r.left), float(r.right)};
    const float vs[4] = {float(r.top), float(r.top), float(r.bottom), float(r.bottom)};
    Item item;
    float depth = 0;
    for (int i = 0; i < 4; ++i) {
      const Vec3 t = TransformCoord(corners[i], transform_);
      item.quad.v[i] = QuadVertex{t.x, t.y, t.z, us[i], vs[i]};
      depth += t.z;
    }
    item.quad.tint = colour;
    item.depth = depth * 0.25f;
    item.image = tex->Image();
    items_.push_back(std::move(item));
    return S_OK;
  }

  Result End() override {
    if (!begun_) return D3DERR_INVALIDCALL;
    begun_ = false;
    const Result r = Flush();
    items_.clear();  // drops the images' references
    return r;
  }

  Result OnLostDevice() override {
    begun_ = false;
    items_.clear();
    return S_OK;
  }
  Result OnResetDevice() override { return S_OK; }

 private:
  struct Item {
    Quad quad;
    float depth = 0;
    std::shared_ptr<const TextureImage> image;
  };

  Result Flush() {
    if (!core_->Alive()) return D3DERR_INVALIDCALL;
    if (core_->NeedsReset() || items_.empty()) return S_OK;  // a lost device drops the drawing
    if (!core_->InScene()) return D3DERR_INVALIDCALL;        // drawing happens only inside a scene
    order_.resize(items_.size());
    for (uint32_t i = 0; i < order_.size(); ++i) order_[i] = i;
    if (flags_ & SPRITE_SORT_DEPTH_FRONTTOBACK) {
      // Ties keep drawing order (the index breaks them), so the sort is stable without a buffer.
      std::sort(order_.begin(), order_.end(), [this](uint32_t a, uint32_t b) {
        return items_[a].depth < items_[b].depth || (items_[a].depth == items_[b].depth && a < b);
      });
    }
    const DrawState state = core_->SpriteState(flags_);
    Result result = S_OK;
    size_t i = 0;
    while (i < order_.size()) {
      const TextureImage* image = items_[order_[i]].image.get();
      run_.clear();
      while (i < order_.size() && items_[order_[i]].image.get() == image) run_.push_back(items_[order_[i++]].quad);
      const Result r = core_->Backend()->DrawQuads(*image, run_, state);
      if (Failed(r)) result = r;
    }
    return result;
  }

  std::shared_ptr<DeviceCore> core_;
  bool begun_ = false;
  uint32_t flags_ = 0;
  Matrix transform_ = Matrix::Identity();
  std::vector<Item> items_;
  std::vector<uint32_t> order_;
  std::vector<Quad> run_;
};

// The IDevice face of a core. The device itself owns the core's life; fonts get a view of their
// own so that they stay safe if they outlive the device.
class DeviceView : public IDevice {
 public:
  explicit DeviceView(std::shared_ptr<DeviceCore> core) : core_(std::move(core)) {}

  Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override {
    return core_->Clear(flags, colour, z, stencil);
  }
  Result BeginScene() override { return core_->BeginScene(); }
  Result EndScene() override { return core_->EndScene(); }
  Result Present() override { return core_->Present(); }
  Result TestCooperativeLevel() override { return core_->TestCooperativeLevel(); }
  Result Reset(PresentParameters& pp) override { return core_->Reset(pp); }
  Result SetRenderState(RenderState state, uint32_t value) override { return core_->SetRenderState(state, value); }
  uint32_t GetRenderState(RenderState state) const override { return core_->GetRenderState(state); }
  Result SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) override {
    return core_->SetSamplerState(sampler, type, value);
  }
  uint32_t GetSamplerState(uint32_t sampler, SamplerState type) const override {
    return core_->GetSamplerState(sampler, type);
  }
  Result SetTransform(TransformType type, const Matrix& m) override { return core_->SetTransform(type, m); }
  Result GetTransform(TransformType type, Matrix& m) const override { return core_->GetTransform(type, m); }
  Result GetBackBufferDesc(SurfaceDesc& desc) const override { return core_->GetBackBufferDesc(desc); }
  Result GetDeviceCaps(Caps& caps) const override { return core_->GetDeviceCaps(caps); }
  uint32_t GetDeviceType() const override { return core_->GetDeviceType(); }
  Result SetCursorProperties(int hotX, int hotY, const std::vector<uint32_t>& argb, int width, int height) override {
    return core_->SetCursorProperties(hotX, hotY, argb, width, height);
  }
  void SetCursorPosition(int x, int y) override { core_->SetCursorPosition(x, y); }
  bool ShowCursor(bool show) override { return core_->ShowCursor(show); }

  Result CreateTextureFromFile(const std::wstring& file, std::unique_ptr<ITexture>& out) override {
    out.reset();
    if (!core_->Alive()) return D3DERR_INVALIDCALL;
    // A file bigger than this device's textures is refused from its header, before decoding.
    Caps caps;
    core_->GetDeviceCaps(caps);
    DecodedImage decoded;
    const Result r = DecodeImageFile(file, true, decoded, {caps.MaxTextureWidth, caps.MaxTextureHeight});
    if (Failed(r)) return r;
    auto image = std::make_shared<TextureImage>();
    image->width = decoded.info.Width;
    image->height = decoded.info.Height;
    image->format = decoded.info.Format;
    image->argb = std::move(decoded.argb);
    if (image->format == FMT_X8R8G8B8) {
      for (uint32_t& p : image->argb) p |= 0xFF000000u;
    }
    return core_->CreateTexture(std::move(image), out);
  }

  Result CreateTextureFromPixels(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb,
                                 std::unique_ptr<ITexture>& out) override {
    out.reset();
    if (!core_->Alive() || width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide ||
        argb.size() != size_t(width) * height) {
      return D3DERR_INVALIDCALL;
    }
    auto image = std::make_shared<TextureImage>();
    image->width = width;
    image->height = height;
    image->format = FMT_A8R8G8B8;
    image->argb = argb;
    return core_->CreateTexture(std::move(image), out);
  }

  Result CreateSprite(std::unique_ptr<ISprite>& out) override {
    out.reset();
    if (!core_->Alive()) return D3DERR_INVALIDCALL;
    out = std::make_unique<Sprite>(core_);
    return S_OK;
  }

  Result CreateFont(int height, uint32_t weight, const std::wstring& faceName, std::unique_ptr<IFont>& out) override;

  Result ReadBackBuffer(std::vector<uint32_t>& pixels, uint32_t& width, uint32_t& height) override {
    return core_->ReadBackBuffer(pixels, width, height);
  }
  uint32_t LiveObjectCount() const override { return core_->LiveObjectCount(); }

 protected:
  std::shared_ptr<DeviceCore> core_;
};

// Counts the font as a live object and gives it a device view that outlives it.
class CountedFont final : public IFont {
 public:
  CountedFont(std::shared_ptr<DeviceCore> core, std::unique_ptr<DeviceView> view, std::unique_ptr<IFont> inner)
      : core_(std::move(core)), view_(std::move(view)), inner_(std::move(inner)) {
    core_->AddLive();
  }
  ~CountedFont() override {
    inner_.reset();
    core_->DropLive();
  }
  int DrawText(ISprite* sprite, const wchar_t* text, int count, RectI* rect, uint32_t format, uint32_t colour) override {
    return inner_->DrawText(sprite, text, count, rect, format, colour);
  }
  Result OnLostDevice() override { return inner_->OnLostDevice(); }
  Result OnResetDevice() override { return inner_->OnResetDevice(); }

 private:
  std::shared_ptr<DeviceCore> core_;
  std::unique_ptr<DeviceView> view_;
  std::unique_ptr<IFont> inner_;
};

Result DeviceView::CreateFont(int height, uint32_t weight, const std::wstring& faceName, std::unique_ptr<IFont>& out) {
  out.reset();
  if (!core_->Alive()) return D3DERR_INVALIDCALL;
  auto view = std::make_unique<DeviceView>(core_);
  std::unique_ptr<IFont> inner;
  const Result r = CreateDeviceFont(*view, height, weight, faceName, inner);
  if (Failed(r) || !inner) return Failed(r) ? r : E_FAIL;
  out = std::make_unique<CountedFont>(core_, std::move(view), std::move(inner));
  return S_OK;
}

// The device proper: destroying it ends the core's device life.
class Device final : public DeviceView {
 public:
  using DeviceView::DeviceView;
  ~Device() override { core_->Shutdown(); }
};

}  // namespace

Result CompletePresentParameters(const DeviceConfig& config, PresentParameters& pp) {
  if (!config.window) return D3DERR_INVALIDCALL;
  if (pp.SwapEffect < SWAPEFFECT_DISCARD || pp.SwapEffect > SWAPEFFECT_COPY) return D3DERR_INVALIDCALL;
  if (pp.BackBufferCount > 3) return D3DERR_INVALIDCALL;
  if (pp.MultiSampleType != MULTISAMPLE_NONE || pp.MultiSampleQuality != 0) return D3DERR_INVALIDCALL;
  if (pp.EnableAutoDepthStencil && !IsDepthFormat(pp.AutoDepthStencilFormat)) return D3DERR_INVALIDCALL;
  if (pp.Windowed) {
    if (pp.BackBufferFormat == FMT_UNKNOWN) pp.BackBufferFormat = config.desktopFormat;
    if (pp.FullScreen_RefreshRateInHz != 0) return D3DERR_INVALIDCALL;
    if (pp.BackBufferWidth == 0 || pp.BackBufferHeight == 0) {
      int w = 0, h = 0;
      SDL_GetWindowSizeInPixels(config.window, &w, &h);
      const int scale = std::max(1, config.presentScale());
      w /= scale;
      h /= scale;
      if (pp.BackBufferWidth == 0) pp.BackBufferWidth = uint32_t(std::max(w, 1));
      if (pp.BackBufferHeight == 0) pp.BackBufferHeight = uint32_t(std::max(h, 1));
    }
  } else {
    const bool listed = std::any_of(config.modes.begin(), config.modes.end(), [&](const DisplayModeInfo& m) {
      return m.width == pp.BackBufferWidth && m.height == pp.BackBufferHeight && m.bitsPerPixel == BitsOf(pp.BackBufferFormat) &&
             (pp.FullScreen_RefreshRateInHz == 0 || m.refreshRate == pp.FullScreen_RefreshRateInHz);
    });
    // A mode the display was set to after the modes were read (xrandr) is no less a mode: the
    // full-screen window covers the display at that size already.
    int w = 0, h = 0;
    SDL_GetWindowSizeInPixels(config.window, &w, &h);
    const int scale = std::max(1, config.presentScale());
    const bool covered = (SDL_GetWindowFlags(config.window) & SDL_WINDOW_FULLSCREEN) != 0 &&
                         uint32_t(w / scale) == pp.BackBufferWidth && uint32_t(h / scale) == pp.BackBufferHeight;
    if (!listed && !covered) return D3DERR_INVALIDCALL;
  }
  if (!IsBackBufferFormat(pp.BackBufferFormat)) return D3DERR_INVALIDCALL;
  if (pp.BackBufferWidth > 16384 || pp.BackBufferHeight > 16384) return D3DERR_INVALIDCALL;
  if (pp.BackBufferCount == 0) pp.BackBufferCount = 1;
  return S_OK;
}

Result CreateSharedDevice(const DeviceConfig& config, PresentParameters& pp, std::unique_ptr<IDevice>& out) {
  out.reset();
  PresentParameters wanted = pp;
  Result r = CompletePresentParameters(config, wanted);
  if (Failed(r)) return r;
  std::unique_ptr<IRasterBackend> backend;
  if (config.type == DEVTYPE_HAL) {
    std::string error;
    backend = CreateGlBackend(config.window, error);
    if (!backend) SDL_Log("graphics: hardware device not made: %s", error.c_str());
  } else if (config.type == DEVTYPE_REF) {
    backend = CreateReferenceBackend(config.window);
  }
  if (!backend) return D3DERR_NOTAVAILABLE;
  r = backend->ResizeBuffers(wanted.BackBufferWidth, wanted.BackBufferHeight, wanted.EnableAutoDepthStencil != 0);
  if (Failed(r)) return r;
  backend->SetPresentInterval(wanted.PresentationInterval);
  auto core = std::make_shared<DeviceCore>(config, std::move(backend), wanted);
  pp = wanted;
  out = std::make_unique<Device>(std::move(core));
  return S_OK;
}

}  // namespace plat::gfx
