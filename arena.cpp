// Entry point and game callbacks: registers the callbacks, starts the framework, loads the Scene
// and runs the message loop. Every callback forwards to the three global objects in a fixed order.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/app.h"
#include "common/appmisc.h"
#include "game/font_renderer.h"
#include "game/overlay.h"
#include "game/scene.h"
#include "platform/services.h"
#include "platform/system/std_streams.h"
#include "platform/system/system.h"

// Constructed before main, the Overlay first; destroyed after the framework's exit handling has
// delivered the final device-lost and device-destroyed events.
Overlay g_overlay;
Scene g_scene;
FontRenderer g_font;  // the frame-statistics line

namespace {

// ARENA_TRACE_DEVICE_EVENTS=1 writes each device callback, the sound device's state and the order
// in which mouse events reach the Overlay and the Scene to stderr, for scripts that watch them
// (the last two with prefixes of their own, so the device event lines stay as they are).
bool TraceDeviceEvents() {
  static const bool on = [] {
    const char* v = std::getenv("ARENA_TRACE_DEVICE_EVENTS");
    return v != nullptr && *v != '\0' && *v != '0';
  }();
  return on;
}

const char* DeviceTypeName() {
  plat::IDevice* device = AppGetD3DDevice();
  return device && device->GetDeviceType() == plat::DEVTYPE_REF ? "REF" : "HAL";
}

void TraceEvent(const char* name, const plat::SurfaceDesc* backBuffer = nullptr) {
  if (!TraceDeviceEvents()) return;
  if (backBuffer)
    std::fprintf(stderr, "arena: %s %s %ux%u\n", name, DeviceTypeName(), backBuffer->Width, backBuffer->Height);
  else
    std::fprintf(stderr, "arena: %s\n", name);
  std::fflush(stderr);
}

// With the device events on: the Overlay's sound device after a reset or a loss.
void TraceSound() {
  if (!TraceDeviceEvents()) return;
  const SoundDevice* sound = g_overlay.Sound().Device();
  if (!sound) {
    std::fprintf(stderr, "arena-sound: closed\n");
  } else if (sound->PrimaryFormat().formatTag != 0) {
    const WaveFormat& f = sound->PrimaryFormat();
    std::fprintf(stderr, "arena-sound: open %u %u %u\n", unsigned(f.channels), unsigned(f.samplesPerSecond),
                 unsigned(f.bitsPerSample));
  } else {
    std::fprintf(stderr, "arena-sound: unavailable\n");
  }
  std::fflush(stderr);
}

// With the device events on: which object a mouse event reaches, in order.
void TraceMouse(const char* target, bool leftDown, int x, int y) {
  if (!TraceDeviceEvents()) return;
  std::fprintf(stderr, "arena-mouse: %s %d %d %d\n", target, leftDown ? 1 : 0, x, y);
  std::fflush(stderr);
}

// With the device events on: the 1st, 10th, 100th... frame drawn since the device was last reset
// or rendering last resumed, with the device and the back buffer it went to, so that scripts see
// frames keep coming after every change.
uint64_t g_framesSinceReset = 0;
void TraceFrame() {
  if (!TraceDeviceEvents()) return;
  const uint64_t n = ++g_framesSinceReset;
  uint64_t decade = 1;
  while (decade * 10 <= n) decade *= 10;
  if (n != decade) return;
  const plat::SurfaceDesc* backBuffer = AppGetBackBufferSurfaceDesc();
  std::fprintf(stderr, "arena-frames: %llu %s %ux%u\n", static_cast<unsigned long long>(n), DeviceTypeName(),
               backBuffer->Width, backBuffer->Height);
  std::fflush(stderr);
}

// With the device events on: pauses as frame move sees them.
void TracePauses() {
  if (!TraceDeviceEvents()) return;
  static bool renderingPaused = false, timePaused = false;
  if (AppIsRenderingPaused() != renderingPaused) {
    renderingPaused = !renderingPaused;
    std::fprintf(stderr, "arena-pause: rendering %s\n", renderingPaused ? "paused" : "resumed");
    if (!renderingPaused) g_framesSinceReset = 0;
  }
  if (AppIsTimePaused() != timePaused) {
    timePaused = !timePaused;
    std::fprintf(stderr, "arena-pause: time %s\n", timePaused ? "paused" : "resumed");
  }
  std::fflush(stderr);
}

bool IsDeviceAcceptable(const plat::Caps* caps, uint32_t adapterFormat, uint32_t backBufferFormat,
                        bool /*windowed*/, void* /*userContext*/) {
  plat::IGraphicsSystem* d3d = AppGetD3DObject();
  if (!d3d || !caps) return false;
  // The sprites blend into the back buffer.
  return Succeeded(d3d->CheckDeviceFormat(caps->AdapterOrdinal, caps->DeviceType, adapterFormat,
                                          plat::USAGE_QUERY_POSTPIXELSHADER_BLENDING, plat::RTYPE_TEXTURE,
                                          backBufferFormat));
}

bool ModifyDeviceSettings(DeviceSettings* /*settings*/, const plat::Caps* /*caps*/, void* /*userContext*/) {
  return true;
}

Result OnCreateDevice(plat::IDevice* device, const plat::SurfaceDesc* backBuffer, void* /*userContext*/) {
  TraceEvent("created", backBuffer);
  g_font.Create(device);
  g_overlay.OnCreateDevice(device);
  g_scene.Create(device);
  return S_OK;
}

Result OnResetDevice(plat::IDevice* device, const plat::SurfaceDesc* backBuffer, void* userContext) {
  TraceEvent("reset", backBuffer);
  g_framesSinceReset = 0;
  g_overlay.OnResetDevice(device, backBuffer, userContext);
  TraceSound();
  g_scene.Reset(device, backBuffer, userContext);
  // The aspect is the game's own 4:3 whatever the back buffer's shape.
  plat::Matrix projection = plat::MatrixPerspectiveFovLH(0.785398185f, 1.33333337f, 0.1f, 257.0f);
  device->SetTransform(plat::TS_PROJECTION, projection);
  return S_OK;
}

void OnLostDevice(void* /*userContext*/) {
  TraceEvent("lost");
  g_font.Lost();
  g_overlay.OnLostDevice();
  TraceSound();
  g_scene.Lost();
}

void OnDestroyDevice(void* /*userContext*/) {
  TraceEvent("destroyed");
  g_font.Destroy();
  g_overlay.OnDestroyDevice();
  g_scene.Destroy();
}

void OnFrameMove(plat::IDevice* device, double /*time*/, float elapsedTime, void* /*userContext*/) {
  TracePauses();
  g_scene.FrameMove(device, elapsedTime);
}

void OnFrameRender(plat::IDevice* device, double /*time*/, float /*elapsedTime*/, void* /*userContext*/) {
  device->SetRenderState(plat::RS_CULLMODE, plat::CULL_NONE);
  Result hr = device->Clear(plat::CLEAR_TARGET | plat::CLEAR_ZBUFFER, 0x002D32AAu, 1.0f, 0);
  if (Failed(hr))
    APP_ERR_MSGBOX(L"pd3dDevice->Clear(0, NULL, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(0, 45, 50, 170), 1.0f, 0)", hr);
  if (Failed(device->BeginScene())) return;
  g_scene.Render(device);
  g_font.DrawText(device, AppGetFrameStats(), 0, 0, Colour{1.0f, 0.0f, 0.0f, 1.0f});
  hr = device->EndScene();
  if (Failed(hr)) APP_ERR_MSGBOX(L"pd3dDevice->EndScene()", hr);
  TraceFrame();
}

// With the device events on: the window messages that pause and resume the framework, as it
// receives them.
void TraceWindowMessage(uint32_t message, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (!TraceDeviceEvents()) return;
  switch (message) {
    case plat::WM_SIZE:
      std::fprintf(stderr, "arena-msg: size %s %dx%d\n",
                   wParam == plat::SIZE_MINIMIZED ? "minimized" : wParam == plat::SIZE_MAXIMIZED ? "maximized" : "restored",
                   plat::LoWordSigned(lParam), plat::HiWordSigned(lParam));
      break;
    case plat::WM_ENTERSIZEMOVE: std::fprintf(stderr, "arena-msg: enter size/move\n"); break;
    case plat::WM_EXITSIZEMOVE: std::fprintf(stderr, "arena-msg: exit size/move\n"); break;
    case plat::WM_ACTIVATEAPP: std::fprintf(stderr, "arena-msg: %s\n", wParam ? "active" : "inactive"); break;
    default: return;
  }
  std::fflush(stderr);
}

plat::LRESULT MsgProc(plat::WindowHandle, uint32_t message, plat::WPARAM wParam, plat::LPARAM lParam,
                      bool* /*noFurtherProcessing*/, void* /*userContext*/) {
  TraceWindowMessage(message, wParam, lParam);
  return 0;
}

void OnKeyboard(uint32_t, bool, bool, void*) {}

void OnMouse(bool leftDown, bool rightDown, bool, bool, bool, int, int x, int y, void* /*userContext*/) {
  TraceMouse("overlay", leftDown, x, y);
  g_overlay.OnMouse(leftDown, rightDown, x, y);
  TraceMouse("scene", leftDown, x, y);
  g_scene.Mouse(leftDown, rightDown, x, y);
}

}  // namespace

int main(int argc, char** argv) {
  plat::OpenClosedStandardStreams();
  plat::SetCommandLineArgs(argc, argv);
  std::string why;
  if (!plat::InstallRealServices(&why)) {
    // Nothing can be shown: the graphics system cannot start, whose exit code this is.
    std::fprintf(stderr, "arena: %s\n", why.c_str());
    return AppGetErrorInfo(APPERR_NODIRECT3D).exitCode;
  }
  // Registered before the framework's state exists, so SDL closes only after the framework's
  // exit handling has released the device and the window.
  std::atexit(plat::ShutdownRealServices);

  AppSetCallbackDeviceCreated(OnCreateDevice);
  AppSetCallbackDeviceReset(OnResetDevice);
  AppSetCallbackDeviceLost(OnLostDevice);
  AppSetCallbackDeviceDestroyed(OnDestroyDevice);
  AppSetCallbackMsgProc(MsgProc);
  AppSetCallbackFrameRender(OnFrameRender);
  AppSetCallbackFrameMove(OnFrameMove);
  AppSetCallbackMouse(OnMouse, true);
  AppSetCallbackKeyboard(OnKeyboard);

  // Start-up failures are not examined here: the loop refuses to run and the exit code tells.
  AppInit(true, true, true, true);
  AppSetCursorSettings(true, true);
  AppCreateWindow(L"x[vela] 1.3.5", nullptr, nullptr, nullptr, plat::kUseDefaultPos, plat::kUseDefaultPos);
  AppCreateDevice(0, true, 640, 480, IsDeviceAcceptable, ModifyDeviceSettings, nullptr);

  g_overlay.List().clear();
  g_overlay.Elements().clear();
  g_overlay.Textures().ClearSprites();
  g_overlay.Sound().StoreFormat(2, 22050, 16);
  g_scene.Load();

  AppMainLoop(nullptr);
  return AppGetExitCode();
}
