#include "tests/fakes/fake_platform.h"

#include "common/app_state.h"

namespace fake {

namespace {

// The framework owns its graphics system; this handle forwards to the shared fake so the fake
// outlives the framework's ownership.
class GraphicsHandle : public plat::IGraphicsSystem {
 public:
  GraphicsHandle(std::shared_ptr<FakeGraphicsSystem> g, int& released) : g_(std::move(g)), released_(released) {}
  ~GraphicsHandle() override { ++released_; }

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
  Result GetDeviceCaps(uint32_t a, uint32_t t, plat::Caps& caps) const override { return g_->GetDeviceCaps(a, t, caps); }
  Result CreateDevice(uint32_t a, uint32_t t, plat::WindowHandle w, uint32_t f, plat::PresentParameters& pp,
                      std::unique_ptr<plat::IDevice>& out) override {
    return g_->CreateDevice(a, t, w, f, pp, out);
  }

 private:
  std::shared_ptr<FakeGraphicsSystem> g_;
  int& released_;
};

}  // namespace

FakePlatform::FakePlatform() : saved_(plat::GetServices()) {
  plat::Services services;
  services.system = &system;
  services.windows = &windows;
  services.audio = nullptr;
  services.createGraphics = [this]() -> std::unique_ptr<plat::IGraphicsSystem> {
    if (failGraphics) return nullptr;
    ++graphicsMade;
    return std::make_unique<GraphicsHandle>(graphics, graphicsReleased);
  };
  plat::SetServices(services);
  AppResetStateForTests();  // a fresh framework and timer over these fakes
}

FakePlatform::~FakePlatform() {
  AppResetStateForTests();  // the final shutdown still sees these fakes
  plat::SetServices(saved_);
}

}  // namespace fake
