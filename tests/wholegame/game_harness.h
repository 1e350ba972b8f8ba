#pragma once
// The whole game in-process, as the entry point runs it: the real framework, window system and
// device, the Overlay, the Scene and the statistics font behind the same callbacks, with two
// hooks for scripts (before each frame move and after each frame is drawn) and the debugger
// output kept. Used by the whole-game test and the battle benchmark.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/app.h"
#include "game/font_renderer.h"
#include "game/overlay.h"
#include "game/scene.h"
#include "platform/services.h"
#include "platform/system/system.h"

namespace harness {

// Forwards to the real system services and keeps every debugger write.
class CapturingSystem : public plat::ISystem {
 public:
  plat::ISystem* real = nullptr;
  bool keep = true;  // false: writes are dropped (long benchmark runs)
  std::vector<std::wstring> writes;

  bool QueryPerformanceFrequency(int64_t& f) const override { return real->QueryPerformanceFrequency(f); }
  int64_t QueryPerformanceCounter() const override { return real->QueryPerformanceCounter(); }
  void Sleep(uint32_t ms) override { real->Sleep(ms); }
  void OutputDebugString(const std::wstring& text) override {
    if (keep) writes.push_back(text);
  }
  plat::BoxAnswer MessageBox(plat::WindowHandle owner, const std::wstring& text, const std::wstring& caption,
                             plat::BoxButtons buttons, bool errorIcon) override {
    return real->MessageBox(owner, text, caption, buttons, errorIcon);
  }
  bool IsDebuggerPresent() const override { return false; }
  void DebugBreak() override {}
  std::wstring GetCommandLine() const override { return real->GetCommandLine(); }
  plat::FileRead ReadWholeFile(const std::wstring& name, uint64_t maxBytes, std::vector<uint8_t>& bytes) const override {
    return real->ReadWholeFile(name, maxBytes, bytes);
  }
};

struct Game {
  // Static lifetime, constructed before main: the framework's exit handling delivers the last
  // device events to them after the test body has returned.
  Overlay overlay;
  Scene scene;
  FontRenderer font;
  CapturingSystem system;
  std::function<void(int frame)> beforeFrameMove;
  std::function<void(int frame, plat::IDevice* device)> afterRender;
  int frame = 0;  // frames moved so far
};
inline Game g_game;

namespace detail {

inline bool IsDeviceAcceptable(const plat::Caps* caps, uint32_t adapterFormat, uint32_t backBufferFormat, bool,
                               void*) {
  plat::IGraphicsSystem* d3d = AppGetD3DObject();
  return d3d && caps &&
         Succeeded(d3d->CheckDeviceFormat(caps->AdapterOrdinal, caps->DeviceType, adapterFormat,
                                          plat::USAGE_QUERY_POSTPIXELSHADER_BLENDING, plat::RTYPE_TEXTURE,
                                          backBufferFormat));
}
inline bool ModifyDeviceSettings(DeviceSettings*, const plat::Caps*, void*) { return true; }
inline Result OnCreateDevice(plat::IDevice* device, const plat::SurfaceDesc*, void*) {
  g_game.font.Create(device);
  g_game.overlay.OnCreateDevice(device);
  g_game.scene.Create(device);
  return S_OK;
}
inline Result OnResetDevice(plat::IDevice* device, const plat::SurfaceDesc* backBuffer, void* context) {
  g_game.overlay.OnResetDevice(device, backBuffer, context);
  g_game.scene.Reset(device, backBuffer, context);
  device->SetTransform(plat::TS_PROJECTION, plat::MatrixPerspectiveFovLH(0.785398185f, 1.33333337f, 0.1f, 257.0f));
  return S_OK;
}
inline void OnLostDevice(void*) {
  g_game.font.Lost();
  g_game.overlay.OnLostDevice();
  g_game.scene.Lost();
}
inline void OnDestroyDevice(void*) {
  g_game.font.Destroy();
  g_game.overlay.OnDestroyDevice();
  g_game.scene.Destroy();
}
inline void OnFrameMove(plat::IDevice* device, double, float elapsed, void*) {
  if (g_game.beforeFrameMove) g_game.beforeFrameMove(g_game.frame);
  g_game.scene.FrameMove(device, elapsed);
  ++g_game.frame;
}
inline void OnFrameRender(plat::IDevice* device, double, float, void*) {
  device->SetRenderState(plat::RS_CULLMODE, plat::CULL_NONE);
  device->Clear(plat::CLEAR_TARGET | plat::CLEAR_ZBUFFER, 0x002D32AAu, 1.0f, 0);
  if (Failed(device->BeginScene())) return;
  g_game.scene.Render(device);
  g_game.font.DrawText(device, AppGetFrameStats(), 0, 0, Colour{1.0f, 0.0f, 0.0f, 1.0f});
  device->EndScene();
  if (g_game.afterRender) g_game.afterRender(g_game.frame - 1, device);
}
inline void OnMouse(bool left, bool right, bool, bool, bool, int, int x, int y, void*) {
  g_game.overlay.OnMouse(left, right, x, y);
  g_game.scene.Mouse(left, right, x, y);
}
inline void OnKeyboard(uint32_t key, bool down, bool alt, void* context) {
  if (const std::optional<ClickPoint> pick = g_game.scene.Keyboard(key, down, alt))
    OnMouse(true, false, false, false, false, 0, pick->x, pick->y, context);
}

}  // namespace detail

// Start-up as the entry point does it, with `args` as the command line (program name first).
// False when the window system cannot start or no device could be made.
inline bool Start(const std::vector<std::string>& args) {
  static std::vector<std::string> storage;
  static std::vector<char*> argv;
  storage = args;
  argv.clear();
  for (std::string& s : storage) argv.push_back(s.data());
  argv.push_back(nullptr);
  plat::SetCommandLineArgs(static_cast<int>(storage.size()), argv.data());
  if (!plat::InstallRealServices()) return false;
  plat::Services services = plat::GetServices();
  g_game.system.real = services.system;
  services.system = &g_game.system;
  plat::SetServices(services);

  AppSetCallbackDeviceCreated(detail::OnCreateDevice);
  AppSetCallbackDeviceReset(detail::OnResetDevice);
  AppSetCallbackDeviceLost(detail::OnLostDevice);
  AppSetCallbackDeviceDestroyed(detail::OnDestroyDevice);
  AppSetCallbackFrameRender(detail::OnFrameRender);
  AppSetCallbackFrameMove(detail::OnFrameMove);
  AppSetCallbackMouse(detail::OnMouse, true);
  AppSetCallbackKeyboard(detail::OnKeyboard);
  AppInit(true, true, true, true);
  AppSetCursorSettings(true, true);
  AppCreateWindow(L"x[vela] 1.3.5", nullptr, nullptr, nullptr, plat::kUseDefaultPos, plat::kUseDefaultPos);
  if (Failed(AppCreateDevice(0, true, 640, 480, detail::IsDeviceAcceptable, detail::ModifyDeviceSettings, nullptr)))
    return false;
  g_game.overlay.List().clear();
  g_game.overlay.Elements().clear();
  g_game.overlay.Textures().ClearSprites();
  g_game.overlay.Sound().StoreFormat(2, 22050, 16);
  g_game.scene.Load();
  return true;
}

// Runs the message loop until the application ends; the framework's exit code.
inline int Run() {
  AppMainLoop(nullptr);
  return AppGetExitCode();
}

// Posts a mouse message to the game's window, as the window system would deliver it.
inline void PostMouse(uint32_t message, int x, int y, bool leftDown) {
  plat::Msg msg;
  msg.window = AppGetHWND();
  msg.message = message;
  msg.wParam = leftDown ? plat::WPARAM{plat::MK_LBUTTON} : plat::WPARAM{0};
  msg.lParam = static_cast<plat::LPARAM>((static_cast<uint32_t>(y) << 16) | (static_cast<uint32_t>(x) & 0xFFFFu));
  plat::GetServices().windows->PostMessage(msg);
}

// A click: move there, press, release.
inline void PostClick(int x, int y) {
  PostMouse(plat::WM_MOUSEMOVE, x, y, false);
  PostMouse(plat::WM_LBUTTONDOWN, x, y, true);
  PostMouse(plat::WM_LBUTTONUP, x, y, false);
}

// A key message as the window system delivers one; a repeat is a key-down of a key already down.
inline void PostKey(uint32_t vk, bool down, bool repeat = false) {
  plat::Msg msg;
  msg.window = AppGetHWND();
  msg.message = down ? plat::WM_KEYDOWN : plat::WM_KEYUP;
  msg.wParam = vk;
  msg.lParam = 1;
  if (!down || repeat) msg.lParam |= plat::LPARAM(1) << 30;
  if (!down) msg.lParam |= plat::LPARAM(1) << 31;
  plat::GetServices().windows->PostMessage(msg);
}
inline void PostPress(uint32_t vk) {
  PostKey(vk, true);
  PostKey(vk, false);
}

// Row `row` of the open menu whose highlight rows are of `kind` (command or selection), chosen
// by whatever input a player uses.
using ChooseRow = std::function<void(const ElementList& list, int32_t kind, int row)>;

// Row centres: command rows at x 10, selection rows at x 74, 28 pixels apart.
inline void ClickRow(const ElementList&, int32_t kind, int row) {
  PostClick(kind == kKindCommandRow ? 60 : 120, 20 + 28 * row);
}

// Plays the player's side through the mouse, one action at a time: summons the three monsters of
// the hand (closing the monsters' menus meanwhile), then attacks the first target with every
// monster whose menu opens, closing the avatar's menu.
class AutoPlayer {
 public:
  enum Action { kIdle, kOpenedSummons, kSummoned, kOpenedTargets, kAttacked, kClosedMenu };

  explicit AutoPlayer(ChooseRow choose = ClickRow) : choose_(std::move(choose)) {}

  // Called before each frame move; the choices it posts reach the Scene before the next one.
  Action Step(int frame, const BattleState& state, const ElementList& list) {
    if (frame < waitUntil_) return kIdle;
    if (pending_ == kSummonMenu && SelectMenuOpen(list)) {
      choose_(list, kKindSelectRow, pick_++);
      return Done(frame, 2, kSummoned);
    }
    if (pending_ == kTargetMenu && SelectMenuOpen(list)) {
      choose_(list, kKindSelectRow, 0);
      return Done(frame, 2, kAttacked);
    }
    if (pending_ != kNone || !CommandMenuOpen(list)) return kIdle;
    const bool summoning = pick_ < 3;
    if (state.openMenu == kBarPlayerAvatar && summoning) {
      choose_(list, kKindCommandRow, 0);
      pending_ = kSummonMenu;
      return Done(frame, 5, kOpenedSummons);
    }
    if (state.openMenu != kBarPlayerAvatar && !summoning) {
      choose_(list, kKindCommandRow, 0);
      pending_ = kTargetMenu;
      return Done(frame, 5, kOpenedTargets);
    }
    choose_(list, kKindCommandRow, 3);
    return Done(frame, 2, kClosedMenu);
  }

  // No choice before `frame` (while a script does something else with the input).
  void HoldUntil(int frame) { waitUntil_ = std::max(waitUntil_, frame); }

  static bool CommandMenuOpen(const ElementList& list) {
    for (const Element& e : list)
      if (e.kind == kKindCommandRow && e.visible && e.clickEnabled) return true;
    return false;
  }
  static bool SelectMenuOpen(const ElementList& list) {
    for (const Element& e : list)
      if (e.kind == kKindSelectRow && e.visible) return true;
    return false;
  }

 private:
  enum Pending { kNone, kSummonMenu, kTargetMenu };
  Action Done(int frame, int pause, Action action) {
    if (action == kSummoned || action == kAttacked) pending_ = kNone;
    waitUntil_ = std::max(waitUntil_, frame + pause);
    return action;
  }
  ChooseRow choose_;
  int pick_ = 0;
  int waitUntil_ = 0;
  Pending pending_ = kNone;
};

// Asks the window to close; the loop ends once it has gone.
inline void PostClose() {
  plat::Msg close;
  close.window = AppGetHWND();
  close.message = plat::WM_CLOSE;
  plat::GetServices().windows->PostMessage(close);
}

}  // namespace harness
