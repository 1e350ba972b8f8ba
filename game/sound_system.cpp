#include "game/sound_system.h"

#include "common/app.h"
#include "game/debug_output.h"

Result SoundSystem::StoreFormat(int32_t channels, int32_t samplesPerSecond, int32_t bitsPerSample) {
  channels_ = channels;
  samplesPerSecond_ = samplesPerSecond;
  bitsPerSample_ = bitsPerSample;
  return S_OK;
}

Result SoundSystem::OnReset() {
  // A failed device stays held so that the next loss still closes it.
  device_ = std::make_unique<SoundDevice>();
  if (Failed(device_->Open(AppGetHWND(), DSSCL_PRIORITY))) {
    DebugOutput(L"FAIL:Initialize\n");
    return S_OK;
  }
  if (Failed(device_->SetPrimaryFormat(channels_, samplesPerSecond_, bitsPerSample_))) {
    DebugOutput(L"FAIL:SetPrimaryBufferFormat\n");
  }
  return S_OK;
}

Result SoundSystem::OnLost() {
  device_.reset();
  return S_OK;
}
