#include "common/appsound.h"

#include "common/app.h"
#include "platform/services.h"

namespace {
// The name the failure traces give for this module.
constexpr const char* kSource = "common/appsound";
}  // namespace

WaveFormat MakePcmFormat(int32_t channels, int32_t samplesPerSecond, int32_t bitsPerSample) {
  WaveFormat format;
  format.formatTag = 1;
  format.channels = static_cast<uint16_t>(channels);
  format.samplesPerSecond = static_cast<uint32_t>(samplesPerSecond);
  format.bitsPerSample = static_cast<uint16_t>(bitsPerSample);
  format.blockAlign = static_cast<uint16_t>((bitsPerSample / 8) * channels);
  format.averageBytesPerSecond = format.samplesPerSecond * format.blockAlign;
  return format;
}

Result SoundDevice::Open(plat::WindowHandle, uint32_t cooperativeLevel) {
  device_.reset();
  primary_ = WaveFormat{};
  plat::IAudioSystem* audio = plat::GetServices().audio;
  Result hr = audio ? audio->OpenDevice(device_) : DSERR_NODRIVER;
  if (Succeeded(hr) && !device_) hr = DSERR_NODRIVER;
  if (Failed(hr)) {
    device_.reset();
    return AppTrace(kSource, __LINE__, hr, L"DirectSoundCreate8", false);
  }
  // The output is shared with the rest of the desktop, so any known level can be granted.
  if (cooperativeLevel < DSSCL_NORMAL || cooperativeLevel > DSSCL_WRITEPRIMARY) {
    return AppTrace(kSource, __LINE__, E_INVALIDARG, L"SetCooperativeLevel", false);
  }
  return S_OK;
}

Result SoundDevice::SetPrimaryFormat(int32_t channels, int32_t samplesPerSecond, int32_t bitsPerSample) {
  if (!device_) return CO_E_NOTINITIALIZED;
  const WaveFormat wanted = MakePcmFormat(channels, samplesPerSecond, bitsPerSample);
  // Anything the output format cannot carry is refused outright rather than cut to fit.
  if (channels <= 0 || channels > 0xFFFF || samplesPerSecond <= 0 || bitsPerSample <= 0 ||
      bitsPerSample > 0xFFFF) {
    return AppTrace(kSource, __LINE__, DSERR_BADFORMAT, L"SetFormat", false);
  }
  plat::AudioFormat format;
  format.channels = wanted.channels;
  format.samplesPerSecond = wanted.samplesPerSecond;
  format.bitsPerSample = wanted.bitsPerSample;
  const Result hr = device_->SetFormat(format);
  if (Failed(hr)) return AppTrace(kSource, __LINE__, hr, L"SetFormat", false);
  primary_ = wanted;
  return S_OK;
}
