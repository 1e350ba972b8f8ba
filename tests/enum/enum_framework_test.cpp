// The whole start-up of the game's device through the framework, with the game's acceptance check.
#include <gtest/gtest.h>

#include "common/app.h"
#include "common/appenum.h"
#include "tests/fakes/fake_platform.h"

namespace {

using namespace plat;

int g_asked = 0;
bool GameIsDeviceAcceptable(const Caps* caps, uint32_t adapterFormat, uint32_t backBufferFormat, bool, void*) {
  ++g_asked;
  return Succeeded(AppGetD3DObject()->CheckDeviceFormat(caps->AdapterOrdinal, caps->DeviceType, adapterFormat,
                                                        USAGE_QUERY_POSTPIXELSHADER_BLENDING, RTYPE_TEXTURE,
                                                        backBufferFormat));
}

TEST(EnumerationObject, GameStartupCreatesTheExpectedDevice) {
  fake::FakePlatform platform;
  platform.graphics->blendableFormats.erase(FMT_X8R8G8B8);  // the game's check must steer the choice
  ASSERT_EQ(AppInit(false, true, false, true), S_OK);
  ASSERT_EQ(AppCreateWindow(L"x[vela] 1.3.5"), S_OK);
  ASSERT_EQ(AppCreateDevice(0, true, 640, 480, GameIsDeviceAcceptable, nullptr, nullptr), S_OK);
  EXPECT_GT(g_asked, 0);
  ASSERT_EQ(platform.graphics->createCalls.size(), 1u);
  const auto& call = platform.graphics->createCalls.front();
  EXPECT_EQ(call.type, uint32_t(DEVTYPE_HAL));
  EXPECT_EQ(call.behaviourFlags, uint32_t(CREATE_HARDWARE_VERTEXPROCESSING));
  EXPECT_EQ(call.pp.BackBufferWidth, 640u);
  EXPECT_EQ(call.pp.BackBufferHeight, 480u);
  EXPECT_EQ(call.pp.BackBufferFormat, uint32_t(FMT_A8R8G8B8));  // X8R8G8B8 refused by the game
  EXPECT_EQ(call.pp.Windowed, 1);
  EXPECT_EQ(call.pp.AutoDepthStencilFormat, uint32_t(FMT_D32));
  EXPECT_EQ(call.pp.PresentationInterval, uint32_t(PRESENT_INTERVAL_IMMEDIATE));
  EXPECT_EQ(call.pp.hDeviceWindow, AppGetHWND());
}

}  // namespace
