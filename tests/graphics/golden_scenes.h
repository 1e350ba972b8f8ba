#pragma once
// The scenes kept as golden pictures (tests/golden/<name>.png). The reference device makes them
// (tests/graphics) and the hardware device must match them (tests/gl).
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/graphics.h"
#include "tests/support/test_support.h"

namespace gfxtest {

constexpr uint32_t kBackground = 0x002D32AAu;
constexpr uint32_t kShownBackground = 0xFF2D32AAu;  // the X8R8G8B8 back buffer reads back opaque
constexpr uint32_t kBatch = plat::SPRITE_ALPHABLEND | plat::SPRITE_SORT_DEPTH_FRONTTOBACK;

// 128 x 64 image of 32 x 32 cells: cell n has its own colour, an opaque body with a black notch at
// its top-right (so mirroring shows), transparent (alpha 0) bottom corners and a darker border.
inline std::vector<uint32_t> CellAtlas() {
  const uint32_t colours[8] = {0xFFE04040, 0xFF40E040, 0xFF4040E0, 0xFFE0E040,
                               0xFFE040E0, 0xFF40E0E0, 0xFFF08020, 0xFFFFFFFF};
  std::vector<uint32_t> px(128 * 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x) {
      const int cx = x % 32, cy = y % 32;
      uint32_t c = colours[(y / 32) * 4 + x / 32];
      if (cx == 0 || cy == 0 || cx == 31 || cy == 31) c = (c & 0xFF000000u) | ((c >> 1) & 0x007F7F7Fu);
      if (cx >= 20 && cy < 10) c = 0xFF000000u;
      if (cy >= 24 && (cx < 8 || cx >= 24)) c = 0;
      px[size_t(y) * 128 + size_t(x)] = c;
    }
  return px;
}

// Draws one cell the way the game's texture set does: scale, turn about the cell centre, move.
inline void Cell(plat::ISprite& s, plat::ITexture& atlas, int cell, float x, float y, float z,
                 uint32_t tint = 0xFFFFFFFFu, plat::Vec3 scale = {1, 1, 1}, plat::Quat turn = {0, 0, 0, 0}) {
  const plat::Vec3 centre{16, 16, 0.01f}, move{x, y, z + 0.01f};
  s.SetTransform(plat::MatrixTransformation(&scale, &centre, &turn, &move));
  const plat::RectI src{(cell % 4) * 32, (cell / 4) * 32, (cell % 4) * 32 + 32, (cell / 4) * 32 + 32};
  EXPECT_EQ(s.Draw(&atlas, &src, nullptr, nullptr, tint), S_OK);
}

inline void Text(plat::IDevice& d, const wchar_t* text, plat::RectI r, uint32_t format, uint32_t colour) {
  std::unique_ptr<plat::IFont> font;
  ASSERT_EQ(d.CreateFont(-16, 700, L"MS Gothic", font), S_OK);
  EXPECT_GT(font->DrawText(nullptr, text, -1, &r, format, colour), 0);
}

struct Scene {
  const char* golden;
  uint32_t width, height;
  std::function<void(plat::IDevice&, plat::ISprite&, plat::ITexture&)> draw;
  double halShare = 0.004;  // pixels the hardware device may get wrong (texel and triangle edges)
};

inline std::vector<Scene> Scenes() {
  using namespace plat;
  return {
      {"graphics_copy_and_mirror", 96, 48, [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         Cell(s, a, 1, 8, 8, 0.1f);
         Cell(s, a, 1, 50, 8, 0.1f, 0xFFFFFFFFu, {1, 1, 1}, {0, 1, 0, 0});  // half turn about y: mirrored
         s.End();
       }},
      {"graphics_tint", 80, 40, [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         Cell(s, a, 7, 4, 4, 0.1f, 0xFFFF0000u);
         Cell(s, a, 7, 44, 4, 0.1f, 0x80808080u);
         s.End();
       }},
      {"graphics_scale_x", 128, 176, [](IDevice&, ISprite& s, ITexture& a) {  // linear filter, 0 to 3 times
         s.Begin(kBatch);
         const float scales[5] = {0.0f, 0.5f, 1.0f, 2.0f, 3.0f};
         for (int i = 0; i < 5; ++i) Cell(s, a, 0, 10, 4 + 34.0f * i, 0.1f, 0xFFFFFFFFu, {scales[i], 1, 1});
         s.End();
       }},
      {"graphics_source_rect", 140, 40, [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         for (int cell = 0; cell < 4; ++cell) Cell(s, a, cell + 4, 2 + 34.0f * cell, 4, 0.1f);
         s.End();
       }},
      // Sorted, the near half-transparent cell is drawn first and keeps the far one out; unsorted
      // it blends over it.
      {"graphics_sort_in_batch", 120, 60, [](IDevice&, ISprite& s, ITexture& a) {
         for (uint32_t flags : {kBatch, uint32_t(SPRITE_ALPHABLEND)}) {
           const float dx = flags == kBatch ? 0.0f : 60.0f;
           s.Begin(flags);
           Cell(s, a, 0, dx + 10, 10, 0.5f);
           Cell(s, a, 7, dx + 26, 14, 0.2f, 0x80FFFFFFu);
           s.End();
         }
       }},
      // A later batch behind an earlier one shows only through its alpha-0 texels.
      {"graphics_depth_across_batches", 80, 60, [](IDevice&, ISprite& s, ITexture& a) {
         s.Begin(kBatch);
         Cell(s, a, 2, 10, 10, 0.1f);
         s.End();
         s.Begin(kBatch);
         Cell(s, a, 3, 14, 14, 0.3f);
         s.End();
       }},
      {"graphics_wireframe", 80, 60, [](IDevice& d, ISprite& s, ITexture& a) {
         d.SetRenderState(RS_FILLMODE, FILL_WIREFRAME);
         s.Begin(kBatch);
         Cell(s, a, 7, 10, 10, 0.1f, 0xFF00FF00u, {1.5f, 1.5f, 1});
         s.End();
       }, 0.002},
      // The two triangles of a turned quad meet without a gap or a doubly blended seam.
      {"graphics_turned_quad", 64, 64, [](IDevice& d, ISprite& s, ITexture&) {
         std::unique_ptr<ITexture> white;
         ASSERT_EQ(d.CreateTextureFromPixels(4, 4, std::vector<uint32_t>(16, 0xFFFFFFFFu), white), S_OK);
         const Vec3 scale{10, 10, 1}, centre{20, 20, 0}, move{12, 12, 0.5f};
         const Quat turn{0, 0, std::sin(0.3f), std::cos(0.3f)};
         s.Begin(SPRITE_ALPHABLEND);
         s.SetTransform(MatrixTransformation(&scale, &centre, &turn, &move));
         s.Draw(white.get(), nullptr, nullptr, nullptr, 0x80FFFFFFu);
         s.End();
       }, 0.02},
      {"font_line_2000", 64, 24, [](IDevice& d, ISprite&, ITexture&) {
         Text(d, L"2000", {4, 4, 0, 0}, DT_NOCLIP, 0xFFFF0000u);  // as the battle draws its numbers
       }},
      {"font_wrapped", 168, 80, [](IDevice& d, ISprite&, ITexture&) {  // the fourth line is cut through
         Text(d, L"Summon a monster from your hand, then strike the enemy's avatar!", {6, 4, 150, 60},
              DT_WORDBREAK, 0xFFFFFFFFu);
       }},
  };
}

inline Scene SceneNamed(const std::string& name) {
  for (const Scene& s : Scenes())
    if (name == s.golden) return s;
  ADD_FAILURE() << "no scene " << name;
  return {};
}

// Clears, draws the scene with linear filtering inside one scene and reads the picture back.
inline testsupport::Image Render(plat::IDevice& device, const Scene& scene) {
  using namespace plat;
  testsupport::Image img;
  std::unique_ptr<ISprite> sprite;
  std::unique_ptr<ITexture> atlas;
  device.SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
  device.SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
  EXPECT_EQ(device.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0), S_OK);
  EXPECT_EQ(device.BeginScene(), S_OK);
  EXPECT_EQ(device.CreateSprite(sprite), S_OK);
  EXPECT_EQ(device.CreateTextureFromPixels(128, 64, CellAtlas(), atlas), S_OK);
  if (sprite && atlas && scene.draw) scene.draw(device, *sprite, *atlas);
  EXPECT_EQ(device.EndScene(), S_OK);
  EXPECT_EQ(device.ReadBackBuffer(img.argb, img.width, img.height), S_OK);
  return img;
}

}  // namespace gfxtest
