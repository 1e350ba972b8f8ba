#pragma once
// Value types of the graphics services: formats, present parameters, capabilities, maths.
#include <array>
#include <cstdint>
#include <string>

#include "platform/system/messages.h"

namespace plat {

// Pixel formats keep their conventional numbers; names come from FormatName().
enum Format : uint32_t {
  FMT_UNKNOWN = 0,
  FMT_R8G8B8 = 20,
  FMT_A8R8G8B8 = 21,
  FMT_X8R8G8B8 = 22,
  FMT_R5G6B5 = 23,
  FMT_X1R5G5B5 = 24,
  FMT_A1R5G5B5 = 25,
  FMT_A4R4G4B4 = 26,
  FMT_R3G3B2 = 27,
  FMT_A8 = 28,
  FMT_A8R3G3B2 = 29,
  FMT_X4R4G4B4 = 30,
  FMT_A2B10G10R10 = 31,
  FMT_A8B8G8R8 = 32,
  FMT_X8B8G8R8 = 33,
  FMT_A2R10G10B10 = 35,
  FMT_A16B16G16R16 = 36,
  FMT_L8 = 50,
  FMT_D16_LOCKABLE = 70,
  FMT_D32 = 71,
  FMT_D15S1 = 73,
  FMT_D24S8 = 75,
  FMT_D24X8 = 77,
  FMT_D24X4S4 = 79,
  FMT_D16 = 80,
  FMT_D32F_LOCKABLE = 82,
  FMT_D24FS8 = 83,
};
// "X8R8G8B8" for FMT_X8R8G8B8, "UNKNOWN" for 0, "Unknown format" for anything else.
const wchar_t* FormatName(uint32_t format);

enum DeviceType : uint32_t { DEVTYPE_HAL = 1, DEVTYPE_REF = 2, DEVTYPE_SW = 3 };

enum : uint32_t {  // behaviour flags
  CREATE_MULTITHREADED = 0x4,
  CREATE_PUREDEVICE = 0x10,
  CREATE_SOFTWARE_VERTEXPROCESSING = 0x20,
  CREATE_HARDWARE_VERTEXPROCESSING = 0x40,
  CREATE_MIXED_VERTEXPROCESSING = 0x80,
};
enum : uint32_t { SWAPEFFECT_DISCARD = 1, SWAPEFFECT_FLIP = 2, SWAPEFFECT_COPY = 3 };
enum : uint32_t { PRESENTFLAG_DISCARD_DEPTHSTENCIL = 2 };
enum : uint32_t {
  PRESENT_INTERVAL_DEFAULT = 0, PRESENT_INTERVAL_ONE = 1, PRESENT_INTERVAL_TWO = 2,
  PRESENT_INTERVAL_THREE = 4, PRESENT_INTERVAL_FOUR = 8, PRESENT_INTERVAL_IMMEDIATE = 0x80000000u,
};
enum : uint32_t { MULTISAMPLE_NONE = 0, MULTISAMPLE_NONMASKABLE = 1 };
enum : uint32_t { CLEAR_TARGET = 1, CLEAR_ZBUFFER = 2, CLEAR_STENCIL = 4 };
enum : uint32_t { USAGE_RENDERTARGET = 1, USAGE_DEPTHSTENCIL = 2,
                  USAGE_QUERY_POSTPIXELSHADER_BLENDING = 0x00080000 };
enum ResourceType : uint32_t { RTYPE_SURFACE = 1, RTYPE_TEXTURE = 3 };

// Render states and their values the system uses.
enum RenderState : uint32_t { RS_FILLMODE = 8, RS_CULLMODE = 22 };
enum : uint32_t { FILL_POINT = 1, FILL_WIREFRAME = 2, FILL_SOLID = 3 };
enum : uint32_t { CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3 };
enum SamplerState : uint32_t { SAMP_MAGFILTER = 5, SAMP_MINFILTER = 6, SAMP_MIPFILTER = 7 };
enum : uint32_t { TEXF_NONE = 0, TEXF_POINT = 1, TEXF_LINEAR = 2 };
enum TransformType : uint32_t { TS_VIEW = 2, TS_PROJECTION = 3, TS_WORLD = 256 };

// Sprite batch flags.
enum : uint32_t { SPRITE_ALPHABLEND = 0x10, SPRITE_SORT_DEPTH_FRONTTOBACK = 0x40 };
// Text format flags.
enum : uint32_t { DT_LEFT = 0, DT_TOP = 0, DT_WORDBREAK = 0x10, DT_NOCLIP = 0x100 };

struct PresentParameters {
  uint32_t BackBufferWidth = 0;
  uint32_t BackBufferHeight = 0;
  uint32_t BackBufferFormat = FMT_UNKNOWN;
  uint32_t BackBufferCount = 0;
  uint32_t MultiSampleType = 0;
  uint32_t MultiSampleQuality = 0;
  uint32_t SwapEffect = 0;
  WindowHandle hDeviceWindow = nullptr;
  int32_t Windowed = 0;
  int32_t EnableAutoDepthStencil = 0;
  uint32_t AutoDepthStencilFormat = FMT_UNKNOWN;
  uint32_t Flags = 0;
  uint32_t FullScreen_RefreshRateInHz = 0;
  uint32_t PresentationInterval = 0;
  bool operator==(const PresentParameters&) const = default;
};

struct SurfaceDesc {
  uint32_t Format = FMT_UNKNOWN;
  uint32_t Type = RTYPE_SURFACE;
  uint32_t Usage = 0;
  uint32_t Pool = 0;
  uint32_t MultiSampleType = 0;
  uint32_t MultiSampleQuality = 0;
  uint32_t Width = 0;
  uint32_t Height = 0;
  bool operator==(const SurfaceDesc&) const = default;
};

// The capability fields this system reads.
struct Caps {
  uint32_t DeviceType = 0;
  uint32_t AdapterOrdinal = 0;
  uint32_t PresentationIntervals = 0;  // PRESENT_INTERVAL_* bits the device offers
  uint32_t DevCaps = 0;                // DEVCAPS_* below
  uint32_t MaxTextureWidth = 0;
  uint32_t MaxTextureHeight = 0;
};
enum : uint32_t { DEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000, DEVCAPS_PUREDEVICE = 0x00100000 };

struct DisplayMode {
  uint32_t Width = 0, Height = 0, RefreshRate = 0;
  uint32_t Format = FMT_UNKNOWN;
  bool operator==(const DisplayMode&) const = default;
};

struct AdapterIdentifier {
  std::string Driver;
  std::string Description;
  std::string DeviceName;
};

struct RectI {  // source rectangles, text boxes
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const RectI&) const = default;
};

struct Vec3 { float x = 0, y = 0, z = 0; };
struct Quat { float x = 0, y = 0, z = 0, w = 0; };

// Row-vector convention: v' = v * M, translation in the fourth row (m[3][0..2]).
struct Matrix {
  std::array<std::array<float, 4>, 4> m{};
  static Matrix Identity();
  bool operator==(const Matrix&) const = default;
};
Matrix operator*(const Matrix& a, const Matrix& b);
Vec3 TransformCoord(const Vec3& v, const Matrix& m);  // with the divide by w

// Scaling about the origin, then rotation by q about `rotationCentre`, then translation.
// Null pointers mean "none", as for the classic transformation builder.
Matrix MatrixTransformation(const Vec3* scaling, const Vec3* rotationCentre, const Quat* rotation,
                            const Vec3* translation);
Matrix MatrixPerspectiveFovLH(float fovY, float aspect, float zNear, float zFar);

}  // namespace plat
