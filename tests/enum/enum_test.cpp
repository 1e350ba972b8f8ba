#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "common/appenum.h"
#include "tests/fakes/fake_graphics.h"

namespace {

using namespace plat;

plat::WindowHandle kWindowed = reinterpret_cast<plat::WindowHandle>(uintptr_t(0x1000));
plat::WindowHandle kFullScreen = reinterpret_cast<plat::WindowHandle>(uintptr_t(0x2000));

// The game's rule: the back buffer must be blendable after the pixel shader. The context is the
// graphics system to ask.
bool GameIsDeviceAcceptable(const Caps* caps, uint32_t adapterFormat, uint32_t backBufferFormat, bool, void* ctx) {
  auto* graphics = static_cast<IGraphicsSystem*>(ctx);
  return Succeeded(graphics->CheckDeviceFormat(caps->AdapterOrdinal, caps->DeviceType, adapterFormat,
                                               USAGE_QUERY_POSTPIXELSHADER_BLENDING, RTYPE_TEXTURE,
                                               backBufferFormat));
}
bool RejectAll(const Caps*, uint32_t, uint32_t, bool, void*) { return false; }

DeviceSettings StartupRequest() {
  DeviceSettings s;
  s.AdapterOrdinal = 0;
  s.pp.Windowed = 1;
  s.pp.BackBufferWidth = 640;
  s.pp.BackBufferHeight = 480;
  return s;
}
MatchOptions StartupOptions() {
  MatchOptions o;
  o.eAdapterOrdinal = MT_PRESERVE_INPUT;
  o.eWindowed = MT_PRESERVE_INPUT;
  o.eResolution = MT_CLOSEST_TO_INPUT;
  return o;
}

struct Fixture : ::testing::Test {
  fake::FakeGraphicsSystem graphics;
  DeviceEnumeration enumeration;

  void Enumerate(AppCallbackIsDeviceAcceptable cb = GameIsDeviceAcceptable) {
    ASSERT_EQ(enumeration.Enumerate(&graphics, cb, &graphics), S_OK);
  }
  Result Find(DeviceSettings& out, const DeviceSettings& in, const MatchOptions& o) {
    return enumeration.FindValidDeviceSettings(out, &in, o, kWindowed, kFullScreen);
  }
  DeviceSettings FindOk(const DeviceSettings& in, const MatchOptions& o) {
    DeviceSettings out;
    EXPECT_EQ(Find(out, in, o), S_OK);
    return out;
  }
  std::vector<uint32_t> DeviceTypes(uint32_t adapter = 0) {
    std::vector<uint32_t> types;
    if (auto* a = enumeration.GetAdapterInfo(adapter))
      for (auto& d : a->devices) types.push_back(d->DeviceType);
    return types;
  }
};

using Enumeration = Fixture;
using Selection = Fixture;

TEST_F(Enumeration, ListsModesFormatsDevicesAndCombinations) {
  graphics.caps[DEVTYPE_SW] = fake::FullCaps(DEVTYPE_SW);
  Enumerate(nullptr);

  ASSERT_EQ(enumeration.Adapters().size(), 1u);
  const EnumAdapterInfo* adapter = enumeration.GetAdapterInfo(0);
  ASSERT_NE(adapter, nullptr);
  EXPECT_EQ(adapter->identifier.Description, "Fake Display Adapter");
  EXPECT_EQ(adapter->adapterFormats, (std::vector<uint32_t>{FMT_X8R8G8B8, FMT_R5G6B5}));
  EXPECT_EQ(adapter->displayModes.size(), 14u);
  EXPECT_TRUE(std::is_sorted(adapter->displayModes.begin(), adapter->displayModes.end(),
                             [](const DisplayMode& a, const DisplayMode& b) {
                               return std::tie(a.Width, a.Height, a.Format, a.RefreshRate) <
                                      std::tie(b.Width, b.Height, b.Format, b.RefreshRate);
                             }));
  EXPECT_EQ(DeviceTypes(), (std::vector<uint32_t>{DEVTYPE_HAL, DEVTYPE_SW, DEVTYPE_REF}));

  // Per device type: adapter formats, then back-buffer formats in their order, full screen first.
  const EnumDeviceInfo* hal = enumeration.GetDeviceInfo(0, DEVTYPE_HAL);
  ASSERT_NE(hal, nullptr);
  std::vector<std::tuple<uint32_t, uint32_t, bool>> combos;
  for (auto& c : hal->combos) combos.emplace_back(c->AdapterFormat, c->BackBufferFormat, c->Windowed);
  EXPECT_EQ(combos, (std::vector<std::tuple<uint32_t, uint32_t, bool>>{
                        {FMT_X8R8G8B8, FMT_A8R8G8B8, false}, {FMT_X8R8G8B8, FMT_A8R8G8B8, true},
                        {FMT_X8R8G8B8, FMT_X8R8G8B8, false}, {FMT_X8R8G8B8, FMT_X8R8G8B8, true},
                        {FMT_R5G6B5, FMT_R5G6B5, false},     {FMT_R5G6B5, FMT_R5G6B5, true}}));

  const EnumDeviceSettingsCombo* windowed =
      enumeration.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_X8R8G8B8, FMT_X8R8G8B8, true);
  const EnumDeviceSettingsCombo* full =
      enumeration.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_X8R8G8B8, FMT_X8R8G8B8, false);
  ASSERT_TRUE(windowed && full);
  EXPECT_EQ(windowed->adapterInfo, adapter);
  EXPECT_EQ(windowed->deviceInfo, hal);
  EXPECT_EQ(windowed->depthStencilFormats, (std::vector<uint32_t>{FMT_D16, FMT_D24X8, FMT_D24S8, FMT_D32}));
  EXPECT_EQ(windowed->multiSampleTypes, std::vector<uint32_t>{MULTISAMPLE_NONE});
  EXPECT_EQ(windowed->multiSampleQualities, std::vector<uint32_t>{1});
  // Several vertical blanks per frame are offered in full screen only.
  EXPECT_EQ(windowed->presentIntervals,
            (std::vector<uint32_t>{PRESENT_INTERVAL_IMMEDIATE, PRESENT_INTERVAL_DEFAULT, PRESENT_INTERVAL_ONE}));
  EXPECT_EQ(full->presentIntervals,
            (std::vector<uint32_t>{PRESENT_INTERVAL_IMMEDIATE, PRESENT_INTERVAL_DEFAULT, PRESENT_INTERVAL_ONE,
                                   PRESENT_INTERVAL_TWO, PRESENT_INTERVAL_THREE, PRESENT_INTERVAL_FOUR}));
  EXPECT_EQ(enumeration.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_R5G6B5, FMT_X8R8G8B8, true), nullptr);
  EXPECT_EQ(enumeration.GetDeviceInfo(1, DEVTYPE_HAL), nullptr);
}

TEST_F(Enumeration, ChecksFilterCombinations) {
  graphics.blendableFormats.erase(FMT_A8R8G8B8);      // not blendable: dropped
  graphics.depthMismatches.insert({FMT_R5G6B5, FMT_D32});
  graphics.caps[DEVTYPE_HAL].PresentationIntervals = PRESENT_INTERVAL_IMMEDIATE | PRESENT_INTERVAL_TWO;
  graphics.multiSampleLevels = {{MULTISAMPLE_NONE, 1}, {2, 8}, {4, 0x20000}};
  Enumerate(nullptr);
  EXPECT_EQ(enumeration.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_X8R8G8B8, FMT_A8R8G8B8, true), nullptr);
  auto* c16 = enumeration.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_R5G6B5, FMT_R5G6B5, false);
  ASSERT_NE(c16, nullptr);
  EXPECT_EQ(c16->depthStencilFormats, (std::vector<uint32_t>{FMT_D16, FMT_D24X8, FMT_D24S8}));
  EXPECT_EQ(c16->presentIntervals,
            (std::vector<uint32_t>{PRESENT_INTERVAL_IMMEDIATE, PRESENT_INTERVAL_DEFAULT, PRESENT_INTERVAL_TWO}));
  EXPECT_EQ(c16->multiSampleTypes, (std::vector<uint32_t>{0, 2, 4}));
  EXPECT_EQ(c16->multiSampleQualities, (std::vector<uint32_t>{1, 8, 0x10000}));  // capped at max + 1

}

TEST_F(Enumeration, ModeLimitsDesktopFormatAndEmptyAdapters) {
  // A second adapter whose desktop is in a format no mode lists, and with no modes at all.
  fake::FakeAdapter bare;
  bare.desktop = {1280, 1024, 60, FMT_X1R5G5B5};
  graphics.adapters.push_back(bare);

  enumeration.SetResolutionMinMax(800, 600, 1280, 1024);
  enumeration.SetRefreshMinMax(0, 60);
  Enumerate();
  const EnumAdapterInfo* first = enumeration.GetAdapterInfo(0);
  ASSERT_NE(first, nullptr);
  for (const DisplayMode& m : first->displayModes) {
    EXPECT_TRUE(m.Width >= 800 && m.Width <= 1280 && m.Height >= 600 && m.Height <= 1024);
    EXPECT_EQ(m.RefreshRate, 60u);
  }
  EXPECT_EQ(first->displayModes.size(), 8u);

  const EnumAdapterInfo* second = enumeration.GetAdapterInfo(1);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->adapterFormats, std::vector<uint32_t>{FMT_X1R5G5B5});
  // No display modes: windowed combinations only.
  for (auto& c : second->devices[0]->combos) EXPECT_TRUE(c->Windowed);
  EXPECT_EQ(second->devices[0]->combos.size(), 2u);  // A1R5G5B5 and X1R5G5B5 back buffers

  EXPECT_EQ(enumeration.Adapters().size(), 2u);
}

TEST_F(Selection, GameStartupRequest) {
  Enumerate();
  DeviceSettings in = StartupRequest();
  DeviceSettings out = FindOk(in, StartupOptions());
  EXPECT_EQ(out.DeviceType, uint32_t(DEVTYPE_HAL));
  EXPECT_EQ(out.BehaviorFlags, uint32_t(CREATE_HARDWARE_VERTEXPROCESSING));
  EXPECT_EQ(out.pp.BackBufferCount, 2u);
  EXPECT_EQ(out.pp.AutoDepthStencilFormat, uint32_t(FMT_D32));  // 32 bits for 8 bits a channel, no stencil
  EXPECT_EQ(out.pp.Flags, uint32_t(PRESENTFLAG_DISCARD_DEPTHSTENCIL));
  EXPECT_EQ(out.pp.hDeviceWindow, kWindowed);

  // The same on a device without hardware transform and lighting, and without a hardware device.
  graphics.caps[DEVTYPE_HAL].DevCaps = 0;
  Enumerate();
  EXPECT_EQ(FindOk(in, StartupOptions()).BehaviorFlags, uint32_t(CREATE_SOFTWARE_VERTEXPROCESSING));
  graphics.caps.erase(DEVTYPE_HAL);
  Enumerate();
  EXPECT_EQ(FindOk(in, StartupOptions()).DeviceType, uint32_t(DEVTYPE_REF));
}

TEST_F(Selection, DepthStencilIsChosenByScoreNotOrder) {
  graphics.depthFormats = {FMT_D24S8, FMT_D24X8, FMT_D15S1};
  Enumerate();
  // Listed D15S1, D24X8, D24S8: for 32 bits wanted D24X8 is nearest, and D24S8's stencil costs it.
  EXPECT_EQ(FindOk(StartupRequest(), StartupOptions()).pp.AutoDepthStencilFormat, uint32_t(FMT_D24X8));

  // Closest to an asked D24S8: exact match.
  DeviceSettings in = StartupRequest();
  in.pp.AutoDepthStencilFormat = FMT_D24S8;
  MatchOptions o = StartupOptions();
  o.eDepthFormat = MT_CLOSEST_TO_INPUT;
  o.eStencilFormat = MT_CLOSEST_TO_INPUT;
  EXPECT_EQ(FindOk(in, o).pp.AutoDepthStencilFormat, uint32_t(FMT_D24S8));

  // No depth formats at all: no automatic depth buffer, and no discard flag.
  graphics.depthFormats.clear();
  Enumerate();
  DeviceSettings none = FindOk(StartupRequest(), StartupOptions());
  EXPECT_EQ(none.pp.EnableAutoDepthStencil, 0);
  EXPECT_EQ(none.pp.AutoDepthStencilFormat, uint32_t(FMT_UNKNOWN));
  EXPECT_EQ(none.pp.Flags, 0u);
}

TEST_F(Selection, NothingAcceptable) {
  Enumerate(RejectAll);
  EXPECT_TRUE(enumeration.Adapters().empty());
  DeviceSettings out = StartupRequest();
  out.pp.BackBufferCount = 77;  // untouched on failure
  EXPECT_EQ(Find(out, StartupRequest(), StartupOptions()), APPERR_NOCOMPATIBLEDEVICES);
  EXPECT_EQ(out.pp.BackBufferCount, 77u);
}

TEST_F(Selection, WindowedNeedsABackBufferForTheDesktopFormat) {
  // A 10-bit desktop: the device can use it full screen only, and no window fits it.
  graphics.adapters[0].desktop.Format = FMT_A2R10G10B10;
  Enumerate();
  DeviceSettings out;
  EXPECT_EQ(Find(out, StartupRequest(), StartupOptions()), APPERR_NOCOMPATIBLEDEVICES);
  // Full screen still works, in a format the adapter offers.
  DeviceSettings in = StartupRequest();
  in.pp.Windowed = 0;
  out = FindOk(in, StartupOptions());
  EXPECT_EQ(out.pp.Windowed, 0);
  EXPECT_EQ(out.AdapterFormat, uint32_t(FMT_X8R8G8B8));
  EXPECT_EQ(out.pp.hDeviceWindow, kFullScreen);
}

TEST_F(Selection, FullScreenResolutionAndRefreshRate) {
  Enumerate();
  DeviceSettings in = StartupRequest();
  in.pp.Windowed = 0;
  MatchOptions o;
  o.eWindowed = MT_PRESERVE_INPUT;

  // Resolution and rate ignored: the desktop's.
  DeviceSettings out = FindOk(in, o);
  EXPECT_EQ(out.pp.BackBufferWidth, 1920u);
  EXPECT_EQ(out.pp.BackBufferHeight, 1080u);
  EXPECT_EQ(out.pp.FullScreen_RefreshRateInHz, 60u);
  EXPECT_EQ(out.pp.PresentationInterval, uint32_t(PRESENT_INTERVAL_DEFAULT));
  EXPECT_EQ(out.AdapterFormat, uint32_t(FMT_X8R8G8B8));
  graphics.adapters[0].desktop.RefreshRate = 75;
  EXPECT_EQ(FindOk(in, o).pp.FullScreen_RefreshRateInHz, 75u);

  // Closest: the nearest mode by width plus height difference, then the nearest rate there.
  o.eResolution = MT_CLOSEST_TO_INPUT;
  o.eRefreshRate = MT_CLOSEST_TO_INPUT;
  in.pp.BackBufferWidth = 1000;
  in.pp.BackBufferHeight = 700;
  in.pp.FullScreen_RefreshRateInHz = 70;
  out = FindOk(in, o);
  EXPECT_EQ(out.pp.BackBufferWidth, 1024u);
  EXPECT_EQ(out.pp.BackBufferHeight, 768u);
  EXPECT_EQ(out.pp.FullScreen_RefreshRateInHz, 60u);  // the only rate at 1024x768
  in.pp.BackBufferWidth = 1900;
  in.pp.BackBufferHeight = 1100;
  EXPECT_EQ(FindOk(in, o).pp.FullScreen_RefreshRateInHz, 75u);
  // A rate of 0 lets the display choose.
  in.pp.FullScreen_RefreshRateInHz = 0;
  EXPECT_EQ(FindOk(in, o).pp.FullScreen_RefreshRateInHz, 0u);
}

TEST_F(Selection, MultisampleCountSwapEffectAndFlags) {
  graphics.multiSampleLevels = {{MULTISAMPLE_NONE, 1}, {2, 4}, {4, 2}};
  Enumerate();
  DeviceSettings in = StartupRequest();
  MatchOptions o = StartupOptions();
  o.eMultiSample = MT_CLOSEST_TO_INPUT;
  o.eBackBufferCount = MT_CLOSEST_TO_INPUT;
  o.eSwapEffect = MT_CLOSEST_TO_INPUT;
  o.ePresentFlags = MT_CLOSEST_TO_INPUT;
  in.pp.MultiSampleType = 3;  // 2 and 4 are equally near: the first stays
  in.pp.MultiSampleQuality = 5;
  in.pp.SwapEffect = SWAPEFFECT_DISCARD;
  in.pp.BackBufferCount = 7;
  in.pp.Flags = 1;
  DeviceSettings out = FindOk(in, o);
  EXPECT_EQ(out.pp.MultiSampleType, 2u);
  EXPECT_EQ(out.pp.MultiSampleQuality, 3u);  // levels - 1
  EXPECT_EQ(out.pp.BackBufferCount, 3u);
  EXPECT_EQ(out.pp.SwapEffect, uint32_t(SWAPEFFECT_DISCARD));
  EXPECT_EQ(out.pp.Flags, 1u | PRESENTFLAG_DISCARD_DEPTHSTENCIL);

  // Multisampling needs a discarding swap chain; odd swap effects fall back to discard.
  in.pp.SwapEffect = SWAPEFFECT_COPY;
  in.pp.BackBufferCount = 0;
  out = FindOk(in, o);
  EXPECT_EQ(out.pp.MultiSampleType, 0u);
  EXPECT_EQ(out.pp.SwapEffect, uint32_t(SWAPEFFECT_COPY));
  EXPECT_EQ(out.pp.BackBufferCount, 1u);
  in.pp.SwapEffect = 9;
  EXPECT_EQ(FindOk(in, o).pp.SwapEffect, uint32_t(SWAPEFFECT_DISCARD));

}

}  // namespace
