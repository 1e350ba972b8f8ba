// The framework's own cost: one frame step with no game on the reference device, over 10,000
// frames, less the time spent in the device's own Present; and the time from process start to the first
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

// Time spent inside the device's Present, so the framework's own share can be told apart.
Clock::duration g_presentTime{};

class TimedDevice : public plat::IDevice {
 public:
  explicit TimedDevice(std::unique_ptr<plat::IDevice> d) : d_(std::move(d)) {}
  Result Present() override {
    const Clock::time_point start = Clock::now();
    Result hr = d_->Present();
    g_presentTime += Clock::now() - start;
    return hr;
  }
  Result Clear(uint32_t f, uint32_t c, float z, uint32_t s) override { return d_->Clear(f, c, z, s); }
  Result BeginScene() override { return d_->BeginScene(); }
  Result EndScene() override { return d_->EndScene(); }
  Result TestCooperativeLevel() override { return d_->TestCooperativeLevel(); }
  Result Reset(plat::PresentParameters& pp) override { return d_->Reset(pp); }
  Result SetRenderState(plat::RenderState s, uint32_t v) override { return d_->SetRenderState(s, v); }
  uint32_t GetRenderState(plat::RenderState s) const override { return d_->GetRenderState(s); }
  Result SetSamplerState(uint32_t i, plat::SamplerState t, uint32_t v) override { return d_->SetSamplerState(i, t, v); }
  uint32_t GetSamplerState(uint32_t i, plat::SamplerState t) const override { return d_->GetSamplerState(i, t); }
  Result SetTransform(plat::TransformType t, const plat::Matrix& m) override { return d_->SetTransform(t, m); }
  Result GetTransform(plat::TransformType t, plat::Matrix& m) const override { return d_->GetTransform(t, m); }
  Result GetBackBufferDesc(plat::SurfaceDesc& d) const override { return d_->GetBackBufferDesc(d); }
  Result GetDeviceCaps(plat::Caps& c) const override { return d_->GetDeviceCaps(c); }
  uint32_t GetDeviceType() const override { return d_->GetDeviceType(); }
  Result SetCursorProperties(int x, int y, const std::vector<uint32_t>& p, int w, int h) override {
    return d_->SetCursorProperties(x, y, p, w, h);
  }
  void SetCursorPosition(int x, int y) override { d_->SetCursorPosition(x, y); }
  bool ShowCursor(bool show) override { return d_->ShowCursor(show); }
  Result CreateTextureFromFile(const std::wstring& f, std::unique_ptr<plat::ITexture>& out) override {
    return d_->CreateTextureFromFile(f, out);
  }
  Result CreateTextureFromPixels(uint32_t w, uint32_t h, const std::vector<uint32_t>& p,
                                 std::unique_ptr<plat::ITexture>& out) override {
    return d_->CreateTextureFromPixels(w, h, p, out);
  }
  Result CreateSprite(std::unique_ptr<plat::ISprite>& out) override { return d_->CreateSprite(out); }
  Result CreateFont(int h, uint32_t w, const std::wstring& f, std::unique_ptr<plat::IFont>& out) override {
    return d_->CreateFont(h, w, f, out);
  }
  Result ReadBackBuffer(std::vector<uint32_t>& p, uint32_t& w, uint32_t& h) override { return d_->ReadBackBuffer(p, w, h); }
  uint32_t LiveObjectCount() const override { return d_->LiveObjectCount(); }

 private:
  std::unique_ptr<plat::IDevice> d_;
};

class TimedGraphics : public plat::IGraphicsSystem {
 public:
  explicit TimedGraphics(std::unique_ptr<plat::IGraphicsSystem> g) : g_(std::move(g)) {}
  uint32_t GetAdapterCount() const override { return g_->GetAdapterCount(); }
  Result GetAdapterIdentifier(uint32_t a, plat::AdapterIdentifier& id) const override {
    return g_->GetAdapterIdentifier(a, id);
  }
  uint32_t GetAdapterModeCount(uint32_t a, uint32_t f) const override { return g_->GetAdapterModeCount(a, f); }
  Result EnumAdapterModes(uint32_t a, uint32_t f, uint32_t m, plat::DisplayMode& out) const override {
    return g_->EnumAdapterModes(a, f, m, out);
  }
  Result GetAdapterDisplayMode(uint32_t a, plat::DisplayMode& out) const override {
    return g_->GetAdapterDisplayMode(a, out);
  }
  int GetAdapterMonitor(uint32_t a) const override { return g_->GetAdapterMonitor(a); }
  Result CheckDeviceType(uint32_t a, uint32_t t, uint32_t af, uint32_t bf, bool w) const override {
    return g_->CheckDeviceType(a, t, af, bf, w);
  }
  Result CheckDeviceFormat(uint32_t a, uint32_t t, uint32_t af, uint32_t u, uint32_t r, uint32_t f) const override {
    return g_->CheckDeviceFormat(a, t, af, u, r, f);
  }
  Result CheckDeviceMultiSampleType(uint32_t a, uint32_t t, uint32_t f, bool w, uint32_t m,
                                    uint32_t* q) const override {
    return g_->CheckDeviceMultiSampleType(a, t, f, w, m, q);
  }
  Result CheckDepthStencilMatch(uint32_t a, uint32_t t, uint32_t af, uint32_t rf, uint32_t df) const override {
    return g_->CheckDepthStencilMatch(a, t, af, rf, df);
  }
  Result GetDeviceCaps(uint32_t a, uint32_t t, plat::Caps& c) const override { return g_->GetDeviceCaps(a, t, c); }
  Result CreateDevice(uint32_t a, uint32_t t, plat::WindowHandle w, uint32_t f, plat::PresentParameters& pp,
                      std::unique_ptr<plat::IDevice>& out) override {
    std::unique_ptr<plat::IDevice> real;
    Result hr = g_->CreateDevice(a, t, w, f, pp, real);
    if (real) out = std::make_unique<TimedDevice>(std::move(real));
    return hr;
  }

 private:
  std::unique_ptr<plat::IGraphicsSystem> g_;
};

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
  plat::Services services = plat::GetServices();
  auto makeReal = services.createGraphics;
  services.createGraphics = [makeReal]() -> std::unique_ptr<plat::IGraphicsSystem> {
    std::unique_ptr<plat::IGraphicsSystem> real = makeReal ? makeReal() : nullptr;
    if (!real) return nullptr;
    return std::make_unique<TimedGraphics>(std::move(real));
  };
  plat::SetServices(services);

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
  g_presentTime = {};
  const Clock::time_point stepStart = Clock::now();
  for (int i = 0; i < kFrames; ++i) AppRender3DEnvironment();
  const double stepMs = Ms(Clock::now() - stepStart) / kFrames;
  const double presentMs = Ms(g_presentTime) / kFrames;

  std::printf("frame steps run:                     %d\n", g_frames);
  std::printf("frame step, reference device:        %.4f ms\n", stepMs);
  std::printf("  of which the device's Present:     %.4f ms\n", presentMs);
  std::printf("  framework's own cost per step:     %.2f us\n", (stepMs - presentMs) * 1000.0);
  std::printf("main() to first presented frame:     %.2f ms\n", Ms(firstFrame - mainStart));
  std::printf("process start to first frame:        %.0f ms (clock-tick resolution)\n", sinceExec * 1000.0);

  AppShutdown(0);
  return g_frames == kFrames ? 0 : 1;
}
