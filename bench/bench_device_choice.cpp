// Start-up cost of choosing the device: parsing a long command line, enumerating the real graphics
// system (reference device under SDL's dummy driver unless a display is set) and selecting the
// game's windowed 640x480 settings.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/appcmdline.h"
#include "common/appenum.h"
#include "platform/services.h"

namespace {

double UsPer(std::chrono::steady_clock::duration d, long n) {
  return std::chrono::duration<double, std::micro>(d).count() / static_cast<double>(n);
}

}  // namespace

int main() {
  using clock = std::chrono::steady_clock;

  std::wstring line = L"\"C:/games/arena.exe\"";
  for (int i = 0; i < 200; ++i) line += L" -WIDTH:800 /forcehal -constantframetime:0.05 -unknown:word";
  const long parses = 2000;
  auto t0 = clock::now();
  size_t sink = 0;
  for (long i = 0; i < parses; ++i) sink += ParseCommandLine(line).traces.size();
  auto t1 = clock::now();
  std::printf("parse %zu-character command line: %.1f us (%zu traces)\n", line.size(), UsPer(t1 - t0, parses),
              sink / parses);

  ::setenv("SDL_VIDEODRIVER", "dummy", 0);
  if (!plat::InstallRealServices()) {
    std::fprintf(stderr, "SDL could not start\n");
    return 1;
  }
  auto graphics = plat::GetServices().createGraphics();
  if (!graphics) {
    std::fprintf(stderr, "no graphics system\n");
    return 1;
  }
  DeviceEnumeration enumeration;
  const long rounds = 200;
  t0 = clock::now();
  for (long i = 0; i < rounds; ++i) enumeration.Enumerate(graphics.get(), nullptr, nullptr);
  t1 = clock::now();
  size_t combos = 0;
  for (auto& a : enumeration.Adapters())
    for (auto& d : a->devices) combos += d->combos.size();
  std::printf("enumerate: %.1f us (%zu adapters, %zu combinations)\n", UsPer(t1 - t0, rounds),
              enumeration.Adapters().size(), combos);

  DeviceSettings in;
  in.pp.Windowed = 1;
  in.pp.BackBufferWidth = 640;
  in.pp.BackBufferHeight = 480;
  MatchOptions o;
  o.eAdapterOrdinal = MT_PRESERVE_INPUT;
  o.eWindowed = MT_PRESERVE_INPUT;
  o.eResolution = MT_CLOSEST_TO_INPUT;
  DeviceSettings out;
  Result r = S_OK;
  t0 = clock::now();
  for (long i = 0; i < rounds * 10; ++i) r = enumeration.FindValidDeviceSettings(out, &in, o);
  t1 = clock::now();
  std::printf("find valid settings: %.2f us (result 0x%08x, device type %u, %ux%u)\n", UsPer(t1 - t0, rounds * 10),
              static_cast<uint32_t>(r), out.DeviceType, out.pp.BackBufferWidth, out.pp.BackBufferHeight);

  graphics.reset();
  plat::ShutdownRealServices();
  return 0;
}
