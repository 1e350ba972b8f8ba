#pragma once
// The application framework: window and device lifecycle, message loop, frame timer, pause,
// hotkeys, command line and device enumeration. The game registers callbacks and calls the
// App* functions below; everything runs on the thread of the message loop.
#include <cstdint>

#include "platform/graphics/graphics.h"
#include "platform/result.h"
#include "platform/system/messages.h"
#include "platform/system/window_system.h"

struct DeviceSettings {
  uint32_t AdapterOrdinal = 0;
  uint32_t DeviceType = 0;
  uint32_t AdapterFormat = 0;
  uint32_t BehaviorFlags = 0;
  plat::PresentParameters pp;
  bool operator==(const DeviceSettings&) const = default;
};

using AppCallbackIsDeviceAcceptable = bool (*)(const plat::Caps* caps, uint32_t adapterFormat,
                                               uint32_t backBufferFormat, bool windowed, void* userContext);
using AppCallbackModifyDeviceSettings = bool (*)(DeviceSettings* settings, const plat::Caps* caps,
                                                 void* userContext);
using AppCallbackDeviceCreated = Result (*)(plat::IDevice* device, const plat::SurfaceDesc* backBuffer,
                                            void* userContext);
using AppCallbackDeviceReset = Result (*)(plat::IDevice* device, const plat::SurfaceDesc* backBuffer,
                                          void* userContext);
using AppCallbackDeviceLost = void (*)(void* userContext);
using AppCallbackDeviceDestroyed = void (*)(void* userContext);
using AppCallbackFrameMove = void (*)(plat::IDevice* device, double time, float elapsedTime, void* userContext);
using AppCallbackFrameRender = void (*)(plat::IDevice* device, double time, float elapsedTime, void* userContext);
using AppCallbackKeyboard = void (*)(uint32_t nChar, bool keyDown, bool altDown, void* userContext);
using AppCallbackMouse = void (*)(bool leftDown, bool rightDown, bool middleDown, bool side1Down,
                                  bool side2Down, int wheelDelta, int x, int y, void* userContext);
using AppCallbackMsgProc = plat::LRESULT (*)(plat::WindowHandle window, uint32_t message, plat::WPARAM wParam,
                                             plat::LPARAM lParam, bool* noFurtherProcessing, void* userContext);

// Registration.
void AppSetCallbackDeviceCreated(AppCallbackDeviceCreated callback, void* userContext = nullptr);
void AppSetCallbackDeviceReset(AppCallbackDeviceReset callback, void* userContext = nullptr);
void AppSetCallbackDeviceLost(AppCallbackDeviceLost callback, void* userContext = nullptr);
void AppSetCallbackDeviceDestroyed(AppCallbackDeviceDestroyed callback, void* userContext = nullptr);
void AppSetCallbackFrameMove(AppCallbackFrameMove callback, void* userContext = nullptr);
void AppSetCallbackFrameRender(AppCallbackFrameRender callback, void* userContext = nullptr);
void AppSetCallbackKeyboard(AppCallbackKeyboard callback, void* userContext = nullptr);
void AppSetCallbackMouse(AppCallbackMouse callback, bool includeMouseMove = false, void* userContext = nullptr);
void AppSetCallbackMsgProc(AppCallbackMsgProc callback, void* userContext = nullptr);

// Start-up, loop, shutdown.
Result AppInit(bool parseCommandLine = true, bool handleDefaultHotkeys = true, bool showMsgBoxOnError = true,
               bool handleAltEnter = true);
Result AppCreateWindow(const wchar_t* windowTitle = L"Direct3D Window", void* instance = nullptr,
                       void* icon = nullptr, void* menu = nullptr, int x = plat::kUseDefaultPos,
                       int y = plat::kUseDefaultPos);
Result AppCreateDevice(uint32_t adapterOrdinal = 0, bool windowed = true, int suggestedWidth = 0,
                       int suggestedHeight = 0, AppCallbackIsDeviceAcceptable isDeviceAcceptable = nullptr,
                       AppCallbackModifyDeviceSettings modifyDeviceSettings = nullptr, void* userContext = nullptr);
Result AppChangeDevice(const DeviceSettings* newSettings, bool forceRecreate, bool clipWindowToSingleAdapter);
void AppSetCursorSettings(bool showCursorWhenFullScreen, bool clipCursorWhenFullScreen);
Result AppMainLoop(void* acceleratorTable = nullptr);
void AppShutdown(int exitCode = 0);
void AppPause(bool pauseTime, bool pauseRendering);
Result AppToggleFullScreen();
Result AppToggleREF();
int AppGetExitCode();

// Queries.
plat::IGraphicsSystem* AppGetD3DObject();
plat::IDevice* AppGetD3DDevice();
plat::WindowHandle AppGetHWND();
const plat::SurfaceDesc* AppGetBackBufferSurfaceDesc();
const DeviceSettings* AppGetDeviceSettings();
const wchar_t* AppGetFrameStats();
double AppGetTime();
float AppGetElapsedTime();
bool AppIsActive();
bool AppIsWindowed();
bool AppIsRenderingPaused();
bool AppIsTimePaused();
bool AppIsKeyDown(uint8_t virtualKey);
bool AppIsWireframe();

// Errors and traces.
Result AppDisplayErrorMessage(Result hr);
// Writes "file(line): message hr=NAME (0x........)" to the debugger output; with popMsgBox (and
// message boxes allowed) also asks whether to debug. Returns hr.
Result AppTrace(const char* sourceFile, uint32_t line, Result hr, const wchar_t* message, bool popMsgBox);
#define APP_ERR(msg, hr) AppTrace(__FILE__, static_cast<uint32_t>(__LINE__), (hr), (msg), false)
#define APP_ERR_MSGBOX(msg, hr) AppTrace(__FILE__, static_cast<uint32_t>(__LINE__), (hr), (msg), true)
