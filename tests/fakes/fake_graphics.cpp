#include "tests/fakes/fake_graphics.h"

#include <algorithm>
#include <cstdlib>

namespace fake {

using namespace plat;

namespace {
Matrix Unit() {
  Matrix m;
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

// The size a device really gets: a windowed 0 takes the client size, a full-screen 0 the desktop.
void WriteBackSize(PresentParameters& pp, const FakeDeviceState& s, const DisplayMode& desktop) {
  if (pp.Windowed) {
    if (pp.BackBufferWidth == 0) pp.BackBufferWidth = s.clientWidth;
    if (pp.BackBufferHeight == 0) pp.BackBufferHeight = s.clientHeight;
    if (pp.BackBufferFormat == FMT_UNKNOWN) pp.BackBufferFormat = desktop.Format;
  } else {
    if (pp.BackBufferWidth == 0) pp.BackBufferWidth = desktop.Width;
    if (pp.BackBufferHeight == 0) pp.BackBufferHeight = desktop.Height;
  }
  if (pp.BackBufferCount == 0) pp.BackBufferCount = 1;
}
}  // namespace

FakeAdapter DefaultAdapter() {
  FakeAdapter a;
  const std::pair<uint32_t, uint32_t> sizes[] = {{640, 480},   {800, 600},   {1024, 768},
                                                 {1280, 720},  {1280, 1024}, {1920, 1080}};
  for (uint32_t format : {uint32_t(FMT_X8R8G8B8), uint32_t(FMT_R5G6B5)}) {
    for (auto [w, h] : sizes) a.modes.push_back({w, h, 60, format});
    a.modes.push_back({1920, 1080, 75, format});
  }
  return a;
}

Caps FullCaps(uint32_t deviceType) {
  Caps c;
  c.DeviceType = deviceType;
  c.PresentationIntervals = PRESENT_INTERVAL_IMMEDIATE | PRESENT_INTERVAL_ONE | PRESENT_INTERVAL_TWO |
                            PRESENT_INTERVAL_THREE | PRESENT_INTERVAL_FOUR;
  c.DevCaps = DEVCAPS_HWTRANSFORMANDLIGHT | DEVCAPS_PUREDEVICE;
  c.MaxTextureWidth = c.MaxTextureHeight = 4096;
  return c;
}

int FakeDeviceState::Count(const std::string& call) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

std::vector<FakeDeviceState::SpriteEvent> FakeDeviceState::Draws() const {
  std::vector<SpriteEvent> out;
  for (const auto& e : sprites)
    if (e.kind == SpriteEvent::Draw) out.push_back(e);
  return out;
}

// ---- Texture, sprite, font ----

FakeTexture::FakeTexture(std::shared_ptr<FakeDeviceState> state, std::wstring file, uint32_t w, uint32_t h,
                         uint32_t format)
    : state_(std::move(state)), file_(std::move(file)), width_(w), height_(h), format_(format) {
  ++state_->liveObjects;
  ++state_->texturesMade;
}
FakeTexture::~FakeTexture() { --state_->liveObjects; }

FakeSprite::FakeSprite(std::shared_ptr<FakeDeviceState> state, int id)
    : state_(std::move(state)), id_(id), transform_(Unit()) {
  ++state_->liveObjects;
}
FakeSprite::~FakeSprite() { --state_->liveObjects; }

Result FakeSprite::Begin(uint32_t flags) {
  if (begun_) return D3DERR_INVALIDCALL;
  begun_ = true;
  FakeDeviceState::SpriteEvent e;
  e.kind = FakeDeviceState::SpriteEvent::Begin;
  e.sprite = id_;
  e.flags = flags;
  state_->sprites.push_back(e);
  return S_OK;
}

Result FakeSprite::SetTransform(const Matrix& m) {
  transform_ = m;
  FakeDeviceState::SpriteEvent e;
  e.kind = FakeDeviceState::SpriteEvent::SetTransform;
  e.sprite = id_;
  e.transform = m;
  state_->sprites.push_back(e);
  return S_OK;
}

Result FakeSprite::Draw(const ITexture* texture, const RectI* src, const Vec3* centre, const Vec3* position,
                        uint32_t colour) {
  if (!begun_ || texture == nullptr) return D3DERR_INVALIDCALL;
  FakeDeviceState::SpriteEvent e;
  e.kind = FakeDeviceState::SpriteEvent::Draw;
  e.sprite = id_;
  e.transform = transform_;
  if (auto* t = dynamic_cast<const FakeTexture*>(texture)) e.texture = t->File();
  if (src) {
    e.hasSrc = true;
    e.src = *src;
  }
  if (centre) e.centre = *centre;
  if (position) e.position = *position;
  e.colour = colour;
  state_->sprites.push_back(e);
  return S_OK;
}

Result FakeSprite::End() {
  if (!begun_) return D3DERR_INVALIDCALL;
  begun_ = false;
  FakeDeviceState::SpriteEvent e;
  e.kind = FakeDeviceState::SpriteEvent::End;
  e.sprite = id_;
  state_->sprites.push_back(e);
  return S_OK;
}

FakeFont::FakeFont(std::shared_ptr<FakeDeviceState> state, int id, int height, uint32_t weight, std::wstring face)
    : state_(std::move(state)), id_(id), height_(height), weight_(weight), face_(std::move(face)) {
  ++state_->liveObjects;
}
FakeFont::~FakeFont() { --state_->liveObjects; }

int FakeFont::DrawText(ISprite* sprite, const wchar_t* text, int count, RectI* rect, uint32_t format,
                       uint32_t colour) {
  if (text == nullptr) return 0;
  size_t n = 0;  // stops at the terminator even when count is larger
  while ((count < 0 || n < static_cast<size_t>(count)) && text[n] != L'\0') ++n;
  FakeDeviceState::TextEvent e;
  e.font = id_;
  e.text.assign(text, n);
  if (rect) e.rect = *rect;
  e.format = format;
  e.colour = colour;
  e.throughSprite = sprite != nullptr;
  state_->texts.push_back(e);
  return n == 0 ? 0 : std::abs(height_);
}

// ---- Device ----

FakeDevice::FakeDevice(std::shared_ptr<FakeDeviceState> state) : state_(std::move(state)) {}
FakeDevice::~FakeDevice() { state_->destroyed = true; }

Result FakeDevice::Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
  state_->calls.push_back("Clear");
  state_->clears.push_back({flags, colour, z, stencil});
  return S_OK;
}
Result FakeDevice::BeginScene() {
  state_->calls.push_back("BeginScene");
  ++state_->beginScenes;
  return S_OK;
}
Result FakeDevice::EndScene() {
  state_->calls.push_back("EndScene");
  ++state_->endScenes;
  return S_OK;
}
Result FakeDevice::Present() {
  state_->calls.push_back("Present");
  ++state_->presents;
  return state_->presentResult;
}
Result FakeDevice::TestCooperativeLevel() {
  state_->calls.push_back("TestCooperativeLevel");
  ++state_->testCooperativeLevels;
  return state_->testCooperativeLevelResult;
}
Result FakeDevice::Reset(PresentParameters& pp) {
  state_->calls.push_back("Reset");
  ++state_->resets;
  if (Failed(state_->resetResult)) return state_->resetResult;
  WriteBackSize(pp, *state_, state_->desktop);
  state_->pp = pp;
  return S_OK;
}
Result FakeDevice::SetRenderState(RenderState state, uint32_t value) {
  state_->calls.push_back("SetRenderState");
  state_->renderStates[state] = value;
  return S_OK;
}
uint32_t FakeDevice::GetRenderState(RenderState state) const {
  auto it = state_->renderStates.find(state);
  return it == state_->renderStates.end() ? 0 : it->second;
}
Result FakeDevice::SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) {
  state_->calls.push_back("SetSamplerState");
  state_->samplerStates[{sampler, type}] = value;
  return S_OK;
}
uint32_t FakeDevice::GetSamplerState(uint32_t sampler, SamplerState type) const {
  auto it = state_->samplerStates.find({sampler, type});
  return it == state_->samplerStates.end() ? 0 : it->second;
}
Result FakeDevice::SetTransform(TransformType type, const Matrix& m) {
  state_->calls.push_back("SetTransform");
  state_->transforms[type] = m;
  return S_OK;
}
Result FakeDevice::GetTransform(TransformType type, Matrix& m) const {
  auto it = state_->transforms.find(type);
  m = it == state_->transforms.end() ? Unit() : it->second;
  return S_OK;
}
Result FakeDevice::GetBackBufferDesc(SurfaceDesc& desc) const {
  desc = SurfaceDesc{};
  desc.Format = state_->pp.BackBufferFormat;
  desc.Type = RTYPE_SURFACE;
  desc.Usage = USAGE_RENDERTARGET;
  desc.MultiSampleType = state_->pp.MultiSampleType;
  desc.MultiSampleQuality = state_->pp.MultiSampleQuality;
  desc.Width = state_->pp.BackBufferWidth;
  desc.Height = state_->pp.BackBufferHeight;
  return S_OK;
}
Result FakeDevice::GetDeviceCaps(Caps& caps) const {
  caps = state_->caps;
  return S_OK;
}
uint32_t FakeDevice::GetDeviceType() const { return state_->deviceType; }

Result FakeDevice::SetCursorProperties(int hotX, int hotY, const std::vector<uint32_t>& argb, int width,
                                       int height) {
  state_->calls.push_back("SetCursorProperties");
  auto& c = state_->cursor;
  c.hotX = hotX;
  c.hotY = hotY;
  c.argb = argb;
  c.width = width;
  c.height = height;
  ++c.propertiesSet;
  return S_OK;
}
void FakeDevice::SetCursorPosition(int x, int y) {
  state_->cursor.x = x;
  state_->cursor.y = y;
}
bool FakeDevice::ShowCursor(bool show) {
  bool was = state_->cursor.visible;
  state_->cursor.visible = show;
  return was;
}

Result FakeDevice::CreateTextureFromFile(const std::wstring& file, std::unique_ptr<ITexture>& out) {
  state_->calls.push_back("CreateTextureFromFile");
  if (state_->missingFiles.count(file)) return state_->missingFileResult;
  uint32_t w = 256, h = 256;
  if (auto it = state_->fileSizes.find(file); it != state_->fileSizes.end()) std::tie(w, h) = it->second;
  out = std::make_unique<FakeTexture>(state_, file, w, h, FMT_A8R8G8B8);
  return S_OK;
}
Result FakeDevice::CreateTextureFromPixels(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb,
                                           std::unique_ptr<ITexture>& out) {
  state_->calls.push_back("CreateTextureFromPixels");
  if (width == 0 || height == 0 || argb.size() != size_t(width) * height) return D3DERR_INVALIDCALL;
  out = std::make_unique<FakeTexture>(state_, L"", width, height, FMT_A8R8G8B8);
  return S_OK;
}
Result FakeDevice::CreateSprite(std::unique_ptr<ISprite>& out) {
  state_->calls.push_back("CreateSprite");
  out = std::make_unique<FakeSprite>(state_, ++state_->spritesMade);
  return S_OK;
}
Result FakeDevice::CreateFont(int height, uint32_t weight, const std::wstring& faceName,
                              std::unique_ptr<IFont>& out) {
  state_->calls.push_back("CreateFont");
  out = std::make_unique<FakeFont>(state_, ++state_->fontsMade, height, weight, faceName);
  return S_OK;
}

Result FakeDevice::ReadBackBuffer(std::vector<uint32_t>& pixels, uint32_t& width, uint32_t& height) {
  width = state_->pp.BackBufferWidth;
  height = state_->pp.BackBufferHeight;
  const size_t n = size_t(width) * height;
  if (state_->backBufferPixels.size() == n) {
    pixels = state_->backBufferPixels;
  } else {
    pixels.assign(n, state_->clears.empty() ? 0u : state_->clears.back().colour);
  }
  return S_OK;
}
uint32_t FakeDevice::LiveObjectCount() const { return state_->liveObjects; }

// ---- Graphics system ----

FakeGraphicsSystem::FakeGraphicsSystem() {
  adapters.push_back(DefaultAdapter());
  caps[DEVTYPE_HAL] = FullCaps(DEVTYPE_HAL);
  caps[DEVTYPE_REF] = FullCaps(DEVTYPE_REF);
  devicePairs = {{FMT_X8R8G8B8, FMT_X8R8G8B8}, {FMT_X8R8G8B8, FMT_A8R8G8B8}, {FMT_R5G6B5, FMT_R5G6B5},
                 {FMT_X1R5G5B5, FMT_X1R5G5B5}, {FMT_X1R5G5B5, FMT_A1R5G5B5}};
  blendableFormats = {FMT_A8R8G8B8, FMT_X8R8G8B8, FMT_R5G6B5, FMT_X1R5G5B5, FMT_A1R5G5B5};
  textureFormats = {FMT_A8R8G8B8, FMT_X8R8G8B8, FMT_R5G6B5, FMT_X1R5G5B5, FMT_A1R5G5B5, FMT_A4R4G4B4,
                    FMT_A8, FMT_L8};
  depthFormats = {FMT_D16, FMT_D24X8, FMT_D24S8, FMT_D32};
  multiSampleLevels = {{MULTISAMPLE_NONE, 1}};
}

uint32_t FakeGraphicsSystem::GetAdapterCount() const { return static_cast<uint32_t>(adapters.size()); }

Result FakeGraphicsSystem::GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier& id) const {
  if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
  id = adapters[adapter].id;
  return S_OK;
}

uint32_t FakeGraphicsSystem::GetAdapterModeCount(uint32_t adapter, uint32_t format) const {
  if (!ValidAdapter(adapter)) return 0;
  const auto& m = adapters[adapter].modes;
  return static_cast<uint32_t>(std::count_if(m.begin(), m.end(), [&](const DisplayMode& d) { return d.Format == format; }));
}

Result FakeGraphicsSystem::EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode, DisplayMode& out) const {
  if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
  uint32_t i = 0;
  for (const auto& d : adapters[adapter].modes) {
    if (d.Format != format) continue;
    if (i++ == mode) {
      out = d;
      return S_OK;
    }
  }
  return D3DERR_INVALIDCALL;
}

Result FakeGraphicsSystem::GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const {
  if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
  out = adapters[adapter].desktop;
  return S_OK;
}

int FakeGraphicsSystem::GetAdapterMonitor(uint32_t adapter) const {
  return ValidAdapter(adapter) ? adapters[adapter].monitor : -1;
}

Result FakeGraphicsSystem::CheckDeviceType(uint32_t adapter, uint32_t type, uint32_t adapterFormat,
                                           uint32_t backBufferFormat, bool) const {
  ++checkCalls;
  if (!Offers(adapter, type)) return D3DERR_NOTAVAILABLE;
  return devicePairs.count({adapterFormat, backBufferFormat}) ? S_OK : D3DERR_NOTAVAILABLE;
}

Result FakeGraphicsSystem::CheckDeviceFormat(uint32_t adapter, uint32_t type, uint32_t, uint32_t usage,
                                             uint32_t, uint32_t checkFormat) const {
  ++checkCalls;
  if (!Offers(adapter, type)) return D3DERR_NOTAVAILABLE;
  const std::set<uint32_t>& set = (usage & USAGE_DEPTHSTENCIL)                          ? depthFormats
                                  : (usage & USAGE_QUERY_POSTPIXELSHADER_BLENDING) ? blendableFormats
                                                                                   : textureFormats;
  return set.count(checkFormat) ? S_OK : D3DERR_NOTAVAILABLE;
}

Result FakeGraphicsSystem::CheckDeviceMultiSampleType(uint32_t adapter, uint32_t type, uint32_t, bool,
                                                      uint32_t multiSampleType, uint32_t* qualityLevels) const {
  ++checkCalls;
  if (!Offers(adapter, type)) return D3DERR_NOTAVAILABLE;
  auto it = multiSampleLevels.find(multiSampleType);
  if (it == multiSampleLevels.end()) return D3DERR_NOTAVAILABLE;
  if (qualityLevels) *qualityLevels = it->second;
  return S_OK;
}

Result FakeGraphicsSystem::CheckDepthStencilMatch(uint32_t adapter, uint32_t type, uint32_t,
                                                  uint32_t renderTargetFormat, uint32_t depthStencilFormat) const {
  ++checkCalls;
  if (!Offers(adapter, type)) return D3DERR_NOTAVAILABLE;
  return depthMismatches.count({renderTargetFormat, depthStencilFormat}) ? D3DERR_NOTAVAILABLE : S_OK;
}

Result FakeGraphicsSystem::GetDeviceCaps(uint32_t adapter, uint32_t type, Caps& out) const {
  if (!ValidAdapter(adapter)) return D3DERR_INVALIDCALL;
  auto it = caps.find(type);
  if (it == caps.end()) return D3DERR_NOTAVAILABLE;
  out = it->second;
  out.DeviceType = type;
  out.AdapterOrdinal = adapter;
  return S_OK;
}

Result FakeGraphicsSystem::CreateDevice(uint32_t adapter, uint32_t type, WindowHandle window,
                                        uint32_t behaviourFlags, PresentParameters& pp,
                                        std::unique_ptr<IDevice>& out) {
  createCalls.push_back({adapter, type, behaviourFlags, window, pp});
  if (Failed(createDeviceResult)) return createDeviceResult;
  if (!Offers(adapter, type)) return D3DERR_INVALIDCALL;
  auto state = std::make_shared<FakeDeviceState>(deviceTemplate);
  state->adapter = adapter;
  state->deviceType = type;
  state->behaviourFlags = behaviourFlags;
  state->window = window;
  GetDeviceCaps(adapter, type, state->caps);
  state->desktop = adapters[adapter].desktop;
  WriteBackSize(pp, *state, adapters[adapter].desktop);
  state->pp = pp;
  devices.push_back(state);
  out = std::make_unique<FakeDevice>(state);
  return S_OK;
}

}  // namespace fake
