// Window creation and the device lifecycle: create, change (reset or re-create), clean up,
// switch between windowed and full screen or between the hardware and reference devices.
#include <algorithm>

#include "common/app.h"
#include "common/app_internal.h"
#include "common/app_state.h"
#include "common/appcmdline.h"
#include "common/appenum.h"
#include "common/appmisc.h"
#include "platform/services.h"

namespace {

plat::IWindowSystem* Windows() { return plat::GetServices().windows; }

void ApplyVertexProcessingOverrides(FrameworkState& s, DeviceSettings& settings) {
  if (s.GetOverrideForcePureHWVP()) {
    settings.BehaviorFlags &= ~plat::CREATE_SOFTWARE_VERTEXPROCESSING;
    settings.BehaviorFlags |= plat::CREATE_HARDWARE_VERTEXPROCESSING | plat::CREATE_PUREDEVICE;
  } else if (s.GetOverrideForceHWVP()) {
    settings.BehaviorFlags &= ~(plat::CREATE_SOFTWARE_VERTEXPROCESSING | plat::CREATE_PUREDEVICE);
    settings.BehaviorFlags |= plat::CREATE_HARDWARE_VERTEXPROCESSING;
  } else if (s.GetOverrideForceSWVP()) {
    settings.BehaviorFlags &= ~(plat::CREATE_HARDWARE_VERTEXPROCESSING | plat::CREATE_PUREDEVICE);
    settings.BehaviorFlags |= plat::CREATE_SOFTWARE_VERTEXPROCESSING;
  }
}

// The first device takes every command-line override, even over what the game asked for.
void ApplyFirstDeviceOverrides(FrameworkState& s, DeviceSettings& settings) {
  if (s.GetOverrideAdapterOrdinal() != -1) settings.AdapterOrdinal = static_cast<uint32_t>(s.GetOverrideAdapterOrdinal());
  if (s.GetOverrideFullScreen()) settings.pp.Windowed = 0;
  if (s.GetOverrideWindowed()) settings.pp.Windowed = 1;  // after full screen: windowed wins
  if (s.GetOverrideForceREF())
    settings.DeviceType = plat::DEVTYPE_REF;
  else if (s.GetOverrideForceHAL())
    settings.DeviceType = plat::DEVTYPE_HAL;
  if (s.GetOverrideWidth() != 0) settings.pp.BackBufferWidth = static_cast<uint32_t>(s.GetOverrideWidth());
  if (s.GetOverrideHeight() != 0) settings.pp.BackBufferHeight = static_cast<uint32_t>(s.GetOverrideHeight());
  // Full screen shows display modes only: a size no mode has would fail the device.
  if (s.GetOverrideWidth() != 0 || s.GetOverrideHeight() != 0) AppFitFullScreenSize(settings);
  ApplyVertexProcessingOverrides(s, settings);
}

bool Inside(const plat::Rect& inner, const plat::Rect& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// Where windows may go on the display the adapter drives; false when the window system does not
// know that display.
bool AdapterWorkArea(int monitor, plat::Rect& workArea) {
  plat::IWindowSystem* windows = Windows();
  if (!windows) return false;
  std::vector<plat::DisplayInfo> displays = windows->GetDisplays();
  if (monitor < 0 || static_cast<size_t>(monitor) >= displays.size()) return false;
  workArea = AppUsableWorkArea(displays[static_cast<size_t>(monitor)], windows->PresentationScale());
  return true;
}

uint32_t BitsPerPixel(uint32_t format) { return ColorChannelBits(format) >= 8 ? 32 : 16; }

// Undoes the pause and the size-change guard of a device change that ends early.
void EndChange(FrameworkState& s) {
  AppPause(false, false);
  s.SetIgnoreSizeChange(false);
}

// Sizes the windowed device window to the back buffer; with clipping, keeps it on the work area of
// the adapter's monitor and centres it there. Returns whether it had to act.
bool FitWindowToBackBuffer(FrameworkState& s, const DeviceSettings& settings, bool clipWindowToSingleAdapter) {
  plat::IWindowSystem* windows = Windows();
  plat::WindowHandle window = s.GetHWNDDeviceWindowed();
  if (!windows || !window) return false;

  plat::Rect client = windows->GetClientRect(window);
  bool minimized = windows->IsMinimized(window);
  bool needResize = static_cast<uint32_t>(client.Width()) != settings.pp.BackBufferWidth ||
                    static_cast<uint32_t>(client.Height()) != settings.pp.BackBufferHeight;

  plat::Rect workArea;
  bool haveWorkArea = AdapterWorkArea(s.GetAdapterMonitor(), workArea);
  if (clipWindowToSingleAdapter && !minimized && haveWorkArea) {
    plat::Rect windowRect = windows->GetWindowRect(window);
    if (!Inside(windowRect, workArea)) {
      bool maximizedOnAdapter = windows->GetWindowDisplay(window) == s.GetAdapterMonitor() &&
                                windows->IsMaximized(window);
      if (!maximizedOnAdapter) needResize = true;
    }
  }
  if (!needResize) return false;

  if (windows->IsMinimized(window)) windows->ShowWindow(window, plat::ShowCommand::Restore);
  if (windows->IsMaximized(window)) windows->ShowWindow(window, plat::ShowCommand::Restore);

  int width = static_cast<int>(settings.pp.BackBufferWidth);
  int height = static_cast<int>(settings.pp.BackBufferHeight);
  if (!clipWindowToSingleAdapter || !haveWorkArea) {
    windows->SetClientSize(window, width, height);
    return true;
  }
  plat::Rect grown = windows->AdjustWindowRect(window, plat::Rect{0, 0, width, height});
  int outerWidth = std::min(grown.Width(), workArea.Width());
  int outerHeight = std::min(grown.Height(), workArea.Height());
  plat::Rect target{0, 0, outerWidth, outerHeight};
  // A framed window's grown rectangle starts left of and above the origin, so it is centred. The
  // window has an ordinary frame even where no window manager draws one (the frame is then empty).
  if (windows->IsBordered(window) || !Inside(grown, workArea)) {
    target.left = workArea.left + (workArea.Width() - outerWidth) / 2;
    target.top = workArea.top + (workArea.Height() - outerHeight) / 2;
    target.right = target.left + outerWidth;
    target.bottom = target.top + outerHeight;
  }
  windows->SetWindowRect(window, target);
  return true;
}

// The back buffer just made is shown at the window system's present scale; a later change of that
// scale (the window moved to an output of another) then resizes the device as a resize does.
void NoteDevicePresentationScale(FrameworkState& s) {
  plat::IWindowSystem* windows = Windows();
  s.SetDevicePresentationScale(windows ? windows->PresentationScale() : 0);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Window

Result AppCreateWindow(const wchar_t* windowTitle, void* /*instance*/, void* /*icon*/, void* /*menu*/, int x, int y) {
  FrameworkState& s = GetAppState();
  if (s.GetInsideDeviceCallback()) return APP_ERR_MSGBOX(L"AppCreateWindow", E_FAIL);

  s.SetWindowCreateCalled(true);
  if (!s.GetInitialized()) {
    if (s.GetInitCalled()) return E_FAIL;  // AppInit already failed
    Result hr = AppInit(true, true, true, true);
    if (Failed(hr)) return hr;
  }
  if (s.GetHWNDFocus()) return S_OK;

  // Instance, icon and menu have no counterpart here: the window system gives the window its
  // frame and the program's icon, and there are no menu bars.
  x = CommandLineWindowPosition(s.GetOverrideStartX(), x);
  y = CommandLineWindowPosition(s.GetOverrideStartY(), y);
  int width = s.GetOverrideWidth() != 0 ? s.GetOverrideWidth() : 640;
  int height = s.GetOverrideHeight() != 0 ? s.GetOverrideHeight() : 480;

  const wchar_t* title = windowTitle ? windowTitle : L"";
  AppStringCopy(s.WindowTitle(), FrameworkState::kTextChars, title);

  plat::IWindowSystem* windows = Windows();
  plat::WindowHandle window =
      windows ? windows->CreateAppWindow(title, x, y, width, height, AppStaticWndProc) : nullptr;
  if (!window) return APP_ERR_MSGBOX(L"CreateWindow", E_FAIL);

  s.SetWindowCreated(true);
  s.SetHWNDFocus(window);
  s.SetHWNDDeviceWindowed(window);
  s.SetHWNDDeviceFullScreen(window);
  return S_OK;
}

void AppSetCursorSettings(bool showCursorWhenFullScreen, bool clipCursorWhenFullScreen) {
  FrameworkState& s = GetAppState();
  s.SetClipCursorWhenFullScreen(clipCursorWhenFullScreen);
  s.SetShowCursorWhenFullScreen(showCursorWhenFullScreen);
}

// ---------------------------------------------------------------------------------------------
// Device creation and change

Result AppCreateDevice(uint32_t adapterOrdinal, bool windowed, int suggestedWidth, int suggestedHeight,
                       AppCallbackIsDeviceAcceptable isDeviceAcceptable,
                       AppCallbackModifyDeviceSettings modifyDeviceSettings, void* userContext) {
  FrameworkState& s = GetAppState();
  if (s.GetInsideDeviceCallback()) return APP_ERR_MSGBOX(L"AppCreateWindow", E_FAIL);

  s.SetIsDeviceAcceptableFunc(isDeviceAcceptable);
  s.SetModifyDeviceSettingsFunc(modifyDeviceSettings);
  s.SetIsDeviceAcceptableFuncUserContext(userContext);
  s.SetDeviceCreateCalled(true);

  if (!s.GetWindowCreated()) {
    if (s.GetWindowCreateCalled()) return E_FAIL;  // window creation already failed
    Result hr = AppCreateWindow(L"Direct3D Window", nullptr, nullptr, nullptr, plat::kUseDefaultPos,
                                plat::kUseDefaultPos);
    if (Failed(hr)) return hr;
  }

  // Enumerate now, with the acceptance callback just stored.
  AppPrepareEnumerationObject(true);

  DeviceSettings settings{};
  settings.AdapterOrdinal = adapterOrdinal;
  settings.pp.Windowed = windowed ? 1 : 0;
  settings.pp.BackBufferWidth = static_cast<uint32_t>(std::max(suggestedWidth, 0));
  settings.pp.BackBufferHeight = static_cast<uint32_t>(std::max(suggestedHeight, 0));

  MatchOptions match;
  match.eAdapterOrdinal = MT_PRESERVE_INPUT;
  match.eWindowed = MT_PRESERVE_INPUT;
  match.eResolution = MT_CLOSEST_TO_INPUT;

  if (s.GetOverrideWidth() != 0) settings.pp.BackBufferWidth = static_cast<uint32_t>(s.GetOverrideWidth());
  if (s.GetOverrideHeight() != 0) settings.pp.BackBufferHeight = static_cast<uint32_t>(s.GetOverrideHeight());
  if (s.GetOverrideAdapterOrdinal() != -1) settings.AdapterOrdinal = static_cast<uint32_t>(s.GetOverrideAdapterOrdinal());
  if (s.GetOverrideFullScreen()) {
    settings.pp.Windowed = 0;
    if (s.GetOverrideWidth() == 0 && s.GetOverrideHeight() == 0) match.eResolution = MT_IGNORE_INPUT;
  }
  if (s.GetOverrideWindowed()) settings.pp.Windowed = 1;
  if (s.GetOverrideForceHAL()) {
    settings.DeviceType = plat::DEVTYPE_HAL;
    match.eDeviceType = MT_PRESERVE_INPUT;
  }
  if (s.GetOverrideForceREF()) {
    settings.DeviceType = plat::DEVTYPE_REF;
    match.eDeviceType = MT_PRESERVE_INPUT;
  }
  if (s.GetOverrideForcePureHWVP()) {
    settings.BehaviorFlags = plat::CREATE_HARDWARE_VERTEXPROCESSING | plat::CREATE_PUREDEVICE;
    match.eVertexProcessing = MT_PRESERVE_INPUT;
  } else if (s.GetOverrideForceHWVP()) {
    settings.BehaviorFlags = plat::CREATE_HARDWARE_VERTEXPROCESSING;
    match.eVertexProcessing = MT_PRESERVE_INPUT;
  } else if (s.GetOverrideForceSWVP()) {
    settings.BehaviorFlags = plat::CREATE_SOFTWARE_VERTEXPROCESSING;
    match.eVertexProcessing = MT_PRESERVE_INPUT;
  }

  Result hr = AppFindValidDeviceSettings(&settings, &settings, &match);
  if (Failed(hr)) {
    AppDisplayErrorMessage(hr);
    return APP_ERR(L"AppFindValidDeviceSettings", hr);
  }

  hr = AppChangeDevice(&settings, false, true);
  return Failed(hr) ? hr : S_OK;
}

Result AppChangeDevice(const DeviceSettings* newSettings, bool forceRecreate, bool clipWindowToSingleAdapter) {
  FrameworkState& s = GetAppState();
  plat::IGraphicsSystem* d3d = s.GetD3D();
  if (!d3d) return S_FALSE;
  if (!newSettings) return E_INVALIDARG;

  auto fresh = std::make_unique<DeviceSettings>(*newSettings);
  if (AppCallbackModifyDeviceSettings modify = s.GetModifyDeviceSettingsFunc()) {
    plat::Caps caps{};
    d3d->GetDeviceCaps(fresh->AdapterOrdinal, fresh->DeviceType, caps);
    bool keep = modify(fresh.get(), &caps, s.GetIsDeviceAcceptableFuncUserContext());
    if (!keep) {
      if (!s.GetCurrentDeviceSettings()) AppDisplayErrorMessage(APPERR_NOCOMPATIBLEDEVICES);
      return E_ABORT;
    }
    if (!s.GetD3D()) return S_FALSE;  // the callback shut the framework down
  }

  // `old` stays owned here until the change is over; the copy becomes the current settings.
  std::unique_ptr<DeviceSettings> oldOwned = s.TakeCurrentDeviceSettings();
  const DeviceSettings* old = oldOwned.get();
  s.SetCurrentDeviceSettings(std::move(fresh));
  DeviceSettings* ns = s.GetCurrentDeviceSettings();

  AppPause(true, true);
  s.SetIgnoreSizeChange(true);
  s.SetThreadSafe((ns->BehaviorFlags & plat::CREATE_MULTITHREADED) != 0);

  if (!old) ApplyFirstDeviceOverrides(s, *ns);

  bool keepCurrentWindowSize = ns->pp.BackBufferWidth == 0 && ns->pp.BackBufferHeight == 0;

  plat::IWindowSystem* windows = Windows();
  plat::WindowHandle fullScreenWindow = s.GetHWNDDeviceFullScreen();
  plat::WindowHandle windowedWindow = s.GetHWNDDeviceWindowed();

  // Window mode. The window keeps its place and frame in memory while it is full screen.
  if (!ns->pp.Windowed) {
    if ((!old || old->pp.Windowed) && windows && windowedWindow) {
      WindowPlacement placement;
      placement.windowRect = windows->GetWindowRect(windowedWindow);
      placement.maximized = windows->IsMaximized(windowedWindow);
      placement.minimized = windows->IsMinimized(windowedWindow);
      s.SetWindowedPlacement(placement);
      s.SetTopmostWhileWindowed(windows->IsTopmost(windowedWindow));
      s.SetWindowBorderedAtModeChange(windows->IsBordered(windowedWindow));
      if (old) {
        s.SetWindowBackBufferWidthAtModeChange(old->pp.BackBufferWidth);
        s.SetWindowBackBufferHeightAtModeChange(old->pp.BackBufferHeight);
      }
    }
    if (windows && fullScreenWindow) {
      windows->SetBordered(fullScreenWindow, false);
      if (windows->IsMinimized(fullScreenWindow) || windows->IsMaximized(fullScreenWindow))
        windows->ShowWindow(fullScreenWindow, plat::ShowCommand::Restore);
      plat::DisplayModeInfo mode{ns->pp.BackBufferWidth, ns->pp.BackBufferHeight, ns->pp.FullScreen_RefreshRateInHz,
                                 BitsPerPixel(ns->pp.BackBufferFormat)};
      windows->SetFullScreen(fullScreenWindow, true, &mode);
    }
  } else if (old && !old->pp.Windowed) {
    s.SetFullScreenBackBufferWidthAtModeChange(old->pp.BackBufferWidth);
    s.SetFullScreenBackBufferHeightAtModeChange(old->pp.BackBufferHeight);
    if (windows && windowedWindow) {
      windows->SetFullScreen(windowedWindow, false, nullptr);
      windows->SetBordered(windowedWindow, s.GetWindowBorderedAtModeChange());
    }
  }

  // Reset when the device can stay; otherwise make a new one.
  bool canReset = !forceRecreate && old && old->AdapterOrdinal == ns->AdapterOrdinal &&
                  old->DeviceType == ns->DeviceType && old->BehaviorFlags == ns->BehaviorFlags &&
                  s.GetD3DDevice();
  if (canReset) {
    Result hr = AppReset3DEnvironment();
    if (Failed(hr)) {
      if (hr == D3DERR_DEVICELOST) {
        s.SetDeviceLost(true);  // the frame step resets it once it can
      } else if (hr == APPERR_RESETTINGDEVICEOBJECTS || hr == APPERR_MEDIANOTFOUND) {
        oldOwned.reset();
        AppDisplayErrorMessage(hr);
        AppShutdown(0);
        return hr;
      } else {
        // The device would not reset: go back to the old settings and re-create from there.
        DeviceSettings retry = *ns;
        s.SetCurrentDeviceSettings(std::move(oldOwned));
        Result recreate = AppChangeDevice(&retry, true, clipWindowToSingleAdapter);
        if (Failed(recreate)) {
          AppShutdown(0);
          return APPERR_CREATINGDEVICE;
        }
        EndChange(s);  // this change's own pause; the re-creation balanced its own
        return S_OK;
      }
    }
  } else {
    if (old) AppCleanup3DEnvironment(false);
    Result hr = AppCreate3DEnvironment();
    if (Failed(hr)) {
      oldOwned.reset();
      AppCleanup3DEnvironment(true);
      AppDisplayErrorMessage(hr);
      EndChange(s);
      return hr;
    }
  }

  AppAllowShortcutKeys(ns->pp.Windowed ? s.GetAllowShortcutKeysWhenWindowed() : s.GetAllowShortcutKeysWhenFullscreen());
  s.SetAdapterMonitor(d3d->GetAdapterMonitor(ns->AdapterOrdinal));
  AppUpdateStaticFrameStats();

  if (old && !old->pp.Windowed && ns->pp.Windowed && windows && windowedWindow) {
    WindowPlacement placement = s.GetWindowedPlacement();
    if (placement.windowRect.Width() > 0 && placement.windowRect.Height() > 0)
      windows->SetWindowRect(windowedWindow, placement.windowRect);
    if (placement.maximized) windows->ShowWindow(windowedWindow, plat::ShowCommand::Maximize);
    windows->SetTopmost(windowedWindow, s.GetTopmostWhileWindowed());
  }

  if (ns->pp.Windowed && !keepCurrentWindowSize && windows && windowedWindow) {
    if (FitWindowToBackBuffer(s, *ns, clipWindowToSingleAdapter)) {
      // The window may not have taken the size (a work area smaller than the back buffer):
      // adopt the client size it got.
      plat::Rect client = windows->GetClientRect(windowedWindow);
      if (static_cast<uint32_t>(client.Width()) != ns->pp.BackBufferWidth ||
          static_cast<uint32_t>(client.Height()) != ns->pp.BackBufferHeight) {
        // The nested change frees `ns` (it becomes that change's old settings).
        DeviceSettings adopt = *ns;
        adopt.pp.BackBufferWidth = 0;
        adopt.pp.BackBufferHeight = 0;
        Result hr = AppChangeDevice(&adopt, false, clipWindowToSingleAdapter);
        if (Failed(hr)) {
          oldOwned.reset();
          AppCleanup3DEnvironment(true);
          EndChange(s);
          return hr;
        }
      }
    }
  }

  plat::WindowHandle shown = AppGetHWND();
  if (windows && shown && !windows->IsVisible(shown)) windows->ShowWindow(shown, plat::ShowCommand::Show);
  AppSetupCursor();
  oldOwned.reset();
  EndChange(s);
  s.SetDeviceCreated(true);
  return S_OK;
}

// ---------------------------------------------------------------------------------------------
// Device steps

Result AppCallDeviceCreated(plat::IDevice* device, const plat::SurfaceDesc* desc) {
  FrameworkState& s = GetAppState();
  AppCallbackDeviceCreated callback = s.GetDeviceCreatedFunc();
  if (!callback) return S_OK;
  s.SetInsideDeviceCallback(true);
  Result hr = callback(device, desc, s.GetDeviceCreatedFuncUserContext());
  s.SetInsideDeviceCallback(false);
  return hr;
}

Result AppCallDeviceReset(plat::IDevice* device, const plat::SurfaceDesc* desc) {
  FrameworkState& s = GetAppState();
  AppCallbackDeviceReset callback = s.GetDeviceResetFunc();
  if (!callback) return S_OK;
  s.SetInsideDeviceCallback(true);
  Result hr = callback(device, desc, s.GetDeviceResetFuncUserContext());
  s.SetInsideDeviceCallback(false);
  return hr;
}

void AppCallDeviceLost() {
  FrameworkState& s = GetAppState();
  AppCallbackDeviceLost callback = s.GetDeviceLostFunc();
  if (!callback) return;
  s.SetInsideDeviceCallback(true);
  callback(s.GetDeviceLostFuncUserContext());
  s.SetInsideDeviceCallback(false);
}

void AppCallDeviceDestroyed() {
  FrameworkState& s = GetAppState();
  AppCallbackDeviceDestroyed callback = s.GetDeviceDestroyedFunc();
  if (!callback) return;
  s.SetInsideDeviceCallback(true);
  callback(s.GetDeviceDestroyedFuncUserContext());
  s.SetInsideDeviceCallback(false);
}

Result AppCreate3DEnvironment() {
  FrameworkState& s = GetAppState();
  plat::IGraphicsSystem* d3d = s.GetD3D();
  DeviceSettings* settings = s.GetCurrentDeviceSettings();
  if (!d3d || !settings) return E_FAIL;

  std::unique_ptr<plat::IDevice> created;
  Result hr = d3d->CreateDevice(settings->AdapterOrdinal, settings->DeviceType, s.GetHWNDFocus(),
                                settings->BehaviorFlags, settings->pp, created);
  if (Failed(hr) || !created) {
    APP_ERR(L"CreateDevice", Failed(hr) ? hr : E_FAIL);
    return APPERR_CREATINGDEVICE;
  }
  plat::IDevice* device = created.get();
  s.SetD3DDevice(std::move(created));

  // The reference device is reported through the exit code (11) so scripts can tell.
  if (settings->DeviceType == plat::DEVTYPE_REF && s.GetExitCode() == 0)
    s.SetExitCode(11);
  else if (settings->DeviceType == plat::DEVTYPE_HAL && s.GetExitCode() == 11)
    s.SetExitCode(0);

  plat::SurfaceDesc desc{};
  device->GetBackBufferDesc(desc);
  s.SetBackBufferSurfaceDesc(desc);
  NoteDevicePresentationScale(s);
  plat::Caps caps{};
  device->GetDeviceCaps(caps);
  s.SetCaps(caps);

  hr = AppCallDeviceCreated(device, s.GetBackBufferSurfaceDescPtr());
  if (!s.GetD3DDevice()) return E_FAIL;  // the callback shut the framework down
  if (Failed(hr)) {
    APP_ERR(L"DeviceCreated callback", hr);
    return hr == APPERR_MEDIANOTFOUND ? APPERR_MEDIANOTFOUND : APPERR_CREATINGDEVICEOBJECTS;
  }
  s.SetDeviceObjectsCreated(true);

  hr = AppCallDeviceReset(device, s.GetBackBufferSurfaceDescPtr());
  if (!s.GetD3DDevice()) return E_FAIL;
  if (Failed(hr)) {
    APP_ERR(L"DeviceReset callback", hr);
    return hr == APPERR_MEDIANOTFOUND ? APPERR_MEDIANOTFOUND : APPERR_RESETTINGDEVICEOBJECTS;
  }
  s.SetDeviceObjectsReset(true);
  return S_OK;
}

Result AppReset3DEnvironment() {
  FrameworkState& s = GetAppState();
  plat::IDevice* device = s.GetD3DDevice();
  DeviceSettings* settings = s.GetCurrentDeviceSettings();
  if (!device || !settings) return E_FAIL;

  if (s.GetDeviceObjectsReset()) {
    AppCallDeviceLost();
    s.SetDeviceObjectsReset(false);
  }

  Result hr = device->Reset(settings->pp);
  if (Failed(hr)) {
    if (hr == D3DERR_DEVICELOST) return D3DERR_DEVICELOST;
    APP_ERR(L"Reset", hr);
    return APPERR_RESETTINGDEVICE;
  }

  plat::SurfaceDesc desc{};
  device->GetBackBufferDesc(desc);
  s.SetBackBufferSurfaceDesc(desc);
  NoteDevicePresentationScale(s);

  hr = AppCallDeviceReset(device, s.GetBackBufferSurfaceDescPtr());
  if (Failed(hr)) {
    APP_ERR(L"DeviceResetCallback", hr);
    Result code = hr == APPERR_MEDIANOTFOUND ? APPERR_MEDIANOTFOUND : APPERR_RESETTINGDEVICEOBJECTS;
    AppCallDeviceLost();  // undo what the reset callback did make
    return code;
  }
  s.SetDeviceObjectsReset(true);
  return S_OK;
}

void AppCleanup3DEnvironment(bool releaseSettings) {
  FrameworkState& s = GetAppState();
  if (!s.GetD3DDevice()) return;

  if (s.GetDeviceObjectsReset()) {
    AppCallDeviceLost();
    s.SetDeviceObjectsReset(false);
  }
  if (s.GetDeviceObjectsCreated()) {
    AppCallDeviceDestroyed();
    s.SetDeviceObjectsCreated(false);
  }

  std::unique_ptr<plat::IDevice> device = s.TakeD3DDevice();
  if (device) {
    uint32_t left = device->LiveObjectCount();
    device.reset();
    if (left != 0) {
      AppDisplayErrorMessage(APPERR_NONZEROREFCOUNT);
      APP_ERR(L"AppCleanup3DEnvironment", APPERR_NONZEROREFCOUNT);
    }
  }

  if (releaseSettings) s.SetCurrentDeviceSettings(nullptr);
  s.SetBackBufferSurfaceDesc(plat::SurfaceDesc{});
  s.SetCaps(plat::Caps{});
  s.SetDeviceCreated(false);

  // A window closed while the device still drew into it goes now.
  if (plat::WindowHandle closed = s.GetHWNDPendingDestroy()) {
    s.SetHWNDPendingDestroy(nullptr);
    if (plat::IWindowSystem* windows = Windows()) windows->DestroyAppWindow(closed);
  }
}

// ---------------------------------------------------------------------------------------------
// Switches

namespace {

// Resolution rule of the full-screen switch: the size remembered for the target mode, if any.
void ApplyRememberedSize(FrameworkState& s, DeviceSettings& settings, MatchOptions& match) {
  uint32_t width, height;
  if (settings.pp.Windowed) {
    width = s.GetWindowBackBufferWidthAtModeChange();
    height = s.GetWindowBackBufferHeightAtModeChange();
  } else {
    width = s.GetFullScreenBackBufferWidthAtModeChange();
    height = s.GetFullScreenBackBufferHeightAtModeChange();
  }
  if (width != 0 && height != 0) {
    match.eResolution = MT_CLOSEST_TO_INPUT;
    settings.pp.BackBufferWidth = width;
    settings.pp.BackBufferHeight = height;
  } else {
    match.eResolution = MT_IGNORE_INPUT;
  }
}

MatchOptions AllClosest() {
  MatchOptions m;
  m.eAdapterOrdinal = m.eDeviceType = m.eWindowed = m.eAdapterFormat = m.eVertexProcessing = m.eResolution =
      m.eBackBufferFormat = m.eBackBufferCount = m.eMultiSample = m.eSwapEffect = m.eDepthFormat =
          m.eStencilFormat = m.ePresentFlags = m.eRefreshRate = m.ePresentInterval = MT_CLOSEST_TO_INPUT;
  return m;
}

}  // namespace

Result AppToggleFullScreen() {
  FrameworkState& s = GetAppState();
  const DeviceSettings* current = s.GetCurrentDeviceSettings();
  if (!current) return E_FAIL;

  DeviceSettings settings = *current;
  settings.pp.Windowed = settings.pp.Windowed ? 0 : 1;

  MatchOptions match = AllClosest();
  match.eAdapterOrdinal = MT_PRESERVE_INPUT;
  match.eWindowed = MT_PRESERVE_INPUT;
  match.eAdapterFormat = MT_IGNORE_INPUT;
  match.eBackBufferFormat = MT_IGNORE_INPUT;
  match.eRefreshRate = MT_IGNORE_INPUT;
  match.ePresentInterval = MT_IGNORE_INPUT;
  ApplyRememberedSize(s, settings, match);

  Result hr = AppFindValidDeviceSettings(&settings, &settings, &match);
  if (Succeeded(hr)) {
    hr = AppChangeDevice(&settings, false, false);
    if (Failed(hr) && hr != E_ABORT) {
      // Could not switch: go back to the mode we came from.
      settings.pp.Windowed = settings.pp.Windowed ? 0 : 1;
      ApplyRememberedSize(s, settings, match);
      Result back = AppFindValidDeviceSettings(&settings, &settings, &match);
      if (Succeeded(back)) back = AppChangeDevice(&settings, false, false);
      if (Failed(back)) AppShutdown(0);
    }
  }
  return hr;
}

Result AppToggleREF() {
  FrameworkState& s = GetAppState();
  const DeviceSettings* current = s.GetCurrentDeviceSettings();
  if (!current) return E_FAIL;

  auto swapType = [](DeviceSettings& d) {
    if (d.DeviceType == plat::DEVTYPE_HAL)
      d.DeviceType = plat::DEVTYPE_REF;
    else if (d.DeviceType == plat::DEVTYPE_REF)
      d.DeviceType = plat::DEVTYPE_HAL;
  };
  DeviceSettings settings = *current;
  swapType(settings);

  MatchOptions match = AllClosest();
  match.eAdapterOrdinal = MT_PRESERVE_INPUT;
  match.eDeviceType = MT_PRESERVE_INPUT;

  Result hr = AppFindValidDeviceSettings(&settings, &settings, &match);
  if (Succeeded(hr)) {
    hr = AppChangeDevice(&settings, false, false);
    if (Failed(hr) && hr != E_ABORT) {
      swapType(settings);
      Result back = AppFindValidDeviceSettings(&settings, &settings, &match);
      if (Succeeded(back)) back = AppChangeDevice(&settings, false, false);
      if (Failed(back)) AppShutdown(0);
    }
  }
  return hr;
}

void AppAdoptDesktopFormat(const DeviceSettings& current, uint32_t desktopFormat) {
  MatchOptions match = AllClosest();
  match.eAdapterOrdinal = MT_PRESERVE_INPUT;
  match.eDeviceType = MT_PRESERVE_INPUT;
  match.eWindowed = MT_PRESERVE_INPUT;
  match.eAdapterFormat = MT_PRESERVE_INPUT;

  DeviceSettings settings = current;
  settings.AdapterFormat = desktopFormat;
  if (Failed(AppFindValidDeviceSettings(&settings, &settings, &match))) {
    AppDisplayErrorMessage(APPERR_NOCOMPATIBLEDEVICES);
    AppShutdown(0);
    return;
  }
  if (Failed(AppChangeDevice(&settings, false, false))) {
    if (Failed(AppToggleFullScreen())) AppShutdown(0);
  }
}

// ---------------------------------------------------------------------------------------------
// Statistics text and cursor

void AppUpdateStaticFrameStats() {
  FrameworkState& s = GetAppState();
  const DeviceSettings* settings = s.GetCurrentDeviceSettings();
  if (!settings) return;
  DeviceEnumeration* enumeration = AppPrepareEnumerationObject(false);
  const EnumDeviceSettingsCombo* combo = enumeration ? enumeration->GetDeviceSettingsCombo(*settings) : nullptr;
  if (!combo) return;

  wchar_t formats[100];
  if (combo->AdapterFormat == combo->BackBufferFormat)
    AppStringCopy(formats, 100, plat::FormatName(combo->AdapterFormat));
  else
    AppStringPrintf(formats, 100, L"backbuf %ls, adapter %ls", plat::FormatName(combo->BackBufferFormat),
                    plat::FormatName(combo->AdapterFormat));

  wchar_t depth[100] = L"";
  if (settings->pp.EnableAutoDepthStencil)
    AppStringPrintf(depth, 100, L" (%ls)", plat::FormatName(settings->pp.AutoDepthStencilFormat));

  wchar_t multiSample[100] = L"";
  if (settings->pp.MultiSampleType == plat::MULTISAMPLE_NONMASKABLE)
    AppStringCopy(multiSample, 100, L" (Nonmaskable Multisample)");
  else if (settings->pp.MultiSampleType != plat::MULTISAMPLE_NONE)
    AppStringPrintf(multiSample, 100, L" (%ux Multisample)", settings->pp.MultiSampleType);

  AppStringPrintf(s.StaticFrameStats(), FrameworkState::kTextChars, L"%%.02f fps (%ux%u), %ls%ls%ls",
                  settings->pp.BackBufferWidth, settings->pp.BackBufferHeight, formats, depth, multiSample);
}

void AppSetupCursor() {
  FrameworkState& s = GetAppState();
  plat::IWindowSystem* windows = Windows();
  if (!windows) return;
  plat::IDevice* device = s.GetD3DDevice();
  bool fullScreen = s.GetCurrentDeviceSettings() && !AppIsWindowed();

  if (fullScreen && device) {
    windows->ShowSystemCursor(false);  // the device draws the cursor in full screen
    if (s.GetShowCursorWhenFullScreen()) {
      plat::CursorImage image = windows->GetArrowCursorImage();
      device->SetCursorProperties(image.hotX, image.hotY, image.argb, image.width, image.height);
      device->ShowCursor(true);
    } else {
      device->ShowCursor(false);
    }
  } else if (!fullScreen) {
    windows->ShowSystemCursor(true);
  }

  plat::WindowHandle focus = s.GetHWNDFocus();
  if (focus) windows->ClipCursor(focus, fullScreen && s.GetClipCursorWhenFullScreen());
}
