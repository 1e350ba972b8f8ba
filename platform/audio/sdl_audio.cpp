// Sound output through SDL's audio subsystem: the default playback device, opened in exactly the
// requested format, playing silence. Each device holds its own reference on the subsystem, so the
// subsystem lives exactly while a device does.
#include <SDL.h>
#include <alsa/asoundlib.h>

#include <cstdlib>
#include <cstring>

#include "platform/audio/audio.h"

namespace plat {
namespace {

// The sound library's own report of a failed probe. The game traces the failure once, in its own
// words; without a sound device the library would add a handful of "ALSA lib" lines at every reset.
void DropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void FillSilence(void* userdata, Uint8* stream, int len) {
  std::memset(stream, *static_cast<const Uint8*>(userdata), static_cast<size_t>(len));
}

class SdlAudioDevice final : public IAudioDevice {
 public:
  ~SdlAudioDevice() override {
    Close();
    if (subsystemHeld_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  // Starts the subsystem and opens the default device in the default format, so that a machine
  // without a usable output is found out here.
  Result Start() {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return DSERR_NODRIVER;
    subsystemHeld_ = true;
    return OpenExact(AudioFormat{}) ? S_OK : DSERR_NODRIVER;
  }

  Result SetFormat(const AudioFormat& format) override {
    if (format == format_ && id_ != 0) return S_OK;
    const AudioFormat previous = format_;
    if (!Supported(format)) return DSERR_BADFORMAT;
    if (OpenExact(format)) return S_OK;
    OpenExact(previous);  // keep playing in the format it had
    return DSERR_BADFORMAT;
  }

  AudioFormat GetFormat() const override { return format_; }

 private:
  static bool Supported(const AudioFormat& format) {
    return (format.bitsPerSample == 8 || format.bitsPerSample == 16) && format.channels >= 1 &&
           format.channels <= 8 && format.samplesPerSecond >= 1000 && format.samplesPerSecond <= 384000;
  }

  bool OpenExact(const AudioFormat& format) {
    Close();
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(format.samplesPerSecond);
    want.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    want.channels = static_cast<Uint8>(format.channels);
    want.samples = 1024;
    want.callback = FillSilence;
    want.userdata = &silence_;
    silence_ = format.bitsPerSample == 8 ? 0x80 : 0x00;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware takes.
    id_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (id_ == 0) return false;
    format_ = format;
    SDL_PauseAudioDevice(id_, 0);
    return true;
  }

  void Close() {
    if (id_ != 0) SDL_CloseAudioDevice(id_);
    id_ = 0;
  }

  SDL_AudioDeviceID id_ = 0;
  AudioFormat format_;
  Uint8 silence_ = 0;
  bool subsystemHeld_ = false;
};

class SdlAudioSystem final : public IAudioSystem {
 public:
  Result OpenDevice(std::unique_ptr<IAudioDevice>& out) override {
    out.reset();
    auto device = std::make_unique<SdlAudioDevice>();
    const Result hr = device->Start();
    if (Failed(hr)) return hr;
    out = std::move(device);
    return S_OK;
  }
};

}  // namespace

void PrepareSdlAudio() {
  // What the desktop's mixer shows for the game's stream. The sound server takes the names when SDL
  // connects to it; the user's own SDL_AUDIO_DEVICE_* variables still win over these.
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "x[vela]");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "x[vela]");
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "Game");
  // SDL passes its role hint to PipeWire only; PulseAudio's client library takes the role from
  // the environment. Set before any thread could read the environment, and never over the user's.
  ::setenv("PULSE_PROP_media.role", "game", 0);
  snd_lib_error_set_handler(DropAlsaMessage);
}

std::unique_ptr<IAudioSystem> CreateSdlAudioSystem() { return std::make_unique<SdlAudioSystem>(); }

}  // namespace plat
