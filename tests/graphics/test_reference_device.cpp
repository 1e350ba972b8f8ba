// What the reference device draws: the golden scenes, plus exact pixels where the result is known
// whatever the golden files say (texel-for-texel copies at widths the scenes do not have).
#include "platform/graphics/raster_backend.h"
#include "tests/graphics/golden_scenes.h"
#include "tests/graphics/graphics_fixture.h"

using namespace plat;
using namespace gfxtest;

namespace {

const std::vector<uint32_t> kTexels = CellAtlas();
uint32_t Texel(int x, int y) { return kTexels[size_t(y) * 128 + size_t(x)]; }
Matrix Translate(float x, float y) {
  const Vec3 t{x, y, 0.1f};
  return MatrixTransformation(nullptr, nullptr, nullptr, &t);
}

class ReferenceDevice : public GraphicsTest {
 protected:
  testsupport::Image Draw(const Scene& scene) {
    MakeDevice(scene.width, scene.height);
    return Render(*device, scene);
  }
};

TEST_F(ReferenceDevice, DrawsTheGoldenScenes) {
  MakeWindow(200, 200);
  for (const Scene& scene : Scenes()) EXPECT_EQ(testsupport::CheckGolden(scene.golden, Draw(scene), 1), "");
}

// Spans whose widths are not a multiple of four, forwards and mirrored, and a cell hanging over
// the right and bottom edges: texel for texel.
TEST_F(ReferenceDevice, CopiesTexelForTexelForwardsMirroredAndClippedAtAnyWidth) {
  const std::vector<int> widths = {1, 3, 13};
  const testsupport::Image img = Draw({"odd", 80, 40, [&](IDevice&, ISprite& s, ITexture& a) {
    s.Begin(SPRITE_ALPHABLEND);
    for (int w : widths) {
      const RectI src{36, 12, 36 + w, 14};
      const Vec3 centre{float(w) / 2, 1, 0}, one{1, 1, 1}, move{float(2 + 20 * (w / 13) + 30), float(w), 0.1f};
      const Quat half{0, 1, 0, 0};
      s.SetTransform(Translate(float(2 + 20 * (w / 13)), float(w)));
      s.Draw(&a, &src, nullptr, nullptr, 0xFFFFFFFFu);
      s.SetTransform(MatrixTransformation(&one, &centre, &half, &move));
      s.Draw(&a, &src, nullptr, nullptr, 0xFFFFFFFFu);
    }
    s.SetTransform(Translate(70, 30));
    s.Draw(&a, nullptr, nullptr, nullptr, 0xFFFFFFFFu);
    s.End();
  }});
  for (int w : widths) {
    const int x = 2 + 20 * (w / 13), y = w;
    for (int row = 0; row < 2; ++row) {
      for (int i = 0; i < w; ++i) {
        ASSERT_EQ(img.At(x + i, y + row), Texel(36 + i, 12 + row)) << w << " " << i;
        ASSERT_EQ(img.At(x + 30 + i, y + row), Texel(36 + w - 1 - i, 12 + row)) << w << " " << i;
      }
      EXPECT_EQ(img.At(x + w, y + row), kShownBackground);
      EXPECT_EQ(img.At(x + 30 + w, y + row), kShownBackground);
    }
  }
  for (int y = 30; y < 40; ++y)
    for (int x = 70; x < 80; ++x) ASSERT_EQ(img.At(x, y), Texel(x - 70, y - 30)) << x << "," << y;
}

// At presentation scale 3 the back buffer is logical: the window's size divided by 3, shown with
// every pixel a 3 x 3 block.
TEST_F(ReferenceDevice, PresentsEnlargedAtTheScale) {
  windows.scale = 3;
  system = CreateGraphicsSystem(windows);
  MakeWindow(96 * 3, 48 * 3);
  PresentParameters pp = Windowed(0, 0);
  ASSERT_EQ(system->CreateDevice(0, DEVTYPE_REF, ToWindowHandle(window), CREATE_SOFTWARE_VERTEXPROCESSING, pp, device),
            S_OK);
  EXPECT_EQ(pp.BackBufferWidth, 96u);
  EXPECT_EQ(pp.BackBufferHeight, 48u);
  const testsupport::Image picture = Render(*device, SceneNamed("graphics_copy_and_mirror"));
  ASSERT_EQ(device->Present(), S_OK);
  const SDL_Surface* screen = SDL_GetWindowSurface(window);
  ASSERT_NE(screen, nullptr);
  ASSERT_EQ(screen->w, 96 * 3);
  for (int y = 0; y < screen->h; ++y)
    for (int x = 0; x < screen->w; ++x) {
      const uint32_t shown = static_cast<const uint32_t*>(screen->pixels)[y * screen->pitch / 4 + x];
      ASSERT_EQ(shown & 0xFFFFFF, picture.At(x / 3, y / 3) & 0xFFFFFF) << x << "," << y;
    }
}

// Present intervals as swap intervals: two to four never fall back to presenting at once.
TEST(PresentInterval, MapsToTheSwapIntervalsTheDriverTakes) {
  constexpr uint32_t kUpToFour = 0b11111, kZeroOne = 0b11, kOneThree = 0b1010, kNone = 0;
  const struct {
    uint32_t interval, offered;
    int swap;
  } cases[] = {
      {PRESENT_INTERVAL_IMMEDIATE, kUpToFour, 0}, {PRESENT_INTERVAL_IMMEDIATE, kNone, 0},
      {PRESENT_INTERVAL_DEFAULT, kZeroOne, 1},    {PRESENT_INTERVAL_ONE, kNone, 1},
      {PRESENT_INTERVAL_THREE, kUpToFour, 3},     {PRESENT_INTERVAL_FOUR, kZeroOne, 1},
      {PRESENT_INTERVAL_TWO, kOneThree, 1},       {PRESENT_INTERVAL_FOUR, kOneThree, 3},
      {PRESENT_INTERVAL_TWO, kNone, 1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(gfx::SwapIntervalFor(c.interval, c.offered), c.swap) << c.interval << " of " << c.offered;
  EXPECT_EQ(gfx::PresentIntervalsOf(kOneThree), uint32_t(PRESENT_INTERVAL_ONE | PRESENT_INTERVAL_THREE));
  EXPECT_EQ(gfx::PresentIntervalsOf(kZeroOne), uint32_t(PRESENT_INTERVAL_IMMEDIATE | PRESENT_INTERVAL_ONE));
}

}  // namespace
