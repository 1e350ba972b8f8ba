#include "tests/fakes/fake_graphics.h"

#include <algorithm>
#include <cstdlib>

namespace fake {

using namespace plat;

namespace {

// The size a device really gets: a windowed 0 takes the client size, a full-screen 0 the desktop.
void WriteBackSize(PresentParameters& pp, const FakeDeviceState& s) {
  if (pp.Windowed) {
    if (pp.BackBufferWidth == 0) pp.BackBufferWidth = s.clientWidth;
    if (pp.BackBufferHeight == 0) pp.BackBufferHeight = s.clientHeight;
    if (pp.BackBufferFormat == FMT_UNKNOWN) pp.BackBufferFormat = s.desktop.Format;
  } else {
    if (pp.BackBufferWidth == 0) pp.BackBufferWidth = s.desktop.Width;
    if (pp.BackBufferHeight == 0) pp.BackBufferHeight = s.desktop.Height;
  }
  if (pp.BackBufferCount == 0) pp.BackBufferCount = 1;
}

// Counts itself among the device's live objects while it exists.
class Live {
 public:
  explicit Live(std::shared_ptr<FakeDeviceState> state) : state_(std::move(state)) { ++state_->liveObjects; }
  ~Live() { --state_->liveObjects; }

 protected:
  std::shared_ptr<FakeDeviceState> state_;
};

class FakeTexture : public ITexture, Live {
 public:
  FakeTexture(std::shared_ptr<FakeDeviceState> state, uint32_t w, uint32_t h)
      : Live(std::move(state)), width_(w), height_(h) {
    ++state_->texturesMade;
  }
  uint32_t Width() const override { return width_; }
  uint32_t Height() const override { return height_; }
  uint32_t Format() const override { return FMT_A8R8G8B8; }

 private:
  uint32_t width_, height_;
};

class FakeSprite : public ISprite, Live {
 public:
  explicit FakeSprite(std::shared_ptr<FakeDeviceState> state) : Live(std::move(state)), id_(++state_->spritesMade) {}
  Result Begin(uint32_t flags) override {
    if (begun_) return D3DERR_INVALIDCALL;
    begun_ = true;
    Record(FakeDeviceState::SpriteEvent::Begin).flags = flags;
    return S_OK;
  }
  Result SetTransform(const Matrix& m) override {
    transform_ = m;
    Record(FakeDeviceState::SpriteEvent::SetTransform);
    return S_OK;
  }
  Result Draw(const ITexture* texture, const RectI* src, const Vec3*, const Vec3* position, uint32_t colour) override {
    if (!begun_ || texture == nullptr) return D3DERR_INVALIDCALL;
    FakeDeviceState::SpriteEvent& e = Record(FakeDeviceState::SpriteEvent::Draw);
    if (src) e.src = *src;
    if (position) e.position = *position;
    e.colour = colour;
    return S_OK;
  }
  Result End() override {
    if (!begun_) return D3DERR_INVALIDCALL;
    begun_ = false;
    Record(FakeDeviceState::SpriteEvent::End);
    return S_OK;
  }
  Result OnLostDevice() override { return S_OK; }
  Result OnResetDevice() override { return S_OK; }

 private:
  FakeDeviceState::SpriteEvent& Record(FakeDeviceState::SpriteEvent::Kind kind) {
    FakeDeviceState::SpriteEvent e;
    e.kind = kind;
    e.sprite = id_;
    e.transform = transform_;
    state_->sprites.push_back(e);
    return state_->sprites.back();
  }
  int id_;
  bool begun_ = false;
  Matrix transform_ = Matrix::Identity();
};

class FakeFont : public IFont, Live {
 public:
  FakeFont(std::shared_ptr<FakeDeviceState> state, int height) : Live(std::move(state)), height_(height) {}
  // The font's pixel height, 0 for an empty string.
  int DrawText(ISprite*, const wchar_t* text, int count, RectI*, uint32_t, uint32_t) override {
    return text == nullptr || count == 0 || text[0] == L'\0' ? 0 : std::abs(height_);
  }
  Result OnLostDevice() override { return S_OK; }
  Result OnResetDevice() override { return S_OK; }

 private:
  int height_;
};

}  // namespace

std::vector<FakeDeviceState::SpriteEvent> FakeDeviceState::Draws() const {
  std::vector<SpriteEvent> out;
  for (const auto& e : sprites)
    if (e.kind == SpriteEvent::Draw) out.push_back(e);
  return out;
}

int FakeDeviceState::Count(SpriteEvent::Kind kind) const {
  return int(std::count_if(sprites.begin(), sprites.end(), [&](const SpriteEvent& e) { return e.kind == kind; }));
}

// ---- Device ----

Result FakeDevice::Reset(PresentParameters& pp) {
  if (Failed(state_->resetResult)) return state_->resetResult;
  WriteBackSize(pp, *state_);
  state_->pp = pp;
  return S_OK;
}
Result FakeDevice::GetTransform(TransformType, Matrix& m) const {
  m = Matrix::Identity();
  return S_OK;
}
Result FakeDevice::GetBackBufferDesc(SurfaceDesc& desc) const {
  desc = SurfaceDesc{};
  desc.Format = state_->pp.BackBufferFormat;
  desc.Width = state_->pp.BackBufferWidth;
  desc.Height = state_->pp.BackBufferHeight;
  return S_OK;
}
Result FakeDevice::CreateTextureFromFile(const std::wstring& file, std::unique_ptr<ITexture>& out) {
  if (state_->missingFiles.count(file)) return MakeResult(0x80070002u);  // file not found
  out = std::make_unique<FakeTexture>(state_, 256, 256);
  return S_OK;
}
Result FakeDevice::CreateTextureFromPixels(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb,
                                           std::unique_ptr<ITexture>& out) {
  if (width == 0 || height == 0 || argb.size() != size_t(width) * height) return D3DERR_INVALIDCALL;
  out = std::make_unique<FakeTexture>(state_, width, height);
  return S_OK;
}
Result FakeDevice::CreateSprite(std::unique_ptr<ISprite>& out) {
  out = std::make_unique<FakeSprite>(state_);
  return S_OK;
}
Result FakeDevice::CreateFont(int height, uint32_t, const std::wstring&, std::unique_ptr<IFont>& out) {
  out = std::make_unique<FakeFont>(state_, height);
  return S_OK;
}

// ---- Graphics system ----

FakeGraphicsSystem::FakeGraphicsSystem() {
  // One adapter with the usual desktop modes in X8R8G8B8 and R5G6B5 at 60 Hz (1920x1080 also 75 Hz).
  FakeAdapter a;
  const std::pair<uint32_t, uint32_t> sizes[] = {{640, 480},  {800, 600},   {1024, 768},
                                                 {1280, 720}, {1280, 1024}, {1920, 1080}};
  for (uint32_t format : {uint32_t(FMT_X8R8G8B8), uint32_t(FMT_R5G6B5)}) {
    for (auto [w, h] : sizes) a.modes.push_back({w, h, 60, format});
    a.modes.push_back({1920, 1080, 75, format});
  }
  adapters.push_back(a);
  // Device types that offer everything (hardware T&L, pure device, all intervals).
  for (uint32_t type : {uint32_t(DEVTYPE_HAL), uint32_t(DEVTYPE_REF)}) {
    Caps& c = caps[type];
    c.PresentationIntervals = PRESENT_INTERVAL_IMMEDIATE | PRESENT_INTERVAL_ONE | PRESENT_INTERVAL_TWO |
                              PRESENT_INTERVAL_THREE | PRESENT_INTERVAL_FOUR;
    c.DevCaps = DEVCAPS_HWTRANSFORMANDLIGHT | DEVCAPS_PUREDEVICE;
    c.MaxTextureWidth = c.MaxTextureHeight = 4096;
  }
  devicePairs = {{FMT_X8R8G8B8, FMT_X8R8G8B8}, {FMT_X8R8G8B8, FMT_A8R8G8B8}, {FMT_R5G6B5, FMT_R5G6B5},
                 {FMT_X1R5G5B5, FMT_X1R5G5B5}, {FMT_X1R5G5B5, FMT_A1R5G5B5}};
  blendableFormats = {FMT_A8R8G8B8, FMT_X8R8G8B8, FMT_R5G6B5, FMT_X1R5G5B5, FMT_A1R5G5B5};
  depthFormats = {FMT_D16, FMT_D24X8, FMT_D24S8, FMT_D32};
  multiSampleLevels = {{MULTISAMPLE_NONE, 1}};
}

Result FakeGraphicsSystem::GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier& id) const {
  if (adapter >= adapters.size()) return D3DERR_INVALIDCALL;
  id = adapters[adapter].id;
  return S_OK;
}

uint32_t FakeGraphicsSystem::GetAdapterModeCount(uint32_t adapter, uint32_t format) const {
  uint32_t n = 0;
  for (DisplayMode m; EnumAdapterModes(adapter, format, n, m) == S_OK;) ++n;
  return n;
}

Result FakeGraphicsSystem::EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode, DisplayMode& out) const {
  if (adapter >= adapters.size()) return D3DERR_INVALIDCALL;
  for (const auto& d : adapters[adapter].modes)
    if (d.Format == format && mode-- == 0) {
      out = d;
      return S_OK;
    }
  return D3DERR_INVALIDCALL;
}

Result FakeGraphicsSystem::GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const {
  if (adapter >= adapters.size()) return D3DERR_INVALIDCALL;
  out = adapters[adapter].desktop;
  return S_OK;
}

Result FakeGraphicsSystem::CheckDeviceType(uint32_t adapter, uint32_t type, uint32_t adapterFormat,
                                           uint32_t backBufferFormat, bool) const {
  return Offers(adapter, type) && devicePairs.count({adapterFormat, backBufferFormat}) ? S_OK : D3DERR_NOTAVAILABLE;
}

Result FakeGraphicsSystem::CheckDeviceFormat(uint32_t adapter, uint32_t type, uint32_t, uint32_t usage, uint32_t,
                                             uint32_t checkFormat) const {
  const std::set<uint32_t>& set = (usage & USAGE_DEPTHSTENCIL) ? depthFormats : blendableFormats;
  return Offers(adapter, type) && set.count(checkFormat) ? S_OK : D3DERR_NOTAVAILABLE;
}

Result FakeGraphicsSystem::CheckDeviceMultiSampleType(uint32_t adapter, uint32_t type, uint32_t, bool,
                                                      uint32_t multiSampleType, uint32_t* qualityLevels) const {
  auto it = multiSampleLevels.find(multiSampleType);
  if (!Offers(adapter, type) || it == multiSampleLevels.end()) return D3DERR_NOTAVAILABLE;
  if (qualityLevels) *qualityLevels = it->second;
  return S_OK;
}

Result FakeGraphicsSystem::CheckDepthStencilMatch(uint32_t adapter, uint32_t type, uint32_t,
                                                  uint32_t renderTargetFormat, uint32_t depthStencilFormat) const {
  if (!Offers(adapter, type)) return D3DERR_NOTAVAILABLE;
  return depthMismatches.count({renderTargetFormat, depthStencilFormat}) ? D3DERR_NOTAVAILABLE : S_OK;
}

Result FakeGraphicsSystem::GetDeviceCaps(uint32_t adapter, uint32_t type, Caps& out) const {
  if (!Offers(adapter, type)) return D3DERR_NOTAVAILABLE;
  out = caps.at(type);
  out.DeviceType = type;
  out.AdapterOrdinal = adapter;
  return S_OK;
}

Result FakeGraphicsSystem::CreateDevice(uint32_t adapter, uint32_t type, WindowHandle, uint32_t behaviourFlags,
                                        PresentParameters& pp, std::unique_ptr<IDevice>& out) {
  createCalls.push_back({type, behaviourFlags, pp});
  if (Failed(createDeviceResult)) return createDeviceResult;
  if (!Offers(adapter, type)) return D3DERR_INVALIDCALL;
  auto state = std::make_shared<FakeDeviceState>(deviceTemplate);
  state->deviceType = type;
  GetDeviceCaps(adapter, type, state->caps);
  state->desktop = adapters[adapter].desktop;
  WriteBackSize(pp, *state);
  state->pp = pp;
  devices.push_back(state);
  out = std::make_unique<FakeDevice>(state);
  return S_OK;
}

}  // namespace fake
