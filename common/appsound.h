#pragma once
// The sound device the framework provides to the game: the default playback device held at a
// cooperative level, with its primary output in a fixed PCM format.
#include <cstdint>
#include <memory>

#include "platform/audio/audio.h"
#include "platform/result.h"
#include "platform/system/messages.h"

// Cooperative levels.
enum : uint32_t { DSSCL_NORMAL = 1, DSSCL_PRIORITY = 2, DSSCL_EXCLUSIVE = 3, DSSCL_WRITEPRIMARY = 4 };

// The primary output's PCM format, as set.
struct WaveFormat {
  uint16_t formatTag = 0;  // 1: PCM
  uint16_t channels = 0;
  uint32_t samplesPerSecond = 0;
  uint32_t averageBytesPerSecond = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  bool operator==(const WaveFormat&) const = default;
};

// PCM with block alignment (bits / 8) * channels and average rate samples * block alignment.
WaveFormat MakePcmFormat(int32_t channels, int32_t samplesPerSecond, int32_t bitsPerSample);

class SoundDevice {
 public:
  // Opens the default playback device. Failures are traced and returned.
  Result Open(plat::WindowHandle window, uint32_t cooperativeLevel);
  // Puts the primary output in this format. CO_E_NOTINITIALIZED (no trace) while not open.
  Result SetPrimaryFormat(int32_t channels, int32_t samplesPerSecond, int32_t bitsPerSample);

  bool IsOpen() const { return device_ != nullptr; }
  // The format last set successfully; formatTag 0 when none.
  const WaveFormat& PrimaryFormat() const { return primary_; }

 private:
  std::unique_ptr<plat::IAudioDevice> device_;
  WaveFormat primary_;
};
