#pragma once
// Sound output device. The SDL implementation plays silence in the requested format.
#include <cstdint>
#include <memory>

#include "platform/result.h"

namespace plat {

struct AudioFormat {
  uint16_t channels = 2;
  uint32_t samplesPerSecond = 22050;
  uint16_t bitsPerSample = 16;  // 16: signed little-endian; 8: unsigned
  bool operator==(const AudioFormat&) const = default;
};

class IAudioDevice {
 public:
  virtual ~IAudioDevice() = default;
  // Opens the format exactly; fails (DSERR_BADFORMAT) when the device cannot take it.
  virtual Result SetFormat(const AudioFormat& format) = 0;
  virtual AudioFormat GetFormat() const = 0;
};

class IAudioSystem {
 public:
  virtual ~IAudioSystem() = default;
  // Opens the default playback device; DSERR_NODRIVER when there is none.
  virtual Result OpenDevice(std::unique_ptr<IAudioDevice>& out) = 0;
};

// Names the game's sound stream for the desktop and keeps the sound library's own probing messages
// off standard error. Called once, before SDL starts.
void PrepareSdlAudio();

// SDL's audio subsystem (default playback device, silence).
std::unique_ptr<IAudioSystem> CreateSdlAudioSystem();

}  // namespace plat
