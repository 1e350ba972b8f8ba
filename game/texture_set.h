#pragma once
// Named images loaded from PNG files, cut into equal cells and drawn one cell at a time as
// transformed, tinted sprites. Every image has a sprite batch object of its own.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/colour.h"
#include "platform/graphics/graphics.h"
#include "platform/result.h"

// 0xAARRGGBB from four channels: each times 255, rounded half to even, low 8 bits kept.
// Channels are not clamped: 1.2 becomes 306 and wraps to 50.
uint32_t ToColour32(const Colour& colour);

// One image of the set. An entry owns its texture and sprite object outright, so it can be moved
// (the set's array may grow) but never copied: a copy would either share or drop the objects.
struct Sprite {
  int32_t cellWidth = 0;
  int32_t cellHeight = 0;
  int32_t imageWidth = 0;
  int32_t imageHeight = 0;
  std::unique_ptr<plat::ITexture> texture;      // null when not loaded
  std::unique_ptr<plat::ISprite> spriteObject;  // null when released
  std::wstring name;

  Sprite() = default;
  Sprite(Sprite&&) noexcept = default;
  Sprite& operator=(Sprite&&) noexcept = default;
  Sprite(const Sprite&) = delete;
  Sprite& operator=(const Sprite&) = delete;

  // Stores the name and cell size, then loads with the framework's current device. Returns 0.
  Result InitSprite(const std::wstring& fileName, int32_t width, int32_t height);
  // Releases, then makes the sprite object and reads the image again. E_FAIL when the texture
  // could not be made (the entry stays, with no texture, and a trace names the file).
  Result ResetSprite(plat::IDevice* device);
  Result ReleaseSprite();
  // Draws one cell. E_FAIL without drawing when the cell width is not positive or the image is
  // narrower than one cell.
  Result DrawCell(plat::IDevice* device, int32_t cell, const plat::Vec3& position, const Colour& colour,
                  const plat::Vec3& orientation, const plat::Vec3& scale);

  // Source rectangle of `cell`; false when the image holds no whole column of cells.
  bool CellRect(int32_t cell, plat::RectI& out) const;
};

class TextureSet {
 public:
  Result AddSprite(const std::wstring& fileName, int32_t cellWidth, int32_t cellHeight);
  Result ClearSprites();
  Result ResetSprites(plat::IDevice* device, const plat::SurfaceDesc* backBuffer, void* userContext);
  Result ReleaseSprites();

  // The index must be below Count(); anything else throws std::out_of_range.
  Result BeginBatch(size_t index, uint32_t flags);
  Result DrawSprite(plat::IDevice* device, size_t index, int32_t cell, const plat::Vec3& position,
                    const Colour& colour, const plat::Vec3& orientation, const plat::Vec3& scale);
  Result EndBatch(size_t index);

  // Index of the first entry with exactly this name, or -1.
  int Find(const std::wstring& fileName) const;
  size_t Count() const { return sprites_.size(); }
  const Sprite& At(size_t index) const { return sprites_.at(index); }

 private:
  std::vector<Sprite> sprites_;
};
