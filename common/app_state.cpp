#include "common/app_state.h"

#include "common/appmisc.h"

plat::IGraphicsSystem* FrameworkState::GetD3D() const {
  Guard g(*this);
  return d3d_.get();
}
void FrameworkState::SetD3D(std::unique_ptr<plat::IGraphicsSystem> d3d) {
  Guard g(*this);
  d3d_ = std::move(d3d);
}
std::unique_ptr<plat::IGraphicsSystem> FrameworkState::TakeD3D() {
  Guard g(*this);
  return std::move(d3d_);
}

plat::IDevice* FrameworkState::GetD3DDevice() const {
  Guard g(*this);
  return device_.get();
}
void FrameworkState::SetD3DDevice(std::unique_ptr<plat::IDevice> device) {
  Guard g(*this);
  device_ = std::move(device);
}
std::unique_ptr<plat::IDevice> FrameworkState::TakeD3DDevice() {
  Guard g(*this);
  return std::move(device_);
}

DeviceSettings* FrameworkState::GetCurrentDeviceSettings() const {
  Guard g(*this);
  return currentSettings_.get();
}
void FrameworkState::SetCurrentDeviceSettings(std::unique_ptr<DeviceSettings> settings) {
  Guard g(*this);
  currentSettings_ = std::move(settings);
}
std::unique_ptr<DeviceSettings> FrameworkState::TakeCurrentDeviceSettings() {
  Guard g(*this);
  return std::move(currentSettings_);
}

bool FrameworkState::GetKey(uint8_t vk) const {
  Guard g(*this);
  return keys_[vk];
}
void FrameworkState::SetKey(uint8_t vk, bool down) {
  Guard g(*this);
  keys_[vk] = down;
}
bool FrameworkState::GetMouseButton(MouseButton b) const {
  Guard g(*this);
  return mouseButtons_[b];
}
void FrameworkState::SetMouseButton(MouseButton b, bool down) {
  Guard g(*this);
  mouseButtons_[b] = down;
}

namespace {

// Owns the state; its destructor is the framework's exit handling.
struct StateHolder {
  std::unique_ptr<FrameworkState> state;

  void FinalShutdown() {
    if (!state) return;
    AppShutdown(0);
    state.reset();  // the lock goes with it, after the shutdown
  }
  ~StateHolder() { FinalShutdown(); }
};

StateHolder& Holder() {
  static StateHolder holder;
  return holder;
}

}  // namespace

FrameworkState& GetAppState() {
  StateHolder& h = Holder();
  if (!h.state) h.state = std::make_unique<FrameworkState>();
  return *h.state;
}

void AppResetStateForTests() {
  Holder().FinalShutdown();
  AppResetGlobalTimer();
}
