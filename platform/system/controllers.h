#pragma once
// The game controllers plugged in, opened through SDL's game-controller API (and so its mapping
// database) as they come and closed as they go, each with one line on standard error. Their
// buttons and sticks reach the window as keys (PadKeys); with none, nothing changes.
#include <SDL.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace plat {

class Controllers {
 public:
  // Where the attach and detach lines go; standard error unless a test listens.
  using Report = std::function<void(const std::string& line)>;
  explicit Controllers(Report report = {});

  // Opens on a device-added event and closes on a device-removed one; other events pass.
  void Handle(const SDL_Event& e);
  size_t Count() const { return open_.size(); }

 private:
  using ControllerHandle = std::unique_ptr<SDL_GameController, decltype(&SDL_GameControllerClose)>;
  struct Open {
    ControllerHandle handle;
    std::string name;
  };
  Report report_;
  std::map<SDL_JoystickID, Open> open_;  // by instance id, as removal names them
};

}  // namespace plat
