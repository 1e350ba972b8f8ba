#pragma once
// ARENA_TRACE_DEVICE_EVENTS=1 writes each device callback, the sound device's state, the order in
// which mouse events reach the Overlay and the Scene, frames, pauses and the window messages
// behind them to stderr, for scripts that watch them. Each kind of line has a prefix of its own,
// so the device event lines stay as they are. Without the variable nothing is written.
#include <cstdint>

#include "game/sound_system.h"
#include "platform/graphics/graphics.h"
#include "platform/system/messages.h"

bool TraceDeviceEvents();
// "arena: <name>", with the device type and back buffer when one is given.
void TraceEvent(const char* name, const plat::SurfaceDesc* backBuffer = nullptr);
// The sound device after a reset or a loss.
void TraceSound(const SoundSystem& sound);
// Which object a mouse event reaches, in order.
void TraceMouse(const char* target, bool leftDown, int x, int y);
// The 1st, 10th, 100th... frame drawn since the device was last reset or rendering last resumed,
// with the device and the back buffer it went to, so that scripts see frames keep coming after
// every change.
void TraceFrame();
void RestartFrameCount();
// Pauses as frame move sees them.
void TracePauses();
// The window messages that pause and resume the framework, as it receives them.
void TraceWindowMessage(uint32_t message, plat::WPARAM wParam, plat::LPARAM lParam);
