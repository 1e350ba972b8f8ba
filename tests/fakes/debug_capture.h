#pragma once
// System services for tests that only look at debugger output and message boxes.
#include "platform/services.h"
#include "tests/fakes/fake_system.h"

using DebugCapture = fake::FakeSystem;

// The capture installed as the system (and `audio` as the sound backend) that the game code uses,
// for as long as it lives.
struct CapturedSystem : DebugCapture {
  explicit CapturedSystem(plat::IAudioSystem* audio = nullptr) {
    plat::Services services;
    services.system = this;
    services.audio = audio;
    plat::SetServices(services);
  }
  ~CapturedSystem() override { plat::SetServices(plat::Services{}); }
};
