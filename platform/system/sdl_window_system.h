#pragma once
// The application window and its message queue on SDL2.
#include <SDL.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>

#include "platform/system/controllers.h"
#include "platform/system/display_watch.h"
#include "platform/system/event_translator.h"
#include "platform/system/window_system.h"

namespace plat {

class SdlWindowSystem final : public IWindowSystem {
 public:
  SdlWindowSystem() = default;
  ~SdlWindowSystem() override;
  SdlWindowSystem(const SdlWindowSystem&) = delete;
  SdlWindowSystem& operator=(const SdlWindowSystem&) = delete;

  void SetPresentationScale(int scale) override;
  int PresentationScale() const override { return scale_; }
  int DesktopScale() const override;
  void FollowOutputScale(bool follow) override;

  WindowHandle CreateAppWindow(const std::wstring& title, int x, int y, int clientWidth,
                               int clientHeight, WindowProc proc) override;
  void DestroyAppWindow(WindowHandle w) override;
  bool IsWindow(WindowHandle w) const override;
  void SetTitle(WindowHandle w, const std::wstring& title) override;

  Rect GetClientRect(WindowHandle w) const override;
  Rect GetWindowRect(WindowHandle w) const override;
  Rect AdjustWindowRect(WindowHandle w, const Rect& client) const override;
  Rect NewWindowFrame() const override;
  void SetWindowRect(WindowHandle w, const Rect& outer) override;
  void SetClientSize(WindowHandle w, int width, int height) override;

  void ShowWindow(WindowHandle w, ShowCommand cmd) override;
  bool IsVisible(WindowHandle w) const override;
  bool IsMinimized(WindowHandle w) const override;
  bool IsMaximized(WindowHandle w) const override;
  void SetBordered(WindowHandle w, bool bordered) override;
  bool IsBordered(WindowHandle w) const override;
  void SetTopmost(WindowHandle w, bool topmost) override;
  bool IsTopmost(WindowHandle w) const override;
  bool SetFullScreen(WindowHandle w, bool fullScreen, const DisplayModeInfo* mode) override;

  std::vector<DisplayInfo> GetDisplays() const override;
  int GetWindowDisplay(WindowHandle w) const override;

  bool PeekMessage(Msg& out) override;
  void PostMessage(const Msg& msg) override;
  void PostQuitMessage(int exitCode) override;
  LRESULT SendMessage(WindowHandle w, uint32_t message, WPARAM wParam, LPARAM lParam) override;
  LRESULT DispatchMessage(const Msg& msg) override;
  LRESULT DefWindowProc(WindowHandle w, uint32_t message, WPARAM wParam, LPARAM lParam) override;

  void ClipCursor(WindowHandle w, bool confine) override;
  void GrabKeyboard(WindowHandle w, bool grab) override;
  void ShowSystemCursor(bool show) override;
  void GetCursorPos(int& x, int& y) const override;
  CursorImage GetArrowCursorImage() const override;

 private:
  struct WindowRecord {
    WindowProc proc = nullptr;
    bool destroying = false;
    bool fullScreen = false;
    SDL_Rect windowed{};  // client position and size to return to from full screen
    // In full screen: the window manager last seen (0: none), when the window last had the focus,
    // and until when, and how often, it asks for the focus back after the manager changed.
    unsigned long manager = 0;
    uint64_t focusedAt = 0, refocusUntil = 0;
    int focusRequests = 0;
  };
  class Facts;

  SDL_Window* Find(WindowHandle w) const;  // null unless it is one of ours
  void Pump();
  // Leaves full screen, so that the desktop's display mode is back, and ends the process by `signal`.
  [[noreturn]] void EndBySignalWithDesktopMode(int signal);
  void NoteOwnChange(WindowHandle w);
  void KeepFullScreen(uint64_t nowMs);
  void CoverDisplay(SDL_Window* sw);
  SDL_Rect DisplayRect(int display) const;  // screen pixels, as the display is now
  ScreenScale Screen() const;
  static double ProbeBufferScale();
  // Adopts the buffer scale of the output SDL now has the window on.
  void TakeBufferScale(SDL_Window* sw);

  std::unique_ptr<DisplayWatch> displayWatch_;  // made with the first window
  std::map<SDL_Window*, WindowRecord> windows_;
  std::deque<Msg> queue_;
  int scale_ = 1;
  uint64_t nextFullScreenCheck_ = 0;
  mutable std::optional<Rect> newWindowFrame_;  // screen pixels, measured once
  bool followOutput_ = false;
  // Real pixels per window coordinate: the game's window's, or before it is made, a new window's.
  mutable double buffer_ = 1.0;
  mutable bool bufferKnown_ = false;
  bool quitPosted_ = false;
  int quitCode_ = 0;
  EventTranslator translator_;
  Controllers controllers_;
};

// A two-colour cursor as 32-pixel rows, leftmost pixel in the top bit: where the mask bit is set
// the pixel is transparent; elsewhere the image bit picks white (1) or black (0).
CursorImage CursorFromMasks(const uint32_t* maskRows, const uint32_t* imageRows, int width, int height,
                            int hotX, int hotY);

// Display modes as the framework counts them: 8-bit-per-channel modes as 32, 5/6-bit ones as 16,
// others dropped, sizes in logical pixels, duplicates removed, order kept.
std::vector<DisplayModeInfo> ModesFromSdl(const std::vector<SDL_DisplayMode>& modes, const ScreenScale& scale = {});

// A presentation scale from the value of GDK_SCALE: a whole number 2 to 8, else 1.
int ScaleFromGdkScale(const char* value);

}  // namespace plat
