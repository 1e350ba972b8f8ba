#pragma once
// SDL events → window messages (a cursor query, WM_SETCURSOR, goes before uncaptured mouse moves
// and before button presses; game controllers become keys, for the only window), with no display
// involved: everything the translation needs to
// know about a window comes through IWindowFacts, and time comes in as an argument, so the
// whole mapping can be driven by synthetic events.
#include <SDL.h>

#include <cstdint>
#include <map>
#include <vector>

#include "platform/system/messages.h"
#include "platform/system/pad_keys.h"
#include "platform/system/screen_scale.h"

namespace plat {

// Virtual-key code for an SDL key; 0 when the key has none.
uint32_t VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode);

struct WindowFacts {
  WindowHandle window = nullptr;  // null: not one of ours, the event is dropped
  int clientX = 0, clientY = 0;   // client origin, desktop coordinates (logical, as the size)
  int clientWidth = 0, clientHeight = 0;
  bool minimized = false, maximized = false;
};

class IWindowFacts {
 public:
  virtual ~IWindowFacts() = default;
  virtual WindowFacts Find(uint32_t sdlWindowId) const = 0;  // id 0: the only window, if one
  virtual std::vector<WindowHandle> All() const = 0;
  virtual uint16_t KeyModifiers() const = 0;  // SDL KMOD_* bits now held
};

// The window manager moves and sizes windows without telling the client when the user grabs or
// lets go of the frame: SDL only passes on the stream of configure events. A drag is therefore
// taken to start with a size or move event that none of our own calls caused, and to end once no
// such event has come for kDragQuietMs; the framework needs both ends to pause and to adopt the
// new size only once.
class EventTranslator {
 public:
  static constexpr uint64_t kDragQuietMs = 200;
  // Our own move/size/state calls: events up to this long after the call are theirs. X servers
  // answer asynchronously, and slowly on a loaded machine.
  static constexpr uint64_t kOwnChangeGraceMs = 600;

  // Appends the messages for one event, in order.
  void Translate(const SDL_Event& e, const IWindowFacts& facts, uint64_t nowMs, std::vector<Msg>& out);
  // Ends drags that have been quiet long enough (WM_EXITSIZEMOVE).
  void Poll(uint64_t nowMs, std::vector<Msg>& out);
  // The next size/move events of `w` come from our own call, not from the user.
  void NoteOwnChange(WindowHandle w, uint64_t nowMs);
  void ForgetWindow(WindowHandle w);

  // Event positions and sizes are window coordinates; messages carry logical pixels. Rounding is
  // down, also below 0, where a window that holds the pointer reports it past its left or top edge.
  void SetScale(const ScreenScale& scale) { scale_ = scale; }

  bool InDrag(WindowHandle w) const;
  uint32_t ButtonBits() const { return buttons_; }

 private:
  struct Run {
    bool drag = false;
    uint64_t deadline = 0;  // the run ends when the clock reaches this
  };

  void TranslateWindowEvent(const SDL_WindowEvent& e, const WindowFacts& f, uint64_t nowMs,
                            std::vector<Msg>& out);
  void SizeOrMove(WindowHandle w, uint64_t nowMs, std::vector<Msg>& out);
  void StartOwnRun(WindowHandle w, uint64_t nowMs);
  uint32_t WithModifierBits(uint32_t mk, const IWindowFacts& facts) const;

  int Logical(int screen) const;

  uint32_t buttons_ = 0;  // MK_* mouse bits currently held
  ScreenScale scale_;
  std::map<WindowHandle, Run> runs_;
  PadKeys pad_;
};

}  // namespace plat
