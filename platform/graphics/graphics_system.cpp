// The graphics system: one adapter per display, the checks the device enumeration asks, and
// device creation for the two device types (hardware = OpenGL, reference = CPU rasterizer).
#include <algorithm>
#include <cstdio>

#include "platform/graphics/device.h"
#include "platform/graphics/graphics.h"
#include "platform/graphics/raster_backend.h"
#include "platform/system/sdl_handle.h"
#include "platform/system/window_system.h"

namespace plat {

namespace {

constexpr uint32_t kReferenceMaxTexture = 8192;

uint32_t FormatOfBits(uint32_t bits) { return bits == 16 ? FMT_R5G6B5 : FMT_X8R8G8B8; }
bool IsAdapterFormat(uint32_t f) { return f == FMT_X8R8G8B8 || f == FMT_R5G6B5; }
bool IsDepthFormat(uint32_t f) { return f == FMT_D16 || f == FMT_D24X8 || f == FMT_D24S8 || f == FMT_D32; }

// Back-buffer formats a display format can show: 32-bit displays take either 32-bit layout,
// 16-bit displays their own.
bool BackBufferFits(uint32_t adapterFormat, uint32_t backBuffer) {
  if (adapterFormat == FMT_X8R8G8B8) return backBuffer == FMT_A8R8G8B8 || backBuffer == FMT_X8R8G8B8;
  if (adapterFormat == FMT_R5G6B5) return backBuffer == FMT_R5G6B5;
  return false;
}
bool IsRenderTargetFormat(uint32_t f) { return f == FMT_A8R8G8B8 || f == FMT_X8R8G8B8 || f == FMT_R5G6B5; }
bool IsTextureFormat(uint32_t f) { return f == FMT_A8R8G8B8 || f == FMT_X8R8G8B8; }

class GraphicsSystem final : public IGraphicsSystem {
 public:
  explicit GraphicsSystem(IWindowSystem& windows) : windows_(windows), displays_(windows.GetDisplays()) {
    if (gfx::GlBackendBuilt()) {
      const gfx::GlFacts& gl = gfx::ProbeGlContext();
      hardware_ = gl.available;
      hardwareMaxTexture_ = std::min<uint32_t>(gl.maxTextureSize, 16384);
      hardwareIntervals_ = gfx::PresentIntervalsOf(gl.swapIntervals);
      // On a display that could have OpenGL the user deserves to know why F3 and -forcehal find
      // no hardware device; the headless drivers never have one.
      if (!hardware_ && gfx::VideoDriverHasGl()) {
        std::fprintf(stderr, "arena: the hardware device is not offered: %s\n",
                     gl.unavailable.c_str());
        std::fflush(stderr);
      }
    }
  }

  uint32_t GetAdapterCount() const override { return uint32_t(displays_.size()); }

  Result GetAdapterIdentifier(uint32_t adapter, AdapterIdentifier& id) const override {
    if (adapter >= displays_.size()) return D3DERR_INVALIDCALL;
    const char* driver = SDL_GetCurrentVideoDriver();
    id.Driver = driver ? driver : "";
    id.Description = displays_[adapter].name.empty() ? "Display " + std::to_string(adapter) : displays_[adapter].name;
    id.DeviceName = "display" + std::to_string(adapter);
    return S_OK;
  }

  uint32_t GetAdapterModeCount(uint32_t adapter, uint32_t format) const override {
    if (adapter >= displays_.size() || !IsAdapterFormat(format)) return 0;
    return uint32_t(Modes(adapter, format).size());
  }

  Result EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode, DisplayMode& out) const override {
    if (adapter >= displays_.size() || !IsAdapterFormat(format)) return D3DERR_INVALIDCALL;
    const std::vector<DisplayMode> modes = Modes(adapter, format);
    if (mode >= modes.size()) return D3DERR_INVALIDCALL;
    out = modes[mode];
    return S_OK;
  }

  Result GetAdapterDisplayMode(uint32_t adapter, DisplayMode& out) const override {
    if (adapter >= displays_.size()) return D3DERR_INVALIDCALL;
    // The desktop mode changes with full screen switches, so ask afresh.
    const std::vector<DisplayInfo> now = windows_.GetDisplays();
    const DisplayModeInfo& m = adapter < now.size() ? now[adapter].desktopMode : displays_[adapter].desktopMode;
    out = DisplayMode{m.width, m.height, m.refreshRate, FormatOfBits(m.bitsPerPixel)};
    return S_OK;
  }

  int GetAdapterMonitor(uint32_t adapter) const override { return adapter < displays_.size() ? int(adapter) : -1; }

  Result CheckDeviceType(uint32_t adapter, uint32_t type, uint32_t adapterFormat, uint32_t backBufferFormat,
                         bool windowed) const override {
    if (adapter >= displays_.size() || !Offered(type)) return D3DERR_INVALIDCALL;
    if (!IsAdapterFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    if (!windowed && Modes(adapter, adapterFormat).empty()) return D3DERR_NOTAVAILABLE;
    return BackBufferFits(adapterFormat, backBufferFormat) ? S_OK : D3DERR_NOTAVAILABLE;
  }

  Result CheckDeviceFormat(uint32_t adapter, uint32_t type, uint32_t adapterFormat, uint32_t usage,
                           uint32_t resourceType, uint32_t checkFormat) const override {
    if (adapter >= displays_.size() || !Offered(type)) return D3DERR_INVALIDCALL;
    if (!IsAdapterFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    bool ok = false;
    if (usage & USAGE_DEPTHSTENCIL) {
      ok = resourceType == RTYPE_SURFACE && IsDepthFormat(checkFormat) && !(usage & USAGE_RENDERTARGET);
    } else if (usage & (USAGE_RENDERTARGET | USAGE_QUERY_POSTPIXELSHADER_BLENDING)) {
      ok = (resourceType == RTYPE_SURFACE || resourceType == RTYPE_TEXTURE) && IsRenderTargetFormat(checkFormat);
    } else if (resourceType == RTYPE_TEXTURE) {
      ok = IsTextureFormat(checkFormat);
    } else if (resourceType == RTYPE_SURFACE) {
      ok = IsRenderTargetFormat(checkFormat);
    }
    return ok ? S_OK : D3DERR_NOTAVAILABLE;
  }

  Result CheckDeviceMultiSampleType(uint32_t adapter, uint32_t type, uint32_t surfaceFormat, bool,
                                    uint32_t multiSampleType, uint32_t* qualityLevels) const override {
    if (qualityLevels) *qualityLevels = 0;
    if (adapter >= displays_.size() || !Offered(type)) return D3DERR_INVALIDCALL;
    if (!IsRenderTargetFormat(surfaceFormat) && !IsDepthFormat(surfaceFormat)) return D3DERR_NOTAVAILABLE;
    if (multiSampleType != MULTISAMPLE_NONE) return D3DERR_NOTAVAILABLE;
    if (qualityLevels) *qualityLevels = 1;
    return S_OK;
  }

  Result CheckDepthStencilMatch(uint32_t adapter, uint32_t type, uint32_t adapterFormat, uint32_t renderTargetFormat,
                                uint32_t depthStencilFormat) const override {
    if (adapter >= displays_.size() || !Offered(type)) return D3DERR_INVALIDCALL;
    if (!IsAdapterFormat(adapterFormat) || !IsRenderTargetFormat(renderTargetFormat) || !IsDepthFormat(depthStencilFormat)) {
      return D3DERR_NOTAVAILABLE;
    }
    return S_OK;
  }

  Result GetDeviceCaps(uint32_t adapter, uint32_t type, Caps& caps) const override {
    if (adapter >= displays_.size()) return D3DERR_INVALIDCALL;
    if (!Offered(type)) return D3DERR_NOTAVAILABLE;
    caps = Caps{};
    caps.DeviceType = type;
    caps.AdapterOrdinal = adapter;
    if (type == DEVTYPE_HAL) {
      // Only the swap intervals the driver takes, so that enumeration ranks truthfully.
      caps.PresentationIntervals = hardwareIntervals_;
      caps.DevCaps = DEVCAPS_HWTRANSFORMANDLIGHT | DEVCAPS_PUREDEVICE;
      caps.MaxTextureWidth = caps.MaxTextureHeight = hardwareMaxTexture_;
    } else {
      // The window surface shows a frame at once; it cannot wait for the vertical blank.
      caps.PresentationIntervals = PRESENT_INTERVAL_IMMEDIATE;
      caps.DevCaps = 0;
      caps.MaxTextureWidth = caps.MaxTextureHeight = kReferenceMaxTexture;
    }
    return S_OK;
  }

  Result CreateDevice(uint32_t adapter, uint32_t type, WindowHandle window, uint32_t behaviourFlags,
                      PresentParameters& pp, std::unique_ptr<IDevice>& out) override {
    out.reset();
    if (adapter >= displays_.size()) return D3DERR_INVALIDCALL;
    if (!Offered(type)) return D3DERR_NOTAVAILABLE;
    gfx::DeviceConfig config;
    config.adapter = adapter;
    config.type = type;
    config.behaviourFlags = behaviourFlags;
    GetDeviceCaps(adapter, type, config.caps);
    // Exactly one way of processing vertices; the hardware ways need hardware transform and
    // lighting, and a pure device needs hardware processing.
    const uint32_t vp = behaviourFlags & (CREATE_SOFTWARE_VERTEXPROCESSING | CREATE_HARDWARE_VERTEXPROCESSING |
                                          CREATE_MIXED_VERTEXPROCESSING);
    if (vp != CREATE_SOFTWARE_VERTEXPROCESSING && vp != CREATE_HARDWARE_VERTEXPROCESSING &&
        vp != CREATE_MIXED_VERTEXPROCESSING) {
      return D3DERR_INVALIDCALL;
    }
    if (vp != CREATE_SOFTWARE_VERTEXPROCESSING && !(config.caps.DevCaps & DEVCAPS_HWTRANSFORMANDLIGHT)) {
      return D3DERR_INVALIDCALL;
    }
    if ((behaviourFlags & CREATE_PUREDEVICE) && vp != CREATE_HARDWARE_VERTEXPROCESSING) return D3DERR_INVALIDCALL;
    WindowHandle deviceWindow = pp.hDeviceWindow ? pp.hDeviceWindow : window;
    if (!deviceWindow) return D3DERR_INVALIDCALL;
    config.window = ToSdlWindow(deviceWindow);
    DisplayMode desktop;
    GetAdapterDisplayMode(adapter, desktop);
    config.desktopFormat = desktop.Format;
    config.modes = displays_[adapter].modes;
    config.presentScale = [&windows = windows_] { return std::max(1, windows.PresentationScale()); };
    if (config.modes.empty()) config.modes.push_back(displays_[adapter].desktopMode);
    return gfx::CreateSharedDevice(config, pp, out);
  }

 private:
  bool Offered(uint32_t type) const { return type == DEVTYPE_REF || (type == DEVTYPE_HAL && hardware_); }

  // The display's modes in one format, desktop mode included when the driver lists none.
  std::vector<DisplayMode> Modes(uint32_t adapter, uint32_t format) const {
    const DisplayInfo& d = displays_[adapter];
    std::vector<DisplayMode> out;
    auto add = [&](const DisplayModeInfo& m) {
      if (FormatOfBits(m.bitsPerPixel) != format || (m.bitsPerPixel != 16 && m.bitsPerPixel != 32 && m.bitsPerPixel != 24)) return;
      DisplayMode mode{m.width, m.height, m.refreshRate, format};
      if (std::find(out.begin(), out.end(), mode) == out.end()) out.push_back(mode);
    };
    for (const DisplayModeInfo& m : d.modes) add(m);
    if (d.modes.empty()) add(d.desktopMode);
    return out;
  }

  IWindowSystem& windows_;
  std::vector<DisplayInfo> displays_;
  bool hardware_ = false;
  uint32_t hardwareMaxTexture_ = 0;
  uint32_t hardwareIntervals_ = 0;
};

}  // namespace

std::unique_ptr<IGraphicsSystem> CreateGraphicsSystem(IWindowSystem& windows) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return nullptr;
  return std::make_unique<GraphicsSystem>(windows);
}

}  // namespace plat
