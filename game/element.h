#pragma once
// One drawable, hit-testable sprite record of the Scene, with two timed motions.
#include <cstdint>
#include <string>

#include "game/colour.h"
#include "platform/graphics/types.h"

// A timed change of one three-float value (an element's position or scale).
struct MotionBlock {
  plat::Vec3 from{};   // start value; sets the speed and is where a restart puts the value back
  plat::Vec3 to{};     // end value
  plat::Vec3 final{};  // the value at which the motion ended (written with `to` at the end)
  int32_t active = 0;  // 1 once started; stays 1 after it ends
  float duration = 0.0f;
  float remaining = 0.0f;  // the motion runs while this is above 0
};

// What AdvanceMotion reports.
enum : int {
  kMotionNone = 0,           // nothing completed
  kMotionScaleDone = 1,      // the scale motion completed in this call
  kMotionPositionDone = 2,   // the position motion completed in this call
};

struct Element {
  std::wstring textureName;  // compared exactly with the names the textures were added under
  int32_t hitWidth = 0;      // hit rectangle size; only read when a hit flag is set
  int32_t hitHeight = 0;
  int32_t hoverEnabled = 0;  // pointer hover sets `cell` to 1 inside the hit rectangle, 0 outside
  int32_t clickEnabled = 0;  // left button down inside the hit rectangle is a click
  int32_t cell = 0;          // cell of the texture that is drawn
  int32_t visible = 0;       // non-zero: drawn and hit-tested; exactly 1: motions also advance
  int32_t id = 0;            // 0 means none
  int32_t kind = 0;          // 0 means none
  int32_t removeFlag = 0;    // dropped by the next Purge
  MotionBlock positionMotion;
  MotionBlock scaleMotion;
  plat::Vec3 position{0.0f, 0.0f, 0.0f};  // top-left corner in client pixels; z is sprite depth
  plat::Vec3 scale{1.0f, 1.0f, 1.0f};
  plat::Vec3 orientation{0.0f, 0.0f, 0.0f};  // x, y, z of the quaternion (x, y, z, 0); (0,1,0) mirrors
  Colour colour{1.0f, 1.0f, 1.0f, 1.0f};

  // Every field back to its starting value, except the hit rectangle size.
  void ResetElement();
  void SetElement(int32_t newId, int32_t newKind, int32_t newVisible, int32_t newCell,
                  const std::wstring& newTextureName);
  void SetPosition(float x, float y, float z);
  // Both leave the current value alone: the motion starts from wherever it stands.
  void StartPositionMotion(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                           float duration);
  void StartScaleMotion(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                        float duration);
  // Advances the scale motion, then the position motion; at most one completion per call.
  int AdvanceMotion(float elapsed);
};

// The hit rectangle's top-left corner: the position truncated toward zero, saturating, so that
// a far-off element cannot overflow a comparison.
struct HitCorner {
  int64_t left = 0;
  int64_t top = 0;
};
HitCorner HitCornerOf(const Element& element);

// Inside the element's hit rectangle: with L and T its corner,
// L < x < L + hitWidth and T < y < T + hitHeight.
bool InsideHitRect(const Element& element, int32_t x, int32_t y);
