#pragma once
// The game's one sound object: holds the sound device, with its primary output in the stored
// format, while the graphics device is usable (opened at every reset, closed at every loss).
#include <cstdint>
#include <memory>

#include "common/appsound.h"
#include "platform/result.h"

class SoundSystem {
 public:
  // Records the format for the next reset; opens nothing.
  Result StoreFormat(int32_t channels, int32_t samplesPerSecond, int32_t bitsPerSample);
  // Opens a new sound device and sets its primary format; failures are traced and end nothing.
  Result OnReset();
  // Closes the sound device, if one is held.
  Result OnLost();

  const SoundDevice* Device() const { return device_.get(); }
  int32_t Channels() const { return channels_; }
  int32_t SamplesPerSecond() const { return samplesPerSecond_; }
  int32_t BitsPerSample() const { return bitsPerSample_; }
  // Of the stored format.
  int32_t BlockAlign() const { return (bitsPerSample_ / 8) * channels_; }
  int64_t AverageBytesPerSecond() const { return int64_t{samplesPerSecond_} * BlockAlign(); }

 private:
  std::unique_ptr<SoundDevice> device_;
  int32_t channels_ = 2;
  int32_t samplesPerSecond_ = 22050;
  int32_t bitsPerSample_ = 16;
};
