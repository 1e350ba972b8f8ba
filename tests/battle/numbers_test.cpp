// The lives and hit points drawn over the battle.
#include <memory>

#include "game/font_renderer.h"
#include "tests/battle/battle_fixture.h"
#include "tests/fakes/fake_graphics.h"

namespace {

TEST(BattleNumbers, PositiveValuesOnlyInRedAtTheirPlaces) {
  auto deviceState = std::make_shared<fake::FakeDeviceState>();
  fake::FakeDevice device(deviceState);
  FontRenderer font;
  ASSERT_EQ(font.Create(&device), S_OK);

  BattleState state;
  state.playerVitals.life = 2000;
  state.enemyVitals.life = -25;  // not drawn
  state.playerVitals.fieldHp = {110, 0, 7};
  state.enemyVitals.fieldHp = {-20, 170, 0};
  Battle().DrawNumbers(font, &device, state);

  struct Want {
    std::wstring text;
    int32_t x, y;
  };
  const std::vector<Want> want{{L"2000", 560, 290}, {L"110", 424, 240}, {L"170", 152, 310}, {L"7", 424, 380}};
  ASSERT_EQ(deviceState->texts.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    const auto& got = deviceState->texts[i];
    EXPECT_EQ(got.text, want[i].text);
    EXPECT_EQ(got.rect.left, want[i].x);
    EXPECT_EQ(got.rect.top, want[i].y);
    EXPECT_EQ(got.colour, 0xFFFF0000u);
  }
  font.Destroy();
}

}  // namespace
