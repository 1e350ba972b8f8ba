// The OpenGL backend against the CPU rasterizer: the same quads must give the same picture, up
// to rounding in blending and filtering and the odd pixel where a triangle edge or a texel edge
// falls. Needs a real X display (Xvfb); skipped without one or without OpenGL 3.3.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/graphics/raster_backend.h"
#include "tests/gl/gl_env.h"
#include "tests/support/test_support.h"

using namespace plat;
using namespace plat::gfx;

namespace {

// Per-channel difference allowed anywhere, and how many pixels may exceed it (texel and
// triangle edges, where the two rasterizers may pick a neighbouring sample).
constexpr uint32_t kChannelTolerance = 3;
constexpr double kEdgePixelShare = 0.01;

Quad MakeQuad(float x, float y, float w, float h, float u0, float v0, float u1, float v1, float z = 0.5f,
              uint32_t tint = 0xFFFFFFFFu) {
  Quad q;
  q.v[0] = {x, y, z, u0, v0};
  q.v[1] = {x + w, y, z, u1, v0};
  q.v[2] = {x, y + h, z, u0, v1};
  q.v[3] = {x + w, y + h, z, u1, v1};
  q.tint = tint;
  return q;
}

Quad Turned(const Quad& q, float degrees, float cx, float cy) {
  const float r = degrees * 3.14159265f / 180.0f, c = std::cos(r), s = std::sin(r);
  Quad t = q;
  for (QuadVertex& v : t.v) {
    const float dx = v.x - cx, dy = v.y - cy;
    v.x = cx + dx * c - dy * s;
    v.y = cy + dx * s + dy * c;
  }
  return t;
}

// 16 x 16: coloured cells of 4 x 4 texels, an alpha ramp along the bottom rows, a transparent
// corner.
TextureImage Pattern(uint64_t serial) {
  TextureImage t;
  t.width = t.height = 16;
  t.serial = serial;
  const uint32_t colours[4] = {0xFFE03020u, 0xFF20C040u, 0xFF3050E0u, 0xFFF0F0F0u};
  for (uint32_t y = 0; y < 16; ++y)
    for (uint32_t x = 0; x < 16; ++x) {
      uint32_t c = colours[((x / 4) + (y / 4)) % 4];
      if (y >= 12) c = (c & 0x00FFFFFFu) | ((x * 17u) << 24);
      if (x < 3 && y < 3) c = 0;
      t.argb.push_back(c);
    }
  return t;
}

class GlBackendOnly : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!gltest::OpenDisplay(why)) GTEST_SKIP() << why;
    window_ = SDL_CreateWindow("gl backend test", 0, 0, kW, kH, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    ASSERT_NE(window_, nullptr) << SDL_GetError();
    std::string error;
    gl_ = CreateGlBackend(window_, error);
    if (!gl_) GTEST_SKIP() << "no OpenGL 3.3 core context: " << error;
    ASSERT_EQ(gl_->ResizeBuffers(kW, kH, true), S_OK);
    ASSERT_EQ(gl_->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0x002D32AAu, 1.0f, 0), S_OK);
  }
  void TearDown() override {
    gl_.reset();
    ref_.reset();
    if (window_) SDL_DestroyWindow(window_);
    gltest::CloseDisplay();
  }

  uint32_t GlPixel(int x, int y) {
    std::vector<uint32_t> a;
    uint32_t w = 0, h = 0;
    gl_->ReadBack(a, w, h);
    return a.at(size_t(y) * w + size_t(x));
  }

  static constexpr int kW = 160, kH = 120;
  SDL_Window* window_ = nullptr;
  std::unique_ptr<IRasterBackend> gl_, ref_;
};

class GlAgainstReference : public GlBackendOnly {
 protected:
  void SetUp() override {
    GlBackendOnly::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ref_ = CreateReferenceBackend(window_);
    ASSERT_NE(ref_, nullptr);
    ASSERT_EQ(ref_->ResizeBuffers(kW, kH, true), S_OK);
    ASSERT_EQ(ref_->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0x002D32AAu, 1.0f, 0), S_OK);
  }

  void Both(const TextureImage& t, std::vector<Quad> quads, const DrawState& s) {
    ASSERT_EQ(gl_->DrawQuads(t, quads, s), S_OK);
    ASSERT_EQ(ref_->DrawQuads(t, quads, s), S_OK);
  }

  // Compares the two pictures; returns the share of pixels beyond the channel tolerance.
  double Mismatch(uint32_t* worst = nullptr) {
    std::vector<uint32_t> a, b;
    uint32_t aw = 0, ah = 0, bw = 0, bh = 0;
    EXPECT_EQ(gl_->ReadBack(a, aw, ah), S_OK);
    EXPECT_EQ(ref_->ReadBack(b, bw, bh), S_OK);
    EXPECT_EQ(aw, uint32_t(kW));
    EXPECT_EQ(ah, uint32_t(kH));
    if (a.size() != b.size() || a.empty()) return 1.0;
    size_t over = 0;
    uint32_t most = 0;
    for (size_t i = 0; i < a.size(); ++i) {
      uint32_t d = 0;
      for (int s = 0; s < 32; s += 8) d = std::max<uint32_t>(d, uint32_t(std::abs(int((a[i] >> s) & 0xFF) - int((b[i] >> s) & 0xFF))));
      most = std::max(most, d);
      if (d > kChannelTolerance) ++over;
    }
    if (worst) *worst = most;
    if (std::getenv("ARENA_DUMP_HAL")) {
      const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
      testsupport::WritePng(testsupport::BinaryPath("golden-actual/" + name + ".gl.png"), {uint32_t(kW), uint32_t(kH), a});
      testsupport::WritePng(testsupport::BinaryPath("golden-actual/" + name + ".ref.png"), {uint32_t(kW), uint32_t(kH), b});
    }
    std::printf("%-60s %5zu of %zu pixels beyond %u, largest channel difference %u\n",
                ::testing::UnitTest::GetInstance()->current_test_info()->name(), over, a.size(), kChannelTolerance, most);
    return double(over) / double(a.size());
  }

};

TEST_F(GlAgainstReference, ClearAndOneToOneCopiesAreExact) {
  const TextureImage t = Pattern(101);
  DrawState s;
  s.alphaBlend = false;
  Both(t, {MakeQuad(10, 20, 16, 16, 0, 0, 16, 16), MakeQuad(40, 20, 8, 8, 4, 4, 12, 12)}, s);
  s.minFilter = s.magFilter = TEXF_LINEAR;
  Both(t, {MakeQuad(60, 20, 16, 16, 0, 0, 16, 16)}, s);
  uint32_t worst = 0;
  EXPECT_EQ(Mismatch(&worst), 0.0);
  EXPECT_EQ(worst, 0u);
  // The top row comes first and the clear colour keeps its alpha.
  EXPECT_EQ(GlPixel(0, 0), 0x002D32AAu);
  EXPECT_EQ(GlPixel(10 + 5, 20 + 0), 0xFF20C040u);
  EXPECT_EQ(GlPixel(10 + 0, 20 + 15), 0x002D32AAu);  // alpha 0 is discarded even unblended
  EXPECT_EQ(GlPixel(10 + 1, 20 + 15), 0x11F0F0F0u);  // other alphas are stored as they are
}

TEST_F(GlAgainstReference, ScaledMirroredAndTurnedSpritesWithBothFilters) {
  const TextureImage t = Pattern(102);
  DrawState s;
  s.alphaBlend = true;
  s.depthTest = true;
  for (uint32_t filter : {TEXF_POINT, TEXF_LINEAR}) {
    s.minFilter = s.magFilter = filter;
    const float dx = filter == TEXF_POINT ? 0.0f : 80.0f;
    Both(t,
         {MakeQuad(dx + 2, 2, 40, 40, 0, 0, 16, 16),             // magnified
          MakeQuad(dx + 44, 2, -24, 24, 0, 0, 16, 16),           // mirrored (right to left)
          MakeQuad(dx + 50, 2, 8, 8, 0, 0, 16, 16),              // minified
          Turned(MakeQuad(dx + 10, 60, 32, 32, 0, 0, 16, 16), 30.0f, dx + 26, 76)},
         s);
  }
  uint32_t worst = 0;
  const double share = Mismatch(&worst);
  EXPECT_LE(share, kEdgePixelShare) << "worst channel difference " << worst;
}

TEST_F(GlAgainstReference, TintBlendingDepthAndDiscard) {
  const TextureImage t = Pattern(103);
  DrawState s;
  s.alphaBlend = true;
  s.depthTest = true;
  // Near sprite first: the far one drawn later must stay behind it.
  Both(t, {MakeQuad(20, 20, 32, 32, 0, 0, 16, 16, 0.2f, 0xFFFFFFFFu), MakeQuad(30, 30, 32, 32, 0, 0, 16, 16, 0.8f)}, s);
  // Tinted, half transparent, over the clear colour; the transparent corner writes no depth, so a
  // farther sprite still shows through it.
  Both(t, {MakeQuad(90, 10, 32, 32, 0, 0, 16, 16, 0.1f, 0x80FF8040u), MakeQuad(86, 6, 12, 12, 0, 0, 16, 16, 0.9f)}, s);
  // Depth outside [0, 1] is clamped, not clipped.
  Both(t, {MakeQuad(20, 80, 16, 16, 0, 0, 16, 16, -0.5f), MakeQuad(60, 80, 16, 16, 0, 0, 16, 16, 1.5f)}, s);
  uint32_t worst = 0;
  EXPECT_LE(Mismatch(&worst), kEdgePixelShare) << "worst channel difference " << worst;
  EXPECT_NE(GlPixel(60 + 8, 80 + 4), 0x002D32AAu);  // the far-clamped sprite is there
}

TEST_F(GlAgainstReference, WireframeDrawsOnlyEdges) {
  const TextureImage t = Pattern(104);
  DrawState s;
  s.alphaBlend = true;
  s.fillMode = FILL_WIREFRAME;
  Both(t, {MakeQuad(20, 20, 60, 40, 4, 4, 8, 8), Turned(MakeQuad(100, 30, 40, 40, 4, 4, 8, 8), 20.0f, 120, 50)}, s);
  // Sloped lines may step a pixel apart and take a neighbouring texel; the inside stays untouched.
  uint32_t worst = 0;
  EXPECT_LE(Mismatch(&worst), 0.02);
  EXPECT_EQ(GlPixel(40, 30), 0x002D32AAu);
  EXPECT_NE(GlPixel(40, 20), 0x002D32AAu);
}

TEST_F(GlBackendOnly, ResizeAndTexturesSurviveForgetting) {
  const TextureImage t = Pattern(105);
  DrawState s;
  ASSERT_EQ(gl_->ResizeBuffers(64, 32, false), S_OK);
  ASSERT_EQ(gl_->Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), S_OK);
  ASSERT_EQ(gl_->DrawQuads(t, std::vector<Quad>{MakeQuad(0, 0, 16, 16, 0, 0, 16, 16)}, s), S_OK);
  std::vector<uint32_t> px;
  uint32_t w = 0, h = 0;
  ASSERT_EQ(gl_->ReadBack(px, w, h), S_OK);
  EXPECT_EQ(w, 64u);
  EXPECT_EQ(h, 32u);
  EXPECT_EQ(px[5], 0xFF20C040u);
  // Forgotten textures come back from their pixels in memory.
  gl_->ForgetTexture(t.serial);
  ASSERT_EQ(gl_->DrawQuads(t, std::vector<Quad>{MakeQuad(32, 0, 16, 16, 0, 0, 16, 16)}, s), S_OK);
  ASSERT_EQ(gl_->ReadBack(px, w, h), S_OK);
  EXPECT_EQ(px[32 + 5], 0xFF20C040u);
  EXPECT_EQ(gl_->Present(), S_OK);
}

}  // namespace
