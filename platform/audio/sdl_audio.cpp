// Scaffolding until the SDL audio device lands: no device.
#include "platform/audio/audio.h"

namespace plat {
std::unique_ptr<IAudioSystem> CreateSdlAudioSystem() { return nullptr; }
}  // namespace plat
