#include "game/element.h"

#include <cmath>
#include <cstdint>

namespace {

int64_t Truncate(float v) {
  if (std::isnan(v)) return 0;
  if (v >= 9.0e18f) return INT64_MAX / 4;
  if (v <= -9.0e18f) return INT64_MIN / 4;
  return static_cast<int64_t>(v);
}

// Moves one axis toward its target at |from - to| / duration per second, never past it.
void StepAxis(float& value, float target, float from, float to, float duration, float elapsed) {
  if (std::fabs(value - target) < 0.001f) return;
  const float step = std::fabs(from - to) * elapsed / duration;
  if (value < target) {
    value += step;
    if (value > target) value = target;
  } else if (value > target) {
    value -= step;
    if (value < target) value = target;
  }
}

void StepToward(plat::Vec3& value, const MotionBlock& m, float elapsed) {
  StepAxis(value.x, m.to.x, m.from.x, m.to.x, m.duration, elapsed);
  StepAxis(value.y, m.to.y, m.from.y, m.to.y, m.duration, elapsed);
  StepAxis(value.z, m.to.z, m.from.z, m.to.z, m.duration, elapsed);
}

void StartMotion(MotionBlock& m, float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                 float duration) {
  m.from = {fromX, fromY, fromZ};
  m.to = {toX, toY, toZ};
  m.duration = duration;
  m.remaining = duration;
  m.active = 1;
}

// Advances one motion of a visible element; true when its time ran out in this call. The value
// then lands exactly on `to`, whatever the steps achieved.
bool Advance(MotionBlock& m, plat::Vec3& value, float elapsed) {
  if (m.active != 1 || !(m.remaining > 0.0f)) return false;
  StepToward(value, m, elapsed);
  m.remaining -= elapsed;
  if (m.remaining <= 0.0f) {
    m.final = m.to;
    value = m.final;
    return true;
  }
  return false;
}

}  // namespace

void Element::ResetElement() {
  const int32_t keepWidth = hitWidth;
  const int32_t keepHeight = hitHeight;
  *this = Element{};
  hitWidth = keepWidth;
  hitHeight = keepHeight;
}

void Element::SetElement(int32_t newId, int32_t newKind, int32_t newVisible, int32_t newCell,
                         const std::wstring& newTextureName) {
  id = newId;
  kind = newKind;
  visible = newVisible;
  cell = newCell;
  textureName = newTextureName;
}

void Element::SetPosition(float x, float y, float z) { position = {x, y, z}; }

void Element::StartPositionMotion(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                                  float duration) {
  StartMotion(positionMotion, fromX, fromY, fromZ, toX, toY, toZ, duration);
}

void Element::StartScaleMotion(float fromX, float fromY, float fromZ, float toX, float toY, float toZ,
                               float duration) {
  StartMotion(scaleMotion, fromX, fromY, fromZ, toX, toY, toZ, duration);
}

int Element::AdvanceMotion(float elapsed) {
  // Hidden (0) and frozen (2) elements keep their motions where they stand.
  if (visible != 1) return kMotionNone;
  if (Advance(scaleMotion, scale, elapsed)) return kMotionScaleDone;
  if (Advance(positionMotion, position, elapsed)) return kMotionPositionDone;
  return kMotionNone;
}

HitCorner HitCornerOf(const Element& element) {
  return HitCorner{Truncate(element.position.x), Truncate(element.position.y)};
}

bool InsideHitRect(const Element& element, int32_t x, int32_t y) {
  const HitCorner c = HitCornerOf(element);
  return c.left < x && x < c.left + element.hitWidth && c.top < y && y < c.top + element.hitHeight;
}
