#include "tests/fakes/fake_window_system.h"

#include <algorithm>

namespace fake {

FakeWindowSystem::FakeWindowSystem() {
  plat::DisplayInfo display;
  display.name = "FAKE-1";
  display.bounds = plat::Rect{0, 0, 1920, 1080};
  display.workArea = plat::Rect{0, 0, 1920, 1040};
  display.desktopMode = plat::DisplayModeInfo{1920, 1080, 60, 32};
  display.modes = {{640, 480, 60, 32}, {800, 600, 60, 32}, {1024, 768, 60, 32}, {1920, 1080, 60, 32}};
  displays.push_back(display);
  arrow.width = 2;
  arrow.height = 2;
  arrow.argb = {0xFFFFFFFFu, 0, 0, 0};
}

FakeWindow* FakeWindowSystem::Window(plat::WindowHandle w) {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : it->second.get();
}
const FakeWindow* FakeWindowSystem::Window(plat::WindowHandle w) const {
  auto it = windows_.find(w);
  return it == windows_.end() ? nullptr : it->second.get();
}

bool FakeWindowSystem::DefWindowProcSaw(uint32_t message, plat::WPARAM wParam) const {
  return std::any_of(defWindowProcCalls.begin(), defWindowProcCalls.end(),
                     [&](const plat::Msg& m) { return m.message == message && m.wParam == wParam; });
}

plat::Rect FakeWindowSystem::Frame(const FakeWindow& w) const {
  if (!w.bordered || w.fullScreen) return {};
  return plat::Rect{frameLeft, frameTop, frameRight, frameBottom};
}

// ---------------------------------------------------------------------------------------------
// The user's part

void FakeWindowSystem::Post(uint32_t message, plat::WPARAM wParam, plat::LPARAM lParam) {
  queue.push_back(plat::Msg{last_, message, wParam, lParam});
}

void FakeWindowSystem::PostKey(uint32_t vk, bool down, bool alt) {
  uint32_t message = alt || vk == plat::VK_F10 ? (down ? plat::WM_SYSKEYDOWN : plat::WM_SYSKEYUP)
                                               : (down ? plat::WM_KEYDOWN : plat::WM_KEYUP);
  Post(message, vk, alt ? plat::kAltBit : 0);
}

void FakeWindowSystem::PostMouse(uint32_t message, plat::WPARAM buttons, int x, int y) {
  Post(message, buttons, plat::MakeLParam(x, y));
}

void FakeWindowSystem::UserResize(int clientWidth, int clientHeight) {
  FakeWindow* w = Window(last_);
  if (!w) return;
  Post(plat::WM_ENTERSIZEMOVE);
  // The frame is dragged in steps; each step is reported.
  plat::Rect client = GetClientRect(last_);
  int midW = (client.Width() + clientWidth) / 2, midH = (client.Height() + clientHeight) / 2;
  for (auto [cw, ch] : {std::pair{midW, midH}, std::pair{clientWidth, clientHeight}}) {
    plat::Rect f = Frame(*w);
    w->outer.right = w->outer.left + f.left + cw + f.right;
    w->outer.bottom = w->outer.top + f.top + ch + f.bottom;
    PostSize(last_, plat::SIZE_RESTORED);
  }
  Post(plat::WM_EXITSIZEMOVE);
}

void FakeWindowSystem::UserMinimize() { ShowWindow(last_, plat::ShowCommand::Minimize); }
void FakeWindowSystem::UserRestore() { ShowWindow(last_, plat::ShowCommand::Restore); }
void FakeWindowSystem::UserMaximize() { ShowWindow(last_, plat::ShowCommand::Maximize); }

// ---------------------------------------------------------------------------------------------
// Windows

plat::WindowHandle FakeWindowSystem::CreateAppWindow(const std::wstring& title, int x, int y, int clientWidth,
                                                     int clientHeight, plat::WindowProc proc) {
  if (failCreate) return nullptr;
  auto window = std::make_unique<FakeWindow>();
  window->title = title;
  window->proc = proc;
  if (x == plat::kUseDefaultPos) x = defaultX;
  if (y == plat::kUseDefaultPos) y = defaultY;
  plat::Rect f = Frame(*window);
  window->outer = plat::Rect{x, y, x + f.left + clientWidth + f.right, y + f.top + clientHeight + f.bottom};
  auto handle = reinterpret_cast<plat::WindowHandle>(window.get());
  FakeWindow* created = window.get();
  windows_[handle] = std::move(window);
  last_ = handle;
  ++windowsCreated;
  // Like a real window system, ask the procedure how small the window may be dragged.
  if (proc) proc(handle, plat::WM_GETMINMAXINFO, 0, reinterpret_cast<plat::LPARAM>(&created->limits));
  return handle;
}

void FakeWindowSystem::DestroyAppWindow(plat::WindowHandle w) {
  FakeWindow* window = Window(w);
  if (!window) return;
  if (window->proc) window->proc(w, plat::WM_DESTROY, 0, 0);
  windows_.erase(w);
}

void FakeWindowSystem::SetTitle(plat::WindowHandle w, const std::wstring& title) {
  if (FakeWindow* window = Window(w)) window->title = title;
}

plat::Rect FakeWindowSystem::GetClientRect(plat::WindowHandle w) const {
  const FakeWindow* window = Window(w);
  if (!window) return {};
  plat::Rect f = Frame(*window);
  return plat::Rect{0, 0, std::max(0, window->outer.Width() - f.left - f.right),
                    std::max(0, window->outer.Height() - f.top - f.bottom)};
}

plat::Rect FakeWindowSystem::GetWindowRect(plat::WindowHandle w) const {
  const FakeWindow* window = Window(w);
  return window ? window->outer : plat::Rect{};
}

plat::Rect FakeWindowSystem::AdjustWindowRect(plat::WindowHandle w, const plat::Rect& client) const {
  const FakeWindow* window = Window(w);
  if (!window) return client;
  plat::Rect f = Frame(*window);
  return plat::Rect{client.left - f.left, client.top - f.top, client.right + f.right, client.bottom + f.bottom};
}

void FakeWindowSystem::PostSize(plat::WindowHandle w, uint32_t kind) {
  plat::Rect client = GetClientRect(w);
  plat::LPARAM size = kind == plat::SIZE_MINIMIZED ? 0 : plat::MakeLParam(client.Width(), client.Height());
  queue.push_back(plat::Msg{w, plat::WM_SIZE, kind, size});
}

void FakeWindowSystem::Resized(plat::WindowHandle w, const plat::Rect& before) {
  plat::Rect after = GetClientRect(w);
  if (after.Width() != before.Width() || after.Height() != before.Height()) PostSize(w, plat::SIZE_RESTORED);
}

void FakeWindowSystem::SetWindowRect(plat::WindowHandle w, const plat::Rect& outer) {
  FakeWindow* window = Window(w);
  if (!window) return;
  plat::Rect before = GetClientRect(w);
  window->outer = outer;
  Resized(w, before);
}

void FakeWindowSystem::SetClientSize(plat::WindowHandle w, int width, int height) {
  FakeWindow* window = Window(w);
  if (!window) return;
  plat::Rect before = GetClientRect(w);
  plat::Rect f = Frame(*window);
  window->outer.right = window->outer.left + f.left + width + f.right;
  window->outer.bottom = window->outer.top + f.top + height + f.bottom;
  Resized(w, before);
}

void FakeWindowSystem::ShowWindow(plat::WindowHandle w, plat::ShowCommand cmd) {
  FakeWindow* window = Window(w);
  if (!window) return;
  switch (cmd) {
    case plat::ShowCommand::Hide:
      window->visible = false;
      break;
    case plat::ShowCommand::Show:
      window->visible = true;
      break;
    case plat::ShowCommand::Minimize:
      if (window->minimized) break;
      window->minimized = true;
      PostSize(w, plat::SIZE_MINIMIZED);
      break;
    case plat::ShowCommand::Maximize: {
      window->visible = true;
      window->minimized = false;
      if (!window->maximized) window->restoreRect = window->outer;
      window->maximized = true;
      plat::Rect work = displays.empty() ? window->outer : displays[static_cast<size_t>(GetWindowDisplay(w))].workArea;
      window->outer = work;
      PostSize(w, plat::SIZE_MAXIMIZED);
      break;
    }
    case plat::ShowCommand::Restore:
      window->visible = true;
      if (window->minimized) {
        window->minimized = false;
        PostSize(w, window->maximized ? plat::SIZE_MAXIMIZED : plat::SIZE_RESTORED);
      } else if (window->maximized) {
        window->maximized = false;
        window->outer = window->restoreRect;
        PostSize(w, plat::SIZE_RESTORED);
      }
      break;
  }
}

bool FakeWindowSystem::IsVisible(plat::WindowHandle w) const {
  const FakeWindow* window = Window(w);
  return window && window->visible;
}
bool FakeWindowSystem::IsMinimized(plat::WindowHandle w) const {
  const FakeWindow* window = Window(w);
  return window && window->minimized;
}
bool FakeWindowSystem::IsMaximized(plat::WindowHandle w) const {
  const FakeWindow* window = Window(w);
  return window && window->maximized;
}

void FakeWindowSystem::SetBordered(plat::WindowHandle w, bool bordered) {
  FakeWindow* window = Window(w);
  if (!window || window->bordered == bordered) return;
  // The client area keeps its place and size; the frame grows or shrinks around it.
  plat::Rect f = Frame(*window);
  plat::Rect client{window->outer.left + f.left, window->outer.top + f.top, window->outer.right - f.right,
                    window->outer.bottom - f.bottom};
  window->bordered = bordered;
  plat::Rect g = Frame(*window);
  window->outer = plat::Rect{client.left - g.left, client.top - g.top, client.right + g.right, client.bottom + g.bottom};
}

bool FakeWindowSystem::IsBordered(plat::WindowHandle w) const {
  const FakeWindow* window = Window(w);
  return window && window->bordered;
}

void FakeWindowSystem::SetTopmost(plat::WindowHandle w, bool topmost) {
  if (FakeWindow* window = Window(w)) window->topmost = topmost;
}
bool FakeWindowSystem::IsTopmost(plat::WindowHandle w) const {
  const FakeWindow* window = Window(w);
  return window && window->topmost;
}

bool FakeWindowSystem::SetFullScreen(plat::WindowHandle w, bool fullScreen, const plat::DisplayModeInfo* mode) {
  FakeWindow* window = Window(w);
  if (!window) return false;
  if (fullScreen == window->fullScreen && (!fullScreen || !mode || *mode == window->fullScreenMode)) return true;
  ++fullScreenSwitches;
  plat::Rect before = GetClientRect(w);
  if (fullScreen) {
    if (!window->fullScreen) window->restoreRect = window->outer;
    window->fullScreen = true;
    plat::Rect bounds = displays[static_cast<size_t>(GetWindowDisplay(w))].bounds;
    window->fullScreenMode = mode ? *mode : displays[0].desktopMode;
    window->outer = plat::Rect{bounds.left, bounds.top, bounds.left + static_cast<int>(window->fullScreenMode.width),
                               bounds.top + static_cast<int>(window->fullScreenMode.height)};
  } else {
    window->fullScreen = false;
    window->outer = window->restoreRect;
  }
  Resized(w, before);
  return true;
}

int FakeWindowSystem::GetWindowDisplay(plat::WindowHandle w) const {
  const FakeWindow* window = Window(w);
  if (!window) return 0;
  int cx = (window->outer.left + window->outer.right) / 2, cy = (window->outer.top + window->outer.bottom) / 2;
  for (size_t i = 0; i < displays.size(); ++i) {
    const plat::Rect& b = displays[i].bounds;
    if (cx >= b.left && cx < b.right && cy >= b.top && cy < b.bottom) return static_cast<int>(i);
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Messages

bool FakeWindowSystem::PeekMessage(plat::Msg& out) {
  if (queue.empty()) return false;
  out = queue.front();
  queue.pop_front();
  return true;
}

void FakeWindowSystem::PostQuitMessage(int exitCode) {
  queue.push_back(plat::Msg{nullptr, plat::WM_QUIT, static_cast<plat::WPARAM>(exitCode), 0});
}

plat::LRESULT FakeWindowSystem::SendMessage(plat::WindowHandle w, uint32_t message, plat::WPARAM wParam,
                                            plat::LPARAM lParam) {
  FakeWindow* window = Window(w);
  if (!window || !window->proc) return 0;
  return window->proc(w, message, wParam, lParam);
}

plat::LRESULT FakeWindowSystem::DispatchMessage(const plat::Msg& msg) {
  dispatched.push_back(msg);
  return SendMessage(msg.window, msg.message, msg.wParam, msg.lParam);
}

plat::LRESULT FakeWindowSystem::DefWindowProc(plat::WindowHandle w, uint32_t message, plat::WPARAM wParam,
                                              plat::LPARAM lParam) {
  defWindowProcCalls.push_back(plat::Msg{w, message, wParam, lParam});
  if (message == plat::WM_CLOSE) {
    DestroyAppWindow(w);
  } else if (message == plat::WM_SYSKEYDOWN && wParam == plat::VK_F4 && (lParam & plat::kAltBit)) {
    SendMessage(w, plat::WM_CLOSE, 0, 0);
  }
  return 0;
}

void FakeWindowSystem::ClipCursor(plat::WindowHandle w, bool confine) {
  if (FakeWindow* window = Window(w)) window->cursorClipped = confine;
}

void FakeWindowSystem::GrabKeyboard(plat::WindowHandle w, bool grab) {
  if (FakeWindow* window = Window(w)) window->keyboardGrabbed = grab;
}

}  // namespace fake
