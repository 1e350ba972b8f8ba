#pragma once
// A game controller on SDL's virtual joystick driver, laid out as the controller API sees one:
// joystick button and axis i are controller button and axis i. Each change is pushed through
// SDL at once, so a press and its release are both queued before the program looks.
#include <SDL.h>

class VirtualPad {
 public:
  VirtualPad() = default;
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;
  ~VirtualPad() { Detach(); }

  // Plugs it in; false when SDL's controller support did not start.
  bool Attach() {
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
    desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
    desc.name = "Test Pad";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) return false;
    joystick_ = SDL_JoystickOpen(index);
    return joystick_ != nullptr;
  }
  // Pulls it out.
  void Detach() {
    if (joystick_ == nullptr) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
      if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
  }

  void Set(SDL_GameControllerButton button, bool down) {
    SDL_JoystickSetVirtualButton(joystick_, button, down ? 1 : 0);
    SDL_JoystickUpdate();
  }
  void Tilt(SDL_GameControllerAxis axis, int16_t value) {
    SDL_JoystickSetVirtualAxis(joystick_, axis, value);
    SDL_JoystickUpdate();
  }
  void Press(SDL_GameControllerButton button) {
    Set(button, true);
    Set(button, false);
  }
  void StickDown() {
    Tilt(SDL_CONTROLLER_AXIS_LEFTY, SDL_JOYSTICK_AXIS_MAX);
    Tilt(SDL_CONTROLLER_AXIS_LEFTY, 0);
  }

 private:
  SDL_Joystick* joystick_ = nullptr;
};
