#pragma once
// A graphics system and device for tests: configurable adapters, modes, checks and capabilities,
// and a device that records what it is asked to do. Out of the box it looks like one 1920x1080
// desktop in X8R8G8B8 offering a hardware (with transform and lighting) and a reference device.
//
// Configuration is plain public data; change it before the code under test runs. To answer one
// check differently, derive from FakeGraphicsSystem and override that method (call the base for the
// cases you do not care about).
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
  int monitor = 0;
};

// One adapter with the usual desktop modes in X8R8G8B8 and R5G6B5 at 60 Hz (1920x1080 also 75 Hz).
FakeAdapter DefaultAdapter();

// Caps of a device type that offers everything (hardware T&L, pure device, all intervals).
plat::Caps FullCaps(uint32_t deviceType);

// Everything one device saw and how it should answer. Shared by the device and the objects it
// made, so it stays readable after the framework has destroyed the device.
struct FakeDeviceState {
  // Answers (tests may change them at any time).
  Result presentResult = S_OK;
  Result testCooperativeLevelResult = S_OK;
  Result resetResult = S_OK;  // Reset fails with this when it is a failure
  uint32_t clientWidth = 640, clientHeight = 480;  // what a windowed 0x0 back buffer becomes
  std::set<std::wstring> missingFiles;             // CreateTextureFromFile fails for these
  Result missingFileResult = MakeResult(0x80070002u);  // file not found
  std::map<std::wstring, std::pair<uint32_t, uint32_t>> fileSizes;  // default 256x256
  std::vector<uint32_t> backBufferPixels;  // ReadBackBuffer; empty: filled with the last clear colour

  // Identity.
  uint32_t adapter = 0;
  uint32_t deviceType = 0;
  uint32_t behaviourFlags = 0;
  plat::WindowHandle window = nullptr;
  plat::Caps caps;
  plat::DisplayMode desktop;   // the adapter's desktop mode at creation
  plat::PresentParameters pp;  // as created, then as last reset
  bool destroyed = false;

  // Records.
  std::vector<std::string> calls;  // names of device calls in order: "Clear", "BeginScene", ...
  struct ClearCall { uint32_t flags, colour; float z; uint32_t stencil; };
  std::vector<ClearCall> clears;
  int beginScenes = 0, endScenes = 0, presents = 0, resets = 0, testCooperativeLevels = 0;
  std::map<uint32_t, uint32_t> renderStates;                          // current values
  std::map<std::pair<uint32_t, uint32_t>, uint32_t> samplerStates;    // (sampler, type) -> value
  std::map<uint32_t, plat::Matrix> transforms;
  struct Cursor {
    int hotX = 0, hotY = 0, width = 0, height = 0;
    std::vector<uint32_t> argb;
    int x = 0, y = 0;
    bool visible = false;
    int propertiesSet = 0;
  } cursor;

  // Objects made by the device that are still alive.
  uint32_t liveObjects = 0;
  int texturesMade = 0, spritesMade = 0, fontsMade = 0;

  // Sprite calls of every sprite the device made, in order.
  struct SpriteEvent {
    enum Kind { Begin, SetTransform, Draw, End } kind = Begin;
    int sprite = 0;  // which sprite object (1, 2, ... in order of creation)
    uint32_t flags = 0;
    plat::Matrix transform;   // SetTransform; for Draw, the transform in force
    std::wstring texture;     // Draw: the texture's file name ("" for textures from pixels)
    bool hasSrc = false;
    plat::RectI src;
    plat::Vec3 centre, position;
    uint32_t colour = 0;
  };
  std::vector<SpriteEvent> sprites;

  // Text drawn by every font the device made, in order.
  struct TextEvent {
    int font = 0;
    std::wstring text;
    plat::RectI rect;
    uint32_t format = 0, colour = 0;
    bool throughSprite = false;
  };
  std::vector<TextEvent> texts;

  int Count(const std::string& call) const;
  // Draw events only.
  std::vector<SpriteEvent> Draws() const;
};

class FakeTexture : public plat::ITexture {
 public:
  FakeTexture(std::shared_ptr<FakeDeviceState> state, std::wstring file, uint32_t w, uint32_t h,
              uint32_t format);
  ~FakeTexture() override;
  uint32_t Width() const override { return width_; }
  uint32_t Height() const override { return height_; }
  uint32_t Format() const override { return format_; }
  const std::wstring& File() const { return file_; }

 private:
  std::shared_ptr<FakeDeviceState> state_;
  std::wstring file_;
  uint32_t width_, height_, format_;
};

class FakeSprite : public plat::ISprite {
 public:
  FakeSprite(std::shared_ptr<FakeDeviceState> state, int id);
  ~FakeSprite() override;
  Result Begin(uint32_t flags) override;
  Result SetTransform(const plat::Matrix& m) override;
  Result Draw(const plat::ITexture* texture, const plat::RectI* src, const plat::Vec3* centre,
                    const plat::Vec3* position, uint32_t colour) override;
  Result End() override;
  Result OnLostDevice() override { return S_OK; }
  Result OnResetDevice() override { return S_OK; }

 private:
  std::shared_ptr<FakeDeviceState> state_;
  int id_;
  bool begun_ = false;
  plat::Matrix transform_;
};

class FakeFont : public plat::IFont {
 public:
  FakeFont(std::shared_ptr<FakeDeviceState> state, int id, int height, uint32_t weight, std::wstring face);
  ~FakeFont() override;
  // Records the text and returns the font's pixel height (0 for an empty string).
  int DrawText(plat::ISprite* sprite, const wchar_t* text, int count, plat::RectI* rect, uint32_t format,
               uint32_t colour) override;
  Result OnLostDevice() override { return S_OK; }
  Result OnResetDevice() override { return S_OK; }
  int Height() const { return height_; }
  uint32_t Weight() const { return weight_; }
  const std::wstring& Face() const { return face_; }

 private:
  std::shared_ptr<FakeDeviceState> state_;
  int id_;
  int height_;
  uint32_t weight_;
  std::wstring face_;
};

class FakeDevice : public plat::IDevice {
 public:
  explicit FakeDevice(std::shared_ptr<FakeDeviceState> state);
  ~FakeDevice() override;
  FakeDeviceState& State() { return *state_; }

  Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
  Result BeginScene() override;
  Result EndScene() override;
  Result Present() override;
  Result TestCooperativeLevel() override;
  Result Reset(plat::PresentParameters& pp) override;
  Result SetRenderState(plat::RenderState state, uint32_t value) override;
  uint32_t GetRenderState(plat::RenderState state) const override;
  Result SetSamplerState(uint32_t sampler, plat::SamplerState type, uint32_t value) override;
  uint32_t GetSamplerState(uint32_t sampler, plat::SamplerState type) const override;
  Result SetTransform(plat::TransformType type, const plat::Matrix& m) override;
  Result GetTransform(plat::TransformType type, plat::Matrix& m) const override;
  Result GetBackBufferDesc(plat::SurfaceDesc& desc) const override;
  Result GetDeviceCaps(plat::Caps& caps) const override;
  uint32_t GetDeviceType() const override;
  Result SetCursorProperties(int hotX, int hotY, const std::vector<uint32_t>& argb, int width,
                                   int height) override;
  void SetCursorPosition(int x, int y) override;
  bool ShowCursor(bool show) override;
  Result CreateTextureFromFile(const std::wstring& file, std::unique_ptr<plat::ITexture>& out) override;
  Result CreateTextureFromPixels(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb,
                                       std::unique_ptr<plat::ITexture>& out) override;
  Result CreateSprite(std::unique_ptr<plat::ISprite>& out) override;
  Result CreateFont(int height, uint32_t weight, const std::wstring& faceName,
                          std::unique_ptr<plat::IFont>& out) override;
  Result ReadBackBuffer(std::vector<uint32_t>& pixels, uint32_t& width, uint32_t& height) override;
  uint32_t LiveObjectCount() const override;

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
  std::set<uint32_t> blendableFormats;  // post-pixel-shader blending on textures
  std::set<uint32_t> textureFormats;    // any other texture or surface usage
  std::set<uint32_t> depthFormats;      // usable as depth-stencil surfaces
  std::set<std::pair<uint32_t, uint32_t>> depthMismatches;  // (render target, depth) that do not match
  std::map<uint32_t, uint32_t> multiSampleLevels;            // type -> quality levels, all formats
  Result createDeviceResult = S_OK;                    // a failure makes CreateDevice fail
  FakeDeviceState deviceTemplate;  // answers copied into every new device's state

  // Records.
  struct CreateCall {
    uint32_t adapter, type, behaviourFlags;
    plat::WindowHandle window;
    plat::PresentParameters pp;  // as passed in
  };
  std::vector<CreateCall> createCalls;
  std::vector<std::shared_ptr<FakeDeviceState>> devices;  // every device made, oldest first
  FakeDeviceState* LastDevice() { return devices.empty() ? nullptr : devices.back().get(); }
  mutable int checkCalls = 0;  // number of Check* calls, to see that enumeration ran

  uint32_t GetAdapterCount() const override;
  Result GetAdapterIdentifier(uint32_t adapter, plat::AdapterIdentifier& id) const override;
  uint32_t GetAdapterModeCount(uint32_t adapter, uint32_t format) const override;
  Result EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode,
                                plat::DisplayMode& out) const override;
  Result GetAdapterDisplayMode(uint32_t adapter, plat::DisplayMode& out) const override;
  int GetAdapterMonitor(uint32_t adapter) const override;
  Result CheckDeviceType(uint32_t adapter, uint32_t type, uint32_t adapterFormat,
                               uint32_t backBufferFormat, bool windowed) const override;
  Result CheckDeviceFormat(uint32_t adapter, uint32_t type, uint32_t adapterFormat, uint32_t usage,
                                 uint32_t resourceType, uint32_t checkFormat) const override;
  Result CheckDeviceMultiSampleType(uint32_t adapter, uint32_t type, uint32_t surfaceFormat,
                                          bool windowed, uint32_t multiSampleType,
                                          uint32_t* qualityLevels) const override;
  Result CheckDepthStencilMatch(uint32_t adapter, uint32_t type, uint32_t adapterFormat,
                                      uint32_t renderTargetFormat, uint32_t depthStencilFormat) const override;
  Result GetDeviceCaps(uint32_t adapter, uint32_t type, plat::Caps& caps) const override;
  Result CreateDevice(uint32_t adapter, uint32_t type, plat::WindowHandle window, uint32_t behaviourFlags,
                            plat::PresentParameters& pp, std::unique_ptr<plat::IDevice>& out) override;

 protected:
  bool ValidAdapter(uint32_t adapter) const { return adapter < adapters.size(); }
  bool Offers(uint32_t adapter, uint32_t type) const { return ValidAdapter(adapter) && caps.count(type) != 0; }
};

}  // namespace fake
