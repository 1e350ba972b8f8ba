#pragma once
// Installs a whole fake platform (system, window system, graphics) for one test and takes it down
// again: the destructor runs the framework's final shutdown first, while the fakes still exist,
// and leaves a fresh framework state for the next use.
#include <memory>

#include "platform/services.h"
#include "tests/fakes/fake_graphics.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_window_system.h"

namespace fake {

class FakePlatform {
  std::unique_ptr<FakeGraphicsSystem> pending_ = std::make_unique<FakeGraphicsSystem>();

 public:
  FakePlatform();
  ~FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  FakeSystem system;
  FakeWindowSystem windows;
  // The graphics system the framework gets on its first request. The framework owns it from then
  // on, so it is gone after AppShutdown; keep a device's state (shared) to look at it afterwards.
  FakeGraphicsSystem* graphics = pending_.get();

  // The newest device, or null.
  FakeDeviceState* Device() { return graphics->devices.empty() ? nullptr : graphics->devices.back().get(); }

 private:
  plat::Services saved_;
};

}  // namespace fake
