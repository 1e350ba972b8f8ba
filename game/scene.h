#pragma once
// The game's one screen: the element list and the images it is drawn from, the battle with its
// state, and the font the battle's numbers are drawn with.
#include <cstdint>
#include <optional>
#include <string>

#include "game/battle/battle.h"
#include "game/battle/battle_state.h"
#include "game/element_list.h"
#include "game/focus.h"
#include "game/font_renderer.h"
#include "game/texture_set.h"
#include "platform/graphics/graphics.h"
#include "platform/result.h"

class Scene {
 public:
  // The monster table every load reads.
  static constexpr const wchar_t* kMonsterFile = L"Data2/monster.txt";

  Result Create(plat::IDevice* device);
  void Destroy();
  Result Reset(plat::IDevice* device, const plat::SurfaceDesc* backBuffer, void* userContext);
  void Lost();

  // E_FAIL for an empty name; otherwise adds the image (once per name) and returns 0.
  Result AddTexture(const std::wstring& fileName, int32_t cellWidth, int32_t cellHeight);
  // A new battle: every image and the monster table read again from disk. A table that cannot
  // serve both starting hands ends the program with the media-not-found error.
  void Load();
  Result FrameMove(plat::IDevice* device, float elapsed);
  // Draws the list in runs of one texture, drops removed elements, then the battle's numbers.
  Result Render(plat::IDevice* device);
  // Hover cells and the first click under the pointer. Returns 1.
  int Mouse(bool leftDown, bool rightDown, int32_t x, int32_t y);
  // The game's keys move the focus; a pick comes back as the point where the caller clicks
  // through the mouse path (Mouse), as a left click there would.
  std::optional<ClickPoint> Keyboard(uint32_t key, bool down, bool alt);

  ElementList& Elements() { return elements_; }
  TextureSet& Textures() { return textures_; }
  BattleState& State() { return state_; }
  FontRenderer& Font() { return font_; }

 private:
  // A clear mark on a focused element that has no hover look of its own.
  void DrawFocusMark(plat::IDevice* device, const Element& marked);

  ElementList elements_;
  TextureSet textures_;
  Battle battle_;
  BattleState state_;
  FontRenderer font_;
  Focus focus_;
};
