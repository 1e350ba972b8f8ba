#include "platform/system/event_translator.h"

#include <algorithm>
#include <cmath>

namespace plat {

namespace {

struct KeyEntry {
  SDL_Keycode key;
  uint32_t vk;
};

// Keys whose SDL code is not simply a letter, a digit or a function key.
constexpr KeyEntry kKeys[] = {
    {SDLK_BACKSPACE, VK_BACK}, {SDLK_TAB, VK_TAB}, {SDLK_CLEAR, 0x0C}, {SDLK_RETURN, VK_RETURN},
    {SDLK_RETURN2, VK_RETURN}, {SDLK_KP_ENTER, VK_RETURN}, {SDLK_LSHIFT, VK_SHIFT},
    {SDLK_RSHIFT, VK_SHIFT}, {SDLK_LCTRL, VK_CONTROL}, {SDLK_RCTRL, VK_CONTROL},
    {SDLK_LALT, VK_MENU}, {SDLK_RALT, VK_MENU}, {SDLK_PAUSE, VK_PAUSE}, {SDLK_CAPSLOCK, VK_CAPITAL},
    {SDLK_ESCAPE, VK_ESCAPE}, {SDLK_SPACE, VK_SPACE}, {SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, VK_NEXT}, {SDLK_END, VK_END}, {SDLK_HOME, VK_HOME}, {SDLK_LEFT, VK_LEFT},
    {SDLK_UP, VK_UP}, {SDLK_RIGHT, VK_RIGHT}, {SDLK_DOWN, VK_DOWN}, {SDLK_SELECT, 0x29},
    {SDLK_EXECUTE, 0x2B}, {SDLK_PRINTSCREEN, 0x2C}, {SDLK_INSERT, VK_INSERT},
    {SDLK_DELETE, VK_DELETE}, {SDLK_HELP, 0x2F}, {SDLK_LGUI, VK_LWIN}, {SDLK_RGUI, VK_RWIN},
    {SDLK_APPLICATION, 0x5D}, {SDLK_SLEEP, 0x5F},
    {SDLK_KP_0, 0x60}, {SDLK_KP_1, 0x61}, {SDLK_KP_2, 0x62}, {SDLK_KP_3, 0x63}, {SDLK_KP_4, 0x64},
    {SDLK_KP_5, 0x65}, {SDLK_KP_6, 0x66}, {SDLK_KP_7, 0x67}, {SDLK_KP_8, 0x68}, {SDLK_KP_9, 0x69},
    {SDLK_KP_MULTIPLY, 0x6A}, {SDLK_KP_PLUS, 0x6B}, {SDLK_SEPARATOR, 0x6C}, {SDLK_KP_MINUS, 0x6D},
    {SDLK_KP_PERIOD, 0x6E}, {SDLK_KP_DECIMAL, 0x6E}, {SDLK_KP_DIVIDE, 0x6F}, {SDLK_KP_EQUALS, 0xBB},
    {SDLK_NUMLOCKCLEAR, 0x90}, {SDLK_SCROLLLOCK, 0x91},
    {SDLK_AC_BACK, 0xA6}, {SDLK_AC_FORWARD, 0xA7}, {SDLK_AC_REFRESH, 0xA8}, {SDLK_AC_STOP, 0xA9},
    {SDLK_AC_SEARCH, 0xAA}, {SDLK_AC_BOOKMARKS, 0xAB}, {SDLK_AC_HOME, 0xAC},
    {SDLK_AUDIOMUTE, 0xAD}, {SDLK_VOLUMEDOWN, 0xAE}, {SDLK_VOLUMEUP, 0xAF},
    {SDLK_AUDIONEXT, 0xB0}, {SDLK_AUDIOPREV, 0xB1}, {SDLK_AUDIOSTOP, 0xB2}, {SDLK_AUDIOPLAY, 0xB3},
    {SDLK_MAIL, 0xB4}, {SDLK_MEDIASELECT, 0xB5}, {SDLK_APP1, 0xB6}, {SDLK_APP2, 0xB7},
    {SDLK_SEMICOLON, 0xBA}, {SDLK_EQUALS, 0xBB}, {SDLK_PLUS, 0xBB}, {SDLK_COMMA, 0xBC},
    {SDLK_MINUS, 0xBD}, {SDLK_PERIOD, 0xBE}, {SDLK_SLASH, 0xBF}, {SDLK_BACKQUOTE, 0xC0},
    {SDLK_LEFTBRACKET, 0xDB}, {SDLK_BACKSLASH, 0xDC}, {SDLK_RIGHTBRACKET, 0xDD},
    {SDLK_QUOTE, 0xDE}, {SDLK_CRSEL, 0xF7}, {SDLK_EXSEL, 0xF8},
};

uint32_t FunctionKey(SDL_Keycode key) {
  if (key >= SDLK_F1 && key <= SDLK_F12) return VK_F1 + static_cast<uint32_t>(key - SDLK_F1);
  if (key >= SDLK_F13 && key <= SDLK_F24) return VK_F1 + 12 + static_cast<uint32_t>(key - SDLK_F13);
  return 0;
}

uint32_t ButtonBit(uint8_t button) {
  switch (button) {
    case SDL_BUTTON_LEFT: return MK_LBUTTON;
    case SDL_BUTTON_MIDDLE: return MK_MBUTTON;
    case SDL_BUTTON_RIGHT: return MK_RBUTTON;
    case SDL_BUTTON_X1: return MK_XBUTTON1;
    case SDL_BUTTON_X2: return MK_XBUTTON2;
    default: return 0;
  }
}

uint32_t BitsFromSdlState(uint32_t state) {
  uint32_t bits = 0;
  if (state & SDL_BUTTON_LMASK) bits |= MK_LBUTTON;
  if (state & SDL_BUTTON_MMASK) bits |= MK_MBUTTON;
  if (state & SDL_BUTTON_RMASK) bits |= MK_RBUTTON;
  if (state & SDL_BUTTON_X1MASK) bits |= MK_XBUTTON1;
  if (state & SDL_BUTTON_X2MASK) bits |= MK_XBUTTON2;
  return bits;
}

constexpr int kHitClient = 1;

// WM_SETCURSOR: wParam the window under the pointer, lParam the hit area and the mouse message.
Msg CursorQuery(WindowHandle w, uint32_t mouseMessage) {
  return Msg{w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MakeLParam(kHitClient, static_cast<int>(mouseMessage))};
}

constexpr uint32_t kButtonMask = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;

}  // namespace

uint32_t VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scancode) {
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<uint32_t>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<uint32_t>(key - SDLK_0);
  if (const uint32_t f = FunctionKey(key)) return f;
  for (const KeyEntry& e : kKeys) {
    if (e.key == key) return e.vk;
  }
  // Layouts without Latin letters give other key codes; the physical key still has a code.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'A' + (scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) return '1' + (scancode - SDL_SCANCODE_1);
  if (scancode == SDL_SCANCODE_0) return '0';
  return 0;
}

uint32_t EventTranslator::WithModifierBits(uint32_t mk, const IWindowFacts& facts) const {
  const uint16_t mods = facts.KeyModifiers();
  if (mods & KMOD_SHIFT) mk |= MK_SHIFT;
  if (mods & KMOD_CTRL) mk |= MK_CONTROL;
  return mk;
}

void EventTranslator::Translate(const SDL_Event& e, const IWindowFacts& facts, uint64_t nowMs,
                                std::vector<Msg>& out) {
  Poll(nowMs, out);
  switch (e.type) {
    case SDL_QUIT:
      for (WindowHandle w : facts.All()) out.push_back({w, WM_CLOSE, 0, 0});
      break;

    case SDL_WINDOWEVENT: {
      const WindowFacts f = facts.Find(e.window.windowID);
      if (f.window != nullptr) TranslateWindowEvent(e.window, f, nowMs, out);
      break;
    }

    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const WindowFacts f = facts.Find(e.key.windowID);
      if (f.window == nullptr) break;
      const uint32_t vk = VirtualKeyFromSdl(e.key.keysym.sym, e.key.keysym.scancode);
      if (vk == 0) break;
      const bool down = e.type == SDL_KEYDOWN;
      const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
      // F10 is a system key of its own: it would open the window menu.
      const bool sys = alt || vk == VK_F10;
      uint32_t message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
      LPARAM lp = 1;                            // repeat count
      if (alt) lp |= kAltBit;                   // context code
      if (!down || e.key.repeat) lp |= LPARAM(1) << 30;  // key was down before
      if (!down) lp |= LPARAM(1) << 31;         // transition: released
      out.push_back({f.window, message, vk, lp});
      break;
    }

    case SDL_MOUSEMOTION: {
      const WindowFacts f = facts.Find(e.motion.windowID);
      buttons_ = BitsFromSdlState(e.motion.state);
      if (f.window == nullptr) break;
      // The desktop asks the window for its cursor before each uncaptured move.
      if (buttons_ == 0) out.push_back(CursorQuery(f.window, WM_MOUSEMOVE));
      out.push_back({f.window, WM_MOUSEMOVE, WithModifierBits(buttons_, facts),
                     MakeLParam(Logical(e.motion.x), Logical(e.motion.y))});
      break;
    }

    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const uint32_t bit = ButtonBit(e.button.button);
      if (bit == 0) break;
      const bool down = e.type == SDL_MOUSEBUTTONDOWN;
      if (down) buttons_ |= bit; else buttons_ &= ~bit;
      const WindowFacts f = facts.Find(e.button.windowID);
      if (f.window == nullptr) break;
      // Every second click of a run counts as a double click, as the desktop does it.
      const bool dbl = down && e.button.clicks >= 2 && e.button.clicks % 2 == 0;
      uint32_t message = 0;
      WPARAM wp = WithModifierBits(buttons_ & kButtonMask, facts);
      switch (bit) {
        case MK_LBUTTON: message = down ? (dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN) : WM_LBUTTONUP; break;
        case MK_RBUTTON: message = down ? (dbl ? WM_RBUTTONDBLCLK : WM_RBUTTONDOWN) : WM_RBUTTONUP; break;
        case MK_MBUTTON: message = down ? (dbl ? WM_MBUTTONDBLCLK : WM_MBUTTONDOWN) : WM_MBUTTONUP; break;
        default:
          message = down ? (dbl ? WM_XBUTTONDBLCLK : WM_XBUTTONDOWN) : WM_XBUTTONUP;
          wp |= static_cast<WPARAM>(bit == MK_XBUTTON1 ? XBUTTON1 : XBUTTON2) << 16;
          break;
      }
      if (down) out.push_back(CursorQuery(f.window, message));
      out.push_back({f.window, message, wp, MakeLParam(Logical(e.button.x), Logical(e.button.y))});
      break;
    }

    case SDL_MOUSEWHEEL: {
      const WindowFacts f = facts.Find(e.wheel.windowID);
      if (f.window == nullptr) break;
      float notches = e.wheel.preciseY;
      if (notches == 0.0f) notches = static_cast<float>(e.wheel.y);
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      const long delta = std::lround(std::clamp(notches * 120.0f, -32768.0f, 32767.0f));
      if (delta == 0) break;
      const WPARAM wp = WithModifierBits(buttons_, facts) |
                        (static_cast<WPARAM>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16);
      out.push_back({f.window, WM_MOUSEWHEEL, wp,
                     MakeLParam(f.clientX + Logical(e.wheel.mouseX), f.clientY + Logical(e.wheel.mouseY))});
      break;
    }

    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
    case SDL_CONTROLLERAXISMOTION:
      pad_.Translate(e, facts.Find(0).window, nowMs, out);
      break;

    case SDL_CONTROLLERDEVICEREMOVED:
      pad_.ForgetController(e.cdevice.which, out);
      break;

    default:
      break;
  }
}

void EventTranslator::TranslateWindowEvent(const SDL_WindowEvent& e, const WindowFacts& f,
                                           uint64_t nowMs, std::vector<Msg>& out) {
  const WindowHandle w = f.window;
  switch (e.event) {
    case SDL_WINDOWEVENT_EXPOSED:
      out.push_back({w, WM_PAINT, 0, 0});
      break;
    case SDL_WINDOWEVENT_MOVED:
      SizeOrMove(w, nowMs, out);
      out.push_back({w, WM_MOVE, 0, MakeLParam(Logical(e.data1), Logical(e.data2))});
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // An iconified window keeps its size; a second "minimized" would pause twice.
      if (f.minimized) break;
      SizeOrMove(w, nowMs, out);
      out.push_back({w, WM_SIZE, f.maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                     MakeLParam(Logical(e.data1), Logical(e.data2))});
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      StartOwnRun(w, nowMs);
      out.push_back({w, WM_SIZE, SIZE_MINIMIZED, 0});
      break;
    case SDL_WINDOWEVENT_MAXIMIZED:
      StartOwnRun(w, nowMs);
      out.push_back({w, WM_SIZE, SIZE_MAXIMIZED, MakeLParam(f.clientWidth, f.clientHeight)});
      break;
    case SDL_WINDOWEVENT_RESTORED:
      StartOwnRun(w, nowMs);
      out.push_back({w, WM_SIZE, SIZE_RESTORED, MakeLParam(f.clientWidth, f.clientHeight)});
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      out.push_back({w, WM_ACTIVATEAPP, 1, 0});
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      out.push_back({w, WM_ACTIVATEAPP, 0, 0});
      break;
    case SDL_WINDOWEVENT_CLOSE:
      out.push_back({w, WM_CLOSE, 0, 0});
      break;
    default:
      break;  // RESIZED always follows SIZE_CHANGED; shown, hidden, enter and leave mean nothing here
  }
}

void EventTranslator::SizeOrMove(WindowHandle w, uint64_t nowMs, std::vector<Msg>& out) {
  auto it = runs_.find(w);
  if (it != runs_.end() && nowMs < it->second.deadline) {
    it->second.deadline = std::max(it->second.deadline, nowMs + kDragQuietMs);
    return;
  }
  runs_[w] = Run{true, nowMs + kDragQuietMs};
  out.push_back({w, WM_ENTERSIZEMOVE, 0, 0});
}

void EventTranslator::StartOwnRun(WindowHandle w, uint64_t nowMs) {
  auto it = runs_.find(w);
  if (it != runs_.end() && (nowMs < it->second.deadline || it->second.drag)) {
    // A drag keeps its bracket, so its WM_EXITSIZEMOVE still comes: also one that went quiet
    // while the loop was busy (no poll since), or the framework would stay paused for good.
    it->second.deadline = std::max(it->second.deadline, nowMs + kOwnChangeGraceMs);
    return;
  }
  runs_[w] = Run{false, nowMs + kOwnChangeGraceMs};
}

void EventTranslator::NoteOwnChange(WindowHandle w, uint64_t nowMs) { StartOwnRun(w, nowMs); }

void EventTranslator::Poll(uint64_t nowMs, std::vector<Msg>& out) {
  pad_.Poll(nowMs, out);
  for (auto it = runs_.begin(); it != runs_.end();) {
    if (nowMs >= it->second.deadline) {
      if (it->second.drag) out.push_back({it->first, WM_EXITSIZEMOVE, 0, 0});
      it = runs_.erase(it);
    } else {
      ++it;
    }
  }
}

void EventTranslator::ForgetWindow(WindowHandle w) {
  runs_.erase(w);
  pad_.ForgetWindow(w);
}

int EventTranslator::Logical(int screen) const { return scale_.ToLogical(screen); }

bool EventTranslator::InDrag(WindowHandle w) const {
  auto it = runs_.find(w);
  return it != runs_.end() && it->second.drag;
}

}  // namespace plat
