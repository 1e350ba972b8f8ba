#pragma once
// One bold 16-pixel "MS Gothic" font that follows the device: made on device creation, told of a
// lost device, released on device destruction. Every operation is a no-op while there is no font.
#include <cstdint>
#include <memory>

#include "game/colour.h"
#include "platform/graphics/graphics.h"
#include "platform/result.h"

// 0xAARRGGBB with each channel clamped to 0..1, times 255, plus 0.5, truncated.
uint32_t ToColour32Clamped(const Colour& colour);

class FontRenderer {
 public:
  Result Create(plat::IDevice* device);
  // Top-left corner at (x, y), not clipped.
  Result DrawText(plat::IDevice* device, const wchar_t* text, int32_t x, int32_t y, const Colour& colour);
  // From (x, y); right 0: not clipped; otherwise wrapped at words between x and right, down to 480.
  Result DrawTextAt(plat::IDevice* device, const wchar_t* text, float x, float y, float right,
                    const Colour& colour);
  // The value in decimal at (position.x, position.y), with position.z as the right edge.
  Result DrawNumber(plat::IDevice* device, int32_t value, const plat::Vec3& position, const Colour& colour);
  void Lost();
  void Destroy();

  bool HasFont() const { return font_ != nullptr; }

 private:
  // No reset event reaches the fonts, so a font that was told of a lost device is brought back
  // just before it draws again.
  void Revive();

  std::unique_ptr<plat::IFont> font_;
  bool lost_ = false;
};
