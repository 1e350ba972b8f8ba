#include "game/scene.h"

#include <cstdint>

#include "common/app.h"
#include "game/debug_output.h"

namespace {

struct TextureFile {
  const wchar_t* name;
  int32_t cellWidth, cellHeight;
};
constexpr TextureFile kTextures[] = {
    {kTexMonster, 64, 64},        {kTexBattleBackground, 128, 128},
    {kTexBattleSelectBackground, 256, 128}, {kTexBattleCommand, 128, 32},
    {kTexBattleHilite, 108, 28},  {kTexTimeBar, 32, 32},
    {kTexMonsterName, 256, 32},   {kTexBattleAnimation, 64, 64},
};

// The framework's exit code for media that cannot be found.
constexpr int kMediaNotFoundExitCode = 4;

constexpr uint32_t kBatchFlags = plat::SPRITE_ALPHABLEND | plat::SPRITE_SORT_DEPTH_FRONTTOBACK;

}  // namespace

Result Scene::Create(plat::IDevice* device) {
  font_.Create(device);
  return S_OK;
}

void Scene::Destroy() { font_.Destroy(); }

Result Scene::Reset(plat::IDevice* device, const plat::SurfaceDesc* backBuffer, void* userContext) {
  DebugOutput(L"Reset");
  DebugOutput(L"\n");
  textures_.ResetSprites(device, backBuffer, userContext);
  return S_OK;
}

void Scene::Lost() {
  font_.Lost();
  DebugOutput(L"Lost");
  DebugOutput(L"\n");
  textures_.ReleaseSprites();
}

Result Scene::AddTexture(const std::wstring& fileName, int32_t cellWidth, int32_t cellHeight) {
  if (fileName.empty()) return E_FAIL;
  textures_.AddSprite(fileName, cellWidth, cellHeight);
  return S_OK;
}

void Scene::Load() {
  textures_.ClearSprites();
  elements_.clear();
  for (const TextureFile& file : kTextures) AddTexture(file.name, file.cellWidth, file.cellHeight);
  battle_.SetUp(elements_, state_);
  state_.monsters.LoadFile(kMonsterFile);

  // Summons and attacks index the table by the monsters in the hands: a short or missing table
  // (a game started from the wrong folder, say) cannot be played, so stop here rather than later.
  if (!state_.TableCoversHands()) {
    DebugOutput(ShortTableLine(kMonsterFile, state_.monsters, static_cast<size_t>(state_.RecordsNeeded())));
    AppDisplayErrorMessage(APPERR_MEDIANOTFOUND);
    AppShutdown(kMediaNotFoundExitCode);
  }
}

Result Scene::FrameMove(plat::IDevice*, float elapsed) {
  battle_.FrameMove(elements_, elapsed, state_);
  if (state_.enemyVitals.life <= 0) Load();
  // A bar that filled may have opened a menu.
  focus_.Refresh(elements_);
  focus_.Show(elements_);
  return S_OK;
}

Result Scene::Render(plat::IDevice* device) {
  bool open = false;
  size_t current = 0;
  std::wstring currentName;
  for (const Element& element : elements_) {
    if (element.visible == 0) continue;
    if (!open || element.textureName != currentName) {
      const int found = textures_.Find(element.textureName);
      if (found < 0) continue;  // unknown image: not drawn, the open batch stays open
      if (open) textures_.EndBatch(current);
      current = static_cast<size_t>(found);
      currentName = element.textureName;
      textures_.BeginBatch(current, kBatchFlags);
      open = true;
    }
    textures_.DrawSprite(device, current, element.cell, element.position, element.colour, element.orientation,
                         element.scale);
  }
  if (open) textures_.EndBatch(current);
  if (const Element* marked = focus_.NeedsMark(elements_)) DrawFocusMark(device, *marked);
  Purge(elements_);
  battle_.DrawNumbers(font_, device, state_);
  return S_OK;
}

int Scene::Mouse(bool leftDown, bool, int32_t x, int32_t y) {
  focus_.Pointer(elements_, leftDown, x, y);
  bool clicked = false;
  for (size_t i = 0; i < elements_.size(); ++i) {
    Element& element = elements_[i];
    if (element.visible == 0) continue;
    const bool inside = InsideHitRect(element, x, y);
    if (element.hoverEnabled != 0) element.cell = inside ? 1 : 0;
    if (element.clickEnabled != 0 && leftDown && inside) {
      // The click may grow the list, so the scan ends here.
      battle_.OnElementClick(elements_, element, state_);
      clicked = true;
      break;
    }
  }
  if (clicked) focus_.Refresh(elements_);
  focus_.Show(elements_);
  return 1;
}

std::optional<ClickPoint> Scene::Keyboard(uint32_t key, bool down, bool alt) {
  const std::optional<ClickPoint> pick = focus_.Key(elements_, key, down, alt);
  focus_.Show(elements_);
  return pick;
}

void Scene::DrawFocusMark(plat::IDevice* device, const Element& marked) {
  // The menus' highlight, half see-through and stretched over the hit rectangle, in front.
  const int found = textures_.Find(kTexBattleHilite);
  if (found < 0) return;
  const size_t index = static_cast<size_t>(found);
  const Sprite& art = textures_.At(index);
  if (art.cellWidth <= 0 || art.cellHeight <= 0) return;
  const HitCorner corner = HitCornerOf(marked);
  const plat::Vec3 position{static_cast<float>(corner.left), static_cast<float>(corner.top), 0.0f};
  const plat::Vec3 scale{static_cast<float>(marked.hitWidth) / static_cast<float>(art.cellWidth),
                         static_cast<float>(marked.hitHeight) / static_cast<float>(art.cellHeight), 1.0f};
  textures_.BeginBatch(index, kBatchFlags);
  textures_.DrawSprite(device, index, 1, position, Colour{1.0f, 1.0f, 1.0f, 0.5f}, plat::Vec3{0.0f, 0.0f, 0.0f},
                       scale);
  textures_.EndBatch(index);
}
