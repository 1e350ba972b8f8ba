#include "game/texture_set.h"

#include <cmath>
#include <cstdint>

#include "common/app.h"
#include "game/debug_output.h"
#include "game/saturate.h"

namespace {

// One channel of the sprite tint: rounded half to even, wrapped into 0..255.
uint32_t WrapChannel(float channel) {
  const double scaled = std::nearbyint(static_cast<double>(channel * 255.0f));
  if (!std::isfinite(scaled)) return 0;
  double wrapped = std::fmod(scaled, 256.0);  // exact for integral values
  if (wrapped < 0) wrapped += 256.0;
  return static_cast<uint32_t>(wrapped);
}

}  // namespace

uint32_t ToColour32(const Colour& colour) {
  return (WrapChannel(colour.a) << 24) | (WrapChannel(colour.r) << 16) | (WrapChannel(colour.g) << 8) |
         WrapChannel(colour.b);
}

Result Sprite::InitSprite(const std::wstring& fileName, int32_t width, int32_t height) {
  DebugOutput(L"Init Sprite\r\n");
  name = fileName;
  cellWidth = width;
  cellHeight = height;
  ResetSprite(AppGetD3DDevice());
  return S_OK;
}

Result Sprite::ResetSprite(plat::IDevice* device) {
  ReleaseSprite();
  DebugOutput(L"Reset Sprite\r\n");
  if (device) device->CreateSprite(spriteObject);

  plat::ImageInfo info;
  plat::GetImageInfoFromFile(name, info);
  imageWidth = static_cast<int32_t>(info.Width);
  imageHeight = static_cast<int32_t>(info.Height);

  if (!device || Failed(device->CreateTextureFromFile(name, texture)) || !texture) {
    texture.reset();
    // The entry stays under its name so batches still find it; it just draws nothing.
    if (device) DebugOutput(L"Cannot load image " + name + L"\r\n");
    return E_FAIL;
  }
  device->SetSamplerState(0, plat::SAMP_MINFILTER, plat::TEXF_LINEAR);
  device->SetSamplerState(0, plat::SAMP_MAGFILTER, plat::TEXF_LINEAR);
  return S_OK;
}

Result Sprite::ReleaseSprite() {
  texture.reset();
  spriteObject.reset();
  return S_OK;
}

bool Sprite::CellRect(int32_t cell, plat::RectI& out) const {
  if (cellWidth <= 0) return false;
  const int32_t columns = imageWidth / cellWidth;
  if (columns <= 0) return false;  // no whole cell across: nothing to cut
  int32_t row = 0;
  int32_t column = cell;
  if (cell > columns - 1) {
    row = cell / columns;
    column = cell % columns;
  }
  // A cell number from the monster table can lie far outside the image; a real image's cells
  // never come near the 32-bit range.
  const int64_t left = int64_t{column} * cellWidth;
  const int64_t top = int64_t{row} * cellHeight;
  out.left = SaturateToInt32(left);
  out.top = SaturateToInt32(top);
  out.right = SaturateToInt32(left + cellWidth);
  out.bottom = SaturateToInt32(top + cellHeight);
  return true;
}

Result Sprite::DrawCell(plat::IDevice*, int32_t cell, const plat::Vec3& position, const Colour& colour,
                        const plat::Vec3& orientation, const plat::Vec3& scale) {
  plat::RectI source;
  if (!CellRect(cell, source)) return E_FAIL;

  // Turned about the cell centre (halves by integer division); scaled about its top-left corner.
  const plat::Vec3 centre{static_cast<float>(cellWidth / 2), static_cast<float>(cellHeight / 2), 0.01f};
  const plat::Quat rotation{orientation.x, orientation.y, orientation.z, 0.0f};
  const plat::Vec3 translation{position.x, position.y,
                               static_cast<float>(static_cast<double>(position.z) + 0.01)};
  const plat::Matrix transform = plat::MatrixTransformation(&scale, &centre, &rotation, &translation);

  if (!spriteObject || !texture) return S_OK;  // image not loaded: nothing to draw
  spriteObject->SetTransform(transform);
  spriteObject->Draw(texture.get(), &source, nullptr, nullptr, ToColour32(colour));
  return S_OK;
}

Result TextureSet::AddSprite(const std::wstring& fileName, int32_t cellWidth, int32_t cellHeight) {
  if (Find(fileName) >= 0) return S_OK;
  Sprite sprite;
  sprite.InitSprite(fileName, cellWidth, cellHeight);
  sprites_.push_back(std::move(sprite));
  return S_OK;
}

Result TextureSet::ClearSprites() {
  for (Sprite& sprite : sprites_) sprite.ReleaseSprite();
  sprites_.clear();
  return S_OK;
}

Result TextureSet::ResetSprites(plat::IDevice* device, const plat::SurfaceDesc*, void*) {
  for (Sprite& sprite : sprites_) sprite.ResetSprite(device);
  return S_OK;
}

Result TextureSet::ReleaseSprites() {
  for (Sprite& sprite : sprites_) sprite.ReleaseSprite();
  return S_OK;
}

Result TextureSet::BeginBatch(size_t index, uint32_t flags) {
  Sprite& sprite = sprites_.at(index);
  if (sprite.spriteObject) sprite.spriteObject->Begin(flags);
  return S_OK;
}

Result TextureSet::DrawSprite(plat::IDevice* device, size_t index, int32_t cell, const plat::Vec3& position,
                              const Colour& colour, const plat::Vec3& orientation, const plat::Vec3& scale) {
  sprites_.at(index).DrawCell(device, cell, position, colour, orientation, scale);
  return S_OK;
}

Result TextureSet::EndBatch(size_t index) {
  Sprite& sprite = sprites_.at(index);
  if (sprite.spriteObject) sprite.spriteObject->End();
  return S_OK;
}

int TextureSet::Find(const std::wstring& fileName) const {
  for (size_t i = 0; i < sprites_.size(); ++i) {
    if (sprites_[i].name == fileName) return static_cast<int>(i);
  }
  return -1;
}
