// Cost of the message pump that the frame loop pays on every pass, and of event translation.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/services.h"
#include "platform/system/event_translator.h"

namespace {

class OneWindow : public plat::IWindowFacts {
 public:
  plat::WindowFacts Find(uint32_t) const override {
    plat::WindowFacts f;
    f.window = reinterpret_cast<plat::WindowHandle>(0x1000);
    f.clientWidth = 640;
    f.clientHeight = 480;
    return f;
  }
  std::vector<plat::WindowHandle> All() const override { return {Find(1).window}; }
  uint16_t KeyModifiers() const override { return 0; }
};

double NsPer(std::chrono::steady_clock::duration d, long n) {
  return std::chrono::duration<double, std::nano>(d).count() / static_cast<double>(n);
}

}  // namespace

int main() {
  ::setenv("SDL_VIDEODRIVER", "dummy", 0);
  if (!plat::InstallRealServices()) {
    std::fprintf(stderr, "SDL could not start: %s\n", SDL_GetError());
    return 1;
  }
  plat::IWindowSystem& ws = *plat::GetServices().windows;
  const plat::WindowHandle w = ws.CreateAppWindow(L"bench", 0, 0, 640, 480, nullptr);
  plat::Msg m;
  while (ws.PeekMessage(m)) {
  }

  constexpr long kPeeks = 200000;
  auto t0 = std::chrono::steady_clock::now();
  long got = 0;
  for (long i = 0; i < kPeeks; ++i) got += ws.PeekMessage(m) ? 1 : 0;
  const double emptyPeek = NsPer(std::chrono::steady_clock::now() - t0, kPeeks);

  constexpr long kPosted = 200000;
  t0 = std::chrono::steady_clock::now();
  for (long i = 0; i < kPosted; ++i) ws.PostMessage({w, plat::WM_PAINT, 0, 0});
  while (ws.PeekMessage(m)) ++got;
  const double postAndPeek = NsPer(std::chrono::steady_clock::now() - t0, kPosted);

  OneWindow facts;
  plat::EventTranslator translator;
  std::vector<plat::Msg> out;
  out.reserve(1 << 20);
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.windowID = 1;
  constexpr long kEvents = 1000000;
  t0 = std::chrono::steady_clock::now();
  for (long i = 0; i < kEvents; ++i) {
    e.motion.x = static_cast<int>(i & 511);
    translator.Translate(e, facts, static_cast<uint64_t>(i), out);
    if (out.size() > 4096) out.clear();
  }
  const double translate = NsPer(std::chrono::steady_clock::now() - t0, kEvents);

  std::printf("PeekMessage, empty queue (pumps SDL): %.0f ns per call\n", emptyPeek);
  std::printf("PostMessage + PeekMessage: %.0f ns per message\n", postAndPeek);
  std::printf("event translation (mouse move): %.1f ns per event\n", translate);
  std::printf("(%ld messages taken)\n", got);
  plat::ShutdownRealServices();
  return 0;
}
