#pragma once
// A window system for tests: windows are records with a frame, a queue holds posted messages and
// size changes post WM_SIZE the way a real window system reports them. Helpers play the user's
// part (keys, mouse, dragging the frame, minimising).
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/window_system.h"

namespace fake {

struct FakeWindow {
  std::wstring title;
  plat::Rect outer;  // desktop coordinates
  plat::WindowProc proc = nullptr;
  bool bordered = true;
  bool visible = false, minimized = false, maximized = false, topmost = false;
  bool fullScreen = false;
  plat::DisplayModeInfo fullScreenMode;
  plat::Rect restoreRect;  // outer rectangle to go back to from maximized or full screen
  bool keyboardGrabbed = false;
  bool cursorClipped = false;
  plat::MinMaxInfo limits;  // what the procedure answered at creation
};

class FakeWindowSystem : public plat::IWindowSystem {
 public:
  FakeWindowSystem();

  // Configuration.
  int frameLeft = 4, frameTop = 28, frameRight = 4, frameBottom = 4;  // a bordered window's frame
  std::vector<plat::DisplayInfo> displays;  // one 1920x1080 display, a 40-pixel panel at the bottom
  bool failCreate = false;
  int defaultX = 60, defaultY = 40;  // where kUseDefaultPos puts a window
  plat::CursorImage arrow;           // 2x2, top-left opaque, hot spot (0, 0)
  int cursorX = 0, cursorY = 0;

  // Records.
  std::deque<plat::Msg> queue;
  std::vector<plat::Msg> defWindowProcCalls;
  std::vector<plat::Msg> dispatched;
  int windowsCreated = 0;
  bool systemCursorShown = true;
  int fullScreenSwitches = 0;

  FakeWindow* Window(plat::WindowHandle w);
  const FakeWindow* Window(plat::WindowHandle w) const;
  plat::WindowHandle LastWindow() const { return last_; }
  bool DefWindowProcSaw(uint32_t message, plat::WPARAM wParam) const;

  // The user's part. Each posts what a real window system would post.
  void Post(uint32_t message, plat::WPARAM wParam = 0, plat::LPARAM lParam = 0);  // to LastWindow()
  void PostKey(uint32_t vk, bool down, bool alt = false);
  void PostMouse(uint32_t message, plat::WPARAM buttons, int x, int y);
  // Drags the frame to a new client size: enter size/move, sizes on the way, exit size/move.
  void UserResize(int clientWidth, int clientHeight);
  void UserMinimize();
  void UserRestore();
  void UserMaximize();

  // IWindowSystem
  plat::WindowHandle CreateAppWindow(const std::wstring& title, int x, int y, int clientWidth, int clientHeight,
                                     plat::WindowProc proc) override;
  void DestroyAppWindow(plat::WindowHandle w) override;
  bool IsWindow(plat::WindowHandle w) const override { return Window(w) != nullptr; }
  void SetTitle(plat::WindowHandle w, const std::wstring& title) override;
  plat::Rect GetClientRect(plat::WindowHandle w) const override;
  plat::Rect GetWindowRect(plat::WindowHandle w) const override;
  plat::Rect AdjustWindowRect(plat::WindowHandle w, const plat::Rect& client) const override;
  void SetWindowRect(plat::WindowHandle w, const plat::Rect& outer) override;
  void SetClientSize(plat::WindowHandle w, int width, int height) override;
  void ShowWindow(plat::WindowHandle w, plat::ShowCommand cmd) override;
  bool IsVisible(plat::WindowHandle w) const override;
  bool IsMinimized(plat::WindowHandle w) const override;
  bool IsMaximized(plat::WindowHandle w) const override;
  void SetBordered(plat::WindowHandle w, bool bordered) override;
  bool IsBordered(plat::WindowHandle w) const override;
  void SetTopmost(plat::WindowHandle w, bool topmost) override;
  bool IsTopmost(plat::WindowHandle w) const override;
  bool SetFullScreen(plat::WindowHandle w, bool fullScreen, const plat::DisplayModeInfo* mode) override;
  std::vector<plat::DisplayInfo> GetDisplays() const override { return displays; }
  int GetWindowDisplay(plat::WindowHandle w) const override;
  bool PeekMessage(plat::Msg& out) override;
  void PostMessage(const plat::Msg& msg) override { queue.push_back(msg); }
  void PostQuitMessage(int exitCode) override;
  plat::LRESULT SendMessage(plat::WindowHandle w, uint32_t message, plat::WPARAM wParam, plat::LPARAM lParam) override;
  plat::LRESULT DispatchMessage(const plat::Msg& msg) override;
  plat::LRESULT DefWindowProc(plat::WindowHandle w, uint32_t message, plat::WPARAM wParam, plat::LPARAM lParam) override;
  void ClipCursor(plat::WindowHandle w, bool confine) override;
  void GrabKeyboard(plat::WindowHandle w, bool grab) override;
  void ShowSystemCursor(bool show) override { systemCursorShown = show; }
  void GetCursorPos(int& x, int& y) const override { x = cursorX; y = cursorY; }
  plat::CursorImage GetArrowCursorImage() const override { return arrow; }

 private:
  plat::Rect Frame(const FakeWindow& w) const;  // frame thickness as a rectangle (left, top, right, bottom)
  void PostSize(plat::WindowHandle w, uint32_t kind);
  void Resized(plat::WindowHandle w, const plat::Rect& before);

  std::map<plat::WindowHandle, std::unique_ptr<FakeWindow>> windows_;
  plat::WindowHandle last_ = nullptr;
};

}  // namespace fake
