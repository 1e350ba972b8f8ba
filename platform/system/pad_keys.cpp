#include "platform/system/pad_keys.h"

#include <cstdlib>

namespace plat {

namespace {

constexpr int kStickSource = -1;  // buttons are 0 and up

uint32_t KeyOfButton(uint8_t button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return VK_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return VK_DOWN;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return VK_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return VK_RIGHT;
    case SDL_CONTROLLER_BUTTON_A: return VK_RETURN;
    case SDL_CONTROLLER_BUTTON_START: return VK_PAUSE;
    default: return 0;
  }
}

bool Repeats(uint32_t vk) { return vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT; }

// As a keyboard's: repeat count 1, bit 30 when the key was down before, bit 31 on release.
Msg KeyMessage(WindowHandle window, uint32_t vk, bool down, bool repeat) {
  LPARAM lp = 1;
  if (!down || repeat) lp |= LPARAM(1) << 30;
  if (!down) lp |= LPARAM(1) << 31;
  return Msg{window, down ? WM_KEYDOWN : WM_KEYUP, vk, lp};
}

// How far the stick is pushed toward the direction of `vk`.
int Toward(uint32_t vk, int x, int y) {
  switch (vk) {
    case VK_UP: return -y;
    case VK_DOWN: return y;
    case VK_LEFT: return -x;
    case VK_RIGHT: return x;
    default: return 0;
  }
}

}  // namespace

void PadKeys::Translate(const SDL_Event& e, WindowHandle window, uint64_t nowMs, std::vector<Msg>& out) {
  switch (e.type) {
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
      const uint32_t vk = KeyOfButton(e.cbutton.button);
      if (vk == 0) break;
      const Source source{e.cbutton.which, e.cbutton.button};
      if (e.type == SDL_CONTROLLERBUTTONDOWN) {
        if (window != nullptr) Press(source, vk, window, nowMs, out);
      } else {
        Release(source, out);
      }
      break;
    }
    case SDL_CONTROLLERAXISMOTION: {
      if (e.caxis.axis != SDL_CONTROLLER_AXIS_LEFTX && e.caxis.axis != SDL_CONTROLLER_AXIS_LEFTY) break;
      Stick& stick = sticks_[e.caxis.which];
      (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ? stick.x : stick.y) = e.caxis.value;
      MoveStick(e.caxis.which, window, nowMs, out);
      break;
    }
    default:
      break;
  }
}

void PadKeys::MoveStick(SDL_JoystickID controller, WindowHandle window, uint64_t nowMs, std::vector<Msg>& out) {
  Stick& stick = sticks_[controller];
  if (stick.vk != 0 && Toward(stick.vk, stick.x, stick.y) >= kStickRelease) return;
  // The axis pushed furthest decides, so a diagonal is one direction, not two.
  uint32_t vk = 0;
  if (std::abs(stick.x) >= std::abs(stick.y)) {
    if (std::abs(stick.x) >= kStickPress) vk = stick.x < 0 ? VK_LEFT : VK_RIGHT;
  } else if (std::abs(stick.y) >= kStickPress) {
    vk = stick.y < 0 ? VK_UP : VK_DOWN;
  }
  if (vk == stick.vk) return;
  const Source source{controller, kStickSource};
  if (stick.vk != 0) Release(source, out);
  stick.vk = 0;
  if (vk != 0 && window != nullptr) {
    Press(source, vk, window, nowMs, out);
    stick.vk = vk;
  }
}

void PadKeys::Press(const Source& source, uint32_t vk, WindowHandle window, uint64_t nowMs, std::vector<Msg>& out) {
  if (sources_.count(source) != 0) return;
  sources_[source] = vk;
  Key& key = keys_[vk];
  if (key.holders++ > 0) return;  // already down through another source
  key.window = window;
  key.nextRepeat = Repeats(vk) ? nowMs + kRepeatDelayMs : 0;
  out.push_back(KeyMessage(window, vk, true, false));
}

void PadKeys::Release(const Source& source, std::vector<Msg>& out) {
  const auto it = sources_.find(source);
  if (it == sources_.end()) return;
  const uint32_t vk = it->second;
  sources_.erase(it);
  const auto key = keys_.find(vk);
  if (key == keys_.end() || --key->second.holders > 0) return;
  out.push_back(KeyMessage(key->second.window, vk, false, false));
  keys_.erase(key);
}

void PadKeys::Poll(uint64_t nowMs, std::vector<Msg>& out) {
  for (auto& [vk, key] : keys_) {
    if (key.nextRepeat == 0 || nowMs < key.nextRepeat) continue;
    out.push_back(KeyMessage(key.window, vk, true, true));
    // One repeat per poll: a loop that stalled does not get a burst of them afterwards.
    key.nextRepeat = nowMs + kRepeatMs;
  }
}

void PadKeys::ForgetController(SDL_JoystickID controller, std::vector<Msg>& out) {
  std::vector<Source> held;
  for (const auto& [source, vk] : sources_)
    if (source.first == controller) held.push_back(source);
  for (const Source& source : held) Release(source, out);
  sticks_.erase(controller);
}

void PadKeys::ForgetWindow(WindowHandle window) {
  for (auto it = keys_.begin(); it != keys_.end();) {
    if (it->second.window != window) {
      ++it;
      continue;
    }
    const uint32_t vk = it->first;
    std::erase_if(sources_, [vk](const auto& entry) { return entry.second == vk; });
    it = keys_.erase(it);
  }
  for (auto& [controller, stick] : sticks_)
    if (sources_.count(Source{controller, kStickSource}) == 0) stick.vk = 0;
}

}  // namespace plat
