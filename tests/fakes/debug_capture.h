#pragma once
// System services for tests that only look at debugger output and message boxes.
#include "tests/fakes/fake_system.h"

using DebugCapture = fake::FakeSystem;
