#pragma once
// A window system for tests: windows are records with a frame, a queue holds posted messages and
// size changes post WM_SIZE the way a real window system reports them. Helpers play the user's
// part (keys, dragging the frame, minimising). Windows are never maximised or kept on top.
#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/window_system.h"

namespace fake {

struct FakeWindow {
  plat::Rect outer;  // desktop coordinates
  plat::WindowProc proc = nullptr;
  bool bordered = true, visible = false, minimized = false;
  bool fullScreen = false, keyboardGrabbed = false, cursorClipped = false;
  plat::Rect restoreRect;  // outer rectangle to go back to from full screen
};

class FakeWindowSystem : public plat::IWindowSystem {
 public:
  // One 1920x1080 display with a 40-pixel panel at the bottom; new windows go to (60, 40).
  std::vector<plat::DisplayInfo> displays{
      {"FAKE-1", {0, 0, 1920, 1080}, {0, 0, 1920, 1040}, {1920, 1080, 60, 32}, {{640, 480, 60, 32}}}};
  // A bordered window's frame thickness as (left, top, right, bottom); empty where no window
  // manager draws one.
  plat::Rect frame{4, 28, 4, 4};
  std::deque<plat::Msg> queue;
  std::vector<uint32_t> defaulted;  // messages that reached default handling
  int scale = 1, desktopScale = 1;  // the presentation scale set, and the desktop's
  bool followsOutput = false;
  int windowDisplay = 0;  // the display every window is on

  FakeWindow* Window(plat::WindowHandle w) const {
    auto it = windows_.find(w);
    return it == windows_.end() ? nullptr : it->second.get();
  }
  plat::WindowHandle LastWindow() const { return last_; }

  // The user's part. Each posts what a real window system would post.
  void PostKey(uint32_t vk, bool down) { queue.push_back({last_, down ? plat::WM_KEYDOWN : plat::WM_KEYUP, vk, 0}); }
  // Drags the frame to a new client size: enter size/move, a size half-way and at the end, exit.
  void UserResize(int width, int height) {
    queue.push_back({last_, plat::WM_ENTERSIZEMOVE, 0, 0});
    plat::Rect client = GetClientRect(last_);
    const plat::Rect steps[] = {{0, 0, (client.Width() + width) / 2, (client.Height() + height) / 2},
                                {0, 0, width, height}};
    for (const plat::Rect& step : steps) {
      Size(*Window(last_), step.right, step.bottom);
      PostSize(last_, plat::SIZE_RESTORED);
    }
    queue.push_back({last_, plat::WM_EXITSIZEMOVE, 0, 0});
  }
  // The window reached an output of another scale: the real window system takes the scale (when
  // it follows the output) and reports a size change of an unchanged logical size.
  void OutputScaleChanged(int newScale) {
    if (followsOutput) scale = newScale;
    PostSize(last_, plat::SIZE_RESTORED);
  }
  void UserMinimize() { ShowWindow(last_, plat::ShowCommand::Minimize); }

  plat::WindowHandle CreateAppWindow(const std::wstring&, int x, int y, int width, int height,
                                     plat::WindowProc proc) override {
    auto window = std::make_unique<FakeWindow>();
    window->proc = proc;
    window->outer.left = x == plat::kUseDefaultPos ? 60 : x;
    window->outer.top = y == plat::kUseDefaultPos ? 40 : y;
    Size(*window, width, height);
    last_ = reinterpret_cast<plat::WindowHandle>(window.get());
    windows_[last_] = std::move(window);
    return last_;
  }
  void DestroyAppWindow(plat::WindowHandle w) override {
    if (FakeWindow* window = Window(w)) {
      if (window->proc) window->proc(w, plat::WM_DESTROY, 0, 0);
      windows_.erase(w);
    }
  }
  bool IsWindow(plat::WindowHandle w) const override { return Window(w) != nullptr; }
  void SetTitle(plat::WindowHandle, const std::wstring&) override {}
  plat::Rect GetClientRect(plat::WindowHandle w) const override {
    const FakeWindow* window = Window(w);
    if (!window) return {};
    plat::Rect f = Frame(*window);
    return {0, 0, std::max(0, window->outer.Width() - f.left - f.right),
            std::max(0, window->outer.Height() - f.top - f.bottom)};
  }
  plat::Rect GetWindowRect(plat::WindowHandle w) const override { return Window(w) ? Window(w)->outer : plat::Rect{}; }
  plat::Rect AdjustWindowRect(plat::WindowHandle w, const plat::Rect& c) const override {
    plat::Rect f = Window(w) ? Frame(*Window(w)) : plat::Rect{};
    return {c.left - f.left, c.top - f.top, c.right + f.right, c.bottom + f.bottom};
  }
  void SetWindowRect(plat::WindowHandle w, const plat::Rect& outer) override {
    plat::Rect before = GetClientRect(w);
    if (FakeWindow* window = Window(w)) window->outer = outer;
    Resized(w, before);
  }
  void SetClientSize(plat::WindowHandle w, int width, int height) override {
    plat::Rect before = GetClientRect(w);
    if (FakeWindow* window = Window(w)) Size(*window, width, height);
    Resized(w, before);
  }
  void ShowWindow(plat::WindowHandle w, plat::ShowCommand cmd) override {
    FakeWindow* window = Window(w);
    if (!window) return;
    window->visible = cmd != plat::ShowCommand::Hide;
    if (cmd == plat::ShowCommand::Minimize && !window->minimized) {
      window->minimized = true;
      PostSize(w, plat::SIZE_MINIMIZED);
    } else if (cmd == plat::ShowCommand::Restore && window->minimized) {
      window->minimized = false;
      PostSize(w, plat::SIZE_RESTORED);
    }
  }
  bool IsVisible(plat::WindowHandle w) const override { return Window(w) && Window(w)->visible; }
  bool IsMinimized(plat::WindowHandle w) const override { return Window(w) && Window(w)->minimized; }
  bool IsMaximized(plat::WindowHandle) const override { return false; }
  // The client area keeps its place and size; the frame grows or shrinks around it.
  void SetBordered(plat::WindowHandle w, bool bordered) override {
    FakeWindow* window = Window(w);
    if (!window || window->bordered == bordered) return;
    plat::Rect f = Frame(*window);
    window->bordered = bordered;
    plat::Rect g = Frame(*window);
    window->outer = {window->outer.left + f.left - g.left, window->outer.top + f.top - g.top,
                     window->outer.right - f.right + g.right, window->outer.bottom - f.bottom + g.bottom};
  }
  bool IsBordered(plat::WindowHandle w) const override { return Window(w) && Window(w)->bordered; }
  void SetTopmost(plat::WindowHandle, bool) override {}
  bool IsTopmost(plat::WindowHandle) const override { return false; }
  bool SetFullScreen(plat::WindowHandle w, bool fullScreen, const plat::DisplayModeInfo* mode) override {
    FakeWindow* window = Window(w);
    if (!window) return false;
    if (fullScreen == window->fullScreen) return true;
    plat::Rect before = GetClientRect(w);
    if (fullScreen) window->restoreRect = window->outer;
    window->fullScreen = fullScreen;
    const plat::DisplayModeInfo& m = mode ? *mode : displays[0].desktopMode;
    window->outer = fullScreen ? plat::Rect{0, 0, int(m.width), int(m.height)} : window->restoreRect;
    Resized(w, before);
    return true;
  }
  // In logical pixels, as the real one: the screen's divided by the presentation scale.
  std::vector<plat::DisplayInfo> GetDisplays() const override {
    std::vector<plat::DisplayInfo> out = displays;
    auto down = [this](plat::Rect r) {
      return plat::Rect{r.left / scale, r.top / scale, r.right / scale, r.bottom / scale};
    };
    for (plat::DisplayInfo& d : out) {
      d.bounds = down(d.bounds);
      d.workArea = down(d.workArea);
    }
    return out;
  }
  // A frame covering part of a logical pixel takes all of it.
  plat::Rect NewWindowFrame() const override {
    auto up = [this](int v) { return (v + scale - 1) / scale; };
    return {up(frame.left), up(frame.top), up(frame.right), up(frame.bottom)};
  }
  void SetPresentationScale(int s) override { scale = s; }
  int PresentationScale() const override { return scale; }
  int DesktopScale() const override { return desktopScale; }
  void FollowOutputScale(bool follow) override { followsOutput = follow; }
  int GetWindowDisplay(plat::WindowHandle) const override { return windowDisplay; }

  bool PeekMessage(plat::Msg& out) override {
    if (queue.empty()) return false;
    out = queue.front();
    queue.pop_front();
    return true;
  }
  void PostMessage(const plat::Msg& msg) override { queue.push_back(msg); }
  void PostQuitMessage(int exitCode) override {
    queue.push_back({nullptr, plat::WM_QUIT, static_cast<plat::WPARAM>(exitCode), 0});
  }
  plat::LRESULT SendMessage(plat::WindowHandle w, uint32_t message, plat::WPARAM wParam,
                            plat::LPARAM lParam) override {
    FakeWindow* window = Window(w);
    return window && window->proc ? window->proc(w, message, wParam, lParam) : 0;
  }
  plat::LRESULT DispatchMessage(const plat::Msg& m) override {
    return SendMessage(m.window, m.message, m.wParam, m.lParam);
  }
  plat::LRESULT DefWindowProc(plat::WindowHandle w, uint32_t message, plat::WPARAM, plat::LPARAM) override {
    defaulted.push_back(message);
    if (message == plat::WM_CLOSE) DestroyAppWindow(w);
    return 0;
  }
  void ClipCursor(plat::WindowHandle w, bool confine) override {
    if (FakeWindow* window = Window(w)) window->cursorClipped = confine;
  }
  void GrabKeyboard(plat::WindowHandle w, bool grab) override {
    if (FakeWindow* window = Window(w)) window->keyboardGrabbed = grab;
  }
  void ShowSystemCursor(bool) override {}
  void GetCursorPos(int& x, int& y) const override { x = y = 0; }
  plat::CursorImage GetArrowCursorImage() const override { return {2, 2, 0, 0, {0xFFFFFFFFu, 0, 0, 0}}; }

 private:
  plat::Rect Frame(const FakeWindow& w) const { return !w.bordered || w.fullScreen ? plat::Rect{} : frame; }
  void Size(FakeWindow& w, int clientWidth, int clientHeight) const {
    plat::Rect f = Frame(w);
    w.outer.right = w.outer.left + f.left + clientWidth + f.right;
    w.outer.bottom = w.outer.top + f.top + clientHeight + f.bottom;
  }
  void PostSize(plat::WindowHandle w, uint32_t kind) {
    plat::Rect c = GetClientRect(w);
    queue.push_back({w, plat::WM_SIZE, kind, kind == plat::SIZE_MINIMIZED ? 0 : plat::MakeLParam(c.Width(), c.Height())});
  }
  void Resized(plat::WindowHandle w, const plat::Rect& before) {
    plat::Rect after = GetClientRect(w);
    if (after.Width() != before.Width() || after.Height() != before.Height()) PostSize(w, plat::SIZE_RESTORED);
  }

  std::map<plat::WindowHandle, std::unique_ptr<FakeWindow>> windows_;
  plat::WindowHandle last_ = nullptr;
};

}  // namespace fake
