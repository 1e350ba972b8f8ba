#pragma once
// The two text pictures kept as golden images: the battle's number line and a wrapped text. The
// reference device makes them (tests/font) and the hardware device must match them (tests/gl).
#include <gtest/gtest.h>

#include "platform/graphics/graphics.h"

namespace fontscenes {

constexpr uint32_t kLineWidth = 64, kLineHeight = 24;
constexpr uint32_t kWrappedWidth = 168, kWrappedHeight = 80;
constexpr plat::RectI kWrappedBox{6, 4, 150, 60};  // the fourth line is cut through
constexpr const wchar_t* kWrappedText = L"Summon a monster from your hand, then strike the enemy's avatar!";

// Red "2000" from (4, 4), not clipped, as the battle draws its numbers.
inline int DrawLine2000(plat::IDevice& device) {
  std::unique_ptr<plat::IFont> font;
  EXPECT_EQ(device.CreateFont(-16, 700, L"MS Gothic", font), S_OK);
  if (!font) return 0;
  plat::RectI r{4, 4, 0, 0};
  return font->DrawText(nullptr, L"2000", -1, &r, plat::DT_NOCLIP, 0xFFFF0000u);
}

// White text wrapped at word boundaries inside kWrappedBox and clipped to it.
inline int DrawWrapped(plat::IDevice& device) {
  std::unique_ptr<plat::IFont> font;
  EXPECT_EQ(device.CreateFont(-16, 700, L"MS Gothic", font), S_OK);
  if (!font) return 0;
  plat::RectI r = kWrappedBox;
  return font->DrawText(nullptr, kWrappedText, -1, &r, plat::DT_WORDBREAK, 0xFFFFFFFFu);
}

}  // namespace fontscenes
