// The framework's own cost: one frame step with no game on the reference device, over 10,000
// frames, less what the device's own Present costs; and the time from process start to the first
// presented frame. Runs headless on SDL's dummy video driver.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include <time.h>
#include <unistd.h>

#include "common/app.h"
#include "common/app_internal.h"
#include "platform/services.h"
#include "platform/system/system.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Seconds since boot at which this process was started, from /proc (clock-tick resolution).
double ProcessStartSinceBoot() {
  std::ifstream stat("/proc/self/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  size_t close = text.rfind(')');
  if (close == std::string::npos) return -1.0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  for (int i = 3; i <= 22; ++i) fields >> field;  // field 22: start time in clock ticks
  return std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double NowSinceBoot() {
  timespec ts{};
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

int g_frames = 0;
void CountFrame(plat::IDevice*, double, float, void*) { ++g_frames; }

}  // namespace

int main() {
  const Clock::time_point mainStart = Clock::now();
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  char arg0[] = "bench_framework", arg1[] = "-forceref", arg2[] = "-noerrormsgboxes";
  char* argv[] = {arg0, arg1, arg2, nullptr};
  plat::SetCommandLineArgs(3, argv);
  if (!plat::InstallRealServices()) {
    std::printf("bench_framework: the window system could not be started\n");
    return 1;
  }
  std::atexit(plat::ShutdownRealServices);

  AppSetCallbackFrameMove(CountFrame);
  AppInit(true, true, true, true);
  AppCreateWindow(L"bench");
  if (Failed(AppCreateDevice(0, true, 640, 480, nullptr, nullptr, nullptr)) || !AppGetD3DDevice()) {
    std::printf("bench_framework: no reference device\n");
    return 1;
  }
  AppRender3DEnvironment();  // the first frame is presented when this returns
  const Clock::time_point firstFrame = Clock::now();
  const double sinceExec = NowSinceBoot() - ProcessStartSinceBoot();

  constexpr int kFrames = 10000;
  g_frames = 0;
  const Clock::time_point stepStart = Clock::now();
  for (int i = 0; i < kFrames; ++i) AppRender3DEnvironment();
  const double stepMs = Ms(Clock::now() - stepStart) / kFrames;

  plat::IDevice* device = AppGetD3DDevice();
  const Clock::time_point presentStart = Clock::now();
  for (int i = 0; i < kFrames; ++i) device->Present();
  const double presentMs = Ms(Clock::now() - presentStart) / kFrames;

  std::printf("frame steps run:                     %d\n", g_frames);
  std::printf("frame step, reference device:        %.4f ms\n", stepMs);
  std::printf("  of which the device's Present:     %.4f ms\n", presentMs);
  std::printf("  framework's own cost per step:     %.4f ms\n", stepMs - presentMs);
  std::printf("main() to first presented frame:     %.2f ms\n", Ms(firstFrame - mainStart));
  std::printf("process start to first frame:        %.0f ms (clock-tick resolution)\n", sinceExec * 1000.0);

  AppShutdown(0);
  return g_frames == kFrames ? 0 : 1;
}
