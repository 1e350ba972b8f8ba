#pragma once
// Game controllers play as the keyboard does: the D-pad and the left stick are the arrow keys,
// A is Enter and Start is Pause, turned into the same key messages, so that the framework's rules
// (pause, minimise, hotkeys) and the game's keys apply to a controller unchanged. A held
// direction repeats as a held key does. Driven by SDL's controller events and a clock given in,
// so it runs without a device.
#include <SDL.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "platform/system/messages.h"

namespace plat {

class PadKeys {
 public:
  static constexpr uint64_t kRepeatDelayMs = 400;
  static constexpr uint64_t kRepeatMs = 150;
  // The stick counts as pushed beyond about half-way, and as let go only once back under a
  // lower mark, so that a stick held near the edge does not chatter.
  static constexpr int kStickPress = 16384;
  static constexpr int kStickRelease = 12000;

  // A controller button or axis event for `window` (null: dropped); key messages appended.
  void Translate(const SDL_Event& e, WindowHandle window, uint64_t nowMs, std::vector<Msg>& out);
  // Repeats of held directions that have come due.
  void Poll(uint64_t nowMs, std::vector<Msg>& out);
  // A controller was pulled out: whatever it held goes up.
  void ForgetController(SDL_JoystickID controller, std::vector<Msg>& out);
  // A window went: its held keys are forgotten without messages.
  void ForgetWindow(WindowHandle window);

 private:
  // One thing on one controller that holds a key down: a button, or the stick.
  using Source = std::pair<SDL_JoystickID, int>;
  struct Key {
    WindowHandle window = nullptr;
    int holders = 0;          // sources holding it: the key goes up when the last lets go
    uint64_t nextRepeat = 0;  // 0: the key does not repeat
  };
  struct Stick {
    int x = 0, y = 0;
    uint32_t vk = 0;  // the direction it holds; 0 none
  };

  void Press(const Source& source, uint32_t vk, WindowHandle window, uint64_t nowMs, std::vector<Msg>& out);
  void Release(const Source& source, std::vector<Msg>& out);
  void MoveStick(SDL_JoystickID controller, WindowHandle window, uint64_t nowMs, std::vector<Msg>& out);

  std::map<Source, uint32_t> sources_;  // what each holding source holds
  std::map<uint32_t, Key> keys_;        // by virtual-key code
  std::map<SDL_JoystickID, Stick> sticks_;
};

}  // namespace plat
