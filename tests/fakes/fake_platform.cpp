#include "tests/fakes/fake_platform.h"

#include "common/app_state.h"

namespace fake {

FakePlatform::FakePlatform() : saved_(plat::GetServices()) {
  plat::Services services;
  services.system = &system;
  services.windows = &windows;
  services.audio = nullptr;
  services.createGraphics = [this]() -> std::unique_ptr<plat::IGraphicsSystem> { return std::move(pending_); };
  plat::SetServices(services);
  AppResetStateForTests();  // a fresh framework and timer over these fakes
}

FakePlatform::~FakePlatform() {
  AppResetStateForTests();  // the final shutdown still sees these fakes
  plat::SetServices(saved_);
}

}  // namespace fake
