// Frame cost of a battle-like frame on each device type the graphics system offers here: a
// 640 x 480 background, sixty cells from one image (some scaled, mirrored or half transparent,
// depth-sorted), the frame-statistics line and a row of battle numbers, then Present. Under Xvfb
// the hardware device runs on Mesa's software OpenGL, so its figure there is a floor, not a GPU's.
// Set ARENA_XVFB_DISPLAY (or DISPLAY) for the hardware figure; without a display only the
// reference device is measured.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/graphics/graphics.h"
#include "platform/services.h"

using namespace plat;

namespace {

constexpr uint32_t kWidth = 640, kHeight = 480;
constexpr int kCells = 60;

std::vector<uint32_t> Background() {
  std::vector<uint32_t> px(size_t(kWidth) * kHeight);
  for (uint32_t y = 0; y < kHeight; ++y)
    for (uint32_t x = 0; x < kWidth; ++x) px[size_t(y) * kWidth + x] = 0xFF000000u | ((x & 0xFF) << 16) | ((y & 0xFF) << 8) | 0x40;
  return px;
}

std::vector<uint32_t> Cells() {
  std::vector<uint32_t> px(128 * 64);
  for (uint32_t y = 0; y < 64; ++y)
    for (uint32_t x = 0; x < 128; ++x) {
      const uint32_t cx = x % 32, cy = y % 32;
      const bool hole = cy >= 24 && (cx < 8 || cx >= 24);
      px[size_t(y) * 128 + x] = hole ? 0u : 0xFF000000u | ((x * 2) << 16) | ((y * 4) << 8) | 0x80;
    }
  return px;
}

struct Figures {
  double msPerFrame = 0;
  int frames = 0;
};

bool RunScene(IGraphicsSystem& system, WindowHandle window, uint32_t type, Figures& out, std::string& why) {
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
  const Result hr = system.CreateDevice(
      0, type, window, type == DEVTYPE_HAL ? CREATE_HARDWARE_VERTEXPROCESSING : CREATE_SOFTWARE_VERTEXPROCESSING, pp, device);
  if (Failed(hr)) {
    why = "device creation failed";
    return false;
  }
  device->SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
  device->SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
  device->SetRenderState(RS_CULLMODE, CULL_NONE);
  std::unique_ptr<ITexture> background, cells;
  std::unique_ptr<ISprite> backgroundSprite, cellSprite;
  std::unique_ptr<IFont> stats, numbers;
  if (Failed(device->CreateTextureFromPixels(kWidth, kHeight, Background(), background)) ||
      Failed(device->CreateTextureFromPixels(128, 64, Cells(), cells)) ||
      Failed(device->CreateSprite(backgroundSprite)) || Failed(device->CreateSprite(cellSprite)) ||
      Failed(device->CreateFont(-16, 700, L"MS Gothic", stats)) ||
      Failed(device->CreateFont(-16, 700, L"MS Gothic", numbers))) {
    why = "device objects could not be made";
    return false;
  }
  const wchar_t* statsLine = L"60.00 fps (640x480), X8R8G8B8 (D24X8)";
  const wchar_t* lives[2] = {L"2000", L"1375"};

  auto frame = [&](int n) {
    device->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0x002D32AAu, 1.0f, 0);
    device->BeginScene();
    backgroundSprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
    const Vec3 farther{0, 0, 0.9f};
    backgroundSprite->SetTransform(MatrixTransformation(nullptr, nullptr, nullptr, &farther));
    backgroundSprite->Draw(background.get(), nullptr, nullptr, nullptr, 0xFFFFFFFFu);
    backgroundSprite->End();
    cellSprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
    for (int i = 0; i < kCells; ++i) {
      const float wobble = float((n + i * 7) % 40);
      const Vec3 scale{(i % 5 == 0) ? 1.5f : 1.0f, (i % 5 == 0) ? 1.5f : 1.0f, 1};
      const Vec3 centre{16, 16, 0.01f}, move{float((i % 10) * 60) + wobble, float((i / 10) * 70 + 20), 0.1f + 0.01f * float(i % 7)};
      const Quat turn{0, (i % 3 == 0) ? 1.0f : 0.0f, 0, 0};
      cellSprite->SetTransform(MatrixTransformation(&scale, &centre, &turn, &move));
      const int c = i % 8;
      const RectI src{(c % 4) * 32, (c / 4) * 32, (c % 4) * 32 + 32, (c / 4) * 32 + 32};
      cellSprite->Draw(cells.get(), &src, nullptr, nullptr, (i % 4 == 0) ? 0x80FFFFFFu : 0xFFFFFFFFu);
    }
    cellSprite->End();
    RectI statsBox{0, 0, 0, 0};
    stats->DrawText(nullptr, statsLine, -1, &statsBox, DT_NOCLIP, 0xFFFF0000u);
    for (int side = 0; side < 2; ++side) {
      RectI box{side ? 520 : 40, 440, 0, 0};
      numbers->DrawText(nullptr, lives[side], -1, &box, DT_NOCLIP, 0xFFFF0000u);
    }
    device->EndScene();
    device->Present();
  };

  for (int i = 0; i < 10; ++i) frame(i);  // uploads, glyphs and caches settle first
  const int frames = type == DEVTYPE_HAL ? 300 : 120;
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) frame(i);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  out.frames = frames;
  out.msPerFrame = seconds * 1000.0 / frames;
  return true;
}

}  // namespace

int main() {
  if (const char* xvfb = std::getenv("ARENA_XVFB_DISPLAY"); xvfb && *xvfb) setenv("DISPLAY", xvfb, 1);
  if (!InstallRealServices()) {
    std::printf("bench_hardware_device: SDL does not start\n");
    return 1;
  }
  IWindowSystem& windows = *GetServices().windows;
  std::unique_ptr<IGraphicsSystem> system = CreateGraphicsSystem(windows);
  WindowHandle window = system ? windows.CreateAppWindow(L"bench", 0, 0, int(kWidth), int(kHeight), nullptr) : nullptr;
  if (!window) {
    std::printf("bench_hardware_device: no window\n");
    ShutdownRealServices();
    return 1;
  }
  AdapterIdentifier id;
  system->GetAdapterIdentifier(0, id);
  std::printf("battle-like frame %ux%u: background, %d cells, 2 text lines (stats, numbers); adapter \"%s\"\n", kWidth,
              kHeight, kCells, id.Description.c_str());
  for (uint32_t type : {uint32_t(DEVTYPE_REF), uint32_t(DEVTYPE_HAL)}) {
    const char* name = type == DEVTYPE_HAL ? "hardware (OpenGL 3.3)" : "reference (CPU)";
    if (Failed(system->CheckDeviceType(0, type, FMT_X8R8G8B8, FMT_X8R8G8B8, true))) {
      std::printf("  %-22s not offered here (no OpenGL 3.3 core context)\n", name);
      continue;
    }
    Figures f;
    std::string why;
    if (!RunScene(*system, window, type, f, why)) {
      std::printf("  %-22s %s\n", name, why.c_str());
      continue;
    }
    std::printf("  %-22s %7.3f ms/frame  %7.1f frames/s  (%d frames)\n", name, f.msPerFrame, 1000.0 / f.msPerFrame,
                f.frames);
  }
  windows.DestroyAppWindow(window);
  system.reset();
  ShutdownRealServices();
  return 0;
}
