// What the reference device draws: clears, sprite batches with tint, mirroring, scaling, source
// rectangles, depth sorting and alpha-0 holes, wireframe; checked pixel by pixel where the result
// is exactly known and against golden pictures for the whole frame.
#include <png.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "tests/graphics/graphics_fixture.h"

using namespace plat;
using gfxtest::GraphicsTest;

namespace {

constexpr uint32_t kBackground = 0x002D32AAu;  // ARGB(0, 45, 50, 170)
constexpr uint32_t kShownBackground = 0xFF2D32AAu;  // the X8R8G8B8 back buffer reads back opaque

uint32_t Channel(uint32_t c, int shift) { return (c >> shift) & 0xFF; }

// src over dst with the source's alpha, as the blending rule says.
uint32_t Over(uint32_t src, uint32_t dst) {
  const uint32_t a = src >> 24;
  uint32_t out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const double v = (Channel(src, shift) * a + Channel(dst, shift) * (255.0 - a)) / 255.0;
    out |= uint32_t(std::lround(v)) << shift;
  }
  return out;
}

bool Close(uint32_t a, uint32_t b, uint32_t tolerance = 1) {
  for (int shift = 0; shift < 32; shift += 8) {
    if (std::abs(int(Channel(a, shift)) - int(Channel(b, shift))) > int(tolerance)) return false;
  }
  return true;
}

uint32_t Texel(const std::vector<uint32_t>& atlas, int x, int y) { return atlas[size_t(y) * 128 + size_t(x)]; }

class ReferenceDeviceTest : public GraphicsTest {
 protected:
  void Frame(uint32_t w, uint32_t h) {
    MakeDevice(w, h);
    ASSERT_EQ(device->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0), S_OK);
    ASSERT_EQ(device->BeginScene(), S_OK);
    ASSERT_EQ(device->CreateSprite(sprite), S_OK);
    atlas = Texture(128, 64, gfxtest::CellAtlas());
  }

  // Draws one 32 x 32 cell the way the texture set does: scale, turn about the cell centre, move.
  void Cell(int cell, float x, float y, float z, uint32_t tint = 0xFFFFFFFFu, Vec3 scale = {1, 1, 1},
            Quat turn = {0, 0, 0, 0}) {
    const Vec3 centre{16, 16, 0.01f}, move{x, y, z + 0.01f};
    sprite->SetTransform(MatrixTransformation(&scale, &centre, &turn, &move));
    const RectI src{(cell % 4) * 32, (cell / 4) * 32, (cell % 4) * 32 + 32, (cell / 4) * 32 + 32};
    ASSERT_EQ(sprite->Draw(atlas.get(), &src, nullptr, nullptr, tint), S_OK);
  }

  std::unique_ptr<ISprite> sprite;
  std::unique_ptr<ITexture> atlas;
  const std::vector<uint32_t> texels = gfxtest::CellAtlas();
};

TEST_F(ReferenceDeviceTest, ClearFillsTheBackBuffer) {
  MakeDevice(40, 30);
  ASSERT_EQ(device->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0), S_OK);
  testsupport::Image img = Capture();
  ASSERT_EQ(img.argb.size(), 40u * 30u);
  for (uint32_t p : img.argb) ASSERT_EQ(p, kShownBackground);
  EXPECT_EQ(device->Present(), S_OK);
  EXPECT_EQ(testsupport::CheckGolden("graphics_clear", img, 0), "");
  // A device without a depth buffer has nothing to clear there.
  device.reset();
  SDL_DestroyWindow(window);
  window = nullptr;
  MakeDevice(8, 8, false);
  EXPECT_TRUE(Failed(device->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0)));
  EXPECT_EQ(device->Clear(CLEAR_TARGET, kBackground, 1.0f, 0), S_OK);
}

TEST_F(ReferenceDeviceTest, UnscaledCellsAreCopiedTexelForTexelAndMirroredAboutTheirCentre) {
  Frame(96, 48);
  sprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
  Cell(1, 8, 8, 0.1f);
  Cell(1, 50, 8, 0.1f, 0xFFFFFFFFu, {1, 1, 1}, {0, 1, 0, 0});
  ASSERT_EQ(sprite->End(), S_OK);
  ASSERT_EQ(device->EndScene(), S_OK);
  testsupport::Image img = Capture();
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      const uint32_t t = Texel(texels, 32 + x, y), mirrored = Texel(texels, 32 + 31 - x, y);
      ASSERT_EQ(img.At(8 + x, 8 + y), t >> 24 ? t : kShownBackground) << x << "," << y;
      ASSERT_EQ(img.At(50 + x, 8 + y), mirrored >> 24 ? mirrored : kShownBackground) << x << "," << y;
    }
  }
  EXPECT_EQ(img.At(7, 8), kShownBackground);
  EXPECT_EQ(img.At(40, 8), kShownBackground);
  EXPECT_EQ(img.At(82, 8), kShownBackground);
  EXPECT_EQ(testsupport::CheckGolden("graphics_copy_and_mirror", img, 0), "");
}

TEST_F(ReferenceDeviceTest, OddWidthsAndClippedEdgesCopyExactlyToo) {
  // Widths that are not a multiple of four, forwards and mirrored, and cells cut by the edges.
  Frame(80, 40);
  sprite->Begin(SPRITE_ALPHABLEND);
  for (int width : {1, 3, 13}) {
    const RectI src{36, 12, 36 + width, 14};  // two rows of cell 1's body and notch
    const float x = float(2 + 20 * (width / 13)), y = float(width);
    sprite->SetTransform(gfxtest::Translate(x, y, 0.1f));
    ASSERT_EQ(sprite->Draw(atlas.get(), &src, nullptr, nullptr, 0xFFFFFFFFu), S_OK);
    const Vec3 centre{float(width) / 2, 1, 0}, flip{1, 1, 1};
    const Quat half{0, 1, 0, 0};
    const Vec3 move{x + 30, y, 0.1f};
    sprite->SetTransform(MatrixTransformation(&flip, &centre, &half, &move));
    ASSERT_EQ(sprite->Draw(atlas.get(), &src, nullptr, nullptr, 0xFFFFFFFFu), S_OK);
  }
  sprite->SetTransform(gfxtest::Translate(70, 30, 0.1f));  // hangs over the right and bottom edges
  ASSERT_EQ(sprite->Draw(atlas.get(), nullptr, nullptr, nullptr, 0xFFFFFFFFu), S_OK);
  ASSERT_EQ(sprite->End(), S_OK);
  testsupport::Image img = Capture();
  for (int width : {1, 3, 13}) {
    const int x = 2 + 20 * (width / 13), y = width;
    for (int row = 0; row < 2; ++row) {
      for (int i = 0; i < width; ++i) {
        ASSERT_EQ(img.At(x + i, y + row), Texel(texels, 36 + i, 12 + row)) << width << " " << i;
        ASSERT_EQ(img.At(x + 30 + i, y + row), Texel(texels, 36 + width - 1 - i, 12 + row)) << width << " " << i;
      }
      EXPECT_EQ(img.At(x + width, y + row), kShownBackground);
      EXPECT_EQ(img.At(x + 30 + width, y + row), kShownBackground);
    }
  }
  for (int y = 30; y < 40; ++y) {
    for (int x = 70; x < 80; ++x) ASSERT_EQ(img.At(x, y), Texel(texels, x - 70, y - 30)) << x << "," << y;
  }
}

TEST_F(ReferenceDeviceTest, TintMultipliesTheTexels) {
  Frame(80, 40);
  sprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
  Cell(7, 4, 4, 0.1f, 0xFFFF0000u);   // white cell, opaque red tint: red
  Cell(7, 44, 4, 0.1f, 0x80808080u);  // half bright, half transparent
  ASSERT_EQ(sprite->End(), S_OK);
  testsupport::Image img = Capture();
  EXPECT_EQ(img.At(4 + 10, 4 + 12), 0xFFFF0000u);
  EXPECT_TRUE(Close(img.At(44 + 10, 4 + 12), Over(0x80808080u, kShownBackground)))
      << std::hex << img.At(44 + 10, 4 + 12);
  // The transparent corners stay transparent whatever the tint.
  EXPECT_EQ(img.At(4 + 2, 4 + 30), kShownBackground);
  EXPECT_EQ(testsupport::CheckGolden("graphics_tint", img, 1), "");
}

TEST_F(ReferenceDeviceTest, ScalingAlongXStretchesFromTheTopLeft) {
  Frame(128, 176);
  sprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
  const float scales[5] = {0.0f, 0.5f, 1.0f, 2.0f, 3.0f};
  for (int i = 0; i < 5; ++i) Cell(0, 10, 4 + 34.0f * i, 0.1f, 0xFFFFFFFFu, {scales[i], 1, 1});
  ASSERT_EQ(sprite->End(), S_OK);
  testsupport::Image img = Capture();
  // Scale 0 draws nothing; the others start at x = 10 and end at 10 + 32 * scale.
  for (int x = 0; x < 128; ++x) ASSERT_EQ(img.At(x, 4 + 16), kShownBackground) << x;
  for (int i = 1; i < 5; ++i) {
    const int y = 4 + 34 * i + 16, end = 10 + int(32 * scales[i]);
    EXPECT_NE(img.At(10, y), kShownBackground) << i;
    EXPECT_NE(img.At(end - 1, y), kShownBackground) << i;
    EXPECT_EQ(img.At(end, y), kShownBackground) << i;
    EXPECT_EQ(img.At(9, y), kShownBackground) << i;
  }
  EXPECT_EQ(testsupport::CheckGolden("graphics_scale_x", img, 1), "");
}

TEST_F(ReferenceDeviceTest, SourceRectanglesPickCellsOfAWideImage) {
  Frame(140, 40);
  sprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
  for (int cell = 0; cell < 4; ++cell) Cell(cell + 4, 2 + 34.0f * cell, 4, 0.1f);  // the second row
  ASSERT_EQ(sprite->End(), S_OK);
  testsupport::Image img = Capture();
  for (int cell = 0; cell < 4; ++cell) {
    const int cx = 32 * cell + 5, cy = 32 + 12;  // inside the body of cell 4 + cell
    EXPECT_EQ(img.At(2 + 34 * cell + 5, 4 + 12), Texel(texels, cx, cy)) << cell;
  }
  EXPECT_EQ(testsupport::CheckGolden("graphics_source_rect", img, 0), "");
}

TEST_F(ReferenceDeviceTest, OneBatchIsDrawnNearestFirst) {
  // A half-transparent near cell drawn after an opaque far one: sorting draws the near one
  // first, its depth then keeps the far one out, so the overlap shows the background through it.
  Frame(120, 60);
  const uint32_t half = 0x80FFFFFFu;
  sprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
  Cell(0, 10, 10, 0.5f);
  Cell(7, 26, 14, 0.2f, half);
  ASSERT_EQ(sprite->End(), S_OK);
  // Without sorting the same pair blends the near cell over the far one.
  sprite->Begin(SPRITE_ALPHABLEND);
  Cell(0, 70, 10, 0.5f);
  Cell(7, 86, 14, 0.2f, half);
  ASSERT_EQ(sprite->End(), S_OK);
  testsupport::Image img = Capture();
  const uint32_t white = Texel(texels, 96 + 10, 32 + 12);
  const uint32_t halfWhite = (white & 0x00FFFFFFu) | 0x80000000u;
  EXPECT_TRUE(Close(img.At(26 + 5, 14 + 12), Over(halfWhite, kShownBackground))) << std::hex << img.At(31, 26);
  EXPECT_TRUE(Close(img.At(86 + 5, 14 + 12), Over(halfWhite, Texel(texels, 21, 16)))) << std::hex << img.At(91, 26);
  EXPECT_EQ(testsupport::CheckGolden("graphics_sort_in_batch", img, 1), "");
}

TEST_F(ReferenceDeviceTest, LaterBatchesAtGreaterDepthShowOnlyThroughAlphaZeroTexels) {
  Frame(80, 60);
  sprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
  Cell(2, 10, 10, 0.1f);  // front, with transparent bottom corners
  ASSERT_EQ(sprite->End(), S_OK);
  sprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
  Cell(3, 14, 14, 0.3f);  // behind it, drawn later
  ASSERT_EQ(sprite->End(), S_OK);
  testsupport::Image img = Capture();
  // Inside the front cell's opaque body: front colour; in its transparent corner: the back cell.
  EXPECT_EQ(img.At(10 + 12, 10 + 12), Texel(texels, 64 + 12, 12));
  EXPECT_EQ(img.At(10 + 26, 10 + 28), Texel(texels, 96 + 22, 24));
  // Beyond the front cell the back cell is plainly visible.
  EXPECT_EQ(img.At(14 + 30, 14 + 20), Texel(texels, 96 + 30, 20));
  EXPECT_EQ(testsupport::CheckGolden("graphics_depth_across_batches", img, 0), "");
}

TEST_F(ReferenceDeviceTest, WireframeDrawsTriangleEdgesOnly) {
  Frame(80, 60);
  ASSERT_EQ(device->SetRenderState(RS_FILLMODE, FILL_WIREFRAME), S_OK);
  EXPECT_EQ(device->GetRenderState(RS_FILLMODE), uint32_t(FILL_WIREFRAME));
  sprite->Begin(SPRITE_ALPHABLEND | SPRITE_SORT_DEPTH_FRONTTOBACK);
  Cell(7, 10, 10, 0.1f, 0xFF00FF00u, {1.5f, 1.5f, 1});
  ASSERT_EQ(sprite->End(), S_OK);
  testsupport::Image img = Capture();
  EXPECT_EQ(img.At(10 + 20, 10), 0xFF007F00u);       // top edge, on the cell's darker border
  EXPECT_EQ(img.At(10 + 20, 10 + 10), kShownBackground);  // inside: not filled
  EXPECT_EQ(img.At(34, 34), 0xFF00FF00u);            // on the diagonal
  EXPECT_EQ(testsupport::CheckGolden("graphics_wireframe", img, 1), "");
}

TEST_F(ReferenceDeviceTest, DrawingNeedsABatchAndAScene) {
  Frame(40, 40);
  const RectI src{0, 0, 32, 32};
  EXPECT_TRUE(Failed(sprite->Draw(atlas.get(), &src, nullptr, nullptr, 0xFFFFFFFFu)));  // no Begin
  EXPECT_TRUE(Failed(sprite->End()));
  ASSERT_EQ(device->EndScene(), S_OK);
  EXPECT_TRUE(Failed(device->EndScene()));
  sprite->Begin(0);
  EXPECT_TRUE(Failed(sprite->Draw(nullptr, &src, nullptr, nullptr, 0xFFFFFFFFu)));
  ASSERT_EQ(sprite->Draw(atlas.get(), &src, nullptr, nullptr, 0xFFFFFFFFu), S_OK);
  EXPECT_TRUE(Failed(sprite->End()));  // outside the scene: nothing drawn
  for (uint32_t p : Capture().argb) ASSERT_EQ(p, kShownBackground);
}

}  // namespace

namespace {

// Turned quads go through the triangle path: the two triangles must meet along their shared
// diagonal without a gap or a double-blended seam. A half-transparent white square shows either.
TEST_F(ReferenceDeviceTest, TurnedQuadsHaveNoSeamAlongTheirDiagonal) {
  Frame(64, 64);
  std::unique_ptr<ITexture> white = Texture(4, 4, std::vector<uint32_t>(16, 0xFFFFFFFFu));
  for (uint32_t filter : {uint32_t(TEXF_POINT), uint32_t(TEXF_LINEAR)}) {
    device->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0);
    device->SetSamplerState(0, SAMP_MAGFILTER, filter);
    sprite->Begin(SPRITE_ALPHABLEND);
    const Vec3 scale{10, 10, 1}, centre{20, 20, 0}, move{12, 12, 0.5f};
    const float s = std::sin(0.3f), c = std::cos(0.3f);  // a turn of 0.6 radians about z
    const Quat turn{0, 0, s, c};
    sprite->SetTransform(MatrixTransformation(&scale, &centre, &turn, &move));
    ASSERT_EQ(sprite->Draw(white.get(), nullptr, nullptr, nullptr, 0x80FFFFFFu), S_OK);
    ASSERT_EQ(sprite->End(), S_OK);
    testsupport::Image img = Capture();
    const uint32_t covered = Over(0x80FFFFFFu, kShownBackground);
    // The square's corners on screen, in order around it.
    const Matrix m = MatrixTransformation(&scale, &centre, &turn, &move);
    const Vec3 corner[4] = {TransformCoord({0, 0, 0}, m), TransformCoord({4, 0, 0}, m), TransformCoord({4, 4, 0}, m),
                            TransformCoord({0, 4, 0}, m)};
    // The winding decides which side of each edge is inside.
    float area = 0;
    for (int i = 0; i < 4; ++i) area += corner[i].x * corner[(i + 1) % 4].y - corner[(i + 1) % 4].x * corner[i].y;
    const float sign = area > 0 ? -1.0f : 1.0f;
    auto distanceInside = [&](float x, float y) {  // to the nearest edge, negative outside
      float d = 1e9f;
      for (int i = 0; i < 4; ++i) {
        const Vec3 a = corner[i], b = corner[(i + 1) % 4];
        const float ex = b.x - a.x, ey = b.y - a.y, len = std::sqrt(ex * ex + ey * ey);
        d = std::min(d, sign * ((x - a.x) * ey - (y - a.y) * ex) / len);
      }
      return d;
    };
    ASSERT_GT(distanceInside(32, 32), 19.0f);
    int inside = 0;
    for (uint32_t y = 0; y < img.height; ++y) {
      for (uint32_t x = 0; x < img.width; ++x) {
        const uint32_t p = img.At(x, y);
        const float d = distanceInside(float(x) + 0.5f, float(y) + 0.5f);
        ASSERT_TRUE(p == kShownBackground || Close(p, covered)) << std::hex << p;  // never blended twice
        if (d > 0.01f) {
          ASSERT_TRUE(Close(p, covered)) << x << "," << y;  // no gap inside
        } else if (d < -0.01f) {
          ASSERT_EQ(p, kShownBackground) << x << "," << y;  // nothing outside
        }
        inside += p != kShownBackground;
      }
    }
    EXPECT_NEAR(inside, 1600, 40) << filter;
    if (filter == TEXF_LINEAR) {
      EXPECT_EQ(testsupport::CheckGolden("graphics_turned_quad", img, 1), "");
    }
  }
}

}  // namespace
