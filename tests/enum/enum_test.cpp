#include <gtest/gtest.h>

#include <vector>

#include "common/app.h"
#include "common/appenum.h"
#include "tests/fakes/fake_platform.h"

namespace {

using namespace plat;

plat::WindowHandle kWindowed = reinterpret_cast<plat::WindowHandle>(uintptr_t(0x1000));
plat::WindowHandle kFullScreen = reinterpret_cast<plat::WindowHandle>(uintptr_t(0x2000));

// The game's rule: the back buffer must be blendable after the pixel shader.
bool GameIsDeviceAcceptable(const Caps* caps, uint32_t adapterFormat, uint32_t backBufferFormat, bool, void* ctx) {
  return Succeeded(static_cast<IGraphicsSystem*>(ctx)->CheckDeviceFormat(
      caps->AdapterOrdinal, caps->DeviceType, adapterFormat, USAGE_QUERY_POSTPIXELSHADER_BLENDING, RTYPE_TEXTURE,
      backBufferFormat));
}

struct Enumeration : ::testing::Test {
  fake::FakeGraphicsSystem graphics;
  DeviceEnumeration enumeration;
  DeviceSettings request;  // the game's start-up request: windowed 640x480 on adapter 0
  MatchOptions options;

  Enumeration() {
    request.AdapterOrdinal = 0;
    request.pp.Windowed = 1;
    request.pp.BackBufferWidth = 640;
    request.pp.BackBufferHeight = 480;
    options.eAdapterOrdinal = MT_PRESERVE_INPUT;
    options.eWindowed = MT_PRESERVE_INPUT;
    options.eResolution = MT_CLOSEST_TO_INPUT;
  }
  void Enumerate(AppCallbackIsDeviceAcceptable cb = GameIsDeviceAcceptable) {
    ASSERT_EQ(enumeration.Enumerate(&graphics, cb, &graphics), S_OK);
  }
  Result Find(DeviceSettings& out) {
    return enumeration.FindValidDeviceSettings(out, &request, options, kWindowed, kFullScreen);
  }
  DeviceSettings Found() {
    DeviceSettings out;
    EXPECT_EQ(Find(out), S_OK);
    return out;
  }
};

TEST_F(Enumeration, ChecksFilterCombinations) {
  graphics.blendableFormats.erase(FMT_A8R8G8B8);  // not blendable: dropped
  graphics.depthMismatches.insert({FMT_R5G6B5, FMT_D32});
  graphics.caps[DEVTYPE_HAL].PresentationIntervals =
      PRESENT_INTERVAL_IMMEDIATE | PRESENT_INTERVAL_TWO | PRESENT_INTERVAL_THREE | PRESENT_INTERVAL_FOUR;
  graphics.multiSampleLevels = {{MULTISAMPLE_NONE, 1}, {2, 8}, {4, 0x20000}};
  Enumerate(nullptr);
  EXPECT_EQ(enumeration.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_X8R8G8B8, FMT_A8R8G8B8, true), nullptr);
  EXPECT_EQ(enumeration.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_R5G6B5, FMT_X8R8G8B8, true), nullptr);
  auto* c16 = enumeration.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_R5G6B5, FMT_R5G6B5, false);
  ASSERT_NE(c16, nullptr);
  EXPECT_EQ(c16->depthStencilFormats, (std::vector<uint32_t>{FMT_D16, FMT_D24X8, FMT_D24S8}));
  EXPECT_EQ(c16->presentIntervals,
            (std::vector<uint32_t>{PRESENT_INTERVAL_IMMEDIATE, PRESENT_INTERVAL_DEFAULT, PRESENT_INTERVAL_TWO,
                                   PRESENT_INTERVAL_THREE, PRESENT_INTERVAL_FOUR}));
  EXPECT_EQ(c16->multiSampleTypes, (std::vector<uint32_t>{0, 2, 4}));
  EXPECT_EQ(c16->multiSampleQualities, (std::vector<uint32_t>{1, 8, 0x10000}));  // capped at max + 1
  // Several vertical blanks per frame are offered in full screen only.
  auto* windowed = enumeration.GetDeviceSettingsCombo(0, DEVTYPE_HAL, FMT_R5G6B5, FMT_R5G6B5, true);
  ASSERT_NE(windowed, nullptr);
  EXPECT_EQ(windowed->presentIntervals,
            (std::vector<uint32_t>{PRESENT_INTERVAL_IMMEDIATE, PRESENT_INTERVAL_DEFAULT}));
}

TEST_F(Enumeration, StartupRequestPrefersHardwareThenFallsBack) {
  Enumerate();
  DeviceSettings out = Found();
  EXPECT_EQ(out.DeviceType, uint32_t(DEVTYPE_HAL));
  EXPECT_EQ(out.BehaviorFlags, uint32_t(CREATE_HARDWARE_VERTEXPROCESSING));
  EXPECT_EQ(out.pp.BackBufferCount, 2u);
  EXPECT_EQ(out.pp.AutoDepthStencilFormat, uint32_t(FMT_D32));  // 32 bits for 8 bits a channel, no stencil
  EXPECT_EQ(out.pp.Flags, uint32_t(PRESENTFLAG_DISCARD_DEPTHSTENCIL));
  EXPECT_EQ(out.pp.hDeviceWindow, kWindowed);

  graphics.caps[DEVTYPE_HAL].DevCaps = 0;  // no hardware transform and lighting
  Enumerate();
  EXPECT_EQ(Found().BehaviorFlags, uint32_t(CREATE_SOFTWARE_VERTEXPROCESSING));
  graphics.caps.erase(DEVTYPE_HAL);
  Enumerate();
  EXPECT_EQ(Found().DeviceType, uint32_t(DEVTYPE_REF));
}

// With what the OpenGL device lists: full screen waits for the vertical blank, windowed does not.
TEST_F(Enumeration, PresentIntervalIsTheModesDefault) {
  graphics.caps[DEVTYPE_HAL].PresentationIntervals = PRESENT_INTERVAL_IMMEDIATE | PRESENT_INTERVAL_ONE;
  Enumerate();
  DeviceSettings windowed = Found();
  EXPECT_EQ(windowed.DeviceType, uint32_t(DEVTYPE_HAL));
  EXPECT_EQ(windowed.pp.PresentationInterval, uint32_t(PRESENT_INTERVAL_IMMEDIATE));
  request.pp.Windowed = 0;
  DeviceSettings fullScreen = Found();
  EXPECT_EQ(fullScreen.DeviceType, uint32_t(DEVTYPE_HAL));
  EXPECT_EQ(fullScreen.pp.PresentationInterval, uint32_t(PRESENT_INTERVAL_DEFAULT));
}

TEST_F(Enumeration, TiesGoToTheFirstCombinationMet) {
  graphics.adapters.push_back(graphics.adapters[0]);  // a twin: its combinations rank the same
  request.AdapterOrdinal = 7;                         // and neither adapter earns the match
  options.eAdapterOrdinal = MT_CLOSEST_TO_INPUT;
  Enumerate();
  EXPECT_EQ(Found().AdapterOrdinal, 0u);
}

TEST_F(Enumeration, DepthStencilIsChosenByScoreNotOrder) {
  graphics.depthFormats = {FMT_D24S8, FMT_D24X8, FMT_D15S1};
  Enumerate();
  // Listed D15S1, D24X8, D24S8: for 32 bits wanted D24X8 is nearest, and D24S8's stencil costs it.
  EXPECT_EQ(Found().pp.AutoDepthStencilFormat, uint32_t(FMT_D24X8));

  request.pp.AutoDepthStencilFormat = FMT_D24S8;
  options.eDepthFormat = MT_CLOSEST_TO_INPUT;
  options.eStencilFormat = MT_CLOSEST_TO_INPUT;
  EXPECT_EQ(Found().pp.AutoDepthStencilFormat, uint32_t(FMT_D24S8));

  // No depth formats at all: no automatic depth buffer, and no discard flag.
  graphics.depthFormats.clear();
  Enumerate();
  DeviceSettings none = Found();
  EXPECT_EQ(none.pp.EnableAutoDepthStencil, 0);
  EXPECT_EQ(none.pp.Flags, 0u);
}

TEST_F(Enumeration, NothingAcceptableLeavesTheOutputAlone) {
  Enumerate([](const Caps*, uint32_t, uint32_t, bool, void*) { return false; });
  EXPECT_TRUE(enumeration.Adapters().empty());
  DeviceSettings out;
  out.pp.BackBufferCount = 77;
  EXPECT_EQ(Find(out), APPERR_NOCOMPATIBLEDEVICES);
  EXPECT_EQ(out.pp.BackBufferCount, 77u);
}

TEST_F(Enumeration, WindowedNeedsABackBufferForTheDesktopFormat) {
  // A 10-bit desktop: the device can use it full screen only, and no window fits it.
  graphics.adapters[0].desktop.Format = FMT_A2R10G10B10;
  Enumerate();
  DeviceSettings out;
  EXPECT_EQ(Find(out), APPERR_NOCOMPATIBLEDEVICES);
  request.pp.Windowed = 0;
  out = Found();
  EXPECT_EQ(out.AdapterFormat, uint32_t(FMT_X8R8G8B8));
  EXPECT_EQ(out.pp.hDeviceWindow, kFullScreen);
}

TEST_F(Enumeration, FullScreenResolutionAndRefreshRate) {
  Enumerate();
  request.pp.Windowed = 0;
  options = MatchOptions{};
  options.eWindowed = MT_PRESERVE_INPUT;
  // Resolution and rate ignored give the desktop's: the display test's full-screen runs see it.
  // Closest: the nearest mode by width plus height difference, then the nearest rate there.
  options.eResolution = MT_CLOSEST_TO_INPUT;
  options.eRefreshRate = MT_CLOSEST_TO_INPUT;
  request.pp.BackBufferWidth = 1000;
  request.pp.BackBufferHeight = 700;
  request.pp.FullScreen_RefreshRateInHz = 70;
  DeviceSettings out = Found();
  EXPECT_EQ(out.pp.BackBufferWidth, 1024u);
  EXPECT_EQ(out.pp.BackBufferHeight, 768u);
  EXPECT_EQ(out.pp.FullScreen_RefreshRateInHz, 60u);  // the only rate at 1024x768
  request.pp.BackBufferWidth = 1900;
  request.pp.BackBufferHeight = 1100;
  EXPECT_EQ(Found().pp.FullScreen_RefreshRateInHz, 75u);
}

TEST_F(Enumeration, MultisampleCountAndSwapEffect) {
  graphics.multiSampleLevels = {{MULTISAMPLE_NONE, 1}, {2, 4}, {4, 2}};
  Enumerate();
  options.eMultiSample = MT_CLOSEST_TO_INPUT;
  options.eBackBufferCount = MT_CLOSEST_TO_INPUT;
  options.eSwapEffect = MT_CLOSEST_TO_INPUT;
  request.pp.MultiSampleType = 3;  // 2 and 4 are equally near: the first stays
  request.pp.MultiSampleQuality = 5;
  request.pp.SwapEffect = SWAPEFFECT_DISCARD;
  request.pp.BackBufferCount = 7;
  DeviceSettings out = Found();
  EXPECT_EQ(out.pp.MultiSampleType, 2u);
  EXPECT_EQ(out.pp.MultiSampleQuality, 3u);  // levels - 1
  EXPECT_EQ(out.pp.BackBufferCount, 3u);

  // Multisampling needs a discarding swap chain; odd swap effects fall back to discard.
  request.pp.SwapEffect = SWAPEFFECT_COPY;
  request.pp.BackBufferCount = 0;
  out = Found();
  EXPECT_EQ(out.pp.MultiSampleType, 0u);
  EXPECT_EQ(out.pp.BackBufferCount, 1u);
  request.pp.SwapEffect = 9;
  EXPECT_EQ(Found().pp.SwapEffect, uint32_t(SWAPEFFECT_DISCARD));
}

// The whole start-up of the game's device through the framework, with the game's acceptance check.
TEST(EnumerationObject, GameStartupCreatesTheDeviceTheGamesCheckAccepts) {
  fake::FakePlatform platform;
  platform.graphics->blendableFormats.erase(FMT_X8R8G8B8);  // the game's check must steer the choice
  ASSERT_EQ(AppInit(false, true, false, true), S_OK);
  ASSERT_EQ(AppCreateWindow(L"x[vela] 1.3.5"), S_OK);
  ASSERT_EQ(AppCreateDevice(0, true, 640, 480, GameIsDeviceAcceptable, nullptr, platform.graphics), S_OK);
  ASSERT_EQ(platform.graphics->createCalls.size(), 1u);
  const auto& call = platform.graphics->createCalls.front();
  EXPECT_EQ(call.type, uint32_t(DEVTYPE_HAL));
  EXPECT_EQ(call.pp.BackBufferWidth, 640u);
  EXPECT_EQ(call.pp.BackBufferHeight, 480u);
  EXPECT_EQ(call.pp.BackBufferFormat, uint32_t(FMT_A8R8G8B8));  // X8R8G8B8 refused by the game
  EXPECT_EQ(call.pp.Windowed, 1);
  EXPECT_EQ(call.pp.hDeviceWindow, AppGetHWND());
}

}  // namespace
