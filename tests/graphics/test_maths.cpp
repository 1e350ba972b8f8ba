// Matrix builders and format names.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/graphics/types.h"

using namespace plat;

namespace {

void ExpectNear(const Vec3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-5f);
  EXPECT_NEAR(v.y, y, 1e-5f);
  EXPECT_NEAR(v.z, z, 1e-5f);
}

TEST(GraphicsMaths, SpriteTransformZeroQuaternionLeavesTheCellUnturned) {
  const Vec3 scale{1, 1, 1}, centre{16, 16, 0.01f}, move{100, 50, 0.13f};
  const Quat none{0, 0, 0, 0};
  const Matrix m = MatrixTransformation(&scale, &centre, &none, &move);
  ExpectNear(TransformCoord({0, 0, 0}, m), 100, 50, 0.13f);
  ExpectNear(TransformCoord({32, 32, 0}, m), 132, 82, 0.13f);
}

TEST(GraphicsMaths, SpriteTransformHalfTurnAboutYMirrorsAboutTheCentre) {
  const Vec3 scale{1, 1, 1}, centre{16, 16, 0.01f}, move{100, 50, 0.13f};
  const Quat flip{0, 1, 0, 0};
  const Matrix m = MatrixTransformation(&scale, &centre, &flip, &move);
  // Left edge goes right, right edge left, y untouched; depth turns about the centre's z.
  ExpectNear(TransformCoord({0, 0, 0}, m), 132, 50, 0.15f);
  ExpectNear(TransformCoord({32, 32, 0}, m), 100, 82, 0.15f);
}

TEST(GraphicsMaths, ScalingIsAboutTheOriginBeforeTurningAndMoving) {
  const Vec3 scale{3, 1, 1}, centre{16, 16, 0}, move{10, 20, 0};
  const Quat none{0, 0, 0, 0};
  const Matrix m = MatrixTransformation(&scale, &centre, &none, &move);
  ExpectNear(TransformCoord({0, 0, 0}, m), 10, 20, 0);
  ExpectNear(TransformCoord({32, 32, 0}, m), 106, 52, 0);
  // Null arguments mean none at all.
  EXPECT_EQ(MatrixTransformation(nullptr, nullptr, nullptr, nullptr), Matrix::Identity());
  // A quarter turn about z (normalised quaternion) about the origin: x axis onto y axis.
  const float s = std::sqrt(0.5f);
  const Quat quarter{0, 0, s, s};
  ExpectNear(TransformCoord({1, 0, 0}, MatrixTransformation(nullptr, nullptr, &quarter, nullptr)), 0, 1, 0);
}

TEST(GraphicsMaths, PerspectiveFovLeftHandedMapsNearToZeroAndFarToOne) {
  const Matrix p = MatrixPerspectiveFovLH(0.785398185f, 1.33333337f, 0.1f, 257.0f);
  EXPECT_NEAR(p.m[1][1], 1.0f / std::tan(0.785398185f / 2), 1e-5f);
  EXPECT_NEAR(p.m[0][0], p.m[1][1] / 1.33333337f, 1e-5f);
  EXPECT_FLOAT_EQ(p.m[2][3], 1.0f);
  EXPECT_FLOAT_EQ(p.m[3][3], 0.0f);
  EXPECT_NEAR(TransformCoord({0, 0, 0.1f}, p).z, 0.0f, 1e-5f);
  EXPECT_NEAR(TransformCoord({0, 0, 257.0f}, p).z, 1.0f, 1e-5f);
  // The divide by w: a point twice as far lands half as far from the centre.
  EXPECT_NEAR(TransformCoord({1, 0, 2}, p).x * 2, TransformCoord({1, 0, 1}, p).x, 1e-5f);
}

TEST(GraphicsMaths, MatrixProductUsesRowVectors) {
  const Vec3 t{5, 0, 0}, s{2, 2, 2};
  const Matrix scaleThenMove = MatrixTransformation(&s, nullptr, nullptr, nullptr) *
                               MatrixTransformation(nullptr, nullptr, nullptr, &t);
  ExpectNear(TransformCoord({1, 1, 1}, scaleThenMove), 7, 2, 2);
}

TEST(GraphicsMaths, FormatNames) {
  EXPECT_EQ(std::wstring(FormatName(FMT_X8R8G8B8)), L"X8R8G8B8");
  EXPECT_EQ(std::wstring(FormatName(FMT_A8R8G8B8)), L"A8R8G8B8");
  EXPECT_EQ(std::wstring(FormatName(FMT_R5G6B5)), L"R5G6B5");
  EXPECT_EQ(std::wstring(FormatName(FMT_D24S8)), L"D24S8");
  EXPECT_EQ(std::wstring(FormatName(FMT_D16)), L"D16");
  EXPECT_EQ(std::wstring(FormatName(0)), L"UNKNOWN");
  EXPECT_EQ(std::wstring(FormatName(12345)), L"Unknown format");
  EXPECT_EQ(std::wstring(FormatName(34)), L"Unknown format");
}

}  // namespace
