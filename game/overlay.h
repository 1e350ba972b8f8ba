#pragma once
// The second global game object: carries two fonts, a texture set and the sound system through
// the device events, and sees every mouse event before the Scene. Nothing adds elements to it.
#include <cstdint>
#include <list>
#include <vector>

#include "game/font_renderer.h"
#include "game/sound_system.h"
#include "game/texture_set.h"
#include "platform/graphics/graphics.h"
#include "platform/result.h"

// A rectangle the overlay's mouse handler can hit.
struct OverlayElement {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool Contains(int32_t px, int32_t py) const {
    return px > x && px < x + width && py > y && py < y + height;
  }
};

class Overlay {
 public:
  Result OnCreateDevice(plat::IDevice* device);
  Result OnResetDevice(plat::IDevice* device, const plat::SurfaceDesc* backBuffer, void* userContext);
  Result OnLostDevice();
  Result OnDestroyDevice();
  // Returns at once unless the left button is down; a hit has no effect.
  Result OnMouse(bool leftDown, bool rightDown, int32_t x, int32_t y);

  // Start-up empties these directly.
  std::vector<OverlayElement>& Elements() { return elements_; }
  std::list<OverlayElement>& List() { return list_; }
  TextureSet& Textures() { return textures_; }
  SoundSystem& Sound() { return sound_; }
  const FontRenderer& FirstFont() const { return firstFont_; }
  const FontRenderer& SecondFont() const { return secondFont_; }

 private:
  FontRenderer firstFont_;
  std::vector<OverlayElement> elements_;
  std::list<OverlayElement> list_;
  TextureSet textures_;
  SoundSystem sound_;
  FontRenderer secondFont_;
};
