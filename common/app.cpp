// Framework start-up, message loop, frame step, pause, statistics, shutdown and queries.
#include "common/app.h"

#include "common/app_internal.h"
#include "common/app_state.h"
#include "common/appcmdline.h"
#include "common/appenum.h"
#include "common/appmisc.h"
#include "platform/services.h"

namespace {

plat::IWindowSystem* Windows() { return plat::GetServices().windows; }
plat::ISystem* System() { return plat::GetServices().system; }

// The loop could not run: a clean exit code becomes 1, others stay.
void SetLoopFailureExitCode(FrameworkState& s) {
  int code = s.GetExitCode();
  if (code == 0 || code == 11) s.SetExitCode(1);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Registration

void AppSetCallbackDeviceCreated(AppCallbackDeviceCreated callback, void* userContext) {
  FrameworkState& s = GetAppState();
  s.SetDeviceCreatedFunc(callback);
  s.SetDeviceCreatedFuncUserContext(userContext);
}
void AppSetCallbackDeviceReset(AppCallbackDeviceReset callback, void* userContext) {
  FrameworkState& s = GetAppState();
  s.SetDeviceResetFunc(callback);
  s.SetDeviceResetFuncUserContext(userContext);
}
void AppSetCallbackDeviceLost(AppCallbackDeviceLost callback, void* userContext) {
  FrameworkState& s = GetAppState();
  s.SetDeviceLostFunc(callback);
  s.SetDeviceLostFuncUserContext(userContext);
}
void AppSetCallbackDeviceDestroyed(AppCallbackDeviceDestroyed callback, void* userContext) {
  FrameworkState& s = GetAppState();
  s.SetDeviceDestroyedFunc(callback);
  s.SetDeviceDestroyedFuncUserContext(userContext);
}
void AppSetCallbackFrameMove(AppCallbackFrameMove callback, void* userContext) {
  FrameworkState& s = GetAppState();
  s.SetFrameMoveFunc(callback);
  s.SetFrameMoveFuncUserContext(userContext);
}
void AppSetCallbackFrameRender(AppCallbackFrameRender callback, void* userContext) {
  FrameworkState& s = GetAppState();
  s.SetFrameRenderFunc(callback);
  s.SetFrameRenderFuncUserContext(userContext);
}
void AppSetCallbackKeyboard(AppCallbackKeyboard callback, void* userContext) {
  FrameworkState& s = GetAppState();
  s.SetKeyboardFunc(callback);
  s.SetKeyboardFuncUserContext(userContext);
}
void AppSetCallbackMouse(AppCallbackMouse callback, bool includeMouseMove, void* userContext) {
  FrameworkState& s = GetAppState();
  s.SetMouseFunc(callback);
  s.SetNotifyOnMouseMove(includeMouseMove);
  s.SetMouseFuncUserContext(userContext);
}
void AppSetCallbackMsgProc(AppCallbackMsgProc callback, void* userContext) {
  FrameworkState& s = GetAppState();
  s.SetWindowMsgFunc(callback);
  s.SetWindowMsgFuncUserContext(userContext);
}

// ---------------------------------------------------------------------------------------------
// Start-up

Result AppInit(bool parseCommandLine, bool handleDefaultHotkeys, bool showMsgBoxOnError, bool handleAltEnter) {
  FrameworkState& s = GetAppState();
  s.SetInitCalled(true);
  // Nothing to load for the timer resolution here: the platform's sleep is already accurate to
  // the millisecond, and there are no accessibility records to save before the keyboard is grabbed.
  s.SetShowMsgBoxOnError(showMsgBoxOnError);
  s.SetHandleDefaultHotkeys(handleDefaultHotkeys);
  s.SetHandleAltEnter(handleAltEnter);

  if (parseCommandLine) AppApplyCommandLine();

  // Before the graphics system reads the displays: they are measured in logical pixels.
  if (plat::IWindowSystem* windows = Windows()) {
    const int scale = s.GetOverrideScale();
    windows->FollowOutputScale(scale <= 0);
    windows->SetPresentationScale(scale > 0 ? scale : windows->DesktopScale());
  }
  // Whoever asked for it, the scale is only as large as the screen can show the window at.
  AppHoldPresentationScale();

  if (!s.GetD3D()) {
    const plat::Services& services = plat::GetServices();
    std::unique_ptr<plat::IGraphicsSystem> d3d;
    if (services.createGraphics) d3d = services.createGraphics();
    if (!d3d) {
      AppDisplayErrorMessage(APPERR_NODIRECT3D);
      return APP_ERR(L"Direct3DCreate9", APPERR_NODIRECT3D);
    }
    s.SetD3D(std::move(d3d));
  }

  AppGetGlobalTimer().Reset();
  s.SetInitialized(true);
  return S_OK;
}

void AppApplyCommandLine() {
  FrameworkState& s = GetAppState();
  CommandLineResult parsed = AppParseCommandLine();
  const CommandLineOverrides& o = parsed.overrides;
  s.SetOverrideAdapterOrdinal(o.adapterOrdinal);
  s.SetOverrideWindowed(o.windowed);
  s.SetOverrideFullScreen(o.fullScreen);
  s.SetOverrideStartX(o.startX);
  s.SetOverrideStartY(o.startY);
  s.SetOverrideWidth(o.width);
  s.SetOverrideHeight(o.height);
  s.SetOverrideForceHAL(o.forceHAL);
  s.SetOverrideForceREF(o.forceREF);
  s.SetOverrideForcePureHWVP(o.forcePureHWVP);
  s.SetOverrideForceHWVP(o.forceHWVP);
  s.SetOverrideForceSWVP(o.forceSWVP);
  s.SetOverrideConstantFrameTime(o.constantFrameTime);
  s.SetOverrideConstantTimePerFrame(o.constantTimePerFrame);
  s.SetOverrideQuitAfterFrame(o.quitAfterFrame);
  s.SetOverrideScale(o.scale);
  if (o.constantFrameTime) {
    s.SetConstantFrameTime(true);
    s.SetTimePerFrame(o.constantTimePerFrame);
  }
  if (parsed.noErrorMsgBoxes) s.SetShowMsgBoxOnError(false);
  if (parsed.automation) s.SetAutomation(true);
}

// ---------------------------------------------------------------------------------------------
// Message loop

Result AppMainLoop(void* /*acceleratorTable: no accelerators on this platform*/) {
  FrameworkState& s = GetAppState();
  if (s.GetInsideDeviceCallback() || s.GetInsideMainloop()) {
    SetLoopFailureExitCode(s);
    return APP_ERR_MSGBOX(L"AppMainLoop", E_FAIL);
  }
  s.SetInsideMainloop(true);

  if (!s.GetDeviceCreated()) {
    if (s.GetDeviceCreateCalled()) {
      SetLoopFailureExitCode(s);
      s.SetInsideMainloop(false);
      return E_FAIL;  // the failed creation was already reported
    }
    Result hr = AppCreateDevice(0, true, 640, 480, nullptr, nullptr, nullptr);
    if (Failed(hr)) {
      SetLoopFailureExitCode(s);
      s.SetInsideMainloop(false);
      return hr;
    }
  }

  plat::IWindowSystem* windows = Windows();
  if (!s.GetInitialized() || !AppGetHWND() || !s.GetD3DDevice() || !windows) {
    SetLoopFailureExitCode(s);
    s.SetInsideMainloop(false);
    return APP_ERR_MSGBOX(L"AppMainLoop", E_FAIL);
  }

  // Render whenever no message waits; the quit message ends the loop.
  plat::Msg msg;
  for (;;) {
    if (windows->PeekMessage(msg)) {
      if (msg.message == plat::WM_QUIT) break;
      windows->DispatchMessage(msg);
    } else {
      AppRender3DEnvironment();
    }
  }

  s.SetInsideMainloop(false);
  return S_OK;
}

// ---------------------------------------------------------------------------------------------
// Frame step

namespace {

// The device reported that it may be reset: adopt a changed desktop format, or reset.
// Returns false when the frame step must stop for this pass.
bool RecoverLostDevice(FrameworkState& s) {
  DeviceSettings* current = s.GetCurrentDeviceSettings();
  plat::IGraphicsSystem* d3d = s.GetD3D();
  if (current && d3d && current->pp.Windowed) {
    plat::DisplayMode desktop;
    d3d->GetAdapterDisplayMode(current->AdapterOrdinal, desktop);
    if (current->AdapterFormat != desktop.Format) {
      AppAdoptDesktopFormat(*current, desktop.Format);
      return false;
    }
  }

  Result hr = AppReset3DEnvironment();
  if (Failed(hr)) {
    if (hr == D3DERR_DEVICELOST) return false;  // still cannot reset: next pass
    if (hr == APPERR_RESETTINGDEVICEOBJECTS || hr == APPERR_MEDIANOTFOUND) {
      AppDisplayErrorMessage(hr);
      AppShutdown(0);
      return false;
    }
    // The device itself would not reset: make a new one with the same settings.
    DeviceSettings settings = *s.GetCurrentDeviceSettings();
    if (Failed(AppChangeDevice(&settings, true, false))) {
      AppShutdown(0);
      return false;
    }
  }
  return true;
}

}  // namespace

void AppRender3DEnvironment() {
  FrameworkState& s = GetAppState();
  plat::IDevice* device = s.GetD3DDevice();
  if (!device) return;

  if (s.GetDeviceLost() || s.GetRenderingPaused() || !s.GetActive()) {
    if (plat::ISystem* sys = System()) sys->Sleep(50);  // yield while there is nothing to show
  }

  if (s.GetDeviceLost() && !s.GetRenderingPaused()) {
    Result hr = device->TestCooperativeLevel();
    if (Failed(hr)) {
      if (hr == D3DERR_DEVICELOST) return;
      if (!RecoverLostDevice(s)) return;
      device = s.GetD3DDevice();
      if (!device) return;
    }
    s.SetDeviceLost(false);
  }

  FrameworkTimer& timer = AppGetGlobalTimer();
  double time = timer.GetTime();
  float elapsed = static_cast<float>(timer.GetElapsedTime());
  if (s.GetConstantFrameTime()) {
    elapsed = s.GetTimePerFrame();
    time = s.GetTime() + elapsed;
  }
  s.SetTime(time);
  s.SetElapsedTime(elapsed);

  AppUpdateFrameStats();

  if (AppCallbackFrameMove frameMove = s.GetFrameMoveFunc()) {
    frameMove(device, time, elapsed, s.GetFrameMoveFuncUserContext());
    device = s.GetD3DDevice();
    if (!device) return;  // the callback shut the framework down
  }

  if (!s.GetRenderingPaused()) {
    if (AppCallbackFrameRender frameRender = s.GetFrameRenderFunc()) {
      frameRender(device, time, elapsed, s.GetFrameRenderFuncUserContext());
      device = s.GetD3DDevice();
      if (!device) return;
    }
#ifndef NDEBUG
    // The back buffer must follow the client area; report (without stopping) when it does not.
    plat::IWindowSystem* windows = Windows();
    plat::WindowHandle window = AppGetHWND();
    if (windows && window && !windows->IsMinimized(window)) {
      plat::Rect client = windows->GetClientRect(window);
      const plat::SurfaceDesc* bb = AppGetBackBufferSurfaceDesc();
      if (bb->Width != static_cast<uint32_t>(client.right))
        APP_ERR(L"AppGetBackBufferSurfaceDesc()->Width == (UINT)rcClient.right", E_FAIL);
      if (bb->Height != static_cast<uint32_t>(client.bottom))
        APP_ERR(L"AppGetBackBufferSurfaceDesc()->Height == (UINT)rcClient.bottom", E_FAIL);
    }
#endif
    Result hr = device->Present();
    if (hr == D3DERR_DEVICELOST || hr == D3DERR_DRIVERINTERNALERROR) s.SetDeviceLost(true);
  }

  int frame = s.GetCurrentFrameNumber() + 1;
  s.SetCurrentFrameNumber(frame);
  int quitAfter = s.GetOverrideQuitAfterFrame();
  if (quitAfter != 0 && frame > quitAfter) AppShutdown(0);
}

void AppUpdateFrameStats() {
  FrameworkState& s = GetAppState();
  double now = AppGetGlobalTimer().GetAbsoluteTime();
  uint32_t frames = s.GetLastStatsUpdateFrames() + 1;
  s.SetLastStatsUpdateFrames(frames);
  double last = s.GetLastStatsUpdateTime();
  if (now - last > 1.0) {
    float fps = static_cast<float>(static_cast<double>(frames) / (now - last));
    s.SetFPS(fps);
    s.SetLastStatsUpdateTime(now);
    s.SetLastStatsUpdateFrames(0);
    // The static text is our own, with exactly one conversion left for the rate.
    AppStringPrintf(s.FrameStats(), FrameworkState::kTextChars, s.StaticFrameStats(), static_cast<double>(fps));
  }
}

// ---------------------------------------------------------------------------------------------
// Pause and shutdown

void AppPause(bool pauseTime, bool pauseRendering) {
  FrameworkState& s = GetAppState();
  int timeCount = s.GetPauseTimeCount() + (pauseTime ? 1 : -1);
  if (timeCount < 0) timeCount = 0;
  s.SetPauseTimeCount(timeCount);
  int renderCount = s.GetPauseRenderingCount() + (pauseRendering ? 1 : -1);
  if (renderCount < 0) renderCount = 0;
  s.SetPauseRenderingCount(renderCount);

  if (timeCount > 0)
    AppGetGlobalTimer().Stop();
  else
    AppGetGlobalTimer().Start();
  s.SetRenderingPaused(renderCount > 0);
}

void AppShutdown(int exitCode) {
  FrameworkState& s = GetAppState();
  plat::WindowHandle window = AppGetHWND();
  if (window) {
    if (plat::IWindowSystem* windows = Windows()) windows->SendMessage(window, plat::WM_CLOSE, 0, 0);
  }
  s.SetExitCode(exitCode);
  AppCleanup3DEnvironment(true);
  AppAllowShortcutKeys(true);
  AppReleaseEnumerationObject();
  s.SetD3D(nullptr);
}

int AppGetExitCode() { return GetAppState().GetExitCode(); }

// ---------------------------------------------------------------------------------------------
// Queries

plat::IGraphicsSystem* AppGetD3DObject() { return GetAppState().GetD3D(); }
plat::IDevice* AppGetD3DDevice() { return GetAppState().GetD3DDevice(); }

plat::WindowHandle AppGetHWND() {
  FrameworkState& s = GetAppState();
  DeviceSettings* settings = s.GetCurrentDeviceSettings();
  if (settings && settings->pp.Windowed) return s.GetHWNDDeviceWindowed();
  return s.GetHWNDDeviceFullScreen();
}

const plat::SurfaceDesc* AppGetBackBufferSurfaceDesc() { return GetAppState().GetBackBufferSurfaceDescPtr(); }

const DeviceSettings* AppGetDeviceSettings() { return GetAppState().GetCurrentDeviceSettings(); }
const wchar_t* AppGetFrameStats() { return GetAppState().FrameStats(); }
double AppGetTime() { return GetAppState().GetTime(); }
float AppGetElapsedTime() { return GetAppState().GetElapsedTime(); }
bool AppIsActive() { return GetAppState().GetActive(); }

bool AppIsWindowed() {
  DeviceSettings* settings = GetAppState().GetCurrentDeviceSettings();
  return settings && settings->pp.Windowed != 0;
}

bool AppIsRenderingPaused() { return GetAppState().GetPauseRenderingCount() > 0; }
bool AppIsTimePaused() { return GetAppState().GetPauseTimeCount() > 0; }
bool AppIsKeyDown(uint8_t virtualKey) { return GetAppState().GetKey(virtualKey); }
bool AppIsWireframe() { return GetAppState().GetWireframeMode(); }
