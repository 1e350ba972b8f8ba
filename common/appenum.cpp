#include "common/appenum.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

#include "common/app_state.h"

using namespace plat;

namespace {

constexpr uint32_t kAdapterFormats[] = {FMT_X8R8G8B8, FMT_X1R5G5B5, FMT_R5G6B5, FMT_A2R10G10B10};
constexpr uint32_t kBackBufferFormats[] = {FMT_A8R8G8B8, FMT_X8R8G8B8, FMT_A2R10G10B10,
                                           FMT_R5G6B5,   FMT_A1R5G5B5, FMT_X1R5G5B5};
constexpr uint32_t kDeviceTypes[] = {DEVTYPE_HAL, DEVTYPE_SW, DEVTYPE_REF};

bool Contains(const std::vector<uint32_t>& list, uint32_t value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

int64_t Distance(int64_t a, int64_t b) { return a > b ? a - b : b - a; }

bool HasHardwareTnL(const EnumDeviceSettingsCombo& combo) {
  return (combo.deviceInfo->caps.DevCaps & DEVCAPS_HWTRANSFORMANDLIGHT) != 0;
}

bool HasMode(const EnumAdapterInfo& adapter, uint32_t format, uint32_t width, uint32_t height) {
  return std::any_of(adapter.displayModes.begin(), adapter.displayModes.end(), [&](const DisplayMode& m) {
    return m.Format == format && m.Width == width && m.Height == height;
  });
}

bool HasRefresh(const EnumAdapterInfo& adapter, uint32_t format, uint32_t rate) {
  return std::any_of(adapter.displayModes.begin(), adapter.displayModes.end(),
                     [&](const DisplayMode& m) { return m.Format == format && m.RefreshRate == rate; });
}

}  // namespace

bool ClosestDisplayMode(const EnumAdapterInfo& adapter, uint32_t format, uint32_t& width, uint32_t& height) {
  const DisplayMode* best = nullptr;
  int64_t bestDistance = std::numeric_limits<int64_t>::max();
  for (const DisplayMode& m : adapter.displayModes) {
    if (m.Format != format) continue;
    const int64_t d = Distance(m.Width, width) + Distance(m.Height, height);
    if (d < bestDistance) {
      best = &m;
      bestDistance = d;
      if (d == 0) break;
    }
  }
  if (!best) return false;
  width = best->Width;
  height = best->Height;
  return true;
}

namespace {

// A multisample type is usable at a quality when the device reports more quality levels than the
// quality index (levels n allow qualities 0 .. n-1).
bool HasMultiSample(const EnumDeviceSettingsCombo& combo, uint32_t type, uint32_t quality) {
  for (size_t i = 0; i < combo.multiSampleTypes.size(); ++i)
    if (combo.multiSampleTypes[i] == type && combo.multiSampleQualities[i] > quality) return true;
  return false;
}

DisplayMode DesktopMode(IGraphicsSystem* graphics, uint32_t adapter) {
  DisplayMode mode;
  if (graphics == nullptr || Failed(graphics->GetAdapterDisplayMode(adapter, mode))) mode = DisplayMode{};
  return mode;
}

// Format closeness: 1 for the same format, less the more bits per channel differ.
float FormatCloseness(uint32_t format, uint32_t wanted) {
  if (format == wanted) return 1.0f;
  int diff = std::abs(static_cast<int>(ColorChannelBits(format)) - static_cast<int>(ColorChannelBits(wanted)));
  return std::max(0.0f, 0.9f - 0.2f * static_cast<float>(diff));
}

// What the caller would get with every option at "ignore", and the input where it is not ignored.
DeviceSettings BuildOptimalSettings(IGraphicsSystem* graphics, const DeviceSettings& in, const MatchOptions& o) {
  DeviceSettings opt;
  opt.AdapterOrdinal = o.eAdapterOrdinal == MT_IGNORE_INPUT ? 0 : in.AdapterOrdinal;
  opt.DeviceType = o.eDeviceType == MT_IGNORE_INPUT ? uint32_t(DEVTYPE_HAL) : in.DeviceType;
  opt.pp.Windowed = o.eWindowed == MT_IGNORE_INPUT ? 1 : (in.pp.Windowed != 0);
  const bool windowed = opt.pp.Windowed != 0;
  const DisplayMode desktop = DesktopMode(graphics, opt.AdapterOrdinal);

  if (o.eAdapterFormat == MT_IGNORE_INPUT)
    opt.AdapterFormat = (windowed || ColorChannelBits(desktop.Format) >= 8) ? desktop.Format : uint32_t(FMT_X8R8G8B8);
  else
    opt.AdapterFormat = in.AdapterFormat;

  opt.BehaviorFlags = o.eVertexProcessing == MT_IGNORE_INPUT ? uint32_t(CREATE_HARDWARE_VERTEXPROCESSING)
                                                             : in.BehaviorFlags;
  if (o.eResolution == MT_IGNORE_INPUT) {
    opt.pp.BackBufferWidth = windowed ? 640 : desktop.Width;
    opt.pp.BackBufferHeight = windowed ? 480 : desktop.Height;
  } else {
    opt.pp.BackBufferWidth = in.pp.BackBufferWidth;
    opt.pp.BackBufferHeight = in.pp.BackBufferHeight;
  }
  opt.pp.BackBufferFormat = o.eBackBufferFormat == MT_IGNORE_INPUT ? opt.AdapterFormat : in.pp.BackBufferFormat;
  opt.pp.BackBufferCount = o.eBackBufferCount == MT_IGNORE_INPUT ? 2 : in.pp.BackBufferCount;
  if (o.eMultiSample == MT_IGNORE_INPUT) {
    opt.pp.MultiSampleType = MULTISAMPLE_NONE;
    opt.pp.MultiSampleQuality = 0;
  } else {
    opt.pp.MultiSampleType = in.pp.MultiSampleType;
    opt.pp.MultiSampleQuality = in.pp.MultiSampleQuality;
  }
  opt.pp.SwapEffect = o.eSwapEffect == MT_IGNORE_INPUT ? uint32_t(SWAPEFFECT_DISCARD) : in.pp.SwapEffect;
  if (o.eDepthFormat == MT_IGNORE_INPUT && o.eStencilFormat == MT_IGNORE_INPUT)
    opt.pp.AutoDepthStencilFormat = ColorChannelBits(opt.pp.BackBufferFormat) >= 8 ? FMT_D32 : FMT_D16;
  else
    opt.pp.AutoDepthStencilFormat = in.pp.AutoDepthStencilFormat;
  opt.pp.Flags = o.ePresentFlags == MT_IGNORE_INPUT ? uint32_t(PRESENTFLAG_DISCARD_DEPTHSTENCIL) : in.pp.Flags;
  opt.pp.FullScreen_RefreshRateInHz = o.eRefreshRate == MT_IGNORE_INPUT ? 0 : in.pp.FullScreen_RefreshRateInHz;
  if (o.ePresentInterval == MT_IGNORE_INPUT)
    opt.pp.PresentationInterval = windowed ? PRESENT_INTERVAL_IMMEDIATE : PRESENT_INTERVAL_DEFAULT;
  else
    opt.pp.PresentationInterval = in.pp.PresentationInterval;
  return opt;
}

bool MatchesPreserveOptions(const EnumDeviceSettingsCombo& combo, const DeviceSettings& in, const MatchOptions& o) {
  const EnumAdapterInfo& adapter = *combo.adapterInfo;
  if (o.eAdapterOrdinal == MT_PRESERVE_INPUT && combo.AdapterOrdinal != in.AdapterOrdinal) return false;
  if (o.eDeviceType == MT_PRESERVE_INPUT && combo.DeviceType != in.DeviceType) return false;
  if (o.eWindowed == MT_PRESERVE_INPUT && combo.Windowed != (in.pp.Windowed != 0)) return false;
  if (o.eAdapterFormat == MT_PRESERVE_INPUT && combo.AdapterFormat != in.AdapterFormat) return false;
  if (o.eVertexProcessing == MT_PRESERVE_INPUT && (in.BehaviorFlags & CREATE_HARDWARE_VERTEXPROCESSING) &&
      !HasHardwareTnL(combo))
    return false;
  if (o.eResolution == MT_PRESERVE_INPUT &&
      !HasMode(adapter, combo.AdapterFormat, in.pp.BackBufferWidth, in.pp.BackBufferHeight))
    return false;
  if (o.eBackBufferFormat == MT_PRESERVE_INPUT && combo.BackBufferFormat != in.pp.BackBufferFormat) return false;
  if (o.eMultiSample == MT_PRESERVE_INPUT && !HasMultiSample(combo, in.pp.MultiSampleType, in.pp.MultiSampleQuality))
    return false;

  const uint32_t wanted = in.pp.AutoDepthStencilFormat;
  const auto& ds = combo.depthStencilFormats;
  if (o.eDepthFormat == MT_PRESERVE_INPUT && o.eStencilFormat == MT_PRESERVE_INPUT) {
    if (wanted != FMT_UNKNOWN && !Contains(ds, wanted)) return false;
  } else if (o.eDepthFormat == MT_PRESERVE_INPUT) {
    if (std::none_of(ds.begin(), ds.end(), [&](uint32_t f) { return DepthBits(f) == DepthBits(wanted); }))
      return false;
  } else if (o.eStencilFormat == MT_PRESERVE_INPUT) {
    if (std::none_of(ds.begin(), ds.end(), [&](uint32_t f) { return StencilBits(f) == StencilBits(wanted); }))
      return false;
  }

  if (o.eRefreshRate == MT_PRESERVE_INPUT &&
      !HasRefresh(adapter, combo.AdapterFormat, in.pp.FullScreen_RefreshRateInHz))
    return false;
  if (o.ePresentInterval == MT_PRESERVE_INPUT && !Contains(combo.presentIntervals, in.pp.PresentationInterval))
    return false;
  return true;
}

float RankCombo(const EnumDeviceSettingsCombo& combo, const DeviceSettings& opt, const DisplayMode& desktop) {
  const EnumAdapterInfo& adapter = *combo.adapterInfo;
  float rank = 0.0f;
  if (combo.AdapterOrdinal == opt.AdapterOrdinal) rank += 1000.0f;
  if (combo.DeviceType == opt.DeviceType) rank += 100.0f;
  if (combo.DeviceType == DEVTYPE_HAL) rank += 0.1f;
  if (combo.Windowed == (opt.pp.Windowed != 0)) rank += 10.0f;
  rank += FormatCloseness(combo.AdapterFormat, opt.AdapterFormat);
  if (!combo.Windowed) {
    const bool lowBitDesktop = ColorChannelBits(desktop.Format) < 8;
    if (lowBitDesktop ? combo.AdapterFormat == FMT_X8R8G8B8 : combo.AdapterFormat == desktop.Format) rank += 0.1f;
  }
  if ((opt.BehaviorFlags & (CREATE_HARDWARE_VERTEXPROCESSING | CREATE_MIXED_VERTEXPROCESSING)) &&
      HasHardwareTnL(combo))
    rank += 1.0f;
  if (HasHardwareTnL(combo)) rank += 0.1f;
  if (HasMode(adapter, combo.AdapterFormat, opt.pp.BackBufferWidth, opt.pp.BackBufferHeight)) rank += 1.0f;
  rank += FormatCloseness(combo.BackBufferFormat, opt.pp.BackBufferFormat);
  if (combo.BackBufferFormat == combo.AdapterFormat) rank += 0.1f;
  if (HasMultiSample(combo, opt.pp.MultiSampleType, opt.pp.MultiSampleQuality)) rank += 1.0f;
  if (Contains(combo.depthStencilFormats, opt.pp.AutoDepthStencilFormat)) rank += 1.0f;
  if (HasRefresh(adapter, combo.AdapterFormat, opt.pp.FullScreen_RefreshRateInHz)) rank += 1.0f;
  if (Contains(combo.presentIntervals, opt.pp.PresentationInterval)) rank += 1.0f;
  return rank;
}

DeviceSettings BuildValidSettings(IGraphicsSystem* graphics, const EnumDeviceSettingsCombo& combo,
                                  const DeviceSettings& in, const MatchOptions& o, bool haveInput,
                                  WindowHandle windowedWindow, WindowHandle fullScreenWindow) {
  const EnumAdapterInfo& adapter = *combo.adapterInfo;
  const DisplayMode desktop = DesktopMode(graphics, combo.AdapterOrdinal);
  const bool hwtl = HasHardwareTnL(combo);
  DeviceSettings out;
  PresentParameters& pp = out.pp;
  out.AdapterOrdinal = combo.AdapterOrdinal;
  out.DeviceType = combo.DeviceType;
  out.AdapterFormat = combo.AdapterFormat;
  pp.BackBufferFormat = combo.BackBufferFormat;
  pp.Windowed = combo.Windowed ? 1 : 0;

  // Vertex processing.
  constexpr uint32_t kHW = CREATE_HARDWARE_VERTEXPROCESSING, kSW = CREATE_SOFTWARE_VERTEXPROCESSING,
                     kMixed = CREATE_MIXED_VERTEXPROCESSING;
  if (o.eVertexProcessing == MT_PRESERVE_INPUT) {
    out.BehaviorFlags = in.BehaviorFlags;
  } else if (o.eVertexProcessing == MT_IGNORE_INPUT) {
    out.BehaviorFlags = hwtl ? kHW : kSW;
  } else {
    uint32_t flags = in.BehaviorFlags;
    if (!hwtl && (flags & (kHW | kMixed))) flags = (flags & ~(kHW | kMixed)) | kSW;
    if ((flags & (kHW | kMixed | kSW)) == 0) flags |= hwtl ? kHW : kSW;
    out.BehaviorFlags = flags;
  }

  // Resolution.
  if (o.eResolution == MT_PRESERVE_INPUT) {
    pp.BackBufferWidth = in.pp.BackBufferWidth;
    pp.BackBufferHeight = in.pp.BackBufferHeight;
  } else {
    uint32_t w, h;
    if (o.eResolution == MT_CLOSEST_TO_INPUT) {
      w = in.pp.BackBufferWidth;
      h = in.pp.BackBufferHeight;
    } else if (combo.Windowed) {
      w = 640;
      h = 480;
    } else {
      w = desktop.Width;
      h = desktop.Height;
    }
    if (!combo.Windowed) ClosestDisplayMode(adapter, combo.AdapterFormat, w, h);
    pp.BackBufferWidth = w;
    pp.BackBufferHeight = h;
  }

  // Back-buffer count.
  if (o.eBackBufferCount == MT_PRESERVE_INPUT)
    pp.BackBufferCount = in.pp.BackBufferCount;
  else if (o.eBackBufferCount == MT_IGNORE_INPUT)
    pp.BackBufferCount = 2;
  else
    pp.BackBufferCount = std::clamp<uint32_t>(in.pp.BackBufferCount, 1, 3);

  // Multisampling only goes with a discarding swap chain.
  pp.MultiSampleType = MULTISAMPLE_NONE;
  pp.MultiSampleQuality = 0;
  if (!haveInput || in.pp.SwapEffect == SWAPEFFECT_DISCARD) {
    if (o.eMultiSample == MT_PRESERVE_INPUT) {
      pp.MultiSampleType = in.pp.MultiSampleType;
      pp.MultiSampleQuality = in.pp.MultiSampleQuality;
    } else if (o.eMultiSample == MT_CLOSEST_TO_INPUT) {
      for (size_t i = 0; i < combo.multiSampleTypes.size(); ++i) {
        const uint32_t type = combo.multiSampleTypes[i];
        if (Distance(type, in.pp.MultiSampleType) < Distance(pp.MultiSampleType, in.pp.MultiSampleType)) {
          const uint32_t levels = combo.multiSampleQualities[i];
          pp.MultiSampleType = type;
          pp.MultiSampleQuality = std::min(levels > 0 ? levels - 1 : 0, in.pp.MultiSampleQuality);
        }
      }
    }
  }

  // Swap effect.
  if (o.eSwapEffect == MT_PRESERVE_INPUT)
    pp.SwapEffect = in.pp.SwapEffect;
  else if (o.eSwapEffect == MT_CLOSEST_TO_INPUT && in.pp.SwapEffect >= SWAPEFFECT_DISCARD &&
           in.pp.SwapEffect <= SWAPEFFECT_COPY)
    pp.SwapEffect = in.pp.SwapEffect;
  else
    pp.SwapEffect = SWAPEFFECT_DISCARD;

  // Depth-stencil: the lowest score wins, the first one on ties.
  const int64_t colourBits = ColorChannelBits(combo.BackBufferFormat);
  const int64_t inDepth = DepthBits(in.pp.AutoDepthStencilFormat);
  const int64_t inStencil = StencilBits(in.pp.AutoDepthStencilFormat);
  uint32_t bestDepthFormat = FMT_UNKNOWN;
  int64_t bestScore = 100000;
  for (uint32_t format : combo.depthStencilFormats) {
    const int64_t depth = DepthBits(format), stencil = StencilBits(format);
    int64_t score;
    if (o.eDepthFormat == MT_PRESERVE_INPUT)
      score = depth == inDepth ? 0 : 10000;
    else if (o.eDepthFormat == MT_IGNORE_INPUT)
      score = Distance(depth, 4 * colourBits);
    else
      score = Distance(depth, inDepth);
    if (o.eStencilFormat == MT_PRESERVE_INPUT)
      score += stencil == inStencil ? 0 : 10000;
    else if (o.eStencilFormat == MT_IGNORE_INPUT)
      score += stencil;
    else
      score += Distance(stencil, inStencil);
    if (score < bestScore) {
      bestDepthFormat = format;
      bestScore = score;
    }
  }
  const bool autoDepth = bestDepthFormat != FMT_UNKNOWN;
  pp.EnableAutoDepthStencil = autoDepth ? 1 : 0;
  pp.AutoDepthStencilFormat = bestDepthFormat;

  // Present flags.
  const uint32_t discardDepth = autoDepth ? uint32_t(PRESENTFLAG_DISCARD_DEPTHSTENCIL) : 0;
  if (o.ePresentFlags == MT_PRESERVE_INPUT)
    pp.Flags = in.pp.Flags;
  else if (o.ePresentFlags == MT_IGNORE_INPUT)
    pp.Flags = discardDepth;
  else
    pp.Flags = in.pp.Flags | discardDepth;

  // Refresh rate: only full screen has one.
  if (combo.Windowed) {
    pp.FullScreen_RefreshRateInHz = 0;
  } else if (o.eRefreshRate == MT_PRESERVE_INPUT) {
    pp.FullScreen_RefreshRateInHz = in.pp.FullScreen_RefreshRateInHz;
  } else {
    const uint32_t wanted = o.eRefreshRate == MT_CLOSEST_TO_INPUT ? in.pp.FullScreen_RefreshRateInHz : desktop.RefreshRate;
    uint32_t rate = 0;
    if (wanted != 0) {
      int64_t bestDistance = std::numeric_limits<int64_t>::max();
      for (const DisplayMode& m : adapter.displayModes) {
        if (m.Format != combo.AdapterFormat || m.Width != pp.BackBufferWidth || m.Height != pp.BackBufferHeight)
          continue;
        int64_t d = Distance(m.RefreshRate, wanted);
        if (d < bestDistance) {
          rate = m.RefreshRate;
          bestDistance = d;
          if (d == 0) break;
        }
      }
    }
    pp.FullScreen_RefreshRateInHz = rate;
  }

  // Present interval.
  const uint32_t defaultInterval = combo.Windowed ? PRESENT_INTERVAL_IMMEDIATE : PRESENT_INTERVAL_DEFAULT;
  if (o.ePresentInterval == MT_PRESERVE_INPUT)
    pp.PresentationInterval = in.pp.PresentationInterval;
  else if (o.ePresentInterval == MT_CLOSEST_TO_INPUT && Contains(combo.presentIntervals, in.pp.PresentationInterval))
    pp.PresentationInterval = in.pp.PresentationInterval;
  else
    pp.PresentationInterval = defaultInterval;

  pp.hDeviceWindow = combo.Windowed ? windowedWindow : fullScreenWindow;
  return out;
}

}  // namespace

uint32_t ColorChannelBits(uint32_t format) {
  switch (format) {
    case FMT_R8G8B8: case FMT_A8R8G8B8: case FMT_X8R8G8B8: case FMT_A8B8G8R8: return 8;
    case FMT_R5G6B5: case FMT_X1R5G5B5: case FMT_A1R5G5B5: return 5;
    case FMT_A4R4G4B4: case FMT_X4R4G4B4: return 4;
    case FMT_R3G3B2: case FMT_A8R3G3B2: return 2;
    case FMT_A2B10G10R10: case FMT_A2R10G10B10: return 10;
    case FMT_A16B16G16R16: return 16;
    default: return 0;
  }
}

uint32_t DepthBits(uint32_t format) {
  switch (format) {
    case FMT_D16: case FMT_D16_LOCKABLE: return 16;
    case FMT_D15S1: return 15;
    case FMT_D24S8: case FMT_D24X8: case FMT_D24X4S4: case FMT_D24FS8: return 24;
    case FMT_D32: case FMT_D32F_LOCKABLE: return 32;
    default: return 0;
  }
}

uint32_t StencilBits(uint32_t format) {
  switch (format) {
    case FMT_D15S1: return 1;
    case FMT_D24S8: case FMT_D24FS8: return 8;
    case FMT_D24X4S4: return 4;
    default: return 0;
  }
}

DeviceEnumeration::DeviceEnumeration()
    : depthStencilCandidates_{FMT_D16, FMT_D15S1, FMT_D24X8, FMT_D24S8, FMT_D24X4S4, FMT_D32},
      presentIntervalCandidates_{PRESENT_INTERVAL_IMMEDIATE, PRESENT_INTERVAL_DEFAULT, PRESENT_INTERVAL_ONE,
                                 PRESENT_INTERVAL_TWO,       PRESENT_INTERVAL_THREE,   PRESENT_INTERVAL_FOUR} {
  for (uint32_t type = 0; type <= 16; ++type) multiSampleCandidates_.push_back(type);
}

void DeviceEnumeration::SetResolutionMinMax(uint32_t minWidth, uint32_t minHeight, uint32_t maxWidth,
                                            uint32_t maxHeight) {
  minWidth_ = minWidth;
  minHeight_ = minHeight;
  maxWidth_ = maxWidth;
  maxHeight_ = maxHeight;
}

void DeviceEnumeration::SetRefreshMinMax(uint32_t minRate, uint32_t maxRate) {
  minRefresh_ = minRate;
  maxRefresh_ = maxRate;
}

Result DeviceEnumeration::Enumerate(IGraphicsSystem* graphics, AppCallbackIsDeviceAcceptable isDeviceAcceptable,
                                    void* userContext) {
  if (graphics == nullptr) graphics = AppGetD3DObject();
  adapters_.clear();
  graphics_ = graphics;
  isDeviceAcceptable_ = isDeviceAcceptable;
  userContext_ = userContext;
  if (graphics == nullptr) return APPERR_NODIRECT3D;

  const uint32_t adapterCount = graphics->GetAdapterCount();
  for (uint32_t ordinal = 0; ordinal < adapterCount; ++ordinal) {
    auto adapter = std::make_unique<EnumAdapterInfo>();
    adapter->AdapterOrdinal = ordinal;
    graphics->GetAdapterIdentifier(ordinal, adapter->identifier);

    for (uint32_t format : kAdapterFormats) {
      const uint32_t modeCount = graphics->GetAdapterModeCount(ordinal, format);
      for (uint32_t i = 0; i < modeCount; ++i) {
        DisplayMode mode;
        if (Failed(graphics->EnumAdapterModes(ordinal, format, i, mode))) continue;
        if (mode.Width < minWidth_ || mode.Width > maxWidth_ || mode.Height < minHeight_ ||
            mode.Height > maxHeight_ || mode.RefreshRate < minRefresh_ || mode.RefreshRate > maxRefresh_)
          continue;
        adapter->displayModes.push_back(mode);
        if (!Contains(adapter->adapterFormats, mode.Format)) adapter->adapterFormats.push_back(mode.Format);
      }
    }
    DisplayMode desktop;
    if (Succeeded(graphics->GetAdapterDisplayMode(ordinal, desktop)) && desktop.Format != FMT_UNKNOWN &&
        !Contains(adapter->adapterFormats, desktop.Format))
      adapter->adapterFormats.push_back(desktop.Format);
    std::sort(adapter->displayModes.begin(), adapter->displayModes.end(),
              [](const DisplayMode& a, const DisplayMode& b) {
                if (a.Width != b.Width) return a.Width < b.Width;
                if (a.Height != b.Height) return a.Height < b.Height;
                if (a.Format != b.Format) return a.Format < b.Format;
                return a.RefreshRate < b.RefreshRate;
              });

    EnumerateDevices(*adapter);
    if (!adapter->devices.empty()) adapters_.push_back(std::move(adapter));
  }
  return S_OK;
}

void DeviceEnumeration::EnumerateDevices(EnumAdapterInfo& adapter) {
  for (uint32_t type : kDeviceTypes) {
    auto device = std::make_unique<EnumDeviceInfo>();
    device->AdapterOrdinal = adapter.AdapterOrdinal;
    device->DeviceType = type;
    if (Failed(graphics_->GetDeviceCaps(adapter.AdapterOrdinal, type, device->caps))) continue;
    EnumerateDeviceCombos(adapter, *device);
    if (!device->combos.empty()) adapter.devices.push_back(std::move(device));
  }
}

void DeviceEnumeration::EnumerateDeviceCombos(EnumAdapterInfo& adapter, EnumDeviceInfo& device) {
  const uint32_t ordinal = adapter.AdapterOrdinal;
  for (uint32_t adapterFormat : adapter.adapterFormats) {
    for (uint32_t backBufferFormat : kBackBufferFormats) {
      for (bool windowed : {false, true}) {
        if (!windowed && adapter.displayModes.empty()) continue;
        if (Failed(graphics_->CheckDeviceType(ordinal, device.DeviceType, adapterFormat, backBufferFormat, windowed)))
          continue;
        if (requirePostPixelShaderBlending_ &&
            Failed(graphics_->CheckDeviceFormat(ordinal, device.DeviceType, adapterFormat,
                                                USAGE_QUERY_POSTPIXELSHADER_BLENDING, RTYPE_TEXTURE,
                                                backBufferFormat)))
          continue;
        if (isDeviceAcceptable_ &&
            !isDeviceAcceptable_(&device.caps, adapterFormat, backBufferFormat, windowed, userContext_))
          continue;

        auto combo = std::make_unique<EnumDeviceSettingsCombo>();
        combo->AdapterOrdinal = ordinal;
        combo->DeviceType = device.DeviceType;
        combo->AdapterFormat = adapterFormat;
        combo->BackBufferFormat = backBufferFormat;
        combo->Windowed = windowed;
        combo->adapterInfo = &adapter;
        combo->deviceInfo = &device;
        BuildDepthStencilFormatList(*combo);
        BuildMultiSampleTypeList(*combo);
        if (combo->multiSampleTypes.empty()) continue;
        BuildPresentIntervalList(device, *combo);
        device.combos.push_back(std::move(combo));
      }
    }
  }
}

void DeviceEnumeration::BuildDepthStencilFormatList(EnumDeviceSettingsCombo& combo) const {
  for (uint32_t format : depthStencilCandidates_) {
    if (Succeeded(graphics_->CheckDeviceFormat(combo.AdapterOrdinal, combo.DeviceType, combo.AdapterFormat,
                                               USAGE_DEPTHSTENCIL, RTYPE_SURFACE, format)) &&
        Succeeded(graphics_->CheckDepthStencilMatch(combo.AdapterOrdinal, combo.DeviceType, combo.AdapterFormat,
                                                    combo.BackBufferFormat, format)))
      combo.depthStencilFormats.push_back(format);
  }
}

void DeviceEnumeration::BuildMultiSampleTypeList(EnumDeviceSettingsCombo& combo) const {
  // The cap plus one, without wrapping when the cap is the largest value.
  const uint32_t maxLevels = multisampleQualityMax_ == std::numeric_limits<uint32_t>::max()
                                 ? multisampleQualityMax_
                                 : multisampleQualityMax_ + 1;
  for (uint32_t type : multiSampleCandidates_) {
    uint32_t levels = 0;
    if (Succeeded(graphics_->CheckDeviceMultiSampleType(combo.AdapterOrdinal, combo.DeviceType,
                                                        combo.BackBufferFormat, combo.Windowed, type, &levels))) {
      combo.multiSampleTypes.push_back(type);
      combo.multiSampleQualities.push_back(std::min(levels, maxLevels));
    }
  }
}

void DeviceEnumeration::BuildPresentIntervalList(const EnumDeviceInfo& device, EnumDeviceSettingsCombo& combo) const {
  for (uint32_t interval : presentIntervalCandidates_) {
    // Waiting for several vertical blanks is a full-screen-only feature.
    if (combo.Windowed && (interval == PRESENT_INTERVAL_TWO || interval == PRESENT_INTERVAL_THREE ||
                           interval == PRESENT_INTERVAL_FOUR))
      continue;
    if (interval == PRESENT_INTERVAL_DEFAULT || (device.caps.PresentationIntervals & interval))
      combo.presentIntervals.push_back(interval);
  }
}

const EnumAdapterInfo* DeviceEnumeration::GetAdapterInfo(uint32_t adapterOrdinal) const {
  for (const auto& a : adapters_)
    if (a->AdapterOrdinal == adapterOrdinal) return a.get();
  return nullptr;
}

const EnumDeviceInfo* DeviceEnumeration::GetDeviceInfo(uint32_t adapterOrdinal, uint32_t deviceType) const {
  const EnumAdapterInfo* adapter = GetAdapterInfo(adapterOrdinal);
  if (!adapter) return nullptr;
  for (const auto& d : adapter->devices)
    if (d->DeviceType == deviceType) return d.get();
  return nullptr;
}

const EnumDeviceSettingsCombo* DeviceEnumeration::GetDeviceSettingsCombo(uint32_t adapterOrdinal, uint32_t deviceType,
                                                                         uint32_t adapterFormat,
                                                                         uint32_t backBufferFormat,
                                                                         bool windowed) const {
  const EnumDeviceInfo* device = GetDeviceInfo(adapterOrdinal, deviceType);
  if (!device) return nullptr;
  for (const auto& c : device->combos)
    if (c->AdapterFormat == adapterFormat && c->BackBufferFormat == backBufferFormat && c->Windowed == windowed)
      return c.get();
  return nullptr;
}

Result DeviceEnumeration::FindValidDeviceSettings(DeviceSettings& out, const DeviceSettings* in,
                                                  const MatchOptions& options, WindowHandle windowedWindow,
                                                  WindowHandle fullScreenWindow) const {
  // Without an input there is nothing to preserve or come close to.
  const DeviceSettings input = in ? *in : DeviceSettings{};
  const MatchOptions o = in ? options : MatchOptions{};
  const DeviceSettings optimal = BuildOptimalSettings(graphics_, input, o);

  const EnumDeviceSettingsCombo* best = nullptr;
  float bestRank = -1.0f;
  for (const auto& adapter : adapters_) {
    const DisplayMode desktop = DesktopMode(graphics_, adapter->AdapterOrdinal);
    for (const auto& device : adapter->devices) {
      for (const auto& combo : device->combos) {
        // A window shares the desktop, so it must use the desktop's format.
        if (combo->Windowed && combo->AdapterFormat != desktop.Format) continue;
        if (!MatchesPreserveOptions(*combo, input, o)) continue;
        const float rank = RankCombo(*combo, optimal, desktop);
        if (rank > bestRank) {
          best = combo.get();
          bestRank = rank;
        }
      }
    }
  }
  if (!best) return APPERR_NOCOMPATIBLEDEVICES;
  out = BuildValidSettings(graphics_, *best, input, o, in != nullptr, windowedWindow, fullScreenWindow);
  return S_OK;
}

// ---- The framework's enumeration object ----

namespace {
std::unique_ptr<DeviceEnumeration>& EnumerationSlot() { return GetAppState().EnumerationSlot(); }
}  // namespace

DeviceEnumeration* AppPrepareEnumerationObject(bool enumerate) {
  std::unique_ptr<DeviceEnumeration>& slot = EnumerationSlot();
  if (!slot) {
    slot = std::make_unique<DeviceEnumeration>();
    enumerate = true;
  }
  if (enumerate) {
    FrameworkState& s = GetAppState();
    slot->Enumerate(s.GetD3D(), s.GetIsDeviceAcceptableFunc(), s.GetIsDeviceAcceptableFuncUserContext());
  }
  return slot.get();
}

void AppReleaseEnumerationObject() { EnumerationSlot().reset(); }

Result AppFindValidDeviceSettings(DeviceSettings* out, const DeviceSettings* in, const MatchOptions* options) {
  if (out == nullptr) return APP_ERR_MSGBOX(L"AppFindValidDeviceSettings", E_INVALIDARG);
  const MatchOptions none;
  FrameworkState& s = GetAppState();
  const DeviceEnumeration* enumeration = AppPrepareEnumerationObject(false);
  return enumeration->FindValidDeviceSettings(*out, in, options ? *options : none, s.GetHWNDDeviceWindowed(),
                                              s.GetHWNDDeviceFullScreen());
}
