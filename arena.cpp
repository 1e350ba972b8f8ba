// Entry point and game callbacks: registers the callbacks, starts the framework, loads the Scene
// and runs the message loop. Every callback forwards to the three global objects in a fixed order.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "arena_trace.h"
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
  RestartFrameCount();
  g_overlay.OnResetDevice(device, backBuffer, userContext);
  TraceSound(g_overlay.Sound());
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
  TraceSound(g_overlay.Sound());
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

plat::LRESULT MsgProc(plat::WindowHandle, uint32_t message, plat::WPARAM wParam, plat::LPARAM lParam,
                      bool* /*noFurtherProcessing*/, void* /*userContext*/) {
  TraceWindowMessage(message, wParam, lParam);
  return 0;
}

void OnMouse(bool leftDown, bool rightDown, bool, bool, bool, int, int x, int y, void* /*userContext*/) {
  TraceMouse("overlay", leftDown, x, y);
  g_overlay.OnMouse(leftDown, rightDown, x, y);
  TraceMouse("scene", leftDown, x, y);
  g_scene.Mouse(leftDown, rightDown, x, y);
}

// The game's keys move the Scene's focus; a pick is a left click at the focus's centre, sent
// down the mouse's own path so that it does exactly what that click does.
void OnKeyboard(uint32_t key, bool down, bool alt, void* userContext) {
  if (const std::optional<ClickPoint> pick = g_scene.Keyboard(key, down, alt))
    OnMouse(true, false, false, false, false, 0, pick->x, pick->y, userContext);
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
