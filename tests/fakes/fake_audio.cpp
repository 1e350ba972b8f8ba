#include "tests/fakes/fake_audio.h"

namespace fake {

FakeAudioDevice::FakeAudioDevice(std::shared_ptr<FakeAudioState> state) : state_(std::move(state)) {
  ++state_->live;
}

FakeAudioDevice::~FakeAudioDevice() { --state_->live; }

Result FakeAudioDevice::SetFormat(const plat::AudioFormat& format) {
  if (Failed(state_->setFormatResult)) {
    ++state_->refused;
    return state_->setFormatResult;
  }
  format_ = format;
  state_->formats.push_back(format);
  return S_OK;
}

Result FakeAudioSystem::OpenDevice(std::unique_ptr<plat::IAudioDevice>& out) {
  out.reset();
  if (Failed(state->openResult)) {
    ++state->openFails;
    return state->openResult;
  }
  ++state->opens;
  out = std::make_unique<FakeAudioDevice>(state);
  return S_OK;
}

}  // namespace fake
