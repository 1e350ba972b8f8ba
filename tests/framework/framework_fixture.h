#pragma once
// Drives the framework over the fake platform and records what the game's callbacks saw.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/app.h"
#include "common/app_internal.h"
#include "common/app_state.h"
#include "tests/fakes/fake_platform.h"

using Events = std::vector<std::string>;

struct Recorder {
  Events events;  // "modify", "created", "reset", "lost", "destroyed"
  std::vector<double> moveTimes, renderTimes;
  std::vector<float> moveElapsed;
  std::vector<uint32_t> keysDown;  // as the keyboard callback saw them
  bool claimKeyDowns = false;      // the message callback asks for no further processing of key-downs
  Result createdResult = S_OK;
  std::vector<Result> resetResults;  // answered in order, then S_OK
  std::function<void()> onFrameMove, onCreated;

  Events Since(size_t from) const { return Events(events.begin() + static_cast<long>(from), events.end()); }
};

class FrameworkTest : public ::testing::Test {
 protected:
  Recorder rec;  // outlives the platform, whose teardown still calls the callbacks
  fake::FakePlatform platform;

  static Recorder& R(void* ctx) { return *static_cast<Recorder*>(ctx); }

  void RegisterCallbacks() {
    AppSetCallbackDeviceCreated(
        [](plat::IDevice*, const plat::SurfaceDesc*, void* ctx) {
          R(ctx).events.push_back("created");
          if (R(ctx).onCreated) R(ctx).onCreated();
          return R(ctx).createdResult;
        },
        &rec);
    AppSetCallbackDeviceReset(
        [](plat::IDevice*, const plat::SurfaceDesc*, void* ctx) {
          Recorder& r = R(ctx);
          r.events.push_back("reset");
          if (r.resetResults.empty()) return S_OK;
          Result hr = r.resetResults.front();
          r.resetResults.erase(r.resetResults.begin());
          return hr;
        },
        &rec);
    AppSetCallbackDeviceLost([](void* ctx) { R(ctx).events.push_back("lost"); }, &rec);
    AppSetCallbackDeviceDestroyed([](void* ctx) { R(ctx).events.push_back("destroyed"); }, &rec);
    AppSetCallbackFrameMove(
        [](plat::IDevice*, double t, float e, void* ctx) {
          R(ctx).moveTimes.push_back(t);
          R(ctx).moveElapsed.push_back(e);
          if (R(ctx).onFrameMove) R(ctx).onFrameMove();
        },
        &rec);
    AppSetCallbackFrameRender([](plat::IDevice*, double t, float, void* ctx) { R(ctx).renderTimes.push_back(t); },
                              &rec);
    AppSetCallbackKeyboard([](uint32_t key, bool down, bool, void* ctx) { if (down) R(ctx).keysDown.push_back(key); },
                           &rec);
    AppSetCallbackMsgProc(
        [](plat::WindowHandle, uint32_t msg, plat::WPARAM, plat::LPARAM, bool* noFurther, void* ctx) -> plat::LRESULT {
          *noFurther = msg == plat::WM_KEYDOWN && R(ctx).claimKeyDowns;
          return 0;
        },
        &rec);
  }

  // The game's start-up: callbacks, init, window, a windowed 640x480 device.
  Result StartUp(const std::wstring& commandLine = L"arena") {
    platform.system.commandLine = commandLine;
    RegisterCallbacks();
    AppInit(true, true, true, true);
    AppSetCursorSettings(true, true);
    AppCreateWindow(L"x[vela] 1.3.5");
    auto modify = [](DeviceSettings*, const plat::Caps*, void* ctx) {
      R(ctx).events.push_back("modify");
      return true;
    };
    return AppCreateDevice(0, true, 640, 480, nullptr, modify, &rec);
  }

  // Delivers every waiting message as the loop would, without rendering.
  void Pump() {
    plat::Msg msg;
    while (platform.windows.PeekMessage(msg))
      if (msg.message != plat::WM_QUIT) platform.windows.DispatchMessage(msg);
  }

  void Frames(int n) {
    for (int i = 0; i < n; ++i) AppRender3DEnvironment();
  }
  void PressKey(uint32_t vk) {
    platform.windows.PostKey(vk, true);
    Pump();
  }

  plat::WindowHandle Window() { return AppGetHWND(); }
  fake::FakeWindow* W() { return platform.windows.Window(platform.windows.LastWindow()); }
};
