#pragma once
// Framework operations shared between its own files; not for the game.
#include "common/app.h"

// Frame step: run whenever the message queue is empty.
void AppRender3DEnvironment();
void AppUpdateFrameStats();
// Rebuilds the static frame statistics text from the current settings and their combination.
void AppUpdateStaticFrameStats();

// Device steps used by AppChangeDevice, the frame step and shutdown.
Result AppCreate3DEnvironment();
Result AppReset3DEnvironment();
void AppCleanup3DEnvironment(bool releaseSettings);

// Window rules.
plat::LRESULT AppStaticWndProc(plat::WindowHandle window, uint32_t message, plat::WPARAM wParam,
                               plat::LPARAM lParam);
void AppCheckForWindowSizeChange();
void AppCheckForWindowChangingMonitors();
void AppAllowShortcutKeys(bool allow);
void AppSetupCursor();

// Frame step: the desktop's format changed under a windowed device; follow it.
void AppAdoptDesktopFormat(const DeviceSettings& current, uint32_t desktopFormat);

// The screen. A work area smaller than any desktop, or outside its display, is the display's
// bounds. The presentation scale the window system has is lowered to the largest at which the
// game's window, frame included, fits the work area (one line on standard error says so). A
// full-screen size that is no display mode becomes the nearest mode (with a line). A full-screen
// window that covers its display at a new size takes a back buffer of that size.
plat::Rect AppUsableWorkArea(const plat::DisplayInfo& display, int scale);
void AppHoldPresentationScale();
void AppFitFullScreenSize(DeviceSettings& settings);
void AppFollowDisplayMode();

// Applies the command line to the framework state's overrides and options.
void AppApplyCommandLine();

// Calls the four device callbacks with inside-device-callback set around them.
Result AppCallDeviceCreated(plat::IDevice* device, const plat::SurfaceDesc* desc);
Result AppCallDeviceReset(plat::IDevice* device, const plat::SurfaceDesc* desc);
void AppCallDeviceLost();
void AppCallDeviceDestroyed();
