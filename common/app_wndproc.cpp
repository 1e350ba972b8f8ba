// The framework's window procedure: input tables and callbacks, pausing around sizing and menus,
// adopting a new client size or monitor, full-screen activation rules and the default hotkeys.
#include "common/app.h"
#include "common/app_internal.h"
#include "common/app_state.h"
#include "common/appenum.h"
#include "common/appmisc.h"
#include "platform/services.h"

namespace {

plat::IWindowSystem* Windows() { return plat::GetServices().windows; }

// System commands swallowed in full screen so the window cannot be sized, moved or left.
constexpr plat::WPARAM SC_SIZE = 0xF000, SC_MOVE = 0xF010, SC_MAXIMIZE = 0xF030, SC_KEYMENU = 0xF100,
                       SC_MONITORPOWER = 0xF170;
constexpr plat::LRESULT kMenuCharClose = 0x10000;
constexpr plat::LRESULT kHitClient = 1;

bool IsKeyMessage(uint32_t m) {
  return m == plat::WM_KEYDOWN || m == plat::WM_SYSKEYDOWN || m == plat::WM_KEYUP || m == plat::WM_SYSKEYUP;
}

bool IsMouseButtonOrWheel(uint32_t m) {
  switch (m) {
    case plat::WM_LBUTTONDOWN: case plat::WM_LBUTTONUP: case plat::WM_LBUTTONDBLCLK:
    case plat::WM_MBUTTONDOWN: case plat::WM_MBUTTONUP: case plat::WM_MBUTTONDBLCLK:
    case plat::WM_RBUTTONDOWN: case plat::WM_RBUTTONUP: case plat::WM_RBUTTONDBLCLK:
    case plat::WM_XBUTTONDOWN: case plat::WM_XBUTTONUP: case plat::WM_XBUTTONDBLCLK:
    case plat::WM_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

void HandleKeyboard(FrameworkState& s, uint32_t message, plat::WPARAM wParam, plat::LPARAM lParam) {
  bool down = message == plat::WM_KEYDOWN || message == plat::WM_SYSKEYDOWN;
  uint32_t key = static_cast<uint32_t>(wParam);
  s.SetKey(static_cast<uint8_t>(key & 0xFF), down);
  if (AppCallbackKeyboard keyboard = s.GetKeyboardFunc())
    keyboard(key, down, (lParam & plat::kAltBit) != 0, s.GetKeyboardFuncUserContext());
}

void HandleMouse(FrameworkState& s, plat::WindowHandle window, uint32_t message, plat::WPARAM wParam,
                 plat::LPARAM lParam) {
  int x = plat::LoWordSigned(lParam);
  int y = plat::HiWordSigned(lParam);
  int wheelDelta = 0;
  if (message == plat::WM_MOUSEWHEEL) {
    // The wheel reports screen coordinates: move them into the client area.
    if (plat::IWindowSystem* windows = Windows(); windows && window) {
      plat::Rect outer = windows->GetWindowRect(window);
      plat::Rect frame = windows->AdjustWindowRect(window, plat::Rect{0, 0, 0, 0});
      x -= outer.left - frame.left;
      y -= outer.top - frame.top;
    }
    wheelDelta = plat::HiWordSigned(static_cast<intptr_t>(wParam));
  }
  uint32_t buttons = static_cast<uint32_t>(wParam);
  bool left = (buttons & plat::MK_LBUTTON) != 0;
  bool right = (buttons & plat::MK_RBUTTON) != 0;
  bool middle = (buttons & plat::MK_MBUTTON) != 0;
  bool side1 = (buttons & plat::MK_XBUTTON1) != 0;
  bool side2 = (buttons & plat::MK_XBUTTON2) != 0;
  s.SetMouseButton(FrameworkState::kLeft, left);
  s.SetMouseButton(FrameworkState::kMiddle, middle);
  s.SetMouseButton(FrameworkState::kRight, right);
  s.SetMouseButton(FrameworkState::kExtra1, side1);
  s.SetMouseButton(FrameworkState::kExtra2, side2);
  if (AppCallbackMouse mouse = s.GetMouseFunc())
    mouse(left, right, middle, side1, side2, wheelDelta, x, y, s.GetMouseFuncUserContext());
}

void CheckSizeAndMonitor() {
  AppCheckForWindowSizeChange();
  AppCheckForWindowChangingMonitors();
}

void HandleSize(FrameworkState& s, plat::WindowHandle window, plat::WPARAM wParam) {
  if (wParam == plat::SIZE_MINIMIZED) {
    AppPause(true, true);  // nothing to see while minimised
    s.SetMinimized(true);
    s.SetMaximized(false);
    return;
  }
  plat::IWindowSystem* windows = Windows();
  if (!windows) return;
  // A restore that arrives while the window is really minimised (rapid clicking) reports an
  // empty client area: ignore it.
  plat::Rect client = windows->GetClientRect(window);
  if (client.top == 0 && client.bottom == 0) return;

  if (wParam == plat::SIZE_MAXIMIZED) {
    if (s.GetMinimized()) AppPause(false, false);
    s.SetMinimized(false);
    s.SetMaximized(true);
    CheckSizeAndMonitor();
  } else if (wParam == plat::SIZE_RESTORED) {
    if (s.GetMaximized()) {
      s.SetMaximized(false);
      CheckSizeAndMonitor();
    } else if (s.GetMinimized()) {
      AppPause(false, false);
      s.SetMinimized(false);
      CheckSizeAndMonitor();
    } else if (s.GetInsideSizeMove()) {
      // Dragging: the device follows once the drag ends.
    } else {
      CheckSizeAndMonitor();
    }
  }
}

void HandlePaint(FrameworkState& s) {
  plat::IDevice* device = s.GetD3DDevice();
  if (!device || !s.GetRenderingPaused() || !s.GetDeviceObjectsCreated() || !s.GetDeviceObjectsReset()) return;
  // Time stands still while paused: redraw the last frame's time.
  if (AppCallbackFrameRender render = s.GetFrameRenderFunc())
    render(device, s.GetTime(), s.GetElapsedTime(), s.GetFrameRenderFuncUserContext());
  device = s.GetD3DDevice();
  if (!device) return;
  Result hr = device->Present();
  if (hr == D3DERR_DEVICELOST || hr == D3DERR_DRIVERINTERNALERROR) s.SetDeviceLost(true);
}

void HandleActivateApp(FrameworkState& s, bool becomingActive) {
  if (becomingActive && !s.GetActive()) {
    s.SetActive(true);
    AppSetupCursor();
    if (s.GetMinimizedWhileFullscreen()) {
      AppPause(false, false);
      s.SetMinimizedWhileFullscreen(false);
    }
    AppAllowShortcutKeys(AppIsWindowed() ? s.GetAllowShortcutKeysWhenWindowed()
                                         : s.GetAllowShortcutKeysWhenFullscreen());
  } else if (!becomingActive && s.GetActive()) {
    s.SetActive(false);
    if (!AppIsWindowed()) {
      if (plat::IWindowSystem* windows = Windows(); windows && s.GetHWNDFocus())
        windows->ClipCursor(s.GetHWNDFocus(), false);
      AppPause(true, true);
      s.SetMinimizedWhileFullscreen(true);
    }
    AppAllowShortcutKeys(true);  // never keep the system keys from another application
  }
}

void HandleKeyDownHotkey(FrameworkState& s, plat::WindowHandle window, plat::WPARAM key) {
  if (!s.GetHandleDefaultHotkeys()) return;
  switch (key) {
    case plat::VK_ESCAPE:
      if (plat::IWindowSystem* windows = Windows()) windows->SendMessage(window, plat::WM_CLOSE, 0, 0);
      break;
    case plat::VK_PAUSE:
      if (AppIsTimePaused())
        AppPause(false, false);
      else
        AppPause(true, false);
      break;
    case plat::VK_F3:
      AppPause(true, true);
      AppToggleREF();
      AppPause(false, false);
      break;
    case plat::VK_F8: {
      bool wireframe = !s.GetWireframeMode();
      s.SetWireframeMode(wireframe);
      if (plat::IDevice* device = s.GetD3DDevice())
        device->SetRenderState(plat::RS_FILLMODE, wireframe ? plat::FILL_WIREFRAME : plat::FILL_SOLID);
      break;
    }
    default:
      break;
  }
}

void HandleClose(FrameworkState& s, plat::WindowHandle window) {
  plat::IWindowSystem* windows = Windows();
  if (windows) {
    if (s.GetKeyboardGrabbed()) {
      windows->GrabKeyboard(window, false);
      s.SetKeyboardGrabbed(false);
    }
    if (s.GetD3DDevice()) {
      // The device draws into this window until it is released (at the latest at process exit):
      // hide it now, destroy it after the device, and end the loop as the destruction would.
      windows->ShowWindow(window, plat::ShowCommand::Hide);
      s.SetHWNDPendingDestroy(window);
      windows->PostQuitMessage(0);
    } else {
      windows->DestroyAppWindow(window);
    }
  }
  s.SetHWNDFocus(nullptr);
  s.SetHWNDDeviceFullScreen(nullptr);
  s.SetHWNDDeviceWindowed(nullptr);
}

}  // namespace

plat::LRESULT AppStaticWndProc(plat::WindowHandle window, uint32_t message, plat::WPARAM wParam,
                               plat::LPARAM lParam) {
  FrameworkState& s = GetAppState();

  if (IsKeyMessage(message)) HandleKeyboard(s, message, wParam, lParam);
  if (IsMouseButtonOrWheel(message) || (message == plat::WM_MOUSEMOVE && s.GetNotifyOnMouseMove()))
    HandleMouse(s, window, message, wParam, lParam);

  if (AppCallbackMsgProc msgProc = s.GetWindowMsgFunc()) {
    bool noFurtherProcessing = false;
    plat::LRESULT result =
        msgProc(window, message, wParam, lParam, &noFurtherProcessing, s.GetWindowMsgFuncUserContext());
    if (noFurtherProcessing) return result;
  }

  bool fullScreen = s.GetCurrentDeviceSettings() && !AppIsWindowed();
  switch (message) {
    case plat::WM_PAINT:
      HandlePaint(s);
      break;
    case plat::WM_SIZE:
      HandleSize(s, window, wParam);
      break;
    case plat::WM_GETMINMAXINFO:
      if (lParam != 0) {
        auto* limits = reinterpret_cast<plat::MinMaxInfo*>(lParam);
        limits->minTrackWidth = 200;
        limits->minTrackHeight = 200;
      }
      break;
    case plat::WM_ENTERSIZEMOVE:
      AppPause(true, true);  // no device change while the frame is dragged
      s.SetInsideSizeMove(true);
      break;
    case plat::WM_EXITSIZEMOVE:
      AppPause(false, false);
      CheckSizeAndMonitor();
      s.SetInsideSizeMove(false);
      break;
    case plat::WM_SETCURSOR:
      if (s.GetActive() && fullScreen) {
        if (plat::IWindowSystem* windows = Windows()) windows->ShowSystemCursor(false);
        plat::IDevice* device = s.GetD3DDevice();
        if (s.GetShowCursorWhenFullScreen() && device) device->ShowCursor(true);
        return 1;
      }
      break;
    case plat::WM_MOUSEMOVE:
      if (s.GetActive() && fullScreen) {
        plat::IDevice* device = s.GetD3DDevice();
        plat::IWindowSystem* windows = Windows();
        if (device && windows) {
          int x = 0, y = 0;
          windows->GetCursorPos(x, y);
          device->SetCursorPosition(x, y);
        }
      }
      break;
    case plat::WM_ACTIVATEAPP:
      HandleActivateApp(s, wParam != 0);
      break;
    case plat::WM_ENTERMENULOOP:
      AppPause(true, true);
      break;
    case plat::WM_EXITMENULOOP:
      AppPause(false, false);
      break;
    case plat::WM_MENUCHAR:
      return kMenuCharClose;
    case plat::WM_NCHITTEST:
      if (fullScreen) return kHitClient;  // the frame cannot be grabbed in full screen
      break;
    case plat::WM_SYSCOMMAND:
      if (fullScreen) {
        switch (wParam & 0xFFF0) {
          case SC_MAXIMIZE: case SC_SIZE: case SC_MOVE: case SC_KEYMENU: case SC_MONITORPOWER:
            return 0;
          default:
            break;
        }
      }
      break;
    case plat::WM_POWERBROADCAST:
      if (wParam == plat::PBT_APMQUERYSUSPEND) return 1;
      if (wParam == plat::PBT_APMRESUMESUSPEND) {
        // Time restarts from 0 and the next frame recomputes the statistics.
        AppGetGlobalTimer().Reset();
        s.SetLastStatsUpdateTime(0.0);
        return 1;
      }
      break;
    case plat::WM_SYSKEYDOWN:
      if (wParam == plat::VK_RETURN && s.GetHandleAltEnter() && (lParam & plat::kAltBit) != 0) {
        AppPause(true, true);
        AppToggleFullScreen();
        AppPause(false, false);
        return 0;
      }
      break;
    case plat::WM_KEYDOWN:
      HandleKeyDownHotkey(s, window, wParam);
      break;
    case plat::WM_CLOSE:
      HandleClose(s, window);
      return 0;
    case plat::WM_DESTROY:
      if (plat::IWindowSystem* windows = Windows()) windows->PostQuitMessage(0);
      break;
    default:
      break;
  }

  if (!s.GetCallDefWindowProc()) return 0;
  // F10 would open the system menu; with no menu bar it does nothing.
  if ((message == plat::WM_SYSKEYDOWN || message == plat::WM_SYSKEYUP) && wParam == plat::VK_F10 && !s.GetMenu())
    return 0;
  plat::IWindowSystem* windows = Windows();
  return windows ? windows->DefWindowProc(window, message, wParam, lParam) : 0;
}

// ---------------------------------------------------------------------------------------------

void AppCheckForWindowSizeChange() {
  FrameworkState& s = GetAppState();
  const DeviceSettings* current = s.GetCurrentDeviceSettings();
  plat::IWindowSystem* windows = Windows();
  if (s.GetIgnoreSizeChange() || !s.GetD3DDevice() || !current || !windows) return;
  if (!current->pp.Windowed) {
    AppFollowDisplayMode();  // in full screen only the display can change the window's size
    return;
  }

  plat::Rect client = windows->GetClientRect(AppGetHWND());
  const bool sameSize = static_cast<uint32_t>(client.Width()) == current->pp.BackBufferWidth &&
                        static_cast<uint32_t>(client.Height()) == current->pp.BackBufferHeight;
  if (sameSize && windows->PresentationScale() == s.GetDevicePresentationScale()) return;
  // Only the scale changed, with the window on another monitor: the change of adapter that follows
  // makes the device anew at the new scale, so one change does for both.
  if (sameSize && s.GetAutoChangeAdapter() && windows->GetWindowDisplay(AppGetHWND()) != s.GetAdapterMonitor())
    return;

  DeviceSettings settings = *current;
  settings.pp.BackBufferWidth = 0;  // adopt the client size
  settings.pp.BackBufferHeight = 0;
  AppChangeDevice(&settings, false, false);
}

void AppCheckForWindowChangingMonitors() {
  FrameworkState& s = GetAppState();
  const DeviceSettings* current = s.GetCurrentDeviceSettings();
  plat::IWindowSystem* windows = Windows();
  plat::IGraphicsSystem* d3d = s.GetD3D();
  if (!s.GetAutoChangeAdapter() || s.GetIgnoreSizeChange() || !s.GetD3DDevice() || !current ||
      !current->pp.Windowed || !windows || !d3d)
    return;

  int monitor = windows->GetWindowDisplay(AppGetHWND());  // 0 (primary) when on none
  if (monitor == s.GetAdapterMonitor()) return;

  uint32_t count = d3d->GetAdapterCount();
  for (uint32_t adapter = 0; adapter < count; ++adapter) {
    if (d3d->GetAdapterMonitor(adapter) != monitor) continue;

    DeviceSettings settings = *current;
    settings.AdapterOrdinal = adapter;
    MatchOptions match;
    match.eAdapterOrdinal = MT_PRESERVE_INPUT;
    match.eDeviceType = match.eWindowed = match.eAdapterFormat = match.eVertexProcessing = match.eResolution =
        match.eBackBufferFormat = match.eBackBufferCount = match.eMultiSample = match.eSwapEffect =
            match.eDepthFormat = match.eStencilFormat = match.ePresentFlags = match.eRefreshRate =
                match.ePresentInterval = MT_CLOSEST_TO_INPUT;
    if (Failed(AppFindValidDeviceSettings(&settings, &settings, &match))) return;
    Result hr = AppChangeDevice(&settings, false, false);
    if (hr == E_ABORT) {
      s.SetAutoChangeAdapter(false);  // the game refused: do not ask again
    } else if (Failed(hr)) {
      AppShutdown(0);
      AppPause(false, false);
    }
    return;
  }
}

void AppAllowShortcutKeys(bool allow) {
  FrameworkState& s = GetAppState();
  s.SetAllowShortcutKeys(allow);
  // Disallowed shortcut keys mean the keyboard is grabbed: system key combinations reach the
  // window instead of the desktop.
  plat::IWindowSystem* windows = Windows();
  plat::WindowHandle focus = s.GetHWNDFocus();
  bool grab = !allow;
  if (!windows || !focus || s.GetKeyboardGrabbed() == grab) return;
  windows->GrabKeyboard(focus, grab);
  s.SetKeyboardGrabbed(grab);
}
