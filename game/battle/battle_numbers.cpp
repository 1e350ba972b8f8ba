// The numbers the battle draws over its elements: lives and field hit points.
#include "game/battle/battle.h"
#include "game/font_renderer.h"

void Battle::DrawNumbers(FontRenderer& font, plat::IDevice* device, const BattleState& state) const {
  constexpr Colour kRed{1.0f, 0.0f, 0.0f, 1.0f};
  // A value of 0 or below is not drawn at all. Depth 0 also means "not clipped".
  auto draw = [&](int32_t value, float x, float y) {
    if (value > 0) font.DrawNumber(device, value, plat::Vec3{x, y, 0.0f}, kRed);
  };
  draw(state.playerVitals.life, 560, 290);
  draw(state.enemyVitals.life, 16, 290);
  for (int i = 0; i < 3; ++i) {
    const float y = 240.0f + 70.0f * static_cast<float>(i);
    draw(state.playerVitals.fieldHp[static_cast<size_t>(i)], 424, y);
    draw(state.enemyVitals.fieldHp[static_cast<size_t>(i)], 152, y);
  }
}
