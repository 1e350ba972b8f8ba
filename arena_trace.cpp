#include "arena_trace.h"

#include <cstdio>
#include <cstdlib>

#include "common/app.h"

namespace {

uint64_t g_framesSinceReset = 0;

const char* DeviceTypeName() {
  plat::IDevice* device = AppGetD3DDevice();
  return device && device->GetDeviceType() == plat::DEVTYPE_REF ? "REF" : "HAL";
}

}  // namespace

bool TraceDeviceEvents() {
  static const bool on = [] {
    const char* v = std::getenv("ARENA_TRACE_DEVICE_EVENTS");
    return v != nullptr && *v != '\0' && *v != '0';
  }();
  return on;
}

void TraceEvent(const char* name, const plat::SurfaceDesc* backBuffer) {
  if (!TraceDeviceEvents()) return;
  if (backBuffer)
    std::fprintf(stderr, "arena: %s %s %ux%u\n", name, DeviceTypeName(), backBuffer->Width, backBuffer->Height);
  else
    std::fprintf(stderr, "arena: %s\n", name);
  std::fflush(stderr);
}

void TraceSound(const SoundSystem& soundSystem) {
  if (!TraceDeviceEvents()) return;
  const SoundDevice* sound = soundSystem.Device();
  if (!sound) {
    std::fprintf(stderr, "arena-sound: closed\n");
  } else if (sound->PrimaryFormat().formatTag != 0) {
    const WaveFormat& f = sound->PrimaryFormat();
    std::fprintf(stderr, "arena-sound: open %u %u %u\n", unsigned(f.channels), unsigned(f.samplesPerSecond),
                 unsigned(f.bitsPerSample));
  } else {
    std::fprintf(stderr, "arena-sound: unavailable\n");
  }
  std::fflush(stderr);
}

void TraceMouse(const char* target, bool leftDown, int x, int y) {
  if (!TraceDeviceEvents()) return;
  std::fprintf(stderr, "arena-mouse: %s %d %d %d\n", target, leftDown ? 1 : 0, x, y);
  std::fflush(stderr);
}

void RestartFrameCount() { g_framesSinceReset = 0; }

void TraceFrame() {
  if (!TraceDeviceEvents()) return;
  const uint64_t n = ++g_framesSinceReset;
  uint64_t decade = 1;
  while (decade * 10 <= n) decade *= 10;
  if (n != decade) return;
  const plat::SurfaceDesc* backBuffer = AppGetBackBufferSurfaceDesc();
  std::fprintf(stderr, "arena-frames: %llu %s %ux%u\n", static_cast<unsigned long long>(n), DeviceTypeName(),
               backBuffer->Width, backBuffer->Height);
  std::fflush(stderr);
}

void TracePauses() {
  if (!TraceDeviceEvents()) return;
  static bool renderingPaused = false, timePaused = false;
  if (AppIsRenderingPaused() != renderingPaused) {
    renderingPaused = !renderingPaused;
    std::fprintf(stderr, "arena-pause: rendering %s\n", renderingPaused ? "paused" : "resumed");
    if (!renderingPaused) g_framesSinceReset = 0;
  }
  if (AppIsTimePaused() != timePaused) {
    timePaused = !timePaused;
    std::fprintf(stderr, "arena-pause: time %s\n", timePaused ? "paused" : "resumed");
  }
  std::fflush(stderr);
}

void TraceWindowMessage(uint32_t message, plat::WPARAM wParam, plat::LPARAM lParam) {
  if (!TraceDeviceEvents()) return;
  switch (message) {
    case plat::WM_SIZE:
      std::fprintf(stderr, "arena-msg: size %s %dx%d\n",
                   wParam == plat::SIZE_MINIMIZED ? "minimized" : wParam == plat::SIZE_MAXIMIZED ? "maximized" : "restored",
                   plat::LoWordSigned(lParam), plat::HiWordSigned(lParam));
      break;
    case plat::WM_ENTERSIZEMOVE: std::fprintf(stderr, "arena-msg: enter size/move\n"); break;
    case plat::WM_EXITSIZEMOVE: std::fprintf(stderr, "arena-msg: exit size/move\n"); break;
    case plat::WM_ACTIVATEAPP: std::fprintf(stderr, "arena-msg: %s\n", wParam ? "active" : "inactive"); break;
    default: return;
  }
  std::fflush(stderr);
}
