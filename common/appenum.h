#pragma once
// Device enumeration and selection: every usable combination of adapter, device type, adapter
// format, back-buffer format and windowed/full-screen mode, and the choice of complete device
// settings from requested ones and match options.
#include <cstdint>
#include <memory>
#include <vector>

#include "common/app.h"
#include "platform/graphics/graphics.h"

// How a requested field is treated when settings are chosen.
enum MatchType : uint32_t {
  MT_IGNORE_INPUT = 0,    // use the framework's default
  MT_PRESERVE_INPUT = 1,  // the result must carry the requested value
  MT_CLOSEST_TO_INPUT = 2 // as near to the requested value as available
};

struct MatchOptions {
  MatchType eAdapterOrdinal = MT_IGNORE_INPUT;
  MatchType eDeviceType = MT_IGNORE_INPUT;
  MatchType eWindowed = MT_IGNORE_INPUT;
  MatchType eAdapterFormat = MT_IGNORE_INPUT;
  MatchType eVertexProcessing = MT_IGNORE_INPUT;
  MatchType eResolution = MT_IGNORE_INPUT;
  MatchType eBackBufferFormat = MT_IGNORE_INPUT;
  MatchType eBackBufferCount = MT_IGNORE_INPUT;
  MatchType eMultiSample = MT_IGNORE_INPUT;
  MatchType eSwapEffect = MT_IGNORE_INPUT;
  MatchType eDepthFormat = MT_IGNORE_INPUT;
  MatchType eStencilFormat = MT_IGNORE_INPUT;
  MatchType ePresentFlags = MT_IGNORE_INPUT;
  MatchType eRefreshRate = MT_IGNORE_INPUT;
  MatchType ePresentInterval = MT_IGNORE_INPUT;
};

struct EnumAdapterInfo;
struct EnumDeviceInfo;

// One usable combination of an adapter and device type.
struct EnumDeviceSettingsCombo {
  uint32_t AdapterOrdinal = 0;
  uint32_t DeviceType = 0;
  uint32_t AdapterFormat = 0;
  uint32_t BackBufferFormat = 0;
  bool Windowed = false;
  std::vector<uint32_t> depthStencilFormats;
  std::vector<uint32_t> multiSampleTypes;
  std::vector<uint32_t> multiSampleQualities;  // quality levels per type, same order
  std::vector<uint32_t> presentIntervals;
  const EnumAdapterInfo* adapterInfo = nullptr;  // owner links, valid while the enumeration lives
  const EnumDeviceInfo* deviceInfo = nullptr;
};

struct EnumDeviceInfo {
  uint32_t AdapterOrdinal = 0;
  uint32_t DeviceType = 0;
  plat::Caps caps;
  std::vector<std::unique_ptr<EnumDeviceSettingsCombo>> combos;
};

struct EnumAdapterInfo {
  uint32_t AdapterOrdinal = 0;
  plat::AdapterIdentifier identifier;
  std::vector<plat::DisplayMode> displayModes;  // by width, height, format, refresh rate
  std::vector<uint32_t> adapterFormats;         // formats noted while listing modes, desktop last
  std::vector<std::unique_ptr<EnumDeviceInfo>> devices;
};

class DeviceEnumeration {
 public:
  // Lists everything `graphics` offers (the framework's graphics system when null), asking
  // `isDeviceAcceptable` about each combination. APPERR_NODIRECT3D without a graphics system.
  Result Enumerate(plat::IGraphicsSystem* graphics = nullptr,
                   AppCallbackIsDeviceAcceptable isDeviceAcceptable = nullptr, void* userContext = nullptr);

  // Limits and candidates (defaults: no limits, blending required, the usual candidate lists).
  void SetRequirePostPixelShaderBlending(bool require) { requirePostPixelShaderBlending_ = require; }
  void SetResolutionMinMax(uint32_t minWidth, uint32_t minHeight, uint32_t maxWidth, uint32_t maxHeight);
  void SetRefreshMinMax(uint32_t minRate, uint32_t maxRate);
  void SetMultisampleQualityMax(uint32_t max) { multisampleQualityMax_ = max; }
  std::vector<uint32_t>& PossibleDepthStencilFormats() { return depthStencilCandidates_; }
  std::vector<uint32_t>& PossibleMultisampleTypes() { return multiSampleCandidates_; }
  std::vector<uint32_t>& PossiblePresentIntervals() { return presentIntervalCandidates_; }

  // Lookups; null when absent.
  const std::vector<std::unique_ptr<EnumAdapterInfo>>& Adapters() const { return adapters_; }
  const EnumAdapterInfo* GetAdapterInfo(uint32_t adapterOrdinal) const;
  const EnumDeviceInfo* GetDeviceInfo(uint32_t adapterOrdinal, uint32_t deviceType) const;
  const EnumDeviceSettingsCombo* GetDeviceSettingsCombo(uint32_t adapterOrdinal, uint32_t deviceType,
                                                        uint32_t adapterFormat, uint32_t backBufferFormat,
                                                        bool windowed) const;
  const EnumDeviceSettingsCombo* GetDeviceSettingsCombo(const DeviceSettings& s) const {
    return GetDeviceSettingsCombo(s.AdapterOrdinal, s.DeviceType, s.AdapterFormat, s.pp.BackBufferFormat,
                                  s.pp.Windowed != 0);
  }
  plat::IGraphicsSystem* Graphics() const { return graphics_; }

  // Chooses complete settings for `in` (all options ignore when null) from the enumerated
  // combinations; `out` is written only on success and may be `in`. The device window of the
  // result is the windowed or the full-screen one, as the chosen combination is.
  Result FindValidDeviceSettings(DeviceSettings& out, const DeviceSettings* in, const MatchOptions& options,
                                 plat::WindowHandle windowedWindow = nullptr,
                                 plat::WindowHandle fullScreenWindow = nullptr) const;

 private:
  void EnumerateDevices(EnumAdapterInfo& adapter);
  void EnumerateDeviceCombos(EnumAdapterInfo& adapter, EnumDeviceInfo& device);
  void BuildDepthStencilFormatList(EnumDeviceSettingsCombo& combo) const;
  void BuildMultiSampleTypeList(EnumDeviceSettingsCombo& combo) const;
  void BuildPresentIntervalList(const EnumDeviceInfo& device, EnumDeviceSettingsCombo& combo) const;

  plat::IGraphicsSystem* graphics_ = nullptr;
  AppCallbackIsDeviceAcceptable isDeviceAcceptable_ = nullptr;
  void* userContext_ = nullptr;
  bool requirePostPixelShaderBlending_ = true;
  uint32_t minWidth_ = 0, maxWidth_ = 0xFFFFFFFF, minHeight_ = 0, maxHeight_ = 0xFFFFFFFF;
  uint32_t minRefresh_ = 0, maxRefresh_ = 0xFFFFFFFF;
  uint32_t multisampleQualityMax_ = 0xFFFF;
  std::vector<uint32_t> depthStencilCandidates_;
  std::vector<uint32_t> multiSampleCandidates_;
  std::vector<uint32_t> presentIntervalCandidates_;
  std::vector<std::unique_ptr<EnumAdapterInfo>> adapters_;

 public:
  DeviceEnumeration();
};

// The adapter's display mode in `format` nearest to width x height (the least sum of the width and
// height differences; the first of equals), written back; false, and unchanged, when it has none.
bool ClosestDisplayMode(const EnumAdapterInfo& adapter, uint32_t format, uint32_t& width, uint32_t& height);

// Colour bits per channel of a back-buffer or display format (0 when not a colour format).
uint32_t ColorChannelBits(uint32_t format);
uint32_t DepthBits(uint32_t format);
uint32_t StencilBits(uint32_t format);

// The process-wide enumeration object: created on first use, and enumerated with the framework's
// graphics system and registered is-device-acceptable callback when `enumerate` is true or when it
// was just created.
DeviceEnumeration* AppPrepareEnumerationObject(bool enumerate = false);
// Forgets the enumeration object (shutdown).
void AppReleaseEnumerationObject();

// Chooses valid settings for `in` under `options` (all ignore when null) from the enumeration
// object. E_INVALIDARG without `out`; APPERR_NOCOMPATIBLEDEVICES when nothing fits.
Result AppFindValidDeviceSettings(DeviceSettings* out, const DeviceSettings* in, const MatchOptions* options);
