#pragma once
// The graphics services: a graphics system (adapters, modes, checks, device creation) and the
// device with its textures, sprite batches and fonts. Two device types exist: DEVTYPE_HAL
// (OpenGL 3.3 core) and DEVTYPE_REF (the CPU rasterizer). Tests substitute fakes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/types.h"
#include "platform/result.h"

namespace plat {

class ITexture {
 public:
  virtual ~ITexture() = default;
  virtual uint32_t Width() const = 0;
  virtual uint32_t Height() const = 0;
  virtual uint32_t Format() const = 0;
};

// A batch of textured quads: Begin, SetTransform/Draw any number of times, End. At End the
// sprites are sorted by depth (nearest first, stable) when asked and drawn with depth test
// less-or-equal and depth writes, alpha-0 texels discarded, source-alpha blending, the sampler's
// filter and the tint multiplied in.
class ISprite {
 public:
  virtual ~ISprite() = default;
  virtual Result Begin(uint32_t flags) = 0;  // SPRITE_* flags
  virtual Result SetTransform(const Matrix& m) = 0;
  // Draws `src` of `texture` (whole texture when null) with its top-left at `position` (or the
  // origin) less `centre`, through the current transform, tinted by 0xAARRGGBB.
  virtual Result Draw(const ITexture* texture, const RectI* src, const Vec3* centre,
                      const Vec3* position, uint32_t colour) = 0;
  virtual Result End() = 0;
  virtual Result OnLostDevice() = 0;
  virtual Result OnResetDevice() = 0;
};

class IFont {
 public:
  virtual ~IFont() = default;
  // Draws `count` characters (-1: up to the terminator) into `rect` with DT_* flags in 0xAARRGGBB
  // at depth 0. Returns the height of the drawn text in pixels, 0 on failure.
  virtual int DrawText(ISprite* sprite, const wchar_t* text, int count, RectI* rect,
                       uint32_t format, uint32_t colour) = 0;
  virtual Result OnLostDevice() = 0;
  virtual Result OnResetDevice() = 0;
};

class IDevice {
 public:
  virtual ~IDevice() = default;

  virtual Result Clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) = 0;
  virtual Result BeginScene() = 0;
  virtual Result EndScene() = 0;
  virtual Result Present() = 0;
  virtual Result TestCooperativeLevel() = 0;
  // Width and height 0 in windowed mode take the window's client size; the size used is written
  // back into `pp`.
  virtual Result Reset(PresentParameters& pp) = 0;

  virtual Result SetRenderState(RenderState state, uint32_t value) = 0;
  virtual uint32_t GetRenderState(RenderState state) const = 0;
  virtual Result SetSamplerState(uint32_t sampler, SamplerState type, uint32_t value) = 0;
  virtual uint32_t GetSamplerState(uint32_t sampler, SamplerState type) const = 0;
  virtual Result SetTransform(TransformType type, const Matrix& m) = 0;
  virtual Result GetTransform(TransformType type, Matrix& m) const = 0;

  virtual Result GetBackBufferDesc(SurfaceDesc& desc) const = 0;
  virtual Result GetDeviceCaps(Caps& caps) const = 0;
  virtual uint32_t GetDeviceType() const = 0;

  // Device cursor, used in full screen.
  virtual Result SetCursorProperties(int hotX, int hotY, const std::vector<uint32_t>& argb,
                                     int width, int height) = 0;
  virtual void SetCursorPosition(int x, int y) = 0;
  virtual bool ShowCursor(bool show) = 0;  // returns the previous state

  // Device-bound objects. Each counts as a reference until destroyed.
  virtual Result CreateTextureFromFile(const std::wstring& file, std::unique_ptr<ITexture>& out) = 0;
  // From 0xAARRGGBB rows, top row first (glyph atlases, cursors).
  virtual Result CreateTextureFromPixels(uint32_t width, uint32_t height, const std::vector<uint32_t>& argb,
                                         std::unique_ptr<ITexture>& out) = 0;
  virtual Result CreateSprite(std::unique_ptr<ISprite>& out) = 0;
  // Implementations forward to CreateDeviceFont below, which draws through the device's sprites.
  virtual Result CreateFont(int height, uint32_t weight, const std::wstring& faceName,
                            std::unique_ptr<IFont>& out) = 0;

  // Back buffer as 0xAARRGGBB rows, top row first (for tests and screenshots).
  virtual Result ReadBackBuffer(std::vector<uint32_t>& pixels, uint32_t& width, uint32_t& height) = 0;

  // Objects made by this device that are still alive. The framework releases the device by
  // destroying it and reports this count when it is not 0.
  virtual uint32_t LiveObjectCount() const = 0;
};

// A font that rasterises glyphs with FreeType into an atlas texture made by `device` and draws
// strings as sprites at depth 0. Device-independent; every IDevice::CreateFont forwards here.
Result CreateDeviceFont(IDevice& device, int height, uint32_t weight, const std::wstring& faceName,
                        std::unique_ptr<IFont>& out);

// Image file information (no device needed).
struct ImageInfo {
  uint32_t Width = 0, Height = 0;
  uint32_t Format = FMT_UNKNOWN;
};
Result GetImageInfoFromFile(const std::wstring& file, ImageInfo& info);

class IGraphicsSystem {
 public:
  virtual ~IGraphicsSystem() = default;

  virtual uint32_t GetAdapterCount() const = 0;
  virtual Result GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier& id) const = 0;
  virtual uint32_t GetAdapterModeCount(uint32_t adapter, uint32_t format) const = 0;
  virtual Result EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode, DisplayMode& out) const = 0;
  virtual Result GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const = 0;
  // Display index of the adapter, for comparing with IWindowSystem::GetWindowDisplay.
  virtual int GetAdapterMonitor(uint32_t adapter) const = 0;

  virtual Result CheckDeviceType(uint32_t adapter, uint32_t type, uint32_t adapterFormat,
                                 uint32_t backBufferFormat, bool windowed) const = 0;
  virtual Result CheckDeviceFormat(uint32_t adapter, uint32_t type, uint32_t adapterFormat,
                                   uint32_t usage, uint32_t resourceType, uint32_t checkFormat) const = 0;
  virtual Result CheckDeviceMultiSampleType(uint32_t adapter, uint32_t type, uint32_t surfaceFormat,
                                            bool windowed, uint32_t multiSampleType,
                                            uint32_t* qualityLevels) const = 0;
  virtual Result CheckDepthStencilMatch(uint32_t adapter, uint32_t type, uint32_t adapterFormat,
                                        uint32_t renderTargetFormat, uint32_t depthStencilFormat) const = 0;
  virtual Result GetDeviceCaps(uint32_t adapter, uint32_t type, Caps& caps) const = 0;

  // Creates a device on `window`; writes the back-buffer size it used back into `pp`.
  virtual Result CreateDevice(uint32_t adapter, uint32_t type, WindowHandle window,
                              uint32_t behaviourFlags, PresentParameters& pp,
                              std::unique_ptr<IDevice>& out) = 0;
};

class IWindowSystem;
// The graphics system over the window system's displays: hardware (OpenGL) where a context can
// be made, reference (CPU rasterizer) always.
std::unique_ptr<IGraphicsSystem> CreateGraphicsSystem(IWindowSystem& windows);

}  // namespace plat
