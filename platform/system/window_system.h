#pragma once
// The window and its message queue, as the framework sees them. The SDL
// implementation lives in sdl_window_system.*; tests substitute a fake.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/system/messages.h"

namespace plat {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const Rect&) const = default;
};

constexpr int kUseDefaultPos = static_cast<int>(0x80000000u);  // "let the system choose" position

struct DisplayModeInfo {
  uint32_t width = 0, height = 0, refreshRate = 0;
  uint32_t bitsPerPixel = 32;  // 32 means 8 bits per channel, 16 means 5/6 bits
  bool operator==(const DisplayModeInfo&) const = default;
};

struct DisplayInfo {
  std::string name;
  Rect bounds;     // desktop coordinates
  Rect workArea;   // bounds less panels and docks
  DisplayModeInfo desktopMode;
  std::vector<DisplayModeInfo> modes;
};

enum class ShowCommand { Hide, Show, Minimize, Maximize, Restore };

struct CursorImage {
  int width = 0, height = 0;
  int hotX = 0, hotY = 0;
  std::vector<uint32_t> argb;  // width*height, alpha 0 where the cursor is transparent
};

class IWindowSystem {
 public:
  virtual ~IWindowSystem() = default;

  // Presentation scale S (1 to 8): every window is S times larger on the screen than its client
  // rectangle says, and shows its device's back buffer enlarged S times. Everything this interface
  // takes and gives (positions, sizes, displays, modes, pointer positions in messages) is in
  // logical pixels, the screen's divided by S. Set before the first window is made.
  virtual void SetPresentationScale(int scale) = 0;
  virtual int PresentationScale() const = 0;
  // The scale the desktop asks programs for: on Wayland the output's (the largest, before there is
  // a window; a fractional one taken down to a whole number), on X11 GDK_SCALE when it holds a
  // whole number 2 to 8; else 1.
  virtual int DesktopScale() const = 0;
  // Whether the presentation scale follows the output the window is on: moved to an output of
  // another scale, the window takes that one, keeps its logical size and reports a size change.
  // Off unless asked for; a scale the user chose stays whatever the output.
  virtual void FollowOutputScale(bool follow) = 0;

  // Window. Created hidden, with a frame ("overlapped") and the given client size.
  // x or y of kUseDefaultPos lets the system choose. Returns null on failure.
  virtual WindowHandle CreateAppWindow(const std::wstring& title, int x, int y, int clientWidth,
                                       int clientHeight, WindowProc proc) = 0;
  // Sends WM_DESTROY to the window procedure, then destroys the window.
  virtual void DestroyAppWindow(WindowHandle w) = 0;
  virtual bool IsWindow(WindowHandle w) const = 0;
  virtual void SetTitle(WindowHandle w, const std::wstring& title) = 0;

  virtual Rect GetClientRect(WindowHandle w) const = 0;  // (0, 0, width, height)
  virtual Rect GetWindowRect(WindowHandle w) const = 0;  // outer rectangle, desktop coordinates
  // Outer rectangle that gives this client rectangle with the window's current frame.
  virtual Rect AdjustWindowRect(WindowHandle w, const Rect& client) const = 0;
  // The frame a window made now would get, as its thickness at the left, top, right and bottom;
  // also before any window exists. Empty where no window manager draws one or tells its size.
  virtual Rect NewWindowFrame() const = 0;
  virtual void SetWindowRect(WindowHandle w, const Rect& outer) = 0;  // move and size
  virtual void SetClientSize(WindowHandle w, int width, int height) = 0;  // size only

  virtual void ShowWindow(WindowHandle w, ShowCommand cmd) = 0;
  virtual bool IsVisible(WindowHandle w) const = 0;
  virtual bool IsMinimized(WindowHandle w) const = 0;
  virtual bool IsMaximized(WindowHandle w) const = 0;
  virtual void SetBordered(WindowHandle w, bool bordered) = 0;  // false: pop-up style
  virtual bool IsBordered(WindowHandle w) const = 0;
  virtual void SetTopmost(WindowHandle w, bool topmost) = 0;
  virtual bool IsTopmost(WindowHandle w) const = 0;
  // Exclusive full screen with the given mode on the window's display, or back to windowed.
  virtual bool SetFullScreen(WindowHandle w, bool fullScreen, const DisplayModeInfo* mode) = 0;

  // Displays ("adapters" to the graphics system).
  virtual std::vector<DisplayInfo> GetDisplays() const = 0;
  virtual int GetWindowDisplay(WindowHandle w) const = 0;  // index into GetDisplays(); 0 when unknown

  // Message queue. PeekMessage never waits: it pumps the platform's events, translates them into
  // window messages and returns the oldest one. WM_QUIT is delivered with a null window.
  virtual bool PeekMessage(Msg& out) = 0;
  virtual void PostMessage(const Msg& msg) = 0;
  virtual void PostQuitMessage(int exitCode) = 0;
  virtual LRESULT SendMessage(WindowHandle w, uint32_t message, WPARAM wParam, LPARAM lParam) = 0;
  virtual LRESULT DispatchMessage(const Msg& msg) = 0;
  // Default handling: WM_CLOSE destroys the window, Alt+F4 sends WM_CLOSE, everything else 0.
  virtual LRESULT DefWindowProc(WindowHandle w, uint32_t message, WPARAM wParam, LPARAM lParam) = 0;

  // Cursor and keyboard, for full screen.
  virtual void ClipCursor(WindowHandle w, bool confine) = 0;
  virtual void GrabKeyboard(WindowHandle w, bool grab) = 0;  // system keys go to the window
  virtual void ShowSystemCursor(bool show) = 0;
  virtual void GetCursorPos(int& x, int& y) const = 0;       // desktop coordinates
  virtual CursorImage GetArrowCursorImage() const = 0;
};

}  // namespace plat
