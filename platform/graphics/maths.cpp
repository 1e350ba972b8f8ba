// Matrix helpers with the row-vector convention (v' = v * M) and format names.
#include <cmath>

#include "platform/graphics/types.h"

namespace plat {

Matrix Matrix::Identity() {
  Matrix r;
  for (int i = 0; i < 4; ++i) r.m[i][i] = 1.0f;
  return r;
}

Matrix operator*(const Matrix& a, const Matrix& b) {
  Matrix r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float s = 0;
      for (int k = 0; k < 4; ++k) s += a.m[i][k] * b.m[k][j];
      r.m[i][j] = s;
    }
  }
  return r;
}

Vec3 TransformCoord(const Vec3& v, const Matrix& m) {
  const float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
  const float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
  const float z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
  const float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
  if (w == 0.0f || w == 1.0f) return {x, y, z};
  return {x / w, y / w, z / w};
}

namespace {

Matrix Translation(float x, float y, float z) {
  Matrix r = Matrix::Identity();
  r.m[3][0] = x;
  r.m[3][1] = y;
  r.m[3][2] = z;
  return r;
}

// The quaternion is taken as given, not normalised: (0, 0, 0, 0) yields the identity and
// (0, 1, 0, 0) a half turn about y, which is what the sprite drawing relies on.
Matrix RotationQuaternion(const Quat& q) {
  Matrix r = Matrix::Identity();
  r.m[0][0] = 1.0f - 2.0f * (q.y * q.y + q.z * q.z);
  r.m[0][1] = 2.0f * (q.x * q.y + q.z * q.w);
  r.m[0][2] = 2.0f * (q.x * q.z - q.y * q.w);
  r.m[1][0] = 2.0f * (q.x * q.y - q.z * q.w);
  r.m[1][1] = 1.0f - 2.0f * (q.x * q.x + q.z * q.z);
  r.m[1][2] = 2.0f * (q.y * q.z + q.x * q.w);
  r.m[2][0] = 2.0f * (q.x * q.z + q.y * q.w);
  r.m[2][1] = 2.0f * (q.y * q.z - q.x * q.w);
  r.m[2][2] = 1.0f - 2.0f * (q.x * q.x + q.y * q.y);
  return r;
}

}  // namespace

Matrix MatrixTransformation(const Vec3* scaling, const Vec3* rotationCentre, const Quat* rotation,
                            const Vec3* translation) {
  Matrix r = Matrix::Identity();
  if (scaling) {
    r.m[0][0] = scaling->x;
    r.m[1][1] = scaling->y;
    r.m[2][2] = scaling->z;
  }
  if (rotation) {
    const Vec3 c = rotationCentre ? *rotationCentre : Vec3{};
    r = r * Translation(-c.x, -c.y, -c.z) * RotationQuaternion(*rotation) * Translation(c.x, c.y, c.z);
  }
  if (translation) r = r * Translation(translation->x, translation->y, translation->z);
  return r;
}

Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar) {
  Matrix r;
  const float yScale = 1.0f / std::tan(fovY / 2.0f);
  const float xScale = yScale / aspect;
  r.m[0][0] = xScale;
  r.m[1][1] = yScale;
  r.m[2][2] = zFar / (zFar - zNear);
  r.m[2][3] = 1.0f;
  r.m[3][2] = -zNear * zFar / (zFar - zNear);
  return r;
}

const wchar_t* FormatName(uint32_t format) {
  switch (format) {
    case FMT_UNKNOWN: return L"UNKNOWN";
    case FMT_R8G8B8: return L"R8G8B8";
    case FMT_A8R8G8B8: return L"A8R8G8B8";
    case FMT_X8R8G8B8: return L"X8R8G8B8";
    case FMT_R5G6B5: return L"R5G6B5";
    case FMT_X1R5G5B5: return L"X1R5G5B5";
    case FMT_A1R5G5B5: return L"A1R5G5B5";
    case FMT_A4R4G4B4: return L"A4R4G4B4";
    case FMT_R3G3B2: return L"R3G3B2";
    case FMT_A8: return L"A8";
    case FMT_A8R3G3B2: return L"A8R3G3B2";
    case FMT_X4R4G4B4: return L"X4R4G4B4";
    case FMT_A2B10G10R10: return L"A2B10G10R10";
    case FMT_A8B8G8R8: return L"A8B8G8R8";
    case FMT_X8B8G8R8: return L"X8B8G8R8";
    case FMT_A2R10G10B10: return L"A2R10G10B10";
    case FMT_A16B16G16R16: return L"A16B16G16R16";
    case FMT_L8: return L"L8";
    case FMT_D16_LOCKABLE: return L"D16_LOCKABLE";
    case FMT_D32: return L"D32";
    case FMT_D15S1: return L"D15S1";
    case FMT_D24S8: return L"D24S8";
    case FMT_D24X8: return L"D24X8";
    case FMT_D24X4S4: return L"D24X4S4";
    case FMT_D16: return L"D16";
    case FMT_D32F_LOCKABLE: return L"D32F_LOCKABLE";
    case FMT_D24FS8: return L"D24FS8";
    default: return L"Unknown format";
  }
}

}  // namespace plat
