#include "game/font_renderer.h"

#include <cmath>
#include <string>

namespace {

uint32_t ClampChannel(float channel) {
  if (std::isnan(channel) || channel <= 0.0f) return 0;
  if (channel >= 1.0f) return 255;
  return static_cast<uint32_t>(channel * 255.0f + 0.5f);
}

// Toward zero, saturating so that out-of-range coordinates cannot overflow.
int32_t TruncateCoordinate(float v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483520.0f) return INT32_MAX;
  if (v <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(v);
}

}  // namespace

uint32_t ToColour32Clamped(const Colour& colour) {
  return (ClampChannel(colour.a) << 24) | (ClampChannel(colour.r) << 16) | (ClampChannel(colour.g) << 8) |
         ClampChannel(colour.b);
}

Result FontRenderer::Create(plat::IDevice* device) {
  Destroy();
  if (!device || Failed(device->CreateFont(-16, 700, L"MS Gothic", font_)) || !font_) {
    font_.reset();
    return E_FAIL;
  }
  return S_OK;
}

Result FontRenderer::DrawText(plat::IDevice*, const wchar_t* text, int32_t x, int32_t y, const Colour& colour) {
  if (!font_ || !text) return S_OK;
  Revive();
  plat::RectI rect{x, y, 0, 0};
  font_->DrawText(nullptr, text, -1, &rect, plat::DT_NOCLIP, ToColour32Clamped(colour));
  return S_OK;
}

Result FontRenderer::DrawTextAt(plat::IDevice*, const wchar_t* text, float x, float y, float right,
                                const Colour& colour) {
  if (!font_ || !text) return S_OK;
  Revive();
  plat::RectI rect{TruncateCoordinate(x), TruncateCoordinate(y), TruncateCoordinate(right), 480};
  const uint32_t format = right == 0.0f ? plat::DT_NOCLIP : plat::DT_WORDBREAK;
  font_->DrawText(nullptr, text, -1, &rect, format, ToColour32Clamped(colour));
  return S_OK;
}

Result FontRenderer::DrawNumber(plat::IDevice* device, int32_t value, const plat::Vec3& position,
                                const Colour& colour) {
  const std::wstring text = std::to_wstring(value);
  return DrawTextAt(device, text.c_str(), position.x, position.y, position.z, colour);
}

void FontRenderer::Lost() {
  if (!font_) return;
  font_->OnLostDevice();
  lost_ = true;
}

void FontRenderer::Revive() {
  if (!lost_) return;
  font_->OnResetDevice();
  lost_ = false;
}

void FontRenderer::Destroy() {
  font_.reset();
  lost_ = false;
}
