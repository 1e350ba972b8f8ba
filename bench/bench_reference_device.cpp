// Frame rate of the reference device on SDL's headless driver: a 640x480 frame with a clear, 40
// sprites of 64x64 (some mirrored, some scaled) and two lines of text, presented; then the same
// 40 quads through SDL's own software renderer (no depth, nearest) as the peer, and the ratio.
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/graphics/graphics.h"
#include "platform/services.h"

using namespace plat;

namespace {

constexpr int kWidth = 640, kHeight = 480, kSprites = 40, kFrames = 3000, kWarmUp = 100;

struct Placement {
  int x, y, cell;
  bool mirrored;
  float scaleX;
};

// 256x256 atlas of 64x64 cells: coloured discs with a dark rim and transparent outsides, so the
// alpha-0 discard and the blending both get their share of pixels.
std::vector<uint32_t> Atlas() {
  std::vector<uint32_t> px(256 * 256);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const int cell = (y / 64) * 4 + x / 64, cx = x % 64 - 32, cy = y % 64 - 32, d2 = cx * cx + cy * cy;
      const uint32_t base = 0x00204060u + uint32_t(cell) * 0x000B0F13u;
      uint32_t c = 0;
      if (d2 < 28 * 28) c = 0xFF000000u | base | (uint32_t(x & 0x3F) << 16);
      else if (d2 < 31 * 31) c = 0xC0101010u;
      px[size_t(y) * 256 + size_t(x)] = c;
    }
  }
  return px;
}

std::vector<Placement> Layout() {
  std::vector<Placement> out;
  for (int i = 0; i < kSprites; ++i) {
    Placement p{(i % 8) * 76 + 10, (i / 8) * 90 + 20, i % 16, i % 5 == 1, i % 7 == 3 ? 1.5f : 1.0f};
    out.push_back(p);
  }
  return out;
}

// The machine is shared, so frames are timed by this thread's CPU time as well as by the clock;
// the CPU figure is the one that does not depend on what else runs.
struct Timing {
  double wallFps = 0, cpuFps = 0;
};

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

template <typename F>
Timing Measure(F&& frame) {
  for (int i = 0; i < kWarmUp; ++i) frame();
  const auto start = std::chrono::steady_clock::now();
  const double cpuStart = ThreadSeconds();
  for (int i = 0; i < kFrames; ++i) frame();
  Timing t;
  t.cpuFps = kFrames / (ThreadSeconds() - cpuStart);
  t.wallFps = kFrames / std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return t;
}

LRESULT Proc(WindowHandle w, uint32_t m, WPARAM wp, LPARAM lp) { return GetServices().windows->DefWindowProc(w, m, wp, lp); }

// Our frame, timed over kFrames; zeros on failure.
Timing RunDevice(IDevice& device, bool text) {
  std::unique_ptr<ITexture> atlas;
  std::unique_ptr<ISprite> sprite;
  std::unique_ptr<IFont> font;
  if (Failed(device.CreateTextureFromPixels(256, 256, Atlas(), atlas)) || Failed(device.CreateSprite(sprite))) return {};
  if (text && Failed(device.CreateFont(-16, 700, L"MS Gothic", font))) {
    std::printf("  (font not available: frames without text)\n");
    text = false;
  }
  device.SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
  device.SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
  const std::vector<Placement> layout = Layout();
  auto frame = [&] {
    device.SetRenderState(RS_CULLMODE, CULL_NONE);
    device.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0x002D32AAu, 1.0f, 0);
    device.BeginScene();
    sprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
    for (const Placement& p : layout) {
      const Vec3 scale{p.scaleX, 1, 1}, centre{32, 32, 0.01f}, move{float(p.x), float(p.y), 0.13f};
      const Quat turn{0, p.mirrored ? 1.0f : 0.0f, 0, 0};
      sprite->SetTransform(MatrixTransformation(&scale, &centre, &turn, &move));
      const RectI src{(p.cell % 4) * 64, (p.cell / 4) * 64, (p.cell % 4) * 64 + 64, (p.cell / 4) * 64 + 64};
      sprite->Draw(atlas.get(), &src, nullptr, nullptr, 0xFFFFFFFFu);
    }
    sprite->End();
    if (text) {
      RectI line1{0, 0, 0, 0}, line2{10, 450, 0, 0};
      font->DrawText(nullptr, L"640x480 x[vela] 1.3.5 fps: 1234.56 vsync off", -1, &line1, DT_NOCLIP, 0xFFFF0000u);
      font->DrawText(nullptr, L"Reference device (640x480), X8R8G8B8 (D24X8)", -1, &line2, DT_NOCLIP, 0xFFFFFF00u);
    }
    device.EndScene();
    device.Present();
  };
  return Measure(frame);
}

// The peer: SDL's software renderer on a 640x480 surface, the same quads, nearest, blended.
Timing RunSdlSoftware() {
  SDL_Surface* target = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
  SDL_Renderer* renderer = target ? SDL_CreateSoftwareRenderer(target) : nullptr;
  if (!renderer) return {};
  std::vector<uint32_t> px = Atlas();
  SDL_Texture* texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 256, 256);
  SDL_UpdateTexture(texture, nullptr, px.data(), 256 * 4);
  SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_BLEND);
  const std::vector<Placement> layout = Layout();
  auto frame = [&] {
    SDL_SetRenderDrawColor(renderer, 45, 50, 170, 0);
    SDL_RenderClear(renderer);
    for (const Placement& p : layout) {
      const SDL_Rect src{(p.cell % 4) * 64, (p.cell / 4) * 64, 64, 64};
      const SDL_Rect dst{p.x, p.y, int(64 * p.scaleX), 64};
      SDL_RenderCopyEx(renderer, texture, &src, &dst, 0, nullptr, p.mirrored ? SDL_FLIP_HORIZONTAL : SDL_FLIP_NONE);
    }
    SDL_RenderPresent(renderer);
  };
  const Timing fps = Measure(frame);
  SDL_DestroyTexture(texture);
  SDL_DestroyRenderer(renderer);
  SDL_FreeSurface(target);
  return fps;
}

void Report(const char* what, const Timing& t) {
  if (t.cpuFps <= 0) {
    std::printf("%-42s not available\n", what);
    return;
  }
  std::printf("%-42s %8.1f fps %7.3f ms/frame (CPU time) | %8.1f fps wall clock\n", what, t.cpuFps,
              1000.0 / t.cpuFps, t.wallFps);
}

}  // namespace

int main() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  if (!InstallRealServices()) {
    std::fprintf(stderr, "SDL cannot start\n");
    return 1;
  }
  Services& s = GetServices();
  WindowHandle window = s.windows->CreateAppWindow(L"bench", 0, 0, kWidth, kHeight, Proc);
  std::unique_ptr<IGraphicsSystem> graphics = s.createGraphics();
  if (!window || !graphics) {
    std::fprintf(stderr, "no window or graphics system\n");
    return 1;
  }
  PresentParameters pp;
  pp.BackBufferWidth = kWidth;
  pp.BackBufferHeight = kHeight;
  pp.BackBufferFormat = FMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = SWAPEFFECT_DISCARD;
  pp.Windowed = 1;
  pp.EnableAutoDepthStencil = 1;
  pp.AutoDepthStencilFormat = FMT_D24X8;
  pp.PresentationInterval = PRESENT_INTERVAL_IMMEDIATE;
  std::unique_ptr<IDevice> device;
  if (Failed(graphics->CreateDevice(0, DEVTYPE_REF, window, CREATE_SOFTWARE_VERTEXPROCESSING, pp, device))) {
    std::fprintf(stderr, "no reference device\n");
    return 1;
  }
  std::printf("%d frames of %dx%d, %d sprites of 64x64 (mirrored and scaled among them)\n", kFrames, kWidth, kHeight, kSprites);
  const Timing withText = RunDevice(*device, true);
  const Timing spritesOnly = RunDevice(*device, false);
  const Timing peer = RunSdlSoftware();
  Report("reference device, sprites + 2 text lines", withText);
  Report("reference device, sprites only", spritesOnly);
  Report("SDL software renderer, same quads (peer)", peer);
  if (peer.cpuFps > 0) {
    std::printf("ratio reference (with text) / peer: %.2f (CPU time), %.2f (wall)\n", withText.cpuFps / peer.cpuFps,
                withText.wallFps / peer.wallFps);
    std::printf("ratio reference (sprites only) / peer: %.2f (CPU time), %.2f (wall)\n",
                spritesOnly.cpuFps / peer.cpuFps, spritesOnly.wallFps / peer.wallFps);
  }
  device.reset();
  graphics.reset();
  s.windows->DestroyAppWindow(window);
  ShutdownRealServices();
  return 0;
}
