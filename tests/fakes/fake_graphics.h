#pragma once
// A graphics system and device for tests: configurable adapters, modes, checks and capabilities,
// and a device that records what it is asked to do. Out of the box it looks like one 1920x1080
// desktop in X8R8G8B8 offering a hardware (with transform and lighting) and a reference device.
// Configuration is plain public data; change it before the code under test runs.
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/graphics.h"

namespace fake {

struct FakeAdapter {
  plat::AdapterIdentifier id{"fake.so", "Fake Display Adapter", "\\\\.\\DISPLAY1"};
  plat::DisplayMode desktop{1920, 1080, 60, plat::FMT_X8R8G8B8};
  std::vector<plat::DisplayMode> modes;  // every format; EnumAdapterModes filters by format
  int monitor = 0;                       // the window system's display it drives
};

// Everything one device saw and how it should answer. Shared by the device and the objects it
// made, so it stays readable after the framework has destroyed the device.
struct FakeDeviceState {
  // Answers (tests may change them at any time).
  Result presentResult = S_OK;
  Result testCooperativeLevelResult = S_OK;
  Result resetResult = S_OK;                        // Reset fails with this when it is a failure
  uint32_t clientWidth = 640, clientHeight = 480;  // what a windowed 0x0 back buffer becomes
  std::set<std::wstring> missingFiles;             // CreateTextureFromFile fails for these

  // Identity.
  uint32_t deviceType = 0;
  plat::Caps caps;
  plat::DisplayMode desktop;   // the adapter's desktop mode at creation
  plat::PresentParameters pp;  // as created, then as last reset
  bool destroyed = false;

  // Records.
  int presents = 0;
  std::map<uint32_t, uint32_t> renderStates;  // current values
  uint32_t liveObjects = 0;                   // objects made by the device that are still alive
  int texturesMade = 0, spritesMade = 0;

  // Sprite calls of every sprite the device made, in order.
  struct SpriteEvent {
    enum Kind { Begin, SetTransform, Draw, End } kind = Begin;
    int sprite = 0;  // which sprite object (1, 2, ... in order of creation)
    uint32_t flags = 0;
    plat::Matrix transform;  // SetTransform; for Draw, the transform in force
    plat::RectI src;
    plat::Vec3 position;
    uint32_t colour = 0;
  };
  std::vector<SpriteEvent> sprites;
  std::vector<SpriteEvent> Draws() const;  // Draw events only
  int Count(SpriteEvent::Kind kind) const;
};

class FakeDevice : public plat::IDevice {
 public:
  explicit FakeDevice(std::shared_ptr<FakeDeviceState> state) : state_(std::move(state)) {}
  ~FakeDevice() override { state_->destroyed = true; }

  Result Clear(uint32_t, uint32_t, float, uint32_t) override { return S_OK; }
  Result BeginScene() override { return S_OK; }
  Result EndScene() override { return S_OK; }
  Result Present() override {
    ++state_->presents;
    return state_->presentResult;
  }
  Result TestCooperativeLevel() override { return state_->testCooperativeLevelResult; }
  Result Reset(plat::PresentParameters& pp) override;
  Result SetRenderState(plat::RenderState state, uint32_t value) override {
    state_->renderStates[state] = value;
    return S_OK;
  }
  uint32_t GetRenderState(plat::RenderState state) const override { return state_->renderStates[state]; }
  Result SetSamplerState(uint32_t, plat::SamplerState, uint32_t) override { return S_OK; }
  uint32_t GetSamplerState(uint32_t, plat::SamplerState) const override { return 0; }
  Result SetTransform(plat::TransformType, const plat::Matrix&) override { return S_OK; }
  Result GetTransform(plat::TransformType, plat::Matrix& m) const override;
  Result GetBackBufferDesc(plat::SurfaceDesc& desc) const override;
  Result GetDeviceCaps(plat::Caps& caps) const override {
    caps = state_->caps;
    return S_OK;
  }
  uint32_t GetDeviceType() const override { return state_->deviceType; }
  Result SetCursorProperties(int, int, const std::vector<uint32_t>&, int, int) override { return S_OK; }
  void SetCursorPosition(int, int) override {}
  bool ShowCursor(bool) override { return false; }
  Result CreateTextureFromFile(const std::wstring& file, std::unique_ptr<plat::ITexture>& out) override;
  Result CreateTextureFromPixels(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb,
                                 std::unique_ptr<plat::ITexture>& out) override;
  Result CreateSprite(std::unique_ptr<plat::ISprite>& out) override;
  Result CreateFont(int height, uint32_t weight, const std::wstring& faceName,
                    std::unique_ptr<plat::IFont>& out) override;
  Result ReadBackBuffer(std::vector<uint32_t>&, uint32_t&, uint32_t&) override { return D3DERR_INVALIDCALL; }
  uint32_t LiveObjectCount() const override { return state_->liveObjects; }

 private:
  std::shared_ptr<FakeDeviceState> state_;
};

class FakeGraphicsSystem : public plat::IGraphicsSystem {
 public:
  FakeGraphicsSystem();

  // Configuration.
  std::vector<FakeAdapter> adapters;
  std::map<uint32_t, plat::Caps> caps;  // device types offered (HAL and REF by default)
  // (adapter format, back-buffer format) pairs CheckDeviceType accepts, windowed or not.
  std::set<std::pair<uint32_t, uint32_t>> devicePairs;
  std::set<uint32_t> blendableFormats;  // post-pixel-shader blending (and any other usage but depth)
  std::set<uint32_t> depthFormats;      // usable as depth-stencil surfaces
  std::set<std::pair<uint32_t, uint32_t>> depthMismatches;  // (render target, depth) that do not match
  std::map<uint32_t, uint32_t> multiSampleLevels;            // type -> quality levels, all formats
  Result createDeviceResult = S_OK;                          // a failure makes CreateDevice fail
  FakeDeviceState deviceTemplate;  // answers copied into every new device's state

  // Records.
  struct CreateCall {
    uint32_t type, behaviourFlags;
    plat::PresentParameters pp;  // as passed in
  };
  std::vector<CreateCall> createCalls;
  std::vector<std::shared_ptr<FakeDeviceState>> devices;  // every device made, oldest first

  uint32_t GetAdapterCount() const override { return static_cast<uint32_t>(adapters.size()); }
  Result GetAdapterIdentifier(uint32_t adapter, plat::AdapterIdentifier& id) const override;
  uint32_t GetAdapterModeCount(uint32_t adapter, uint32_t format) const override;
  Result EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode, plat::DisplayMode& out) const override;
  Result GetAdapterDisplayMode(uint32_t adapter, plat::DisplayMode& out) const override;
  int GetAdapterMonitor(uint32_t adapter) const override {
    return adapter < adapters.size() ? adapters[adapter].monitor : 0;
  }
  Result CheckDeviceType(uint32_t adapter, uint32_t type, uint32_t adapterFormat, uint32_t backBufferFormat,
                         bool windowed) const override;
  Result CheckDeviceFormat(uint32_t adapter, uint32_t type, uint32_t adapterFormat, uint32_t usage,
                           uint32_t resourceType, uint32_t checkFormat) const override;
  Result CheckDeviceMultiSampleType(uint32_t adapter, uint32_t type, uint32_t surfaceFormat, bool windowed,
                                    uint32_t multiSampleType, uint32_t* qualityLevels) const override;
  Result CheckDepthStencilMatch(uint32_t adapter, uint32_t type, uint32_t adapterFormat,
                                uint32_t renderTargetFormat, uint32_t depthStencilFormat) const override;
  Result GetDeviceCaps(uint32_t adapter, uint32_t type, plat::Caps& caps) const override;
  Result CreateDevice(uint32_t adapter, uint32_t type, plat::WindowHandle window, uint32_t behaviourFlags,
                      plat::PresentParameters& pp, std::unique_ptr<plat::IDevice>& out) override;

 private:
  bool Offers(uint32_t adapter, uint32_t type) const { return adapter < adapters.size() && caps.count(type) != 0; }
};

}  // namespace fake
