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
  struct Seen { uint32_t type, af, bb; bool windowed; };
  static std::vector<Seen> seen;
  seen.clear();
  auto record = [](const Caps* caps, uint32_t af, uint32_t bb, bool windowed, void*) {
    seen.push_back({caps->DeviceType, af, bb, windowed});
    return true;
  };
  Enumerate(record);

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
  ASSERT_EQ(seen.size(), 18u);  // six combinations for each of three device types, all asked in order
  EXPECT_EQ(seen[0].type, uint32_t(DEVTYPE_HAL));
  EXPECT_EQ(seen[6].type, uint32_t(DEVTYPE_SW));
  EXPECT_EQ(seen[12].type, uint32_t(DEVTYPE_REF));

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

  // Without blending required the back buffer may be anything the device type accepts.
  DeviceEnumeration loose;
  loose.SetRequirePostPixelShaderBlending(false);
  loose.SetMultisampleQualityMax(2);
  ASSERT_EQ(loose.Enumerate(&graphics, nullptr, nullptr), S_OK);
  auto* a8 = loose.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_X8R8G8B8, FMT_A8R8G8B8, true);
  ASSERT_NE(a8, nullptr);
  EXPECT_EQ(a8->multiSampleQualities, (std::vector<uint32_t>{1, 3, 3}));
}

TEST_F(Enumeration, ModeLimitsDesktopFormatAndEmptyAdapters) {
  // A second adapter whose desktop is in a format no mode lists, and with no modes at all.
  fake::FakeAdapter bare;
  bare.desktop = {1280, 1024, 60, FMT_X1R5G5B5};
  graphics.adapters.push_back(bare);
  // A third adapter that nothing accepts.
  fake::FakeAdapter odd;
  odd.desktop = {800, 600, 60, FMT_A2R10G10B10};
  graphics.adapters.push_back(odd);

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

  EXPECT_EQ(enumeration.GetAdapterInfo(2), nullptr);  // dropped: no device type has a combination
  EXPECT_EQ(enumeration.Adapters().size(), 2u);

  // Enumerating again starts over.
  graphics.adapters.resize(1);
  Enumerate();
  EXPECT_EQ(enumeration.Adapters().size(), 1u);
}

TEST_F(Enumeration, WithoutGraphicsSystem) {
  EXPECT_EQ(enumeration.Enumerate(nullptr, nullptr, nullptr), APPERR_NODIRECT3D);
  EXPECT_TRUE(enumeration.Adapters().empty());
  DeviceSettings out;
  EXPECT_EQ(enumeration.FindValidDeviceSettings(out, nullptr, MatchOptions{}), APPERR_NOCOMPATIBLEDEVICES);
}

TEST_F(Selection, GameStartupRequest) {
  Enumerate();
  DeviceSettings in = StartupRequest();
  DeviceSettings out = FindOk(in, StartupOptions());
  DeviceSettings want;
  want.AdapterOrdinal = 0;
  want.DeviceType = DEVTYPE_HAL;
  want.AdapterFormat = FMT_X8R8G8B8;
  want.BehaviorFlags = CREATE_HARDWARE_VERTEXPROCESSING;
  want.pp.BackBufferWidth = 640;
  want.pp.BackBufferHeight = 480;
  want.pp.BackBufferFormat = FMT_X8R8G8B8;
  want.pp.BackBufferCount = 2;
  want.pp.MultiSampleType = MULTISAMPLE_NONE;
  want.pp.SwapEffect = SWAPEFFECT_DISCARD;
  want.pp.hDeviceWindow = kWindowed;
  want.pp.Windowed = 1;
  want.pp.EnableAutoDepthStencil = 1;
  want.pp.AutoDepthStencilFormat = FMT_D32;  // 32 bits for 8 bits a channel, no stencil
  want.pp.Flags = PRESENTFLAG_DISCARD_DEPTHSTENCIL;
  want.pp.FullScreen_RefreshRateInHz = 0;
  want.pp.PresentationInterval = PRESENT_INTERVAL_IMMEDIATE;
  EXPECT_EQ(out, want);

  // The same on a device without hardware transform and lighting, and without a hardware device.
  graphics.caps[DEVTYPE_HAL].DevCaps = 0;
  Enumerate();
  EXPECT_EQ(FindOk(in, StartupOptions()).BehaviorFlags, uint32_t(CREATE_SOFTWARE_VERTEXPROCESSING));
  graphics.caps.erase(DEVTYPE_HAL);
  Enumerate();
  EXPECT_EQ(FindOk(in, StartupOptions()).DeviceType, uint32_t(DEVTYPE_REF));
}

TEST_F(Selection, StartupOnSixteenBitDesktop) {
  graphics.adapters[0].desktop.Format = FMT_R5G6B5;
  Enumerate();
  DeviceSettings out = FindOk(StartupRequest(), StartupOptions());
  EXPECT_EQ(out.AdapterFormat, uint32_t(FMT_R5G6B5));
  EXPECT_EQ(out.pp.BackBufferFormat, uint32_t(FMT_R5G6B5));
  // 20 bits wanted: D16 and D24X8 are both 4 away; the first listed wins.
  EXPECT_EQ(out.pp.AutoDepthStencilFormat, uint32_t(FMT_D16));
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
  // Depth preserved alone: any 24-bit format will do, the stencil then costs its bits.
  o.eDepthFormat = MT_PRESERVE_INPUT;
  o.eStencilFormat = MT_IGNORE_INPUT;
  EXPECT_EQ(FindOk(in, o).pp.AutoDepthStencilFormat, uint32_t(FMT_D24X8));
  // Stencil preserved alone needs a listed format with that many stencil bits.
  o.eDepthFormat = MT_IGNORE_INPUT;
  o.eStencilFormat = MT_PRESERVE_INPUT;
  in.pp.AutoDepthStencilFormat = FMT_D24X4S4;
  DeviceSettings out;
  EXPECT_EQ(Find(out, in, o), APPERR_NOCOMPATIBLEDEVICES);
  // Both preserved: that very format.
  o.eDepthFormat = MT_PRESERVE_INPUT;
  in.pp.AutoDepthStencilFormat = FMT_D32;
  EXPECT_EQ(Find(out, in, o), APPERR_NOCOMPATIBLEDEVICES);
  in.pp.AutoDepthStencilFormat = FMT_D15S1;
  EXPECT_EQ(FindOk(in, o).pp.AutoDepthStencilFormat, uint32_t(FMT_D15S1));

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

// Adapter 0 offers no device at all, adapters 1 and 2 are the same.
class NoDeviceOnFirstAdapter : public fake::FakeGraphicsSystem {
 public:
  Result GetDeviceCaps(uint32_t adapter, uint32_t type, Caps& caps) const override {
    if (adapter == 0) return D3DERR_NOTAVAILABLE;
    return FakeGraphicsSystem::GetDeviceCaps(adapter, type, caps);
  }
};

TEST_F(Selection, TiesGoToTheFirstCombinationMet) {
  // Software and reference rank the same when hardware is asked for: software comes first.
  graphics.caps.erase(DEVTYPE_HAL);
  graphics.caps[DEVTYPE_SW] = fake::FullCaps(DEVTYPE_SW);
  Enumerate();
  EXPECT_EQ(FindOk(StartupRequest(), StartupOptions()).DeviceType, uint32_t(DEVTYPE_SW));

  // Two equal adapters, neither the wanted one: the lower ordinal wins.
  NoDeviceOnFirstAdapter three;
  three.adapters = {fake::DefaultAdapter(), fake::DefaultAdapter(), fake::DefaultAdapter()};
  ASSERT_EQ(enumeration.Enumerate(&three, nullptr, nullptr), S_OK);
  ASSERT_EQ(enumeration.Adapters().size(), 2u);
  DeviceSettings out;
  ASSERT_EQ(enumeration.FindValidDeviceSettings(out, nullptr, MatchOptions{}), S_OK);
  EXPECT_EQ(out.AdapterOrdinal, 1u);

  // Two back-buffer formats equally far from the one asked for: the first listed wins.
  fake::FakeGraphicsSystem two;
  two.devicePairs = {{FMT_X8R8G8B8, FMT_A8R8G8B8}, {FMT_X8R8G8B8, FMT_A2R10G10B10}};
  two.blendableFormats = {FMT_A8R8G8B8, FMT_A2R10G10B10};
  ASSERT_EQ(enumeration.Enumerate(&two, nullptr, nullptr), S_OK);
  DeviceSettings in = StartupRequest();
  in.pp.BackBufferFormat = FMT_A4R4G4B4 + 100;  // no colour bits: both formats score 0
  MatchOptions o = StartupOptions();
  o.eBackBufferFormat = MT_CLOSEST_TO_INPUT;
  ASSERT_EQ(enumeration.FindValidDeviceSettings(out, &in, o), S_OK);
  EXPECT_EQ(out.pp.BackBufferFormat, uint32_t(FMT_A8R8G8B8));
}

TEST_F(Selection, WindowedNeverWaitsForSeveralVerticalBlanks) {
  Enumerate();
  DeviceSettings in = StartupRequest();
  in.pp.PresentationInterval = PRESENT_INTERVAL_TWO;
  MatchOptions o = StartupOptions();
  o.ePresentInterval = MT_CLOSEST_TO_INPUT;
  EXPECT_EQ(FindOk(in, o).pp.PresentationInterval, uint32_t(PRESENT_INTERVAL_IMMEDIATE));
  in.pp.PresentationInterval = PRESENT_INTERVAL_ONE;
  EXPECT_EQ(FindOk(in, o).pp.PresentationInterval, uint32_t(PRESENT_INTERVAL_ONE));
  o.ePresentInterval = MT_PRESERVE_INPUT;
  in.pp.PresentationInterval = PRESENT_INTERVAL_FOUR;
  DeviceSettings out;
  EXPECT_EQ(Find(out, in, o), APPERR_NOCOMPATIBLEDEVICES);
  // Full screen may.
  in.pp.Windowed = 0;
  EXPECT_EQ(FindOk(in, o).pp.PresentationInterval, uint32_t(PRESENT_INTERVAL_FOUR));
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

  // Preserved resolution needs that exact mode.
  o.eResolution = MT_PRESERVE_INPUT;
  in.pp.BackBufferWidth = 1000;
  DeviceSettings none;
  EXPECT_EQ(Find(none, in, o), APPERR_NOCOMPATIBLEDEVICES);
  in.pp.BackBufferWidth = 1280;
  in.pp.BackBufferHeight = 720;
  EXPECT_EQ(FindOk(in, o).pp.BackBufferWidth, 1280u);

  // A 16-bit desktop still gets an 8-bit-per-channel full-screen mode when one exists.
  graphics.adapters[0].desktop.Format = FMT_R5G6B5;
  o = MatchOptions{};
  o.eWindowed = MT_PRESERVE_INPUT;
  out = FindOk(in, o);
  EXPECT_EQ(out.AdapterFormat, uint32_t(FMT_X8R8G8B8));
  EXPECT_EQ(out.pp.BackBufferFormat, uint32_t(FMT_X8R8G8B8));
}

TEST_F(Selection, VertexProcessing) {
  graphics.caps[DEVTYPE_HAL].DevCaps = 0;
  graphics.caps[DEVTYPE_REF].DevCaps = 0;
  Enumerate();
  DeviceSettings in = StartupRequest();
  MatchOptions o = StartupOptions();
  o.eVertexProcessing = MT_CLOSEST_TO_INPUT;
  in.BehaviorFlags = CREATE_MIXED_VERTEXPROCESSING | CREATE_MULTITHREADED;
  EXPECT_EQ(FindOk(in, o).BehaviorFlags, uint32_t(CREATE_SOFTWARE_VERTEXPROCESSING | CREATE_MULTITHREADED));
  in.BehaviorFlags = CREATE_MULTITHREADED;
  EXPECT_EQ(FindOk(in, o).BehaviorFlags, uint32_t(CREATE_SOFTWARE_VERTEXPROCESSING | CREATE_MULTITHREADED));
  // Preserving hardware vertex processing needs hardware transform and lighting.
  o.eVertexProcessing = MT_PRESERVE_INPUT;
  in.BehaviorFlags = CREATE_HARDWARE_VERTEXPROCESSING | CREATE_PUREDEVICE;
  DeviceSettings out;
  EXPECT_EQ(Find(out, in, o), APPERR_NOCOMPATIBLEDEVICES);

  graphics.caps[DEVTYPE_REF] = fake::FullCaps(DEVTYPE_REF);
  Enumerate();
  out = FindOk(in, o);
  EXPECT_EQ(out.DeviceType, uint32_t(DEVTYPE_REF));
  EXPECT_EQ(out.BehaviorFlags, uint32_t(CREATE_HARDWARE_VERTEXPROCESSING | CREATE_PUREDEVICE));
  // Closest with no vertex processing asked: the device's kind is added.
  o.eVertexProcessing = MT_CLOSEST_TO_INPUT;
  o.eDeviceType = MT_PRESERVE_INPUT;
  in.BehaviorFlags = CREATE_PUREDEVICE;
  in.DeviceType = DEVTYPE_REF;
  EXPECT_EQ(FindOk(in, o).BehaviorFlags, uint32_t(CREATE_HARDWARE_VERTEXPROCESSING | CREATE_PUREDEVICE));
  in.DeviceType = DEVTYPE_HAL;
  EXPECT_EQ(FindOk(in, o).BehaviorFlags, uint32_t(CREATE_SOFTWARE_VERTEXPROCESSING | CREATE_PUREDEVICE));
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

  // Preserved: a quality index must be below the number of levels.
  o.eMultiSample = MT_PRESERVE_INPUT;
  in.pp.SwapEffect = SWAPEFFECT_DISCARD;
  in.pp.MultiSampleType = 4;
  in.pp.MultiSampleQuality = 1;
  out = FindOk(in, o);
  EXPECT_EQ(out.pp.MultiSampleType, 4u);
  EXPECT_EQ(out.pp.MultiSampleQuality, 1u);
  in.pp.MultiSampleQuality = 2;
  EXPECT_EQ(Find(out, in, o), APPERR_NOCOMPATIBLEDEVICES);
}

TEST_F(Selection, PreservedFieldsMustHold) {
  graphics.adapters.push_back(fake::DefaultAdapter());
  Enumerate();
  DeviceSettings in = StartupRequest();
  MatchOptions o = StartupOptions();
  in.AdapterOrdinal = 1;
  EXPECT_EQ(FindOk(in, o).AdapterOrdinal, 1u);
  in.AdapterOrdinal = 2;
  DeviceSettings out;
  EXPECT_EQ(Find(out, in, o), APPERR_NOCOMPATIBLEDEVICES);

  in.AdapterOrdinal = 0;
  o.eDeviceType = MT_PRESERVE_INPUT;
  in.DeviceType = DEVTYPE_REF;
  EXPECT_EQ(FindOk(in, o).DeviceType, uint32_t(DEVTYPE_REF));
  in.DeviceType = DEVTYPE_SW;
  EXPECT_EQ(Find(out, in, o), APPERR_NOCOMPATIBLEDEVICES);

  in.DeviceType = DEVTYPE_HAL;
  o.eBackBufferFormat = MT_PRESERVE_INPUT;
  in.pp.BackBufferFormat = FMT_A8R8G8B8;
  out = FindOk(in, o);
  EXPECT_EQ(out.pp.BackBufferFormat, uint32_t(FMT_A8R8G8B8));
  EXPECT_EQ(out.AdapterFormat, uint32_t(FMT_X8R8G8B8));

  o.eRefreshRate = MT_PRESERVE_INPUT;
  in.pp.Windowed = 0;
  in.pp.FullScreen_RefreshRateInHz = 75;
  EXPECT_EQ(FindOk(in, o).pp.FullScreen_RefreshRateInHz, 75u);
  in.pp.FullScreen_RefreshRateInHz = 85;
  EXPECT_EQ(Find(out, in, o), APPERR_NOCOMPATIBLEDEVICES);
}

}  // namespace
