#pragma once
// Installs a whole fake platform (system, window system, graphics) for one test and takes it down
// again: the destructor runs the framework's final shutdown first, while the fakes still exist,
// and leaves a fresh framework state for the next use.
#include <functional>
#include <memory>

#include "platform/services.h"
#include "tests/fakes/fake_graphics.h"
#include "tests/fakes/fake_system.h"
#include "tests/fakes/fake_window_system.h"

namespace fake {

class FakePlatform {
 public:
  FakePlatform();
  ~FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  FakeSystem system;
  FakeWindowSystem windows;
  // The graphics system the framework gets. It stays alive here after the framework has released
  // its handle, so tests can read its records after shutdown.
  std::shared_ptr<FakeGraphicsSystem> graphics = std::make_shared<FakeGraphicsSystem>();
  bool failGraphics = false;      // the factory gives nothing
  int graphicsMade = 0;           // factory calls that gave a system
  int graphicsReleased = 0;       // handles the framework has destroyed

  // The newest device, or null.
  FakeDeviceState* Device() { return graphics->LastDevice(); }

 private:
  plat::Services saved_;
};

}  // namespace fake
