#include "platform/system/controllers.h"

#include <unistd.h>

#include <utility>

namespace plat {

namespace {

void ToStandardError(const std::string& line) {
  // One write, so that the line stays whole beside other processes' output.
  const std::string text = line + "\n";
  [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
}

}  // namespace

Controllers::Controllers(Report report) : report_(report ? std::move(report) : Report(ToStandardError)) {}

void Controllers::Handle(const SDL_Event& e) {
  if (e.type == SDL_CONTROLLERDEVICEADDED) {
    // Added events carry the device index; SDL may announce a device already open.
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(e.cdevice.which);
    if (id < 0 || open_.count(id) != 0) return;
    ControllerHandle handle(SDL_GameControllerOpen(e.cdevice.which), SDL_GameControllerClose);
    if (!handle) return;
    const char* name = SDL_GameControllerName(handle.get());
    Open& entry = open_.emplace(id, Open{std::move(handle), name != nullptr ? name : "unnamed controller"}).first->second;
    report_("arena: controller attached: " + entry.name);
  } else if (e.type == SDL_CONTROLLERDEVICEREMOVED) {
    const auto it = open_.find(e.cdevice.which);
    if (it == open_.end()) return;
    report_("arena: controller detached: " + it->second.name);
    open_.erase(it);
  }
}

}  // namespace plat
