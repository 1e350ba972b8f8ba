// Matrix builders: the sprite transform (scale, turn about a centre, move), the perspective
// projection and the row-vector product.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/types.h"

using namespace plat;

namespace {

void ExpectNear(const Vec3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-5f);
  EXPECT_NEAR(v.y, y, 1e-5f);
  EXPECT_NEAR(v.z, z, 1e-5f);
}

TEST(GraphicsMaths, SpriteTransformScalesTurnsAboutTheCentreAndMoves) {
  const Vec3 one{1, 1, 1}, centre{16, 16, 0.01f}, move{100, 50, 0.13f};
  const Quat none{0, 0, 0, 0}, flip{0, 1, 0, 0};
  // The zero quaternion leaves the cell unturned; a half turn about y mirrors it about its centre.
  ExpectNear(TransformCoord({32, 32, 0}, MatrixTransformation(&one, &centre, &none, &move)), 132, 82, 0.13f);
  ExpectNear(TransformCoord({0, 0, 0}, MatrixTransformation(&one, &centre, &flip, &move)), 132, 50, 0.15f);
  // Scaling is about the origin, before turning and moving; null arguments mean none at all.
  const Vec3 wide{3, 1, 1}, flatCentre{16, 16, 0}, shift{10, 20, 0};
  ExpectNear(TransformCoord({32, 32, 0}, MatrixTransformation(&wide, &flatCentre, &none, &shift)), 106, 52, 0);
  EXPECT_EQ(MatrixTransformation(nullptr, nullptr, nullptr, nullptr), Matrix::Identity());
  const float s = std::sqrt(0.5f);
  const Quat quarter{0, 0, s, s};
  ExpectNear(TransformCoord({1, 0, 0}, MatrixTransformation(nullptr, nullptr, &quarter, nullptr)), 0, 1, 0);
  const Vec3 t{5, 0, 0}, twice{2, 2, 2};  // row vectors: scale first, then move
  ExpectNear(TransformCoord({1, 1, 1}, MatrixTransformation(&twice, nullptr, nullptr, nullptr) *
                                           MatrixTransformation(nullptr, nullptr, nullptr, &t)), 7, 2, 2);
}

TEST(GraphicsMaths, PerspectiveFovLeftHandedMapsNearToZeroAndFarToOne) {
  const Matrix p = MatrixPerspectiveFovLH(0.785398185f, 1.33333337f, 0.1f, 257.0f);
  EXPECT_NEAR(p.m[0][0], p.m[1][1] / 1.33333337f, 1e-5f);
  EXPECT_NEAR(TransformCoord({0, 0, 0.1f}, p).z, 0.0f, 1e-5f);
  EXPECT_NEAR(TransformCoord({0, 0, 257.0f}, p).z, 1.0f, 1e-5f);
  // The divide by w: a point twice as far lands half as far from the centre.
  EXPECT_NEAR(TransformCoord({1, 0, 2}, p).x * 2, TransformCoord({1, 0, 1}, p).x, 1e-5f);
}

}  // namespace
