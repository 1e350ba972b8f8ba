#pragma once
// The framework's one process-wide state. Created on first use; its destruction at process exit
// runs the final AppShutdown(0), so the last device-lost and device-destroyed callbacks arrive
// before the game's global objects (constructed before main) are destroyed.
//
// Every field is read and written through an accessor that takes the framework lock, but only
// while the thread-safe flag is set: from creation until the first device change, and after
// that exactly when the device settings ask for a multithreaded device.
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "common/app.h"
#include "common/appenum.h"

// Where a windowed window was and how it was shown, saved when switching to full screen.
struct WindowPlacement {
  plat::Rect windowRect;  // outer rectangle of the normal (restored) window
  bool maximized = false;
  bool minimized = false;
  bool operator==(const WindowPlacement&) const = default;
};

class FrameworkState {
 public:
  FrameworkState() = default;
  FrameworkState(const FrameworkState&) = delete;
  FrameworkState& operator=(const FrameworkState&) = delete;

 private:
  // Takes the lock only while the thread-safe flag is set; remembers whether it did.
  class Guard {
   public:
    explicit Guard(const FrameworkState& s) : s_(s), locked_(s.threadSafe_.load()) {
      if (locked_) s_.lock_.lock();
    }
    ~Guard() {
      if (locked_) s_.lock_.unlock();
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

   private:
    const FrameworkState& s_;
    bool locked_;
  };

  mutable std::recursive_mutex lock_;
  std::atomic<bool> threadSafe_{true};

 public:
  bool GetThreadSafe() const { return threadSafe_.load(); }
  void SetThreadSafe(bool v) { threadSafe_.store(v); }

#define APP_FIELD(type, name, initial)          \
 private:                                       \
  type m_##name = initial;                      \
                                                \
 public:                                        \
  type Get##name() const {                      \
    Guard g(*this);                             \
    return m_##name;                            \
  }                                             \
  void Set##name(type v) {                      \
    Guard g(*this);                             \
    m_##name = v;                               \
  }

  // Graphics objects (the owned ones have hand-written accessors below).
  APP_FIELD(plat::SurfaceDesc, BackBufferSurfaceDesc, {})
  APP_FIELD(plat::Caps, Caps, {})

  // Windows.
  APP_FIELD(plat::WindowHandle, HWNDFocus, nullptr)
  APP_FIELD(plat::WindowHandle, HWNDDeviceFullScreen, nullptr)
  APP_FIELD(plat::WindowHandle, HWNDDeviceWindowed, nullptr)
  APP_FIELD(int, AdapterMonitor, -1)
  APP_FIELD(int, DevicePresentationScale, 0)  // the window system's scale when the device was last sized
  APP_FIELD(void*, Menu, nullptr)
  // A closed window kept (hidden) until the device made on it is released.
  APP_FIELD(plat::WindowHandle, HWNDPendingDestroy, nullptr)

  // Mode-change memory.
  APP_FIELD(uint32_t, FullScreenBackBufferWidthAtModeChange, 0)
  APP_FIELD(uint32_t, FullScreenBackBufferHeightAtModeChange, 0)
  APP_FIELD(uint32_t, WindowBackBufferWidthAtModeChange, 0)
  APP_FIELD(uint32_t, WindowBackBufferHeightAtModeChange, 0)
  APP_FIELD(bool, WindowBorderedAtModeChange, true)  // the window's "style" on this platform
  APP_FIELD(WindowPlacement, WindowedPlacement, {})
  APP_FIELD(bool, TopmostWhileWindowed, false)

  // Window flags.
  APP_FIELD(bool, Minimized, false)
  APP_FIELD(bool, Maximized, false)
  APP_FIELD(bool, MinimizedWhileFullscreen, false)
  APP_FIELD(bool, IgnoreSizeChange, false)
  APP_FIELD(bool, InsideSizeMove, false)
  APP_FIELD(bool, Active, true)

  // Time.
  APP_FIELD(double, Time, 0.0)
  APP_FIELD(float, ElapsedTime, 0.0f)
  APP_FIELD(double, LastStatsUpdateTime, 0.0)
  APP_FIELD(uint32_t, LastStatsUpdateFrames, 0)
  APP_FIELD(float, FPS, 0.0f)
  APP_FIELD(int, CurrentFrameNumber, 0)

  // Keyboard shortcuts (system key combinations; grabbed keyboard in full screen).
  APP_FIELD(bool, AllowShortcutKeysWhenFullscreen, false)
  APP_FIELD(bool, AllowShortcutKeysWhenWindowed, true)
  APP_FIELD(bool, AllowShortcutKeys, true)
  APP_FIELD(bool, KeyboardGrabbed, false)

  // Options.
  APP_FIELD(bool, HandleDefaultHotkeys, false)
  APP_FIELD(bool, HandleAltEnter, false)
  APP_FIELD(bool, ShowMsgBoxOnError, true)
  APP_FIELD(bool, ClipCursorWhenFullScreen, false)
  APP_FIELD(bool, ShowCursorWhenFullScreen, false)
  APP_FIELD(bool, ConstantFrameTime, false)
  APP_FIELD(float, TimePerFrame, 0.0f)
  APP_FIELD(bool, WireframeMode, false)
  APP_FIELD(bool, AutoChangeAdapter, true)
  APP_FIELD(bool, CallDefWindowProc, true)
  APP_FIELD(int, ExitCode, 0)

  // Lifecycle flags.
  APP_FIELD(bool, Initialized, false)
  APP_FIELD(bool, WindowCreated, false)
  APP_FIELD(bool, DeviceCreated, false)
  APP_FIELD(bool, InitCalled, false)
  APP_FIELD(bool, WindowCreateCalled, false)
  APP_FIELD(bool, DeviceCreateCalled, false)
  APP_FIELD(bool, DeviceObjectsCreated, false)
  APP_FIELD(bool, DeviceObjectsReset, false)
  APP_FIELD(bool, InsideDeviceCallback, false)
  APP_FIELD(bool, InsideMainloop, false)
  APP_FIELD(bool, RenderingPaused, false)
  APP_FIELD(int, PauseRenderingCount, 0)
  APP_FIELD(int, PauseTimeCount, 0)
  APP_FIELD(bool, DeviceLost, false)
  APP_FIELD(bool, NotifyOnMouseMove, false)
  APP_FIELD(bool, Automation, false)

  // Command-line overrides.
  APP_FIELD(int, OverrideAdapterOrdinal, -1)
  APP_FIELD(bool, OverrideWindowed, false)
  APP_FIELD(bool, OverrideFullScreen, false)
  APP_FIELD(int, OverrideStartX, -1)
  APP_FIELD(int, OverrideStartY, -1)
  APP_FIELD(int, OverrideWidth, 0)
  APP_FIELD(int, OverrideHeight, 0)
  APP_FIELD(bool, OverrideForceHAL, false)
  APP_FIELD(bool, OverrideForceREF, false)
  APP_FIELD(bool, OverrideForcePureHWVP, false)
  APP_FIELD(bool, OverrideForceHWVP, false)
  APP_FIELD(bool, OverrideForceSWVP, false)
  APP_FIELD(bool, OverrideConstantFrameTime, false)
  APP_FIELD(float, OverrideConstantTimePerFrame, 0.0f)
  APP_FIELD(int, OverrideQuitAfterFrame, 0)
  APP_FIELD(int, OverrideScale, 0)  // presentation scale 1 to 8; 0: none

  // Callbacks.
  APP_FIELD(AppCallbackIsDeviceAcceptable, IsDeviceAcceptableFunc, nullptr)
  APP_FIELD(AppCallbackModifyDeviceSettings, ModifyDeviceSettingsFunc, nullptr)
  APP_FIELD(AppCallbackDeviceCreated, DeviceCreatedFunc, nullptr)
  APP_FIELD(AppCallbackDeviceReset, DeviceResetFunc, nullptr)
  APP_FIELD(AppCallbackDeviceLost, DeviceLostFunc, nullptr)
  APP_FIELD(AppCallbackDeviceDestroyed, DeviceDestroyedFunc, nullptr)
  APP_FIELD(AppCallbackFrameMove, FrameMoveFunc, nullptr)
  APP_FIELD(AppCallbackFrameRender, FrameRenderFunc, nullptr)
  APP_FIELD(AppCallbackKeyboard, KeyboardFunc, nullptr)
  APP_FIELD(AppCallbackMouse, MouseFunc, nullptr)
  APP_FIELD(AppCallbackMsgProc, WindowMsgFunc, nullptr)
  APP_FIELD(void*, IsDeviceAcceptableFuncUserContext, nullptr)  // also for modify device settings
  APP_FIELD(void*, DeviceCreatedFuncUserContext, nullptr)
  APP_FIELD(void*, DeviceResetFuncUserContext, nullptr)
  APP_FIELD(void*, DeviceLostFuncUserContext, nullptr)
  APP_FIELD(void*, DeviceDestroyedFuncUserContext, nullptr)
  APP_FIELD(void*, FrameMoveFuncUserContext, nullptr)
  APP_FIELD(void*, FrameRenderFuncUserContext, nullptr)
  APP_FIELD(void*, KeyboardFuncUserContext, nullptr)
  APP_FIELD(void*, MouseFuncUserContext, nullptr)
  APP_FIELD(void*, WindowMsgFuncUserContext, nullptr)

#undef APP_FIELD

  // The stored description, for callbacks that get it by pointer.
  const plat::SurfaceDesc* GetBackBufferSurfaceDescPtr() const { return &m_BackBufferSurfaceDesc; }

  // Owned graphics objects.
  plat::IGraphicsSystem* GetD3D() const;
  void SetD3D(std::unique_ptr<plat::IGraphicsSystem> d3d);
  std::unique_ptr<plat::IGraphicsSystem> TakeD3D();
  plat::IDevice* GetD3DDevice() const;
  void SetD3DDevice(std::unique_ptr<plat::IDevice> device);
  std::unique_ptr<plat::IDevice> TakeD3DDevice();
  // The current device settings: an owned copy, or none.
  DeviceSettings* GetCurrentDeviceSettings() const;
  void SetCurrentDeviceSettings(std::unique_ptr<DeviceSettings> settings);
  std::unique_ptr<DeviceSettings> TakeCurrentDeviceSettings();
  // The enumeration object lives and dies with the state, so the final shutdown at exit can
  // still release it.
  std::unique_ptr<DeviceEnumeration>& EnumerationSlot() { return enumeration_; }

  // Input tables.
  bool GetKey(uint8_t vk) const;
  void SetKey(uint8_t vk, bool down);
  enum MouseButton { kLeft = 0, kMiddle = 1, kRight = 2, kExtra1 = 3, kExtra2 = 4 };
  bool GetMouseButton(MouseButton b) const;
  void SetMouseButton(MouseButton b, bool down);

  // Text buffers of kTextChars characters, always terminated.
  static constexpr size_t kTextChars = 256;
  wchar_t* StaticFrameStats() { return staticFrameStats_.data(); }
  wchar_t* FrameStats() { return frameStats_.data(); }
  wchar_t* WindowTitle() { return windowTitle_.data(); }

 private:
  std::unique_ptr<plat::IGraphicsSystem> d3d_;
  std::unique_ptr<plat::IDevice> device_;
  std::unique_ptr<DeviceSettings> currentSettings_;
  std::unique_ptr<DeviceEnumeration> enumeration_;
  std::array<bool, 256> keys_{};
  std::array<bool, 5> mouseButtons_{};
  std::array<wchar_t, kTextChars> staticFrameStats_{};
  std::array<wchar_t, kTextChars> frameStats_{};
  std::array<wchar_t, kTextChars> windowTitle_{};
};

// The process-wide state, created on first use.
FrameworkState& GetAppState();

// Runs the final shutdown now (as process exit would) and lets the next GetAppState() start a
// fresh state and timer. For tests that install a new fake platform per case.
void AppResetStateForTests();
