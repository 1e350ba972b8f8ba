#include "game/overlay.h"

Result Overlay::OnCreateDevice(plat::IDevice* device) {
  firstFont_.Create(device);
  secondFont_.Create(device);
  return S_OK;
}

Result Overlay::OnResetDevice(plat::IDevice* device, const plat::SurfaceDesc* backBuffer, void* userContext) {
  textures_.ResetSprites(device, backBuffer, userContext);
  sound_.OnReset();
  return S_OK;
}

Result Overlay::OnLostDevice() {
  firstFont_.Lost();
  secondFont_.Lost();
  textures_.ReleaseSprites();
  sound_.OnLost();
  return S_OK;
}

Result Overlay::OnDestroyDevice() {
  firstFont_.Destroy();
  secondFont_.Destroy();
  return S_OK;
}

Result Overlay::OnMouse(bool leftDown, bool, int32_t x, int32_t y) {
  if (!leftDown) return S_OK;
  for (const OverlayElement& element : elements_) {
    if (element.Contains(x, y)) break;  // nothing acts on a hit
  }
  return S_OK;
}
